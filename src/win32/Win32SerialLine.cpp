#include "win32/Win32SerialLine.h"

#include <string>

#include "win32/Win32Text.h"

std::wstring ComDeviceName(int nPort) {
    return L"\\\\.\\COM" + std::to_wstring(nPort);
}

CWin32SerialLine::CWin32SerialLine()
    : m_hReadDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hWake(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWin32SerialLine::~CWin32SerialLine() {
    ClosePort();
    CloseHandle(m_hReadDone);
    CloseHandle(m_hWake);
}

int CWin32SerialLine::OpenPort(int nPort) {
    ClosePort();
    const HANDLE hPort = CreateFileW(ComDeviceName(nPort).c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (hPort == INVALID_HANDLE_VALUE) {
        return static_cast<int>(GetLastError());
    }
    m_hPort = hPort;
    return 0;
}

int CWin32SerialLine::ReadSettings() {
    if (!m_hPort) {
        return ERROR_INVALID_HANDLE;
    }
    m_dcb = DCB{};
    m_dcb.DCBlength = sizeof(DCB);
    return GetCommState(m_hPort, &m_dcb) ? 0 : static_cast<int>(GetLastError());
}

int CWin32SerialLine::WriteSettings(const LineSettings& settings) {
    if (!m_hPort) {
        return ERROR_INVALID_HANDLE;
    }
    // Raw 8-bit input with RTS/CTS handshake and DTR on; every field not named here keeps
    // what the driver reported, so a driver's own defaults (XON/XOFF limits, ...) survive.
    DCB dcb = m_dcb;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = settings.nBaudRate;
    dcb.ByteSize = static_cast<BYTE>(settings.nByteSize);
    dcb.Parity = static_cast<BYTE>(settings.nParity);
    dcb.StopBits = static_cast<BYTE>(settings.nStopBits);
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fInX = FALSE;
    dcb.fOutX = FALSE;
    if (!SetCommState(m_hPort, &dcb)) {
        return static_cast<int>(GetLastError());
    }
    m_dcb = dcb;
    (void)SetupComm(m_hPort, 1024, 1024);
    return 0;
}

bool CWin32SerialLine::SetTimeouts(const CommTimeouts& timeouts) {
    if (!m_hPort) {
        return false;
    }
    COMMTIMEOUTS commTimeouts{};
    (void)GetCommTimeouts(m_hPort, &commTimeouts);
    commTimeouts.ReadIntervalTimeout = timeouts.nReadIntervalMs;
    commTimeouts.ReadTotalTimeoutMultiplier = timeouts.nReadTotalMultiplierMs;
    commTimeouts.ReadTotalTimeoutConstant = timeouts.nReadTotalConstantMs;
    commTimeouts.WriteTotalTimeoutMultiplier = timeouts.nWriteTotalMultiplierMs;
    commTimeouts.WriteTotalTimeoutConstant = timeouts.nWriteTotalConstantMs;
    return SetCommTimeouts(m_hPort, &commTimeouts) != FALSE;
}

void CWin32SerialLine::ClosePort() {
    m_bHeldByte = false;  // what the old line sent is not the next line's
    if (m_hPort) {
        CloseHandle(m_hPort);
        m_hPort = nullptr;
    }
}

bool CWin32SerialLine::IsOpen() const {
    return m_hPort != nullptr;
}

namespace {

// Errors after which the port will not come back by itself: the adapter was pulled, the
// handle went bad.
bool DeviceGone(DWORD nError) {
    switch (nError) {
        case ERROR_INVALID_HANDLE:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_ACCESS_DENIED:
        case ERROR_HANDLE_EOF:
        case ERROR_BROKEN_PIPE:
            return true;
        default:
            return false;
    }
}

}  // namespace

ReadStatus CWin32SerialLine::ReadByte(unsigned char& nByte) {
    if (m_bWoken) {
        return ReadStatus::Stopped;
    }
    if (m_bHeldByte) {
        m_bHeldByte = false;
        nByte = m_nHeldByte;
        return ReadStatus::Byte;
    }
    if (!m_hPort) {
        return ReadStatus::Gone;
    }
    // One byte a read: with all time-outs zero a read waits until it has every byte asked
    // for, so asking for more would hold back a packet until the next one came.
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_hReadDone;
    ResetEvent(m_hReadDone);
    unsigned char nRead = 0;
    DWORD nCount = 0;
    if (!ReadFile(m_hPort, &nRead, 1, nullptr, &overlapped)) {
        const DWORD nError = GetLastError();
        if (nError != ERROR_IO_PENDING) {
            return DeviceGone(nError) ? ReadStatus::Gone : ReadStatus::Failed;
        }
        const HANDLE ahWait[2] = {m_hReadDone, m_hWake};
        const DWORD nWait = WaitForMultipleObjects(2, ahWait, FALSE, INFINITE);
        if (nWait != WAIT_OBJECT_0) {
            // Woken (or the wait itself failed): cancel, and wait for the read to end, since
            // the byte and the OVERLAPPED live on this stack.
            CancelIoEx(m_hPort, &overlapped);
            if (GetOverlappedResult(m_hPort, &overlapped, &nCount, TRUE) && nCount == 1) {
                m_bHeldByte = true;
                m_nHeldByte = nRead;
            }
            return ReadStatus::Stopped;
        }
    }
    if (!GetOverlappedResult(m_hPort, &overlapped, &nCount, TRUE)) {
        const DWORD nError = GetLastError();
        if (nError == ERROR_OPERATION_ABORTED && m_bWoken) {
            return ReadStatus::Stopped;
        }
        return DeviceGone(nError) ? ReadStatus::Gone : ReadStatus::Failed;
    }
    if (nCount == 0) {
        return ReadStatus::NoByte;
    }
    nByte = nRead;
    return ReadStatus::Byte;
}

bool CWin32SerialLine::WaitForWake(int nTimeoutMs) {
    const DWORD nWaitMs = nTimeoutMs < 0 ? INFINITE : static_cast<DWORD>(nTimeoutMs);
    return WaitForSingleObject(m_hWake, nWaitMs) == WAIT_OBJECT_0;
}

void CWin32SerialLine::Wake() {
    m_bWoken = true;
    SetEvent(m_hWake);
}

void CWin32SerialLine::ClearWake() {
    m_bWoken = false;
    ResetEvent(m_hWake);
}

std::string WindowsErrorText(unsigned long nError) {
    wchar_t* pText = nullptr;
    const DWORD nChars = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, nError, 0, reinterpret_cast<wchar_t*>(&pText), 0, nullptr);
    std::wstring strText = nChars != 0 && pText ? std::wstring(pText, nChars) : std::wstring();
    if (pText) {
        LocalFree(pText);
    }
    // The system's messages end in a line end, some in a blank before it.
    while (!strText.empty() &&
           (strText.back() == L'\n' || strText.back() == L'\r' || strText.back() == L' ')) {
        strText.pop_back();
    }
    if (strText.empty()) {
        return "Windows error " + std::to_string(nError);
    }
    return WideToUtf8(strText);
}

PortFailureText CWin32SerialLine::DescribeFailure(int nPort, int nError,
                                                  const std::string& strMessage) const {
    std::string strReason =
        nError != 0 ? WindowsErrorText(static_cast<unsigned long>(nError)) : strMessage;
    while (!strReason.empty() && (strReason.back() == '\n' || strReason.back() == '\r')) {
        strReason.pop_back();
    }
    return {"COM" + std::to_string(nPort) + ": " + strReason, {}};
}
