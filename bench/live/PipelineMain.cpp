// tactilo-live-pipeline: the program's live touch path, and nothing else, in a process of
// its own, for the measurements of bench/latency.sh, linerate.sh and silent.sh.
//
// It wires the parts the way the main window does: a CPort on a CPosixSerialLine (COMn
// resolved through the port links), a CReaderThread that hands each packet to a
// CTouchProcessor, the processor's hold timer on the Qt event loop of the main thread, the
// program's trace sink, and XTest output on $DISPLAY; CDeviceConnection opens the port and
// starts the reader. So a figure measured here is the program's figure minus its windows;
// the scripts measure the Tactilo executable itself by default, and this program when asked
// (--inprocess), for it also tells how many packets the reader handed on.
//
//   tactilo-live-pipeline SETTINGS_FILE [--precision N] [--right-click-ms N]
//
// The device is the first ticked line of SETTINGS_FILE (else the first line). Standard
// output, one line each:
//   ready <pid> <reader tid>     once the port is open and the reader runs
//   count <packets> <cut short>  answer to the command "count" on standard input
// End of standard input, "quit", SIGTERM or SIGINT end it after a clean disconnect.

#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "SignalPipe.h"
#include "app/MessageBox.h"
#include "devices/TouchDevice.h"
#include "linux/PosixSerialLine.h"
#include "linux/XTestPointerOutput.h"
#include "qt/QtHoldTimer.h"
#include "qt/QtTraceSink.h"
#include "serial/ConnectionView.h"
#include "serial/DeviceConnection.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"

namespace {

class CStderrMessages final : public IMessageBox {
public:
    void Show(const std::string& strText, MessageIcon) override {
        std::fprintf(stderr, "tactilo-live-pipeline: %s\n", strText.c_str());
    }
};

// No window: the connection's view changes go nowhere.
class CNoView final : public IConnectionView {
public:
    void SetTrayIcon(unsigned) override {}
    void SetTrayTooltip(const std::string&) override {}
    bool GetRowCheck(int) const override { return true; }
    void SetRowCheck(int, bool) override {}
    void EnableCalibrate(bool) override {}
};

std::set<int> Tasks() {
    std::set<int> setTids;
    if (DIR* pDir = opendir("/proc/self/task")) {
        while (const dirent* pEntry = readdir(pDir)) {
            if (const int nTid = std::atoi(pEntry->d_name); nTid > 0) {
                setTids.insert(nTid);
            }
        }
        closedir(pDir);
    }
    return setTids;
}

bool ReadDevice(const char* szPath, TouchDevice& device) {
    std::ifstream file(szPath, std::ios::binary);
    std::string strLine;
    bool bFound = false;
    while (std::getline(file, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (strLine.empty()) {
            continue;
        }
        const TouchDevice candidate = ParseDeviceLine(strLine);
        if (!bFound || (candidate.m_bConnect && !device.m_bConnect)) {
            device = candidate;
            bFound = true;
        }
    }
    return bFound;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: tactilo-live-pipeline SETTINGS_FILE [--precision N] "
                     "[--right-click-ms N]\n");
        return 2;
    }
    int nPrecision = 15;
    unsigned nRightClickMs = 2000;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--precision") == 0) {
            nPrecision = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--right-click-ms") == 0) {
            nRightClickMs = static_cast<unsigned>(std::atoi(argv[i + 1]));
        }
    }
    TouchDevice device;
    if (!ReadDevice(argv[1], device)) {
        std::fprintf(stderr, "tactilo-live-pipeline: no device in %s\n", argv[1]);
        return 2;
    }

    CSignalPipe stopSignals({SIGTERM, SIGINT, SIGHUP});
    QCoreApplication app(argc, argv);

    CQtTraceSink trace;
    CStderrMessages messages;
    CNoView view;
    CXTestPointerOutput readerOutput;
    CXTestPointerOutput uiOutput;
    CPort port(std::make_unique<CPosixSerialLine>(), &trace);
    std::unique_ptr<CTouchProcessor> pTouch;
    CQtHoldTimer holdTimer(
        [&pTouch](unsigned nId, std::uint64_t nTouch) { pTouch->OnTimer(nId, nTouch); });
    pTouch = std::make_unique<CTouchProcessor>(
        CTouchProcessor::Dependencies{readerOutput, holdTimer, trace, [](unsigned) {}, &uiOutput});
    pTouch->SetPrecision(nPrecision);
    pTouch->SetRightClickTime(nRightClickMs);
    CReaderThread reader(
        port, {[&pTouch](std::string strPacket) { pTouch->ProcessPacket(std::move(strPacket)); },
               [&pTouch] { pTouch->ReleaseHeldButtons(); }});
    // The pause between stopping the reader and closing is of no interest here.
    CDeviceConnection connection({port, reader, *pTouch, view, messages, {}});

    const std::set<int> setBefore = Tasks();
    connection.Connect(device, true, true);
    if (!port.IsOpen()) {
        return 1;
    }
    // The reader is the one thread that the connect made.
    int nReaderTid = 0;
    for (int nTid : Tasks()) {
        if (!setBefore.count(nTid)) {
            nReaderTid = nTid;
        }
    }
    std::printf("ready %d %d\n", static_cast<int>(getpid()), nReaderTid);
    std::fflush(stdout);

    QSocketNotifier stopNotifier(stopSignals.ReadFd(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    QSocketNotifier inputNotifier(STDIN_FILENO, QSocketNotifier::Read);
    std::string strInput;
    QObject::connect(&inputNotifier, &QSocketNotifier::activated, &app, [&] {
        char szBuffer[256];
        const ssize_t nRead = read(STDIN_FILENO, szBuffer, sizeof szBuffer);
        if (nRead <= 0) {
            QCoreApplication::quit();
            return;
        }
        strInput.append(szBuffer, static_cast<std::size_t>(nRead));
        for (std::size_t nEnd; (nEnd = strInput.find('\n')) != std::string::npos;) {
            const std::string strCommand = strInput.substr(0, nEnd);
            strInput.erase(0, nEnd + 1);
            if (strCommand == "count") {
                std::printf("count %llu %llu\n", reader.PacketCount(), reader.CutShortCount());
                std::fflush(stdout);
            } else if (strCommand == "quit") {
                QCoreApplication::quit();
            }
        }
    });

    const int nResult = QCoreApplication::exec();
    connection.Disconnect();
    return nResult;
}
