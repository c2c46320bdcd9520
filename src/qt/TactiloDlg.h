#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/MainWindowView.h"
#include "app/TactiloHub.h"
#include "app/UiDispatcher.h"
#include "linux/UdevPortSystem.h"
#include "qt/QtUiTimer.h"
#include "qt/ThreadCalls.h"

class CDeviceListCtrl;
class CQtHoldTimer;
class CUdevMonitor;
class QPushButton;
class QSocketNotifier;

// The main window, "Tactilo - Device Manager": the Qt view of the hub (CTactiloHub), which
// owns the program's run-time state and decides everything. This window builds the controls,
// turns their events into the hub's operations and the hub's requests into widget changes,
// runs the dialogs modally over itself, and brings the hub's timers and queued calls onto
// Qt's event loop. The operations below only forward, so that the program's entry points keep
// their names on the window.
class CTactiloDlg final : public QDialog, public IMainWindowView, public IUiDispatcher {
    Q_OBJECT
public:
    using Services = CTactiloHub::Services;

    CTactiloDlg(Services services, const CMyCommandLineInfo& switches, QWidget* pParent = nullptr);
    ~CTactiloDlg() override;

    CTactiloHub& Hub() { return *m_pHub; }

    bool OnInitDialog();
    // Modal mode shows the window once its loop runs, leaving the tray's commands as they are.
    void ShowModalWindow();
    void OnShowFromTray() { m_pHub->OnShowFromTray(); }
    void OnHideToTray() { m_pHub->OnHideToTray(); }
    void OnToggleTrayRightClick() { m_pHub->OnToggleTrayRightClick(); }
    void OnTrayExit() { m_pHub->OnTrayExit(); }
    void OnTrayAbout() { m_pHub->OnTrayAbout(); }
    void OnTerminate() { m_pHub->OnTerminate(); }
    void OnOkButton() { m_pHub->OnOkButton(); }
    void OnCancelButton() { m_pHub->OnCancelButton(); }
    void OnCalibrate() { m_pHub->OnCalibrate(); }
    void Connect(bool bConnect, bool bShowErrors) { m_pHub->Connect(bConnect, bShowErrors); }
    bool GetRowCheck(int nRow) const { return m_pHub->GetRowCheck(nRow); }
    CDeviceList& DeviceList() { return m_pHub->DeviceList(); }
    CTouchProcessor& Touch() { return m_pHub->Touch(); }
    CSystemTray& TrayIcon() { return m_pHub->TrayIcon(); }
    CPort& Port() { return m_pHub->Port(); }
    bool ReconnectPending() const { return m_pHub->ReconnectPending(); }

    // IMainWindowView.
    IDeviceListView& DeviceListView() override;
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

signals:
    // Exit was chosen: the program ends once this window is gone.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // ESC works as Cancel: it keeps the program running in the tray.
    void reject() override;

private:
    void BuildWindow();
    void WatchDevices();
    void OnDeviceAnnounced();

    IMonitorSource& m_monitors;
    IMessageBox& m_messages;
    ITraceSink& m_trace;
    CDeviceListCtrl* m_pListDevices = nullptr;  // 1001
    QPushButton* m_pModify = nullptr;           // 1003
    QPushButton* m_pRemove = nullptr;           // 1004
    QPushButton* m_pCalibrate = nullptr;        // 1005
    std::unique_ptr<CQtHoldTimer> m_pHoldTimer;
    CQtUiTimer m_reconnectTimer;   // while the active device is away
    CUdevPortSystem m_portSystem;  // what the Device Settings port list shows
    // The reader thread's calls to this one; made before the hub, whose reader posts here,
    // and so gone only after it.
    CThreadCalls m_threadCalls;
    std::unique_ptr<CTactiloHub> m_pHub;
    std::unique_ptr<CUdevMonitor> m_pDeviceMonitor;      // not watching without udevd
    std::unique_ptr<QSocketNotifier> m_pDeviceNotifier;  // gone before the monitor's socket
};
