#include "app/TactiloApp.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>

#include "app/CommandLine.h"
#include "app/DisplayLossGuard.h"
#include "app/OptionsStore.h"
#include "app/QtMessageBox.h"
#include "app/QtTraceSink.h"
#include "app/SessionPointer.h"
#include "app/TactiloDlg.h"
#include "app/TerminateSignals.h"
#include "app/UserPaths.h"
#include "app/XdgAutoStart.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceStore.h"
#include "devices/PosixFileReplacer.h"
#include "resources/Resources.h"
#include "serial/PosixSerialLine.h"
#include "tray/QtTrayShell.h"

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
        std::cout << UsageText(
            {SettingsFilePath(), BrenholdConfigDirectory(), HelpFilePath(GetAppDirectory())});
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

// Touches cannot reach this session: one line on standard error and a notification from the
// tray icon. False when no tray showed it.
bool TellUndeliverable(ITrayShell& trayShell) {
    std::cerr << "Tactilo: " << UndeliverableTouchTitle() << ". " << UndeliverableTouchText()
              << '\n';
    return trayShell.ShowNotification(UndeliverableTouchTitle(), UndeliverableTouchText());
}

}  // namespace

int CTactiloApp::Run(int argc, char** argv) {
    if (const InfoRequest request = FindInfoRequest(argc, argv); request != InfoRequest::None) {
        return AnswerInfoRequest(request);
    }
    QApplication app(argc, argv);
    // After the application object, whose toolkit sets its own handler for a lost display.
    CDisplayLossGuard displayLoss;
    // The window hides into the tray; only Exit or a signal ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InitTactiloResources();

    CMyCommandLineInfo switches;
    switches.ParseCommandLine(argc, argv);

    CQtTraceSink trace;
    CQtMessageBox messages;
    CQtTrayShell trayShell;
    // A touch no output delivers arrives on the reader thread; the tray lives on this one.
    CSessionPointer pointer(trace, [&app, &trayShell] {
        QMetaObject::invokeMethod(
            &app, [&trayShell] { TellUndeliverable(trayShell); }, Qt::QueuedConnection);
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
    const bool bModal = switches.AnySwitch();
    const bool bUndeliverable = pointer.Kind() == PointerKind::None;
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
