#include "PacketView.h"

#include <algorithm>

#include "serial/Port.h"
#include "serial/PortNames.h"
#include "touch/BitString.h"

namespace {

constexpr int g_nFirstPauseMs = 100;
constexpr int g_nLongestPauseMs = 2000;

}  // namespace

CPacketView::CPacketView(CPort& port, int nPort, unsigned nBaudRate, std::FILE* pOut)
    : m_port(port), m_nPort(nPort), m_nBaudRate(nBaudRate), m_pOut(pOut) {}

std::string CPacketView::FormatPacket(const std::string& strText) {
    // The same cut as the touch processor's: touch is character 1, x is 2..4 and 9..15,
    // y is 5..7 and 17..23.
    auto piece = [&](std::size_t nPos, std::size_t nCount) {
        return nPos < strText.size() ? strText.substr(nPos, nCount) : std::string();
    };
    const char cTouch = strText.size() > 1 ? strText[1] : '0';
    const int nX = BitsToInt(piece(2, 3) + piece(9, 7));
    const int nY = BitsToInt(piece(5, 3) + piece(17, 7));
    return std::string("touch=") + cTouch + " x=" + std::to_string(nX) +
           " y=" + std::to_string(nY) + " bits=" + strText;
}

void CPacketView::Print(const std::string& strLine) {
    std::fprintf(m_pOut, "%s\n", strLine.c_str());
    std::fflush(m_pOut);
}

bool CPacketView::TryOpen(std::string& strError) {
    try {
        m_port.Open(m_nPort, m_nBaudRate, 8, 0, 0);
    } catch (const CPortException& exception) {
        strError = exception.GetErrorMessage();
        return false;
    }
    m_port.SetTimeouts(0, 0, 0, 0, 0);
    return true;
}

bool CPacketView::Open() {
    std::string strError;
    const std::string strName = "COM" + std::to_string(m_nPort);
    if (!TryOpen(strError)) {
        std::fprintf(stderr, "tactilo-packets: %s: %s\n", strName.c_str(), strError.c_str());
        return false;
    }
    Print(strName + ": open at " + std::to_string(CPort::AcceptedBaudRate(m_nBaudRate)) +
          " baud, 8 data bits, no parity, one stop bit (" + PortDevicePath(m_nPort) + ")");
    return true;
}

bool CPacketView::Reconnect() {
    const std::string strName = "COM" + std::to_string(m_nPort);
    m_port.Close();
    Print(strName + ": device gone");
    int nPauseMs = g_nFirstPauseMs;
    bool bReported = false;
    for (;;) {
        if (m_port.WaitForWake(nPauseMs)) {
            return false;
        }
        std::string strError;
        if (TryOpen(strError)) {
            Print(strName + ": back");
            return true;
        }
        if (!bReported) {
            // Once per outage: the message does not change while the device is away.
            std::fprintf(stderr, "tactilo-packets: %s: waiting for the device: %s\n",
                         strName.c_str(), strError.c_str());
            bReported = true;
        }
        nPauseMs = std::min(nPauseMs * 2, g_nLongestPauseMs);
    }
}

int CPacketView::Run() {
    std::string strPacket;
    for (;;) {
        const PacketStatus status = m_port.ReadPacket(strPacket);
        if (status == PacketStatus::Whole) {
            ++m_nWhole;
            Print(FormatPacket(strPacket));
        } else if (status == PacketStatus::CutShort || status == PacketStatus::CutShortRelease) {
            ++m_nCutShort;
            Print("cut short: " + std::to_string(m_nCutShort));
        } else if (status == PacketStatus::DeviceGone) {
            if (!Reconnect()) {
                break;
            }
        } else {
            break;  // Stopped
        }
    }
    Print("packets: " + std::to_string(m_nWhole) + " whole, " + std::to_string(m_nCutShort) +
          " cut short");
    return 0;
}
