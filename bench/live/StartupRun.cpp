// Start-up of the real program: from the moment Tactilo is launched (resident mode, a tray
// host already running) to its tray icon being embedded in the host, and its resident memory
// then and once it has settled. The device of its Settings.dat is a pseudo-terminal, so the
// start-up includes connecting it (each run tells whether the port was open by then).
//
// "Embedded" means: a window of the Tactilo process (its _NET_WM_PID) lies inside the tray
// host's panel, is mapped and viewable, and is larger than 1 by 1 pixel. The watch wakes on
// every structure change it can select (root, and the panel's windows) and looks at least
// every 2 ms besides, since the host's sockets are made after the watch could select them.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "BenchChild.h"
#include "BenchPty.h"
#include "LiveRuns.h"
#include "ProcSample.h"

namespace {

using Clock = std::chrono::steady_clock;

int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;  // windows come and go while we look at them
}

std::vector<Window> Children(Display* pDisplay, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* pChildren = nullptr;
    unsigned nChildren = 0;
    std::vector<Window> vecChildren;
    if (XQueryTree(pDisplay, window, &root, &parent, &pChildren, &nChildren) && pChildren) {
        vecChildren.assign(pChildren, pChildren + nChildren);
        XFree(pChildren);
    }
    return vecChildren;
}

bool IsTrayerPanel(Display* pDisplay, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(pDisplay, window, &hint)) {
        return false;
    }
    const bool bPanel = hint.res_class && std::string(hint.res_class) == "trayer";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return bPanel;
}

long WindowPid(Display* pDisplay, Window window, Atom pidAtom) {
    Atom type = None;
    int nFormat = 0;
    unsigned long nItems = 0;
    unsigned long nAfter = 0;
    unsigned char* pData = nullptr;
    long nPid = -1;
    if (XGetWindowProperty(pDisplay, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &nFormat,
                           &nItems, &nAfter, &pData) == Success &&
        pData) {
        if (type == XA_CARDINAL && nFormat == 32 && nItems == 1) {
            nPid = *reinterpret_cast<long*>(pData);
        }
        XFree(pData);
    }
    return nPid;
}

// Whether a window of nPid is shown inside the panel; selects structure events on every
// window of the panel on the way, so that the next change wakes the watch.
bool Embedded(Display* pDisplay, Window panel, long nPid, Atom pidAtom) {
    std::vector<Window> vecPending = Children(pDisplay, panel);
    while (!vecPending.empty()) {
        const Window window = vecPending.back();
        vecPending.pop_back();
        XSelectInput(pDisplay, window, SubstructureNotifyMask | StructureNotifyMask);
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(pDisplay, window, &attributes) &&
            attributes.map_state == IsViewable && attributes.width > 1 && attributes.height > 1 &&
            WindowPid(pDisplay, window, pidAtom) == nPid) {
            return true;
        }
        const std::vector<Window> vecChildren = Children(pDisplay, window);
        vecPending.insert(vecPending.end(), vecChildren.begin(), vecChildren.end());
    }
    return false;
}

Window FindPanel(Display* pDisplay, Clock::time_point deadline) {
    const Atom trayAtom = XInternAtom(pDisplay, "_NET_SYSTEM_TRAY_S0", False);
    while (Clock::now() < deadline) {
        if (XGetSelectionOwner(pDisplay, trayAtom) != None) {
            for (Window window : Children(pDisplay, DefaultRootWindow(pDisplay))) {
                if (IsTrayerPanel(pDisplay, window)) {
                    return window;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return None;
}

// Waits for the next event, or nTimeoutMs; reads them all.
void WaitForChange(Display* pDisplay, int nTimeoutMs) {
    if (XPending(pDisplay) == 0) {
        pollfd fd = {ConnectionNumber(pDisplay), POLLIN, 0};
        poll(&fd, 1, nTimeoutMs);
    }
    while (XPending(pDisplay) > 0) {
        XEvent event;
        XNextEvent(pDisplay, &event);
    }
}

// Whether process nPid has the file strPath open: Tactilo holds its device's port open
// once it has connected it.
bool HoldsOpen(long nPid, const std::string& strPath) {
    std::error_code error;
    const std::filesystem::path fds = "/proc/" + std::to_string(nPid) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == strPath) {
            return true;
        }
    }
    return false;
}

double Median(std::vector<double> vec) {
    if (vec.empty()) {
        return 0.0;
    }
    std::sort(vec.begin(), vec.end());
    const std::size_t n = vec.size();
    return n % 2 ? vec[n / 2] : (vec[n / 2 - 1] + vec[n / 2]) / 2.0;
}

}  // namespace

int RunStartup(const LiveOptions& options) {
    Display* pDisplay =
        XOpenDisplay(options.strDisplay.empty() ? nullptr : options.strDisplay.c_str());
    if (!pDisplay) {
        std::fprintf(stderr, "startup: cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreXErrors);
    const Window panel = FindPanel(pDisplay, Clock::now() + std::chrono::seconds(10));
    if (panel == None) {
        std::fprintf(stderr, "startup: no tray host (trayer) on the display\n");
        XCloseDisplay(pDisplay);
        return 1;
    }
    const Atom pidAtom = XInternAtom(pDisplay, "_NET_WM_PID", False);
    XSelectInput(pDisplay, DefaultRootWindow(pDisplay), SubstructureNotifyMask);

    CBenchPty pty;
    std::string strError;
    const std::string strAppDir = options.setup.strWorkDir + "/app";
    if (!pty.Ok() || !pty.LinkAs(options.setup.nPort) ||
        !WriteSettingsFile(strAppDir, options.setup.nPort, strError)) {
        std::fprintf(stderr, "startup: %s%s\n", pty.Error().c_str(), strError.c_str());
        XCloseDisplay(pDisplay);
        return 1;
    }
    const std::string strCopy = strAppDir + "/Tactilo";
    std::error_code error;
    std::filesystem::copy_file(options.setup.strTactiloExe, strCopy,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "startup: cannot copy %s: %s\n", options.setup.strTactiloExe.c_str(),
                     error.message().c_str());
        XCloseDisplay(pDisplay);
        return 1;
    }

    std::printf(
        "Start-up: launch of Tactilo (resident, tray host running) -> tray icon embedded\n");
    std::vector<double> vecMs;
    std::vector<double> vecRssMb;
    std::vector<double> vecSettledMb;
    int nFailures = 0;
    int nConnected = 0;
    for (int nRun = 0; nRun < options.nRuns; ++nRun) {
        const Clock::time_point tpLaunch = Clock::now();
        CBenchChild tactilo({strCopy});
        const long nPid = tactilo.Pid();
        const Clock::time_point deadline = tpLaunch + std::chrono::seconds(10);
        bool bEmbedded = false;
        while (!bEmbedded && Clock::now() < deadline && tactilo.Running()) {
            bEmbedded = Embedded(pDisplay, panel, nPid, pidAtom);
            if (!bEmbedded) {
                WaitForChange(pDisplay, 2);
            }
        }
        const Clock::time_point tpEmbedded = Clock::now();
        if (!bEmbedded) {
            std::printf("  run %2d: no tray icon within 10 s%s\n", nRun + 1,
                        tactilo.Running() ? "" : " (Tactilo ended)");
            ++nFailures;
            continue;
        }
        const ProcessSample atEmbed = SampleProcess(static_cast<int>(nPid));
        std::this_thread::sleep_for(std::chrono::milliseconds(options.nSettleMs));
        const ProcessSample settled = SampleProcess(static_cast<int>(nPid));
        const double dMs = std::chrono::duration<double, std::milli>(tpEmbedded - tpLaunch).count();
        vecMs.push_back(dMs);
        vecRssMb.push_back(atEmbed.nVmRssKb / 1024.0);
        vecSettledMb.push_back(settled.nVmRssKb / 1024.0);
        const bool bConnected = HoldsOpen(nPid, pty.SlavePath());
        nConnected += bConnected ? 1 : 0;
        std::printf(
            "  run %2d: %7.1f ms  VmRSS %6.1f MB at the icon, %6.1f MB %d ms later "
            "(VmHWM %6.1f MB), device %s\n",
            nRun + 1, dMs, atEmbed.nVmRssKb / 1024.0, settled.nVmRssKb / 1024.0, options.nSettleMs,
            settled.nVmHwmKb / 1024.0, bConnected ? "connected" : "NOT connected");
        tactilo.Stop();
        // The next launch starts with the host holding no icon of ours.
        const Clock::time_point gone = Clock::now() + std::chrono::seconds(5);
        while (Embedded(pDisplay, panel, nPid, pidAtom) && Clock::now() < gone) {
            WaitForChange(pDisplay, 2);
        }
    }
    if (!vecMs.empty()) {
        std::printf(
            "  median %.1f ms (min %.1f, max %.1f); VmRSS median %.1f MB at the icon, "
            "%.1f MB settled (aims: 300 ms, 40 MB)\n",
            Median(vecMs), *std::min_element(vecMs.begin(), vecMs.end()),
            *std::max_element(vecMs.begin(), vecMs.end()), Median(vecRssMb), Median(vecSettledMb));
        std::printf("  the device was connected in %d of %zu runs\n", nConnected, vecMs.size());
    }
    XCloseDisplay(pDisplay);
    return nFailures == 0 ? 0 : 1;
}
