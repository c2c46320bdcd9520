#include "devices/SelectConnection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/MessageBox.h"
#include "devices/LegacyText.h"
#include "monitors/Monitor.h"
#include "monitors/Monitors.h"
#include "serial/PortChoices.h"

namespace {

// Dialog units: a quarter of the average character width across, an eighth of the character
// height down, so the dialog keeps its proportions with any font.
class CDialogUnits {
public:
    explicit CDialogUnits(const QWidget* pWidget) {
        const QFontMetrics metrics(pWidget->font());
        m_dX = metrics.averageCharWidth() / 4.0;
        m_dY = metrics.height() / 8.0;
    }
    QRect Rect(int x, int y, int w, int h) const {
        return QRect(qRound(x * m_dX), qRound(y * m_dY), qRound(w * m_dX), qRound(h * m_dY));
    }
    // The template's place, grown to what the control needs to show its text in this font.
    void Place(QWidget* pWidget, int x, int y, int w, int h) const {
        QRect rect = Rect(x, y, w, h);
        const QSize hint = pWidget->sizeHint();
        rect.setWidth(std::max(rect.width(), hint.width()));
        rect.setHeight(std::max(rect.height(), hint.height()));
        pWidget->setGeometry(rect);
    }

private:
    double m_dX;
    double m_dY;
};

const char* const g_szBaudRates[] = {"9600", "4800", "2400", "1200"};
constexpr int DEFAULT_BAUD_ENTRY = 2;  // "2400"

const char* const g_szNameTooLong = "Please enter no more than 20 characters.";
const char* const g_szNameRefused =
    "The device name cannot contain a semicolon (;) or a line break.";
const char* const g_szMonitorRefused =
    "The name of the chosen monitor contains a semicolon (;) or a line break, which the "
    "settings cannot hold. Please choose another monitor.";

// The settings line has no escape: a ';' ends a field, a line break ends the device.
bool FitsSettingsLine(const std::string& strText) {
    return strText.find_first_of(";\r\n") == std::string::npos;
}

const char* const g_szLinkFailed = "The port could not be set up as %1: %2.";

void SelectExact(QComboBox* pCombo, const std::string& strValue) {
    if (strValue.empty()) {
        pCombo->setCurrentIndex(-1);
        return;
    }
    // Case-insensitive, whole entry; a value from a Windows file is compared as it is shown.
    pCombo->setCurrentIndex(
        pCombo->findText(QString::fromStdString(DisplayText(strValue)), Qt::MatchFixedString));
}

}  // namespace

CSelectConnection::CSelectConnection(Dependencies dependencies, QWidget* pParent)
    : QDialog(pParent), m_deps(std::move(dependencies)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Modal to the main window only, so that the tray icon keeps working.
    setWindowModality(Qt::WindowModal);
    BuildControls();
}

CSelectConnection::~CSelectConnection() = default;

bool CSelectConnection::RunModal(DeviceSettingsValues& values, bool bModify,
                                 Dependencies dependencies, QWidget* pParent) {
    CSelectConnection dlg(std::move(dependencies), pParent);
    static_cast<DeviceSettingsValues&>(dlg) = values;
    dlg.m_bModify = bModify;
    if (dlg.exec() != QDialog::Accepted) {
        return false;
    }
    values = static_cast<const DeviceSettingsValues&>(dlg);
    return true;
}

void CSelectConnection::BuildControls() {
    setObjectName("dlg131");
    setWindowTitle("Device Settings");
    const CDialogUnits units(this);
    setFixedSize(units.Rect(0, 0, 268, 151).size());

    // Created in the template's order, which is the tab order.
    m_pConnect = new QCheckBox("Connect", this);
    m_pConnect->setObjectName("ctl1012");
    units.Place(m_pConnect, 7, 7, 43, 10);

    auto* pNameLabel = new QLabel("Device name", this);
    units.Place(pNameLabel, 7, 29, 42, 8);
    m_pName = new QLineEdit(this);
    m_pName->setObjectName("ctl1013");
    units.Place(m_pName, 7, 41, 185, 14);
    // Like a limited edit control: typing cannot make the name longer than 20 characters,
    // but a longer name that comes from the device file is shown whole (and refused at Save
    // until it is shortened) instead of being cut without a word. So the limit is the longer
    // of 20 and the text, and follows the text down as the user shortens it.
    connect(m_pName, &QLineEdit::textChanged, this, [this](const QString& strText) {
        m_pName->setMaxLength(std::max<int>(MAX_NAME_CHARS, static_cast<int>(strText.size())));
    });

    auto* pMonitorLabel = new QLabel("Monitor", this);
    units.Place(pMonitorLabel, 7, 66, 59, 12);
    m_pMonitor = new QComboBox(this);
    m_pMonitor->setObjectName("ctl1014");
    units.Place(m_pMonitor, 72, 66, 120, 12);

    auto* pPortLabel = new QLabel("Com port", this);
    units.Place(pPortLabel, 6, 90, 54, 12);
    m_pPort = new QComboBox(this);
    m_pPort->setObjectName("ctl1015");
    units.Place(m_pPort, 72, 90, 120, 12);

    auto* pBaudLabel = new QLabel("Baud rate", this);
    units.Place(pBaudLabel, 6, 114, 60, 12);
    m_pBaudRate = new QComboBox(this);
    m_pBaudRate->setObjectName("ctl1016");
    for (const char* szRate : g_szBaudRates) {
        m_pBaudRate->addItem(szRate);
    }
    units.Place(m_pBaudRate, 72, 114, 120, 12);

    m_pSwapXY = new QCheckBox("X/Y-Swap", this);
    m_pSwapXY->setObjectName("ctl1019");
    units.Place(m_pSwapXY, 7, 135, 47, 10);

    auto* pSave = new QPushButton("Save", this);
    pSave->setObjectName("ctl1");
    pSave->setDefault(true);
    units.Place(pSave, 210, 6, 50, 14);
    connect(pSave, &QPushButton::clicked, this, &CSelectConnection::OnOK);

    auto* pCancel = new QPushButton("Cancel", this);
    pCancel->setObjectName("ctl2");
    units.Place(pCancel, 210, 24, 50, 14);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);

    pNameLabel->setBuddy(m_pName);
    pMonitorLabel->setBuddy(m_pMonitor);
    pPortLabel->setBuddy(m_pPort);
    pBaudLabel->setBuddy(m_pBaudRate);
}

void CSelectConnection::setVisible(bool bVisible) {
    if (bVisible && !m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::setVisible(bVisible);
}

void CSelectConnection::OnInitDialog() {
    UpdateData(false);
    FillMonitorCombo(m_pMonitor);
    if (m_pMonitor->count() > 0) {
        m_pMonitor->setCurrentIndex(0);
    }
    FillPortCombo(m_pPort);
    if (m_pPort->count() > 0) {
        m_pPort->setCurrentIndex(0);
    }
    m_pBaudRate->setCurrentIndex(DEFAULT_BAUD_ENTRY);
    if (m_bModify) {
        SelectExact(m_pMonitor, m_strMonitor);
        // The stored "COMn", whatever its case, against each entry's COMn.
        m_pPort->setCurrentIndex(
            m_strPort.empty() ? -1
                              : m_pPort->findData(QString::fromStdString(DisplayText(m_strPort)),
                                                  Qt::UserRole, Qt::MatchFixedString));
        SelectExact(m_pBaudRate, m_strBaudRate);
    }
    // Validates what the caller gave: a name from the file that is too long is reported now.
    UpdateData(true);
    m_pConnect->setFocus();
}

void CSelectConnection::FillMonitorCombo(QComboBox* pCombo) {
    pCombo->clear();
    m_vecMonitorTable.clear();
    const CMonitors monitors(m_deps.monitors);
    for (int i = 0; i < monitors.GetCount(); ++i) {
        const CMonitor monitor = monitors.GetMonitor(i);
        std::string strDeviceName;
        monitor.GetDeviceName(strDeviceName);
        MonitorEntry entry;
        entry.strName = MonitorName(strDeviceName);
        monitor.GetMonitorRect(&entry.rcMonitor);
        pCombo->addItem(QString::fromStdString(entry.strName));
        m_vecMonitorTable.push_back(entry);
    }
}

void CSelectConnection::FillPortCombo(QComboBox* pCombo) {
    pCombo->clear();
    m_vecPortTable = ListPortChoices(m_deps.portSystem);
    for (const PortChoice& choice : m_vecPortTable) {
        // Entries show what stands behind a port; the data is the name that is stored.
        pCombo->addItem(QString::fromStdString(choice.strText), QString("COM%1").arg(choice.nPort));
    }
}

bool CSelectConnection::RefuseText(const std::string& strText, const char* szMessage,
                                   QWidget* pFocus) {
    if (FitsSettingsLine(strText)) {
        return false;
    }
    m_deps.messages.Show(szMessage, MessageIcon::Exclamation);
    pFocus->setFocus();
    return true;
}

bool CSelectConnection::UpdateData(bool bSaveAndValidate) {
    if (!bSaveAndValidate) {
        const QString strName = QString::fromStdString(DisplayText(m_strName));
        m_pName->setMaxLength(std::max<int>(MAX_NAME_CHARS, static_cast<int>(strName.size())));
        m_pName->setText(strName);
        m_pConnect->setChecked(m_bConnect != 0);
        m_pSwapXY->setChecked(m_bSwapXY != 0);
        return true;
    }
    const QString strName = m_pName->text();
    // A name left as it was shown keeps its bytes, whatever code page they are in.
    m_strName = StoredText(strName.toStdString(), m_strName);
    if (strName.size() > MAX_NAME_CHARS) {
        m_deps.messages.Show(g_szNameTooLong, MessageIcon::Exclamation);
        m_pName->setFocus();
        m_pName->selectAll();
        return false;
    }
    if (RefuseText(m_strName, g_szNameRefused, m_pName)) {
        m_pName->selectAll();
        return false;
    }
    m_bConnect = m_pConnect->isChecked() ? 1 : 0;
    m_bSwapXY = m_pSwapXY->isChecked() ? 1 : 0;
    return true;
}

void CSelectConnection::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    const int nPortRow = m_pPort->currentIndex();
    const bool bPortChosen = nPortRow >= 0 && nPortRow < static_cast<int>(m_vecPortTable.size());
    if (bPortChosen && !m_vecPortTable[static_cast<std::size_t>(nPortRow)].strLinkTarget.empty()) {
        // A detected adapter no COMn reaches yet becomes the lowest free COMn, linked to its
        // by-id path so that it keeps its name across replugging and renumbering.
        PortChoice& choice = m_vecPortTable[static_cast<std::size_t>(nPortRow)];
        if (const int nError = m_deps.portSystem.LinkPort(choice.nPort, choice.strLinkTarget)) {
            m_deps.messages.Show(QString(g_szLinkFailed)
                                     .arg(QString("COM%1").arg(choice.nPort),
                                          QString::fromLocal8Bit(std::strerror(nError)))
                                     .toStdString(),
                                 MessageIcon::Exclamation);
            m_pPort->setFocus();
            return;
        }
        choice.strLinkTarget.clear();
    }
    m_strPort = bPortChosen ? StoredText(m_pPort->currentData().toString().toStdString(), m_strPort)
                            : std::string();
    const bool bBaudChosen = m_pBaudRate->count() > 0 && m_pBaudRate->currentIndex() != -1;
    m_strBaudRate = bBaudChosen
                        ? StoredText(m_pBaudRate->currentText().toStdString(), m_strBaudRate)
                        : std::string();
    const int nMonitor = m_pMonitor->currentIndex();
    if (nMonitor >= 0 && nMonitor < static_cast<int>(m_vecMonitorTable.size())) {
        const MonitorEntry& entry = m_vecMonitorTable[static_cast<std::size_t>(nMonitor)];
        if (RefuseText(entry.strName, g_szMonitorRefused, m_pMonitor)) {
            return;
        }
        m_rcMonitor = entry.rcMonitor;
        m_strMonitor = StoredText(entry.strName, m_strMonitor);
    }
    accept();
}
