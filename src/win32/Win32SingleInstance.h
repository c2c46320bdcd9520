#pragma once

#include <optional>
#include <string>

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// One running copy per user, per session and per executable on Windows, as SingleInstance.h
// gives on Linux: a second copy would fight the first for the COM port (error 5, in use)
// and show a second tray icon. Every start, with switches or without, first hands itself
// over to the running copy, which then does what the switches ask (CTactiloHub::OnHandOver),
// and ends with status 0 when it answered.
//
// The running copy is found by a named mutex in the session's own namespace ("Local\"),
// named from the user and the executable's path, so another user's copy, a copy in another
// session (Remote Desktop, a second logged-on user) and a copy started from another file
// each keep their own. The running copy's window is published beside it in a named section
// of the same name and announced by a named event, so a start that comes while the first
// copy is still starting waits for its window rather than guessing.
//
//   what the start finds                           Claim       this start
//   no mutex of that name                          Resident    runs, publishes its window
//   a mutex, a window that takes the hand-over     HandedOver  ends with status 0
//   a mutex, no window published within the wait,  NoAnswer    ends with a message (the
//   or a window that does not answer in time                   other copy hangs)
//
// The hand-over is a WM_COPYDATA to that window: dwData HAND_OVER_DATA, the switches as
// UTF-8 arguments ("/cs"; empty for none). The window answers TRUE at once and acts on it
// from its own queue, since the switches may calibrate, which takes as long as the user.
class CWin32SingleInstance {
public:
    enum class Claim { Resident, HandedOver, NoAnswer };

    // The tag of a hand-over in COPYDATASTRUCT::dwData ("Tact").
    static constexpr ULONG_PTR HAND_OVER_DATA = 0x54616374;
    // The longest switch string a hand-over carries; anything longer is not one of ours.
    static constexpr DWORD MAX_HAND_OVER_BYTES = 256;

    explicit CWin32SingleInstance(std::wstring strName);
    ~CWin32SingleInstance();
    CWin32SingleInstance(const CWin32SingleInstance&) = delete;
    CWin32SingleInstance& operator=(const CWin32SingleInstance&) = delete;

    // "Local\Brenhold-Tactilo-<16 hex digits>": a hash of the user and the executable's path
    // (letter case ignored, as Windows ignores it in paths), since a path may be longer than
    // an object name may be and may hold a backslash, which the name may not.
    static std::wstring InstanceName(const std::string& strUser, const std::string& strExePath);
    // The name for this user and this executable.
    static std::wstring NameForThisProcess();

    // Claims the name or hands the switches over to the copy that holds it, waiting up to
    // nWaitMs for its window and for its answer.
    Claim ClaimOrHandOver(const std::string& strSwitches, DWORD nWaitMs = 10000);
    // The running copy's main window, for the next starts. After a Resident claim only.
    void Publish(HWND hWnd);

    // The switches a WM_COPYDATA carries when it is a hand-over, else nothing.
    static std::optional<std::string> ReadHandOver(const COPYDATASTRUCT& data);

private:
    bool OpenShared();
    HWND WaitForWindow(DWORD nWaitMs) const;

    std::wstring m_strName;
    HANDLE m_hMutex = nullptr;
    HANDLE m_hSection = nullptr;
    HANDLE m_hReady = nullptr;  // manual-reset: set once a window is published
    volatile LONG64* m_pWindow = nullptr;
};
