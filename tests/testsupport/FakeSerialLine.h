#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "serial/SerialLine.h"

// An in-memory serial line. Bytes fed in are read one by one; when they run out a read
// either blocks until more come or Wake() is called (bBlockWhenEmpty), or reports the line
// gone. Failures of each open step can be injected.
class CFakeSerialLine final : public ISerialLine {
public:
    struct Failures {
        int nOpen = 0;
        int nReadSettings = 0;
        int nWriteSettings = 0;
    };

    explicit CFakeSerialLine(bool bBlockWhenEmpty = false) : m_bBlockWhenEmpty(bBlockWhenEmpty) {}

    void Feed(const std::vector<unsigned char>& vecBytes);
    void FailNextReads(int nCount, ReadStatus status = ReadStatus::Failed);
    void SetFailures(const Failures& failures) { m_failures = failures; }
    // What DescribeFailure advises for nError; by default nothing.
    void SetAdvice(int nError, std::string strAdvice) {
        m_nAdviceError = nError;
        m_strAdvice = std::move(strAdvice);
    }

    // What the port was asked for.
    int OpenedPort() const { return m_nOpenedPort; }
    const LineSettings& Written() const { return m_written; }
    const CommTimeouts& Timeouts() const { return m_timeouts; }
    int CloseCount() const { return m_nCloseCount; }
    int ReadCount() const { return m_nReadCount; }

    int OpenPort(int nPort) override;
    int ReadSettings() override { return m_failures.nReadSettings; }
    int WriteSettings(const LineSettings& settings) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    void ClosePort() override;
    bool IsOpen() const override { return m_bOpen; }
    ReadStatus ReadByte(unsigned char& nByte) override;
    bool WaitForWake(int nTimeoutMs) override;
    void Wake() override;
    void ClearWake() override;
    // "COM3: error 13", or "COM3: <message>" for no number; the advice set for the number.
    PortFailureText DescribeFailure(int nPort, int nError,
                                    const std::string& strMessage) const override;

private:
    int m_nAdviceError = 0;
    std::string m_strAdvice;
    bool m_bBlockWhenEmpty;
    Failures m_failures;
    bool m_bOpen = false;
    int m_nOpenedPort = -1;
    int m_nCloseCount = 0;
    LineSettings m_written;
    CommTimeouts m_timeouts;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<unsigned char> m_bytes;
    int m_nFailReads = 0;
    ReadStatus m_failStatus = ReadStatus::Failed;
    bool m_bWoken = false;
    std::atomic<int> m_nReadCount{0};
};
