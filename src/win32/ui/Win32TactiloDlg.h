#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/CommandLine.h"
#include "app/MainWindowView.h"
#include "app/TactiloHub.h"
#include "app/UiDispatcher.h"
#include "win32/ui/Win32DeviceListCtrl.h"
#include "win32/ui/Win32UiTimers.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

class CWin32TrayShell;
class IMonitorSource;
class ITraceSink;

// The main window, "Tactilo - Device Manager", as a modeless dialog from template 102: the
// Win32 view of the hub (CTactiloHub), as CTactiloDlg is the Qt one. It turns the controls'
// commands into the hub's operations and the hub's requests into control changes, runs the
// owned dialogs modally over itself, and brings the hub's timers and queued calls onto the
// window's messages.
//
//   message                          | goes to
//   ---------------------------------+-----------------------------------------------------
//   WM_COMMAND Add/Modify/Remove     | the device list's OnAdd / OnModify / OnRemove
//   WM_COMMAND Calibrate, OK, Cancel | OnCalibrate, OnOkButton, OnCancelButton (ESC too)
//   WM_COMMAND 32775..32781          | the hub's OnCommand (the tray's commands)
//   WM_SYSCOMMAND 0x10               | the About box
//   WM_CLOSE                         | OnHideToTray: the program keeps running in the tray
//   WM_TIMER                         | the hold timer, the reconnect timer
//   WM_COPYDATA from a second start  | OnHandOver with its switches, from the queue
//   the terminate message, WM_QUIT   | OnTerminate: sent to the window, or posted to it (the
//                                    | loop then ends: RunMessageLoop calls it)
class CWin32TactiloDlg final : public IMainWindowView, public IUiDispatcher {
public:
    using Services = CTactiloHub::Services;

    CWin32TactiloDlg(HINSTANCE hInstance, Services services, const CMyCommandLineInfo& switches,
                     UINT nTerminateMessage);
    ~CWin32TactiloDlg() override;
    CWin32TactiloDlg(const CWin32TactiloDlg&) = delete;
    CWin32TactiloDlg& operator=(const CWin32TactiloDlg&) = delete;

    // Creates the hidden window, tells fnCreated its handle (before the hub's initialisation,
    // which may already run modal loops, so that a second start finds the window then), and
    // runs the hub's initialisation.
    bool Create(const std::function<void(HWND)>& fnCreated = {});
    // The program's message loop, until the program ends. A quit that the hub did not ask
    // for (WM_QUIT posted to the window, which GetMessage answers by ending the loop, or to
    // the thread) ends the program as the terminate message does. Returns the exit status.
    int RunMessageLoop();
    // Hiding and restoring play the caption animation to and from the icon's place.
    void SetTrayShell(CWin32TrayShell* pTrayShell) { m_pTrayShell = pTrayShell; }
    HWND Window() const { return m_hWnd; }
    CTactiloHub& Hub() { return *m_pHub; }
    // Modal mode shows the window once the message loop runs.
    void ShowModalWindow();

    // IMainWindowView.
    IDeviceListView& DeviceListView() override { return m_listDevices; }
    void HideWindow() override;
    void RestoreWindow() override;
    void EnableCalibrate(bool bEnable) override;
    void EnableModifyRemove(bool bEnable) override;
    OptionControls GetOptionControls() const override;
    void SetOptionControls(const OptionControls& controls) override;
    void FocusDelay() override;
    bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) override;
    void RunCalibration(CalibrationRun& run) override;
    void ShowAbout() override;
    std::string OpenHelp() override;
    void EndOwnedDialogs() override;
    void EndProgram() override;

    // IUiDispatcher: from any thread; dropped once the window is gone.
    void Post(std::function<void()> fnCall) override;

private:
    // Queued calls wait in the window's queue: this message says there are some.
    static constexpr UINT WM_RUN_POSTED = WM_APP + 2;

    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void OnInitControls();
    void OnCommand(UINT nId);
    void RunPosted();

    HINSTANCE m_hInstance;
    IMonitorSource& m_monitors;
    IMessageBox& m_messages;
    ITraceSink& m_trace;
    UINT m_nTerminateMessage;
    HWND m_hWnd = nullptr;
    HWND m_hAbout = nullptr;  // the About box while it is open
    CWin32TrayShell* m_pTrayShell = nullptr;
    bool m_bEndRequested = false;  // the hub ended the program (EndProgram)
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CWin32DeviceListCtrl m_listDevices;
    CWin32HoldTimer m_holdTimer;
    CWin32UiTimer m_reconnectTimer;
    std::unique_ptr<CTactiloHub> m_pHub;

    std::mutex m_mutex;  // guards the queue and the window handle Post uses
    HWND m_hPostTarget = nullptr;
    std::deque<std::function<void()>> m_posted;
};
