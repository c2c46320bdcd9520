#include "FakeSerialLine.h"

#include <chrono>

void CFakeSerialLine::Feed(const std::vector<unsigned char>& vecBytes) {
    {
        std::lock_guard lock(m_mutex);
        m_bytes.insert(m_bytes.end(), vecBytes.begin(), vecBytes.end());
    }
    m_changed.notify_all();
}

void CFakeSerialLine::FailNextReads(int nCount, ReadStatus status) {
    std::lock_guard lock(m_mutex);
    m_nFailReads = nCount;
    m_failStatus = status;
}

int CFakeSerialLine::OpenPort(int nPort) {
    m_nOpenedPort = nPort;
    if (m_failures.nOpen != 0) {
        return m_failures.nOpen;
    }
    m_bOpen = true;
    return 0;
}

int CFakeSerialLine::WriteSettings(const LineSettings& settings) {
    m_written = settings;
    return m_failures.nWriteSettings;
}

bool CFakeSerialLine::SetTimeouts(const CommTimeouts& timeouts) {
    m_timeouts = timeouts;
    return m_bOpen;
}

void CFakeSerialLine::ClosePort() {
    m_bOpen = false;
    ++m_nCloseCount;
}

ReadStatus CFakeSerialLine::ReadByte(unsigned char& nByte) {
    std::unique_lock lock(m_mutex);
    ++m_nReadCount;
    if (m_nFailReads > 0) {
        --m_nFailReads;
        return m_failStatus;
    }
    if (m_bBlockWhenEmpty) {
        m_changed.wait(lock, [this] { return m_bWoken || !m_bytes.empty(); });
    }
    if (m_bWoken) {
        return ReadStatus::Stopped;
    }
    if (m_bytes.empty()) {
        return ReadStatus::Gone;
    }
    nByte = m_bytes.front();
    m_bytes.pop_front();
    return ReadStatus::Byte;
}

bool CFakeSerialLine::WaitForWake(int nTimeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [this] { return m_bWoken; });
}

void CFakeSerialLine::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_bWoken = true;
    }
    m_changed.notify_all();
}

void CFakeSerialLine::ClearWake() {
    std::lock_guard lock(m_mutex);
    m_bWoken = false;
}

PortFailureText CFakeSerialLine::DescribeFailure(int nPort, int nError,
                                                 const std::string& strMessage) const {
    const std::string strReason = nError != 0 ? "error " + std::to_string(nError) : strMessage;
    return {"COM" + std::to_string(nPort) + ": " + strReason,
            nError == m_nAdviceError && nError != 0 ? m_strAdvice : std::string()};
}
