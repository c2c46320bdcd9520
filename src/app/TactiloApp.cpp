#include "app/TactiloApp.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

#include "app/CommandLine.h"
#include "app/DisplayLossGuard.h"
#include "app/OptionsStore.h"
#include "app/QtMessageBox.h"
#include "app/QtTraceSink.h"
#include "app/TactiloDlg.h"
#include "app/TerminateSignals.h"
#include "app/XdgAutoStart.h"
#include "devices/DeviceStore.h"
#include "devices/PosixFileReplacer.h"
#include "monitors/XRandrMonitorSource.h"
#include "resources/Resources.h"
#include "serial/PosixSerialLine.h"
#include "touch/XTestPointerOutput.h"
#include "tray/QtTrayShell.h"

int CTactiloApp::Run(int argc, char** argv) {
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
    CXTestPointerOutput readerOutput;
    CXTestPointerOutput uiOutput;
    CXRandrMonitorSource monitors;
    CQtTrayShell trayShell;
    COptionsStore options(COptionsStore::ExecutableFileName());
    CXdgAutoStart autoStart;
    CPosixFileReplacer replacer;
    CDeviceStore deviceStore(replacer);

    CTactiloDlg dlg({readerOutput, uiOutput, monitors, trace, messages, trayShell,
                     std::make_unique<CPosixSerialLine>(),
                     [](int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); },
                     options, autoStart, deviceStore},
                    switches);
    QObject::connect(&dlg, &CTactiloDlg::exitRequested, &app, &QApplication::quit);

    // SIGTERM, SIGINT and SIGHUP end every running copy the way Exit does, without saving.
    CTerminateSignals terminateSignals;
    QObject::connect(&terminateSignals, &CTerminateSignals::terminateRequested, &dlg,
                     &CTactiloDlg::OnTerminate);

    // Modal mode: any switch. The window comes up once the event loop runs (after the
    // start-up actions of the switches, which may have hidden it again) and Exit ends the
    // program; resident mode keeps it hidden behind the tray icon.
    const bool bModal = switches.AnySwitch();
    QTimer::singleShot(0, &dlg, [&dlg, bModal] {
        dlg.OnInitDialog();
        if (bModal) {
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.ShowModalWindow(); });
        }
    });
    return app.exec();
}
