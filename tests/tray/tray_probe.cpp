// A small program with the real tray icon, for the tests that need a real X server and tray
// host: those must choose the X display before a QApplication exists, so the icon lives in
// a process of its own. It prints what happens on standard output, one line each:
//
//   created 1 | created 0    the result of Create ("Tactilo - not connected", icon 132)
//   command <id>             a command reached the receiver
//   active 1 | active 0      the window "Tactilo probe" became active or inactive
//
// Options:
//   --change-while-hidden    when Create fails, show icon 139 and another tooltip at once
//                            (both only stored until a tray host appears)
//
// The commands act as the main window's do, as far as the tray is concerned: a left press
// (32781) makes another thread show icon 139, as the reader thread does after a tray right
// click; 32779 restores the window from the tray and makes the double click hide it, 32780
// hides it and makes the double click show it; "Exit" (32778) ends the program.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <thread>

#include "qt/QtTrayShell.h"
#include "tray/SystemTray.h"

namespace {

void Say(const char* szFormat, unsigned nValue) {
    std::printf(szFormat, nValue);
    std::fflush(stdout);
}

class CProbeWindow final : public QWidget {
protected:
    void changeEvent(QEvent* pEvent) override {
        if (pEvent->type() == QEvent::ActivationChange) {
            Say("active %u\n", isActiveWindow() ? 1 : 0);
        }
        QWidget::changeEvent(pEvent);
    }
};

class CProbeTarget final : public ICommandTarget {
public:
    explicit CProbeTarget(CProbeWindow& window) : m_window(window) {}

    void OnCommand(unsigned nId) override {
        Say("command %u\n", nId);
        switch (nId) {
            case 32781: {
                std::thread reader([this] { m_pTray->SetIconFromResource(139); });
                reader.join();
                break;
            }
            case 32779:
                CSystemTray::RestoreFromTray(&m_window);
                m_pTray->SetDefaultMenuItem(32780, false);
                break;
            case 32780:
                CSystemTray::HideToTray(&m_window);
                m_pTray->SetDefaultMenuItem(32779, false);
                break;
            case 32778:
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                break;
        }
    }
    CSystemTray* m_pTray = nullptr;

private:
    CProbeWindow& m_window;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool bChangeWhileHidden = argc > 1 && std::strcmp(argv[1], "--change-while-hidden") == 0;

    CProbeWindow window;
    window.setWindowTitle(QStringLiteral("Tactilo probe"));
    // Away from the tray host's panel at the top left, which it would cover.
    window.setGeometry(400, 300, 300, 200);
    CQtTrayShell shell;
    CProbeTarget target(window);
    CSystemTray tray(shell, &target);
    target.m_pTray = &tray;

    const bool bCreated = tray.Create("Tactilo - not connected", 132, 132);
    // The commands are set whatever Create answered: an icon that waits for a tray host
    // must work once it is shown.
    tray.SetDefaultMenuItem(32779, false);
    tray.SetClickCommand(32781);
    if (!bCreated && bChangeWhileHidden) {
        tray.SetIconFromResource(139);
        tray.SetTooltip("Touch 1 - screen COM3 9600");
    }
    std::printf("created %d\n", bCreated ? 1 : 0);
    std::fflush(stdout);
    return app.exec();
}
