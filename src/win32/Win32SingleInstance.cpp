#include "win32/Win32SingleInstance.h"

#include <cstdint>
#include <cwctype>

#include "win32/Win32Module.h"
#include "win32/Win32Text.h"

CWin32SingleInstance::CWin32SingleInstance(std::wstring strName) : m_strName(std::move(strName)) {}

CWin32SingleInstance::~CWin32SingleInstance() {
    if (m_pWindow) {
        UnmapViewOfFile(const_cast<LONG64*>(m_pWindow));
    }
    for (HANDLE hObject : {m_hReady, m_hSection, m_hMutex}) {
        if (hObject) {
            CloseHandle(hObject);
        }
    }
}

std::wstring CWin32SingleInstance::InstanceName(const std::string& strUser,
                                                const std::string& strExePath) {
    // FNV-1a, 64 bits: stable across runs and builds, which std::hash is not required to be.
    std::uint64_t nHash = 0xcbf29ce484222325ULL;
    const auto add = [&nHash](const std::wstring& strText) {
        for (const wchar_t c : strText) {
            for (const unsigned nByte : {unsigned(c) & 0xFFu, (unsigned(c) >> 8) & 0xFFu}) {
                nHash = (nHash ^ nByte) * 0x100000001b3ULL;
            }
        }
    };
    std::wstring strPath = Utf8ToWide(strExePath);
    for (wchar_t& c : strPath) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    add(Utf8ToWide(strUser));
    add(L"\n");
    add(strPath);
    wchar_t szHex[17] = {};
    for (int i = 15; i >= 0; --i, nHash >>= 4) {
        szHex[i] = L"0123456789abcdef"[nHash & 15];
    }
    return L"Local\\Brenhold-Tactilo-" + std::wstring(szHex);
}

std::wstring CWin32SingleInstance::NameForThisProcess() {
    wchar_t szUser[257] = {};
    DWORD nChars = 257;
    const std::string strUser = GetUserNameW(szUser, &nChars) ? WideToUtf8(szUser) : std::string();
    return InstanceName(strUser, ModuleFilePath());
}

bool CWin32SingleInstance::OpenShared() {
    // Made by whichever start comes first, opened by the others; both carry the same name.
    m_hSection = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(LONG64), (m_strName + L"-window").c_str());
    m_hReady = CreateEventW(nullptr, TRUE, FALSE, (m_strName + L"-ready").c_str());
    if (!m_hSection || !m_hReady) {
        return false;
    }
    m_pWindow = static_cast<volatile LONG64*>(
        MapViewOfFile(m_hSection, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG64)));
    return m_pWindow != nullptr;
}

CWin32SingleInstance::Claim CWin32SingleInstance::ClaimOrHandOver(const std::string& strSwitches,
                                                                  DWORD nWaitMs) {
    m_hMutex = CreateMutexW(nullptr, FALSE, m_strName.c_str());
    const bool bRunning = m_hMutex && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!OpenShared() || !bRunning) {
        // Without the shared objects a second start cannot find this copy; it still runs.
        return Claim::Resident;
    }
    const HWND hWnd = WaitForWindow(nWaitMs);
    if (!hWnd) {
        return Claim::NoAnswer;
    }
    // The running copy is to bring its window to the front: a start may let it.
    DWORD nProcess = 0;
    GetWindowThreadProcessId(hWnd, &nProcess);
    AllowSetForegroundWindow(nProcess);
    COPYDATASTRUCT data = {};
    data.dwData = HAND_OVER_DATA;
    data.cbData = static_cast<DWORD>(strSwitches.size());
    data.lpData = const_cast<char*>(strSwitches.data());
    DWORD_PTR nAnswer = 0;
    if (!SendMessageTimeoutW(hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, nWaitMs, &nAnswer) ||
        nAnswer != TRUE) {
        return Claim::NoAnswer;
    }
    return Claim::HandedOver;
}

HWND CWin32SingleInstance::WaitForWindow(DWORD nWaitMs) const {
    if (WaitForSingleObject(m_hReady, nWaitMs) != WAIT_OBJECT_0) {
        return nullptr;
    }
    const auto hWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(*m_pWindow));
    return IsWindow(hWnd) ? hWnd : nullptr;
}

void CWin32SingleInstance::Publish(HWND hWnd) {
    if (!m_pWindow || !m_hReady) {
        return;
    }
    InterlockedExchange64(const_cast<LONG64*>(m_pWindow),
                          static_cast<LONG64>(reinterpret_cast<INT_PTR>(hWnd)));
    SetEvent(m_hReady);
}

std::optional<std::string> CWin32SingleInstance::ReadHandOver(const COPYDATASTRUCT& data) {
    // Any program of the session may send this window a WM_COPYDATA: only a tagged, short
    // text of plain characters is a hand-over; FromArguments then ignores unknown words.
    if (data.dwData != HAND_OVER_DATA || data.cbData > MAX_HAND_OVER_BYTES ||
        (data.cbData != 0 && !data.lpData)) {
        return std::nullopt;
    }
    std::string strSwitches(static_cast<const char*>(data.lpData), data.cbData);
    for (const char c : strSwitches) {
        if (c < ' ' || c > '~') {
            return std::nullopt;
        }
    }
    return strSwitches;
}
