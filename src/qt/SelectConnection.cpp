#include "qt/SelectConnection.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "devices/LegacyText.h"
#include "linux/PosixSerialLine.h"
#include "serial/BaudDetector.h"

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

}  // namespace

CSelectConnection::CSelectConnection(Dependencies dependencies, QWidget* pParent)
    : QDialog(pParent),
      m_nDetectListenMs(CBaudDetector::LISTEN_MS),
      m_settings(dependencies),
      m_detectRun(m_settings, *this, m_calls, [this]() -> std::unique_ptr<ISerialLine> {
          if (m_fnMakeDetectLine) {
              return m_fnMakeDetectLine();
          }
          return std::make_unique<CPosixSerialLine>();
      }) {
    // A fixed-size window offers no maximize button that would do nothing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Modal to the main window only, so that the tray icon keeps working.
    setWindowModality(Qt::WindowModal);
    BuildControls();
}

CSelectConnection::~CSelectConnection() {
    m_detectRun.Stop();
}

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
    // The limit follows the text (CDeviceSettings::NameLimit).
    connect(m_pName, &QLineEdit::textChanged, this, [this](const QString& strText) {
        m_pName->setMaxLength(CDeviceSettings::NameLimit(strText.toStdString()));
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
    for (const char* szRate : CDeviceSettings::BAUD_RATES) {
        m_pBaudRate->addItem(szRate);
    }
    units.Place(m_pBaudRate, 72, 114, 120, 12);

    m_pDetect = new QPushButton("Detect", this);
    m_pDetect->setObjectName("ctlDetect");
    m_pDetect->setAutoDefault(false);
    units.Place(m_pDetect, 198, 113, 50, 14);
    connect(m_pDetect, &QPushButton::clicked, this, &CSelectConnection::OnDetect);

    m_pSwapXY = new QCheckBox("X/Y-Swap", this);
    m_pSwapXY->setObjectName("ctl1019");
    units.Place(m_pSwapXY, 7, 135, 47, 10);

    auto* pSave = new QPushButton("Save", this);
    pSave->setObjectName("ctl1");
    pSave->setDefault(true);
    units.Place(pSave, 210, 6, 50, 14);
    connect(pSave, &QPushButton::clicked, this, &CSelectConnection::OnOK);
    m_pSave = pSave;

    auto* pCancel = new QPushButton("Cancel", this);
    pCancel->setObjectName("ctl2");
    units.Place(pCancel, 210, 24, 50, 14);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Shown only while Detect runs, in the free room right of X/Y-Swap.
    m_pDetectProgress = new QProgressBar(this);
    m_pDetectProgress->setObjectName("ctlDetectProgress");
    m_pDetectProgress->setRange(0, static_cast<int>(CDeviceSettings::BAUD_RATES.size()));
    m_pDetectProgress->setTextVisible(true);
    m_pDetectProgress->setGeometry(units.Rect(62, 133, 198, 12));
    m_pDetectProgress->hide();

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
    m_settings.Open(*this, m_bModify);
    UpdateData(false);
    FillMonitorCombo(m_pMonitor);
    FillPortCombo(m_pPort);
    const CDeviceSettings::Choices& initial = m_settings.Initial();
    m_pMonitor->setCurrentIndex(initial.nMonitor);
    m_pPort->setCurrentIndex(initial.nPort);
    m_pBaudRate->setCurrentIndex(initial.nBaudRate);
    // Validates what the caller gave: a name from the file that is too long is reported now.
    UpdateData(true);
    m_pConnect->setFocus();
}

void CSelectConnection::FillMonitorCombo(QComboBox* pCombo) {
    pCombo->clear();
    for (const CDeviceSettings::MonitorEntry& entry : m_settings.Monitors()) {
        pCombo->addItem(QString::fromStdString(entry.strName));
    }
}

void CSelectConnection::FillPortCombo(QComboBox* pCombo) {
    pCombo->clear();
    for (const PortChoice& choice : m_settings.Ports()) {
        // Entries show what stands behind a port; the data is the name that is stored.
        pCombo->addItem(QString::fromStdString(choice.strText), QString("COM%1").arg(choice.nPort));
    }
    // The box keeps the template's width; its list opens as wide as the longest entry, so
    // "— no permission (group dialout)" is not cut.
    QAbstractItemView* pList = pCombo->view();
    int nWidest = 0;
    for (int i = 0; i < pCombo->count(); ++i) {
        nWidest = std::max(nWidest, pList->fontMetrics().horizontalAdvance(pCombo->itemText(i)));
    }
    const QStyle* pStyle = pList->style();
    pList->setMinimumWidth(nWidest + 2 * pList->frameWidth() +
                           2 * pStyle->pixelMetric(QStyle::PM_FocusFrameHMargin) +
                           pStyle->pixelMetric(QStyle::PM_ScrollBarExtent));
}

CDeviceSettings::Choices CSelectConnection::ReadControls() const {
    CDeviceSettings::Choices choices;
    choices.strName = m_pName->text().toStdString();
    choices.bConnect = m_pConnect->isChecked();
    choices.bSwapXY = m_pSwapXY->isChecked();
    choices.nMonitor = m_pMonitor->currentIndex();
    choices.nPort = m_pPort->currentIndex();
    choices.nBaudRate = m_pBaudRate->count() > 0 ? m_pBaudRate->currentIndex() : -1;
    return choices;
}

void CSelectConnection::Focus(CDeviceSettings::Field field) {
    switch (field) {
        case CDeviceSettings::Field::Name:
            m_pName->setFocus();
            m_pName->selectAll();
            break;
        case CDeviceSettings::Field::Monitor:
            m_pMonitor->setFocus();
            break;
        case CDeviceSettings::Field::Port:
            m_pPort->setFocus();
            break;
        case CDeviceSettings::Field::None:
            break;
    }
}

bool CSelectConnection::UpdateData(bool bSaveAndValidate) {
    if (!bSaveAndValidate) {
        const QString strName = QString::fromStdString(m_settings.ShownName());
        m_pName->setMaxLength(CDeviceSettings::NameLimit(m_settings.ShownName()));
        m_pName->setText(strName);
        m_pConnect->setChecked(m_settings.Values().m_bConnect != 0);
        m_pSwapXY->setChecked(m_settings.Values().m_bSwapXY != 0);
        return true;
    }
    CDeviceSettings::Field refused = CDeviceSettings::Field::None;
    const bool bRead = m_settings.ReadName(ReadControls(), refused);
    static_cast<DeviceSettingsValues&>(*this) = m_settings.Values();
    Focus(refused);
    return bRead;
}

void CSelectConnection::OnOK() {
    CDeviceSettings::Field refused = CDeviceSettings::Field::None;
    const bool bSaved = m_settings.Save(ReadControls(), refused);
    static_cast<DeviceSettingsValues&>(*this) = m_settings.Values();
    if (!bSaved) {
        Focus(refused);
        return;
    }
    accept();
}

void CSelectConnection::OnDetect() {
    m_detectRun.SetListenMs(m_nDetectListenMs);
    m_detectRun.Start(ReadControls());
}

void CSelectConnection::ShowDetectProgress(int nStep, int nSteps, const std::string& strStatus) {
    m_pDetectProgress->setRange(0, nSteps);
    m_pDetectProgress->setValue(nStep);
    m_pDetectProgress->setFormat(QString::fromStdString(strStatus));
}

void CSelectConnection::SelectBaudRow(int nRow) {
    m_pBaudRate->setCurrentIndex(nRow);
}

void CSelectConnection::EnableForDetect(const Enabled& enabled) {
    m_pDetect->setEnabled(enabled.bDetect);
    m_pSave->setEnabled(enabled.bSave);
    m_pPort->setEnabled(enabled.bPort);
    m_pBaudRate->setEnabled(enabled.bBaudRate);
    m_pDetectProgress->setVisible(enabled.bProgress);
}

void CSelectConnection::done(int nResult) {
    m_detectRun.Stop();
    QDialog::done(nResult);
}
