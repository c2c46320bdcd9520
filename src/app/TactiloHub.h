#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/MainWindowView.h"
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

class IAutoStart;
class IHoldTimer;
class IMessageBox;
class IMonitorSource;
class IOptionsStore;
class IPointerOutput;
class ISerialLine;
class ITraceSink;
class ITrayShell;
class IUiDispatcher;
class IUiTimer;

// Tray command ids, shared with the tray menu.
constexpr unsigned ID_TRAY_ABOUT = 32775;
constexpr unsigned ID_TRAY_HELP = 32776;
constexpr unsigned ID_TRAY_OPTIONS = 32777;
constexpr unsigned ID_TRAY_EXIT = 32778;
constexpr unsigned ID_SHOW_FROM_TRAY = 32779;
constexpr unsigned ID_HIDE_TO_TRAY = 32780;
constexpr unsigned ID_TOGGLE_TRAY_RIGHT_CLICK = 32781;

// The hub of the program, whatever window shows it: it owns the device lines, the active
// device, the port, the reader thread, the touch processor, the tray icon and the options for
// the whole run, and runs the window's operations. The logic of each part lives in its own
// class; the operations here are the entry points the rest of the program calls. What the
// user sees goes through IMainWindowView; a front end turns its widgets' events into calls
// of these operations.
//
// User-interface thread only, but for the reader thread's own calls into the touch processor
// and the tray icon, and its outage report, which comes back through the dispatcher.
class CTactiloHub final : public ICommandTarget, public IConnectionView, public IDeviceListHost {
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
    // How the hub reaches the user-interface thread. The owner wires the expiries: the hold
    // timer's to OnTimer, the reconnect timer's to OnReconnectTimer.
    struct Seams {
        IHoldTimer& holdTimer;
        IUiTimer& reconnectTimer;
        IUiDispatcher& dispatcher;
        // Milliseconds of a steady clock for the reader's line guard; empty: the system's.
        std::function<std::uint64_t()> nowMs = {};
    };

    // The switches the program was started with decide the start-up actions and what the
    // autostart entry starts. The view must outlive the hub; only its DeviceListView is asked
    // for before OnInitDialog, and its list's events go to DeviceList().
    CTactiloHub(Services services, Seams seams, IMainWindowView& view,
                const CMyCommandLineInfo& switches);
    ~CTactiloHub() override;
    CTactiloHub(const CTactiloHub&) = delete;
    CTactiloHub& operator=(const CTactiloHub&) = delete;

    // Tray icon, device list, options, the active device connected without messages; the
    // window stays hidden; then the switches' start-up actions. A start without a switch and
    // without a single device shows the Device Manager: a first start would otherwise leave
    // nothing on screen but a grey tray icon.
    bool OnInitDialog();
    // Another start of the program handed over to this running copy with its switches: the
    // calibrating ones calibrate here as they would have there (and the window shows unless
    // they hid it to the tray); every other start shows the Device Manager.
    void OnHandOver(const CMyCommandLineInfo& switches);

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
    void EnableModifyRemove(bool bEnable) override { m_view.EnableModifyRemove(bEnable); }

    // Connection.
    void Connect(bool bConnect, bool bShowErrors) override;
    bool Disconnect();
    void RunReader(bool bStart);
    void ProcessPacket(std::string strPacket);
    // The hold timer ran out.
    void OnTimer(unsigned nId, std::uint64_t nTouch);
    // The reconnect timer ran out: the away device is tried again.
    void OnReconnectTimer();
    // The system announced a new serial device: an away device is tried at once.
    void OnPortAdded();
    // Whether the system announces new serial devices (udev runs and is watched): an away
    // device that is absent then waits for OnPortAdded instead of being retried on a timer.
    void SetPortsAnnounced(bool bAnnounced) { m_bPortsAnnounced = bAnnounced; }

    // Calibration of the active device; the outcome is in m_nStatus.
    void OnCalibrate();
    ScreenRect FindMonitorRect() const;

    // Commands of the tray icon and menu; OnCommand runs each once the tray's own event
    // handling has returned.
    void OnCommand(unsigned nId) override;
    void OnShowFromTray();
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

    // State, for the front end and for tests.
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
    bool ReconnectPending() const;

    // The first and the longest pause between attempts to open an away device.
    static constexpr int FIRST_RECONNECT_PAUSE_MS = 250;
    static constexpr int LAST_RECONNECT_PAUSE_MS = 4000;

    // What the user is told when the active device's line carries no touch screen's data:
    // "COM3 sends data that is not a touch screen's at 2400 baud: ...".
    static std::string LineNoiseText(const TouchDevice& device);

private:
    void InitOptions();
    bool RunStartupActions(bool bSwitchC, bool bSwitchCs, bool bSwitchCsw);
    void TellUnsavedDevices();
    void ConnectAtStartup();
    void ReportStartupFailure();
    void WaitForActiveDevice();
    void OnDeviceGone(unsigned nReaderGeneration);
    void OnLineNoise(unsigned nReaderGeneration);
    void TryReconnect();
    void ScheduleReconnect();
    bool ComesBackAnnounced() const;
    void StopReconnecting();
    void RunCommand(unsigned nId);

    Services m_services;
    Seams m_seams;
    IMainWindowView& m_view;
    CPort m_port;
    CTouchProcessor m_touch;
    CReaderThread m_reader;
    CDeviceConnection m_connection;
    CSystemTray m_trayIcon;
    CDeviceList m_deviceList;
    // The device lines as the file last held them (loaded or saved): what Exit would lose.
    std::vector<std::string> m_vecSavedLines;
    int m_nReconnectPauseMs = 0;
    bool m_bPortsAnnounced = false;
    bool m_bAwaitingPort = false;  // away, absent: the next try comes with an announcement
    bool m_bDestroyed = false;
    bool m_bExiting = false;  // Exit runs: its validation message may be on screen
};
