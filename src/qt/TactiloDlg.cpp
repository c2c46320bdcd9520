#include "qt/TactiloDlg.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QSocketNotifier>
#include <utility>

#include "devices/AppDirectory.h"
#include "linux/UdevMonitor.h"
#include "qt/AboutDlg.h"
#include "qt/DeviceListCtrl.h"
#include "qt/Help.h"
#include "qt/QtHoldTimer.h"
#include "qt/Resources.h"
#include "qt/SelectConnection.h"

namespace {

constexpr unsigned WINDOW_ICON_ID = 132;

}  // namespace

CTactiloDlg::CTactiloDlg(Services services, const CMyCommandLineInfo& switches, QWidget* pParent)
    : QDialog(pParent),
      m_monitors(services.monitors),
      m_messages(services.messages),
      m_trace(services.trace),
      m_pListDevices(new CDeviceListCtrl(this)),
      m_pHoldTimer(std::make_unique<CQtHoldTimer>(
          [this](unsigned nId, std::uint64_t nTouch) { m_pHub->OnTimer(nId, nTouch); })),
      m_reconnectTimer([this] { m_pHub->OnReconnectTimer(); }),
      m_pHub(std::make_unique<CTactiloHub>(
          std::move(services), CTactiloHub::Seams{*m_pHoldTimer, m_reconnectTimer, *this}, *this,
          switches)) {
    m_pListDevices->SetEventHandler(&m_pHub->DeviceList());
    BuildWindow();
    WatchDevices();
}

CTactiloDlg::~CTactiloDlg() {
    // The hub lets go of the port and the tray while the controls it shows them on exist.
    m_pHub->OnDestroy();
    m_pListDevices->SetEventHandler(nullptr);
}

bool CTactiloDlg::OnInitDialog() {
    setWindowIcon(IconFromResource(WINDOW_ICON_ID));
    return m_pHub->OnInitDialog();
}

// The system's announcement of a new serial device reaches the hub at once, and an absent
// device waits for it. Without udevd nothing is announced and the hub's timed retries are all
// there is.
void CTactiloDlg::WatchDevices() {
    m_pDeviceMonitor = std::make_unique<CUdevMonitor>();
    if (!m_pDeviceMonitor->IsWatching()) {
        return;
    }
    m_pHub->SetPortsAnnounced(true);
    m_pDeviceNotifier =
        std::make_unique<QSocketNotifier>(m_pDeviceMonitor->Fd(), QSocketNotifier::Read);
    connect(m_pDeviceNotifier.get(), &QSocketNotifier::activated, this,
            &CTactiloDlg::OnDeviceAnnounced);
}

void CTactiloDlg::OnDeviceAnnounced() {
    bool bAdded = false;
    CUdevMonitor::Event event;
    while (m_pDeviceMonitor->ReadEvent(event)) {
        bAdded = bAdded || event.strAction == "add";
    }
    if (bAdded) {
        m_pHub->OnPortAdded();
    }
}

void CTactiloDlg::ShowModalWindow() {
    show();
    raise();
    activateWindow();
}

IDeviceListView& CTactiloDlg::DeviceListView() {
    return *m_pListDevices;
}

void CTactiloDlg::HideWindow() {
    CSystemTray::HideToTray(this);
}

void CTactiloDlg::RestoreWindow() {
    CSystemTray::RestoreFromTray(this);
}

void CTactiloDlg::EnableCalibrate(bool bEnable) {
    m_pCalibrate->setEnabled(bEnable);
}

void CTactiloDlg::EnableModifyRemove(bool bEnable) {
    if (!m_pModify) {
        return;  // the list reports before the buttons are built: they start as it says later
    }
    m_pModify->setEnabled(bEnable);
    m_pRemove->setEnabled(bEnable);
}

bool CTactiloDlg::RunDeviceSettings(DeviceSettingsValues& values, bool bModify) {
    return CSelectConnection::RunModal(values, bModify, {m_monitors, m_portSystem, m_messages},
                                       this);
}

void CTactiloDlg::ShowAbout() {
    // One About box: the tray menu stays usable while it is open.
    CAboutDlg* pOpen = findChild<CAboutDlg*>(QString(), Qt::FindDirectChildrenOnly);
    if (pOpen && pOpen->isVisible()) {
        pOpen->raise();
        pOpen->activateWindow();
        return;
    }
    CAboutDlg about(this);
    about.exec();
}

std::string CTactiloDlg::OpenHelp() {
    return ::OpenHelp(GetAppDirectory());
}

void CTactiloDlg::EndOwnedDialogs() {
    const QList<QDialog*> dialogs = findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    // The newest first: a message box may stand over the dialog that showed it.
    for (auto it = dialogs.crbegin(); it != dialogs.crend(); ++it) {
        if ((*it)->isVisible()) {
            (*it)->reject();
        }
    }
}

void CTactiloDlg::EndProgram() {
    emit exitRequested();
}

void CTactiloDlg::Post(std::function<void()> fnCall) {
    m_threadCalls.Post(std::move(fnCall));
}

// The close box and Alt+F4 end the window as Cancel does: the edits of the options go, and
// the window hides into the tray. The program keeps running with its device, so it must keep
// the icon that brings the window back.
void CTactiloDlg::closeEvent(QCloseEvent* pEvent) {
    pEvent->ignore();
    m_pHub->OnCancelButton();
}

void CTactiloDlg::reject() {
    m_pHub->OnCancelButton();
}
