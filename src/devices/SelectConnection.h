#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/DeviceSettingsValues.h"
#include "devices/TouchDevice.h"
#include "serial/PortChoices.h"

class IMessageBox;
class IMonitorSource;
class IPortSystem;
class QCheckBox;
class QComboBox;
class QLineEdit;

// "Device Settings": one device's name, monitor, COM port, baud rate, Connect and X/Y-Swap.
//
// Used like the dialog-template dialogs it replaces: the caller sets the values (the
// DeviceSettingsValues part) and, for Modify, m_bModify, runs it modally, and after Save reads
// the values back. It offers the monitors that exist and the ports there are, each with what
// stands behind it (ListPortChoices), found anew each time it opens without opening any.
// The one thing it writes itself is the COMn link of a newly detected adapter chosen at Save.
//
//   control (objectName)        | filled from                 | Save reads into
//   ----------------------------+-----------------------------+-----------------------------
//   Connect (ctl1012)           | m_bConnect                  | m_bConnect
//   Device name (ctl1013)       | m_strName                   | m_strName, at most 20
//                               |                             | characters, no ';' or break
//   Monitor (ctl1014)           | the monitors; Modify picks  | m_strMonitor, m_rcMonitor of
//                               | m_strMonitor, else the 1st  | the entry; none: both kept
//   Com port (ctl1015)          | ListPortChoices; Modify     | m_strPort ("COMn"); none: ""
//                               | picks m_strPort             | a new adapter is linked first
//   Baud rate (ctl1016)         | 9600 4800 2400 1200, 2400;  | m_strBaudRate; none: ""
//                               | Modify picks m_strBaudRate  |
//   X/Y-Swap (ctl1019)          | m_bSwapXY                   | m_bSwapXY
//   Save (ctl1), Cancel (ctl2)  |                             |
//
// Modify picks entries by case-insensitive whole-text match; an empty or unknown value picks
// nothing. A name or monitor holding ';' or a line break is refused at Save with a message,
// and the dialog stays open: the settings line has no escape, so a ';' would shift every later
// field of the device when it is read again.
class CSelectConnection final : public QDialog, public DeviceSettingsValues {
    Q_OBJECT
public:
    struct Dependencies {
        IMonitorSource& monitors;
        // Which ports there are and what stands behind them (CUdevPortSystem in the program).
        IPortSystem& portSystem;
        IMessageBox& messages;
    };

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

    static constexpr int MAX_NAME_CHARS = 20;

private:
    struct MonitorEntry {
        std::string strName;
        ScreenRect rcMonitor;
    };

    void BuildControls();
    bool RefuseText(const std::string& strText, const char* szMessage, QWidget* pFocus);

    Dependencies m_deps;
    // The ports of this opening, entry i for row i of the Com port box.
    std::vector<PortChoice> m_vecPortTable;
    // The monitors of this opening, entry i for row i of the Monitor box.
    std::vector<MonitorEntry> m_vecMonitorTable;
    bool m_bInitDone = false;

    QCheckBox* m_pConnect = nullptr;
    QLineEdit* m_pName = nullptr;
    QComboBox* m_pMonitor = nullptr;
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pBaudRate = nullptr;
    QCheckBox* m_pSwapXY = nullptr;
};
