#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Options.h"
#include "app/ThreadCalls.h"
#include "devices/DeviceLines.h"
#include "devices/DeviceList.h"
#include "devices/DeviceListHost.h"
#include "devices/DeviceStore.h"
#include "devices/TouchDevice.h"
#include "serial/ConnectionView.h"
#include "serial/DeviceConnection.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"
#include "tray/CommandTarget.h"
#include "tray/SystemTray.h"

class CQtHoldTimer;
class IAutoStart;
class IMessageBox;
class IMonitorSource;
class IPointerOutput;
class ISerialLine;
class ITraceSink;
class ITrayShell;
class CDeviceListCtrl;
class QPushButton;

// Tray command ids, shared with the tray menu.
constexpr unsigned ID_TRAY_ABOUT = 32775;
constexpr unsigned ID_TRAY_HELP = 32776;
constexpr unsigned ID_TRAY_OPTIONS = 32777;
constexpr unsigned ID_TRAY_EXIT = 32778;
constexpr unsigned ID_SHOW_FROM_TRAY = 32779;
constexpr unsigned ID_HIDE_TO_TRAY = 32780;
constexpr unsigned ID_TOGGLE_TRAY_RIGHT_CLICK = 32781;

// The main window, "Tactilo - Device Manager", and the hub of the program: it owns the
// device lines, the active device, the port, the reader thread, the touch processor, the
// tray icon and the options for the whole run. The logic of each part lives in its own class;
// the operations here are the entry points the rest of the program calls.
class CTactiloDlg final : public QDialog,
                          public ICommandTarget,
                          public IConnectionView,
                          public IDeviceListHost {
    Q_OBJECT
public:
    // Everything from the platform, handed in so that tests can use their own.
    struct Services {
        IPointerOutput& readerOutput;  // used on the reader thread only
        IPointerOutput& uiOutput;      // used on the user-interface thread only
        IMonitorSource& monitors;
        ITraceSink& trace;
        IMessageBox& messages;
        ITrayShell& trayShell;
        std::unique_ptr<ISerialLine> pLine;  // the active device's serial line
        std::function<void(int nMs)> sleepMs;
        IOptionsStore& options;
        IAutoStart& autoStart;
        CDeviceStore& deviceStore;
    };

    // The switches the program was started with decide the start-up actions and what the
    // autostart entry starts.
    CTactiloDlg(Services services, const CMyCommandLineInfo& switches, QWidget* pParent = nullptr);
    ~CTactiloDlg() override;

    // Tray icon, device list, options, the active device connected without messages; the
    // window stays hidden.
    bool OnInitDialog();

    // Data exchange between the options and their controls: false (with a message) when the
    // right-click delay is not a number from 0 to 5000.
    bool UpdateData(bool bSaveAndValidate) override;
    void OnOkButton();
    void OnCancelButton();
    bool LoadDevices();
    bool SaveDevices();

    // The device list: its rows, the active device, Add, Modify, Remove and the check boxes.
    CDeviceList& DeviceList() { return m_deviceList; }
    bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) override;

    // Connection.
    void Connect(bool bConnect, bool bShowErrors) override;
    bool Disconnect();
    void RunReader(bool bStart);
    void ProcessPacket(std::string strPacket);
    void OnTimer(unsigned nId, std::uint64_t nTouch);

    // Calibration of the active device; the outcome is in m_nStatus.
    void OnCalibrate();
    ScreenRect FindMonitorRect() const;

    // Commands of the tray icon and menu.
    void OnCommand(unsigned nId) override;
    void OnShowFromTray();
    // Modal mode shows the window once its loop runs, leaving the tray's commands as they are.
    void ShowModalWindow();
    void OnHideToTray();
    void OnToggleTrayRightClick();
    void OnTrayExit();
    void OnTrayAbout();
    void OnTrayHelp();
    void OnDestroy();
    // SIGTERM, SIGINT, SIGHUP: the icon goes, the reader stops, nothing is saved.
    void OnTerminate();

    // IConnectionView.
    void SetTrayIcon(unsigned nIconId) override;
    void SetTrayTooltip(const std::string& strText) override;
    bool GetRowCheck(int nRow) const override;
    void SetRowCheck(int nRow, bool bChecked) override;
    void EnableCalibrate(bool bEnable) override;

    // State, for the shell and for tests.
    std::uint32_t m_nStatus = 0;
    CDeviceLines m_arrDeviceLines;
    TouchDevice m_activeDevice;
    // The options as the controls last accepted them.
    unsigned m_nRightClickTime = 0;
    std::string m_strPrecision;
    bool m_bAutoStart = false;
    bool m_bSwitchC = false;
    bool m_bSwitchCs = false;
    bool m_bSwitchCsw = false;
    bool m_bSwitchS = false;
    bool m_bSwitchInstall = false;
    CTouchProcessor& Touch() { return m_touch; }
    CSystemTray& TrayIcon() { return m_trayIcon; }
    CPort& Port() { return m_port; }
    bool ReconnectPending() const { return m_reconnectTimer.isActive(); }

signals:
    // Exit was chosen: the program ends once this window is gone.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // ESC works as Cancel: it keeps the program running in the tray.
    void reject() override;

private:
    void BuildWindow();
    void InitOptions();
    void RunStartupActions();
    // Ends every dialog of ours still open (About, Device Settings, a message box, the
    // calibration page) as Cancel, or ESC for the page; their modal loops return afterwards.
    void EndOwnedDialogs();
    void ConnectAtStartup();
    void ReportStartupFailure();
    void WaitForActiveDevice();
    void OnDeviceGone(unsigned nReaderGeneration);
    void TryReconnect();
    void StopReconnecting();

    Services m_services;
    CPort m_port;
    std::unique_ptr<CQtHoldTimer> m_pHoldTimer;
    CTouchProcessor m_touch;
    CReaderThread m_reader;
    CDeviceConnection m_connection;
    CSystemTray m_trayIcon;
    QTimer m_reconnectTimer;     // while the active device is away
    CThreadCalls m_readerCalls;  // the reader thread's reports
    int m_nReconnectPauseMs = 0;
    bool m_bDestroyed = false;
    bool m_bExiting = false;  // Exit runs: its validation message may be on screen

    CDeviceListCtrl* m_pListDevices = nullptr;  // 1001
    QPushButton* m_pCalibrate = nullptr;        // 1005
    CDeviceList m_deviceList;
};
