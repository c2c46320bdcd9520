#pragma once

#include <cstddef>
#include <vector>

#include "serial/SerialLine.h"

// An in-memory line that replays one recorded stream over and over, with no locks and no
// allocation per byte, so that a benchmark measures the framer rather than the fake.
// (The test-support fake serialises every read through a mutex and a deque.)
class CLoopSerialLine final : public ISerialLine {
public:
    explicit CLoopSerialLine(std::vector<unsigned char> vecStream)
        : m_vecStream(std::move(vecStream)) {}

    int OpenPort(int) override { return m_bOpen = true, 0; }
    int ReadSettings() override { return 0; }
    int WriteSettings(const LineSettings&) override { return 0; }
    bool SetTimeouts(const CommTimeouts&) override { return true; }
    void ClosePort() override { m_bOpen = false; }
    bool IsOpen() const override { return m_bOpen; }
    ReadStatus ReadByte(unsigned char& nByte) override;
    bool WaitForWake(int) override { return false; }
    void Wake() override {}
    void ClearWake() override {}
    PortFailureText DescribeFailure(int, int, const std::string&) const override { return {}; }

private:
    std::vector<unsigned char> m_vecStream;
    std::size_t m_nNext = 0;
    bool m_bOpen = false;
};
