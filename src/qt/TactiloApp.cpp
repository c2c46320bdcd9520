#include "qt/TactiloApp.h"

#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <thread>

#include "app/CommandLine.h"
#include "app/UserPaths.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceStore.h"
#include "linux/DisplayLossGuard.h"
#include "linux/FolderTrust.h"
#include "linux/PosixFileReplacer.h"
#include "linux/PosixSerialLine.h"
#include "linux/XdgAutoStart.h"
#include "qt/OptionsStore.h"
#include "qt/QtMessageBox.h"
#include "qt/QtTraceSink.h"
#include "qt/QtTrayShell.h"
#include "qt/Resources.h"
#include "qt/SessionPointer.h"
#include "qt/SingleInstance.h"
#include "qt/TactiloDlg.h"
#include "qt/TerminateSignals.h"
#include "qt/ThreadCalls.h"
#include "serial/PortNames.h"

#ifndef TACTILO_VERSION
#error "The build passes the project's version in TACTILO_VERSION"
#endif

namespace {

// --help and --version: answered from the command line alone, before the application object
// exists, so they need no display and leave the port, the tray and every file alone. 0 when
// the text was written (a full disk or a closed pipe is worth a failing status).
int AnswerInfoRequest(InfoRequest request) {
    if (request == InfoRequest::Version) {
        std::cout << VersionText(TACTILO_VERSION);
    } else {
        const std::string strConfig = BrenholdConfigDirectory();
        std::cout << UsageText({SettingsFilePath(), strConfig + "Tactilo.conf",
                                HelpFilePath(GetAppDirectory()), LinkedPortsText()});
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

// Touches cannot reach this session: one line on standard error and a notification from the
// tray icon. False when no tray showed it.
bool TellUndeliverable(ITrayShell& trayShell) {
    std::cerr << "Tactilo: " << UndeliverableTouchTitle() << ". " << UndeliverableTouchText()
              << '\n';
    return trayShell.ShowNotification(UndeliverableTouchTitle(), UndeliverableTouchText(),
                                      NotificationIcon::Warning);
}

// How long a resident copy gives a tray host to appear before it says how else to reach the
// Device Manager: session start-up starts the panel and Tactilo side by side.
constexpr int g_nNoTrayNoticeMs = 5000;

// Without a tray host (GNOME without an extension, a bare kiosk) the resident copy would be
// out of reach; a second start hands over to it, so that is the way to tell.
void TellNoTray() {
    const QString strTitle = QStringLiteral("Tactilo");
    const QString strText = QStringLiteral(
        "No notification area was found, so Tactilo shows no tray icon. To open the Device "
        "Manager, start Tactilo again from the application menu.");
    std::cerr << "Tactilo: " << strText.toStdString() << std::endl;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << strTitle << 0u << QStringLiteral("tactilo") << strTitle << strText << QStringList()
           << QVariantMap() << -1;
    // Where the session has no notification service this goes nowhere, which is fine.
    QDBusConnection::sessionBus().call(notify, QDBus::NoBlock);
}

// A session without HOME (su, a bare startx) still has a home: the password database's.
// Set before anything asks, so the settings, the options file (QSettings reads HOME too)
// and the autostart entry all land in the user's own folder, never in a shared one.
bool EnsureHome() {
    if (const char* szHome = std::getenv("HOME"); szHome && *szHome == '/') {
        return true;
    }
    const std::string strHome = HomeFromPasswordDatabase();
    return !strHome.empty() && setenv("HOME", strHome.c_str(), 1) == 0;
}

// Why the settings may not be read or written where this copy keeps them, or empty: a
// folder that another user owns or may write would let them choose our devices (and the
// port links they open) and read what we save.
std::string ConfigurationProblem() {
    const std::string strSettings = SettingsFilePath();
    for (const std::string& strFolder :
         {BrenholdConfigDirectory(), strSettings.substr(0, strSettings.rfind('/') + 1)}) {
        if (const std::string strProblem = FolderTrustProblem(strFolder); !strProblem.empty()) {
            return "Tactilo: will not keep its settings in " + strFolder + ": " + strProblem;
        }
    }
    return {};
}

// The toolkit ends the program with qFatal, which aborts (status 134), when it cannot reach
// a display: an autostart that runs before the X server is ready, a session without DISPLAY.
// While the application object is made, its platform messages are held back; a fatal one
// becomes one line and status 1, the way a display lost later ends the program.
QtMessageHandler g_previousHandler = nullptr;
QList<std::pair<QtMsgType, QString>> g_heldMessages;

void HoldPlatformMessages(QtMsgType type, const QMessageLogContext& context,
                          const QString& strText) {
    if (type == QtFatalMsg) {
        QString strReason = strText.section(QLatin1Char('\n'), 0, 0);
        for (const auto& held : g_heldMessages) {
            if (held.first == QtWarningMsg) {
                strReason = held.second.trimmed();  // the platform's own ("could not connect")
                break;
            }
        }
        const std::string strLine =
            "Tactilo: cannot start without a display: " + strReason.toStdString() + "\n";
        (void)!write(STDERR_FILENO, strLine.data(), strLine.size());
        _exit(1);
    }
    if (context.category && QByteArray(context.category).startsWith("qt.qpa")) {
        g_heldMessages.append({type, strText});
        return;
    }
    if (g_previousHandler) {
        g_previousHandler(type, context, strText);
    }
}

}  // namespace

int CTactiloApp::Run(int argc, char** argv) {
    const bool bHome = EnsureHome();
    if (const InfoRequest request = FindInfoRequest(argc, argv); request != InfoRequest::None) {
        return AnswerInfoRequest(request);
    }
    if (const char* szConfig = std::getenv("XDG_CONFIG_HOME");
        !bHome && (szConfig == nullptr || *szConfig != '/')) {
        std::cerr << "Tactilo: HOME is not set and the password database names no home folder "
                     "for this user; set HOME or XDG_CONFIG_HOME"
                  << std::endl;
        return 1;
    }
    if (const std::string strProblem = ConfigurationProblem(); !strProblem.empty()) {
        std::cerr << strProblem << std::endl;
        return 1;
    }
    // Decided before the display is reached: a start that may not check for a running copy
    // ends at once. Otherwise the private folder becomes the runtime folder of the whole
    // process, so the toolkit keeps its own files there too instead of guessing one in /tmp.
    CMyCommandLineInfo early;
    early.ParseCommandLine(argc, argv);
    std::string strRuntimeProblem;
    const std::string strRuntime = RuntimeFolderForThisUser(strRuntimeProblem);
    if (!strRuntime.empty()) {
        setenv("XDG_RUNTIME_DIR", strRuntime.c_str(), 1);
    } else if (!early.AnySwitch()) {
        std::cerr << "Tactilo: cannot check for a running copy: " << strRuntimeProblem << std::endl;
        return 1;
    }
    g_previousHandler = qInstallMessageHandler(HoldPlatformMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    for (const auto& held : g_heldMessages) {
        if (g_previousHandler) {
            g_previousHandler(held.first, QMessageLogContext(), held.second);
        }
    }
    g_heldMessages.clear();
    // After the application object, whose toolkit sets its own handler for a lost display.
    CDisplayLossGuard displayLoss;
    // The window hides into the tray; only Exit or a signal ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InitTactiloResources();

    CMyCommandLineInfo switches;
    switches.ParseCommandLine(argc, argv);

    // A start while a copy runs hands over to it: that copy calibrates as the switches ask,
    // or shows its Device Manager. A start that may not check (no private runtime folder)
    // was refused above unless it has switches; those run on their own, as they always did.
    CSingleInstance instance(CSingleInstance::SocketPathForThisProcess());
    if (!strRuntime.empty()) {
        switch (instance.ClaimOrHandOver(QString::fromStdString(switches.SwitchArguments()))) {
            case CSingleInstance::Claim::HandedOver:
                return 0;
            case CSingleInstance::Claim::NoAnswer:
                std::cerr << "Tactilo: a running copy of Tactilo does not answer; end it first"
                          << std::endl;
                return 1;
            case CSingleInstance::Claim::Refused:
                std::cerr << "Tactilo: cannot check for a running copy: "
                          << instance.Problem().toStdString() << std::endl;
                return 1;
            case CSingleInstance::Claim::Resident:
                if (!instance.ListenError().isEmpty()) {
                    std::cerr << "Tactilo: a second start will not find this copy: "
                              << instance.ListenError().toStdString() << std::endl;
                }
                break;
        }
    }

    CQtTraceSink trace;
    CQtMessageBox messages;
    CQtTrayShell trayShell;
    // A touch no output delivers arrives on the reader thread; the tray lives on this one.
    CThreadCalls undeliverableCalls;
    CSessionPointer pointer(trace, [&undeliverableCalls, &trayShell] {
        undeliverableCalls.Post([&trayShell] { TellUndeliverable(trayShell); });
    });
    COptionsStore options(COptionsStore::ExecutableFileName());
    CXdgAutoStart autoStart;
    CPosixFileReplacer replacer;
    CDeviceStore deviceStore(replacer);

    CTactiloDlg dlg({pointer.ReaderOutput(), pointer.UiOutput(), pointer.Monitors(), trace,
                     messages, trayShell, std::make_unique<CPosixSerialLine>(),
                     [](int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); },
                     options, autoStart, deviceStore},
                    switches);
    messages.SetOwner(&dlg);
    QObject::connect(&dlg, &CTactiloDlg::exitRequested, &app, &QApplication::quit);

    // SIGTERM, SIGINT and SIGHUP end every running copy the way Exit does, without saving.
    CTerminateSignals terminateSignals;
    QObject::connect(&terminateSignals, &CTerminateSignals::terminateRequested, &dlg,
                     &CTactiloDlg::OnTerminate);

    // Modal mode: any switch. The window comes up once the event loop runs (after the
    // start-up actions of the switches, which may have hidden it again) and Exit ends the
    // program; resident mode keeps it hidden behind the tray icon.
    QObject::connect(
        &instance, &CSingleInstance::showRequested, &dlg, [&dlg](const QString& strSwitches) {
            dlg.Hub().OnHandOver(CMyCommandLineInfo::FromArguments(strSwitches.toStdString()));
        });

    const bool bModal = switches.AnySwitch();
    const bool bUndeliverable = pointer.Kind() == PointerKind::None;
    if (!bModal) {
        QTimer::singleShot(g_nNoTrayNoticeMs, &dlg, [] {
            if (!QSystemTrayIcon::isSystemTrayAvailable()) {
                TellNoTray();
            }
        });
    }
    QTimer::singleShot(0, &dlg, [&dlg, bModal, bUndeliverable, &trayShell, &messages] {
        dlg.OnInitDialog();
        if (bUndeliverable && !TellUndeliverable(trayShell)) {
            // No tray to show it: a box, once, rather than a driver that silently does nothing.
            messages.Show(UndeliverableTouchText(), MessageIcon::Exclamation);
        }
        if (bModal) {
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.ShowModalWindow(); });
        }
    });
    return app.exec();
}
