// Bytes from a noisy line into CPort's framer. Whatever arrives, every text handed on must
// be whole bytes of '0'/'1' (8, 16 or 24 characters; 0 only if nothing was ever framed),
// and a Whole packet must decode to raw values 0..1023 that re-encode to the bytes framed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "serial/Port.h"
#include "touch/BitString.h"

namespace {

class CBytesLine final : public ISerialLine {
public:
    CBytesLine(const std::uint8_t* pData, std::size_t nSize) : m_pData(pData), m_nSize(nSize) {}
    int OpenPort(int) override { return 0; }
    int ReadSettings() override { return 0; }
    int WriteSettings(const LineSettings&) override { return 0; }
    bool SetTimeouts(const CommTimeouts&) override { return true; }
    void ClosePort() override {}
    bool IsOpen() const override { return true; }
    ReadStatus ReadByte(unsigned char& nByte) override {
        if (m_nNext == m_nSize) {
            return ReadStatus::Gone;
        }
        const std::uint8_t nValue = m_pData[m_nNext++];
        nByte = nValue;
        return ReadStatus::Byte;
    }
    bool WaitForWake(int) override { return false; }
    void Wake() override {}
    void ClearWake() override {}
    PortFailureText DescribeFailure(int, int, const std::string&) const override { return {}; }

private:
    const std::uint8_t* m_pData;
    std::size_t m_nSize;
    std::size_t m_nNext = 0;
};

void Check(bool bHolds) {
    if (!bHolds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CPort port(std::make_unique<CBytesLine>(pData, nSize));
    std::string strPacket;
    for (std::size_t nCalls = 0; nCalls <= nSize + 1; ++nCalls) {
        const PacketStatus status = port.ReadPacket(strPacket);
        if (status == PacketStatus::DeviceGone) {
            return 0;
        }
        Check(status == PacketStatus::Whole || status == PacketStatus::CutShort ||
              status == PacketStatus::CutShortRelease);
        // A release made from a cut-short packet is a whole packet's text, untouched.
        Check(status != PacketStatus::CutShortRelease ||
              (strPacket.size() == 24 && strPacket[1] == '0'));
        Check(strPacket.size() == 0 || strPacket.size() == 8 || strPacket.size() == 16 ||
              strPacket.size() == 24);
        for (char c : strPacket) {
            Check(c == '0' || c == '1');
        }
        if (status == PacketStatus::Whole || status == PacketStatus::CutShortRelease) {
            Check(strPacket.size() == 24);
            Check(strPacket[0] == '1' && strPacket[8] == '0' && strPacket[16] == '0');
            const int nX = BitsToInt(strPacket.substr(2, 3) + strPacket.substr(9, 7));
            const int nY = BitsToInt(strPacket.substr(5, 3) + strPacket.substr(17, 7));
            Check(nX >= 0 && nX <= 1023 && nY >= 0 && nY <= 1023);
            const int nLead = BitsToInt(strPacket.substr(0, 8));
            Check(((nLead >> 3) & 7) == (nX >> 7) && (nLead & 7) == (nY >> 7));
        }
        // A pending lead byte is always a lead byte.
        Check(port.Pending().empty() || port.Pending()[0] == '1');
    }
    // Each call consumes at least one byte, so the loop must have ended on DeviceGone.
    Check(false);
    return 0;
}
