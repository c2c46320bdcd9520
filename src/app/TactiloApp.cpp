#include "app/TactiloApp.h"

#include <QApplication>
#include <chrono>
#include <memory>
#include <thread>

#include "app/QtMessageBox.h"
#include "app/QtTraceSink.h"
#include "app/TactiloDlg.h"
#include "monitors/XRandrMonitorSource.h"
#include "resources/Resources.h"
#include "serial/PosixSerialLine.h"
#include "touch/XTestPointerOutput.h"
#include "tray/QtTrayShell.h"

int CTactiloApp::Run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    InitTactiloResources();

    CQtTraceSink trace;
    CQtMessageBox messages;
    CXTestPointerOutput readerOutput;
    CXTestPointerOutput uiOutput;
    CXRandrMonitorSource monitors;
    CQtTrayShell trayShell;

    CTactiloDlg dlg({readerOutput, uiOutput, monitors, trace, messages, trayShell,
                     std::make_unique<CPosixSerialLine>(),
                     [](int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); }});
    QObject::connect(&dlg, &CTactiloDlg::exitRequested, &app, &QApplication::quit);
    dlg.OnInitDialog();
    return app.exec();
}
