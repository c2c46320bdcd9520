#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/DetectRun.h"
#include "devices/DeviceSettings.h"
#include "devices/DeviceSettingsValues.h"
#include "devices/TouchDevice.h"
#include "qt/ThreadCalls.h"
#include "serial/PortChoices.h"

class IMessageBox;
class IMonitorSource;
class IPortSystem;
class ISerialLine;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

// "Device Settings": one device's name, monitor, COM port, baud rate, Connect and X/Y-Swap.
// The Qt view of CDeviceSettings, which decides what is listed, preselected, refused and
// saved; this dialog shows it and hands back what the user chose.
//
// Used like the dialog-template dialogs it replaces: the caller sets the values (the
// DeviceSettingsValues part) and, for Modify, m_bModify, runs it modally, and after Save reads
// the values back.
//
//   control (objectName)        | shows                         | Save reads
//   ----------------------------+-------------------------------+---------------------------
//   Connect (ctl1012)           | m_bConnect                    | the tick
//   Device name (ctl1013)       | m_strName                     | the text
//   Monitor (ctl1014)           | CDeviceSettings::Monitors()   | the row
//   Com port (ctl1015)          | CDeviceSettings::Ports()      | the row
//   Baud rate (ctl1016)         | CDeviceSettings::BAUD_RATES   | the row
//   X/Y-Swap (ctl1019)          | m_bSwapXY                     | the tick
//   Save (ctl1), Cancel (ctl2)  |                               |
//   Detect (ctlDetect)          | beside the baud rate; selects the rate CBaudDetector finds
//   (ctlDetectProgress)         | while detecting: the rate being tried
//
// Detect listens at each rate in turn for up to two seconds on a thread of its own, with the
// event loop running; the dialog stays usable and Cancel or closing ends the search.
class CSelectConnection final : public QDialog,
                                public DeviceSettingsValues,
                                private IDetectRunView {
    Q_OBJECT
public:
    // Which ports there are and what stands behind them: CUdevPortSystem in the program.
    using Dependencies = CDeviceSettings::Dependencies;

    explicit CSelectConnection(Dependencies dependencies, QWidget* pParent = nullptr);
    ~CSelectConnection() override;

    // Runs a dialog modally on values; true after Save, with values read back.
    static bool RunModal(DeviceSettingsValues& values, bool bModify, Dependencies dependencies,
                         QWidget* pParent = nullptr);

    // Edit an existing device: preselect its monitor, port and baud rate.
    bool m_bModify = false;

    // The dialog's data exchange: true reads the name and the check boxes into the values and
    // validates them (false, after a message, when the name is refused); false fills them.
    bool UpdateData(bool bSaveAndValidate);

    // Runs when the dialog is first shown, before it appears.
    void OnInitDialog();
    void FillMonitorCombo(QComboBox* pCombo);
    void FillPortCombo(QComboBox* pCombo);
    // Save.
    void OnOK();

    void setVisible(bool bVisible) override;
    void done(int nResult) override;

    // Detect: finds the baud rate of the controller on the chosen port.
    void OnDetect();
    bool Detecting() const { return m_detectRun.Running(); }
    // Where Detect's port reads from (tests hand in their own line) and how long it listens
    // at each rate.
    std::function<std::unique_ptr<ISerialLine>()> m_fnMakeDetectLine;
    int m_nDetectListenMs;

    static constexpr int MAX_NAME_CHARS = CDeviceSettings::MAX_NAME_CHARS;

private:
    void BuildControls();
    CDeviceSettings::Choices ReadControls() const;
    void Focus(CDeviceSettings::Field field);
    // IDetectRunView: what CDetectRun says to show.
    void EnableForDetect(const Enabled& enabled) override;
    void ShowDetectProgress(int nStep, int nSteps, const std::string& strStatus) override;
    void SelectBaudRow(int nRow) override;

    CDeviceSettings m_settings;
    bool m_bInitDone = false;

    QCheckBox* m_pConnect = nullptr;
    QLineEdit* m_pName = nullptr;
    QComboBox* m_pMonitor = nullptr;
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pBaudRate = nullptr;
    QCheckBox* m_pSwapXY = nullptr;
    QPushButton* m_pSave = nullptr;
    QPushButton* m_pDetect = nullptr;
    QProgressBar* m_pDetectProgress = nullptr;

    // The search runs on a thread of m_detectRun; its reports come back through m_calls.
    CThreadCalls m_calls;
    CDetectRun m_detectRun;
};
