// Runs inside the QEMU guest that wayland_test.py boots: uinput and evdev loaded, udevd and
// seatd running, sway as an unprivileged user on a two-output virtio-gpu (Virtual-1 at
// 1024 x 768, Virtual-2 at 800 x 600, off at the start), and tactilo-wlwatch, our own Wayland
// client, full screen on every output, printing where sway puts the pointer in its logical
// layout. Tactilo runs on Qt's Wayland platform and reads the simulator's pseudo-terminal
// linked as COM1; nothing but the kernel and sway carries its pointer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "PipedProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "TestTime.h"
#include "TouchAim.h"
#include "TouchPackets.h"
#include "devices/TouchDevice.h"

namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> g_mapWayland = {{"WAYLAND_DISPLAY", "/tmp/xdg/wayland-1"},
                                                         {"XDG_RUNTIME_DIR", "/tmp/xdg-root"}};

int Swaymsg(const std::string& strCommand) {
    return std::system(("swaymsg -- '" + strCommand + "' >/dev/null").c_str());
}

// A device calibrated over the whole of rc: raw 180..860 and 200..800 are 10 % and 90 %.
std::string DeviceLine(const std::string& strMonitor, const ScreenRect& rc) {
    char sz[256];
    std::snprintf(sz, sizeof sz,
                  "Pad;%s;COM1;9600;1;%d;%d;%d;%d;%f;0;0;%f;0;0;517;500;180;860;0;200;800;0;0;0;",
                  strMonitor.c_str(), rc.left, rc.right, rc.top, rc.bottom,
                  0.8 * (rc.right - rc.left) / 680.0, 0.8 * (rc.bottom - rc.top) / 600.0);
    return sz;
}

// What tactilo-wlwatch reports: outputs in sway's layout, the pointer's moves and buttons.
class CWatch {
public:
    CWatch() : m_process({WLWATCH_PROGRAM}, g_mapWayland) {}

    // Reads lines until bDone holds for one of them; false at the deadline.
    template <typename Done>
    bool ReadUntil(Done bDone, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
        std::string strLine;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (!m_process.ReadLine(strLine, left)) {
                return false;
            }
            std::istringstream in(strLine);
            std::string strWhat, strName;
            in >> strWhat;
            if (strWhat == "output") {
                ScreenRect rc;
                int w = 0, h = 0;
                in >> strName >> rc.left >> rc.top >> w >> h;
                rc.right = rc.left + w;
                rc.bottom = rc.top + h;
                m_mapOutputs[strName] = rc;
            } else if (strWhat == "gone") {
                in >> strName;
                m_mapOutputs.erase(strName);
            }
            if (bDone(strLine)) {
                return true;
            }
        }
        return false;
    }
    // Whether its windows are up on nOutputs outputs.
    bool WaitForReady(int nOutputs) {
        int nReady = 0;
        return ReadUntil(
            [&](const std::string& s) { return s.rfind("ready ", 0) == 0 && ++nReady >= nOutputs; },
            std::chrono::seconds(20));
    }
    // Whether the output goes away.
    bool WaitForGone(const std::string& strName) {
        return m_mapOutputs.count(strName) == 0 ||
               ReadUntil([&](const std::string&) { return m_mapOutputs.count(strName) == 0; },
                         std::chrono::seconds(10));
    }
    // Whether the output's logical rectangle becomes rc.
    bool WaitForOutput(const std::string& strName, const ScreenRect& rc) {
        return m_mapOutputs[strName] == rc ||
               ReadUntil([&](const std::string&) { return m_mapOutputs[strName] == rc; },
                         std::chrono::seconds(10));
    }
    std::string ErrorLog() const { return m_process.ErrorLog(); }
    // The last lines it printed, for failure messages.
    std::string Tail() const {
        const auto& vecLines = m_process.Lines();
        std::string strTail;
        for (size_t i = vecLines.size() > 12 ? vecLines.size() - 12 : 0; i < vecLines.size(); ++i) {
            strTail += vecLines[i] + "\n";
        }
        return strTail + ErrorLog();
    }

private:
    CPipedProcess m_process;
    std::map<std::string, ScreenRect> m_mapOutputs;
};

// A pixel that sway reports as x.xx: the pixel it lies in.
bool Near(const std::string& strLine, const std::string& strWhat, std::pair<int, int> aim) {
    std::istringstream in(strLine);
    std::string strKind;
    double x = 0, y = 0;
    if (!(in >> strKind) || strKind != strWhat.substr(0, strWhat.find(' '))) {
        return false;
    }
    if (strWhat.find(' ') != std::string::npos) {
        std::string strButton, strState;
        in >> strButton >> strState;
        if (strKind + " " + strButton + " " + strState != strWhat) {
            return false;
        }
    }
    in >> x >> y;
    return std::abs(static_cast<int>(std::floor(x)) - aim.first) <= 1 &&
           std::abs(static_cast<int>(std::floor(y)) - aim.second) <= 1;
}

class WaylandGuest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pSim = std::make_unique<CSimulatorProcess>(1, std::vector<std::string>{"--keep-open"});
        ASSERT_FALSE(m_pSim->SlavePath().empty()) << m_pSim->ErrorLog();
        ASSERT_TRUE(m_watch.ReadUntil([](const std::string& s) { return s == "ready Virtual-1"; },
                                      std::chrono::seconds(20)))
            << m_watch.ErrorLog();
    }

    // Tactilo anew, with strDevice as its only (active) device.
    void StartTactilo(const std::string& strDevice) {
        m_pTactilo.reset();
        const fs::path appDir = fs::path(m_config.Path()) / "app";
        fs::create_directories(appDir);
        fs::copy_file(TACTILO_PROGRAM, appDir / "Tactilo", fs::copy_options::skip_existing);
        std::ofstream(appDir / "Settings.dat", std::ios::binary) << strDevice << "\r\n";
        std::map<std::string, std::string> mapEnv = g_mapWayland;
        mapEnv["QT_QPA_PLATFORM"] = "wayland";
        mapEnv["QT_LOGGING_RULES"] = "tactilo.trace=true";
        mapEnv["DBUS_SESSION_BUS_ADDRESS"] = "";
        m_pTactilo = std::make_unique<CChildProcess>(
            std::vector<std::string>{(appDir / "Tactilo").string()}, mapEnv);
    }

    void Packet(bool bTouch, int nRawX, int nRawY, const std::string& strThen = {}) {
        const std::string strMark = "sent " + std::to_string(++m_nMarks);
        std::string strHex;
        for (unsigned char nByte : TouchPacketBytes(bTouch, nRawX, nRawY)) {
            char sz[3];
            std::snprintf(sz, sizeof sz, "%02x", nByte);
            strHex += sz;
        }
        ASSERT_TRUE(m_pSim->Send("bytes " + strHex + "\n" + strThen + "echo " + strMark + "\n"));
        ASSERT_TRUE(m_pSim->WaitForEcho(strMark));
    }

    // Whether moves to about (nRawX, nRawY) reach sway's pointer on the aimed pixel (±1)
    // within 15 s (a slow guest stretches it). After a start or a layout change the device
    // must first be made and added; the kernel passes on an axis value only when it changes,
    // so each try goes to a point of its own.
    ::testing::AssertionResult Lands(CTouchAim& aim, int nRawX, int nRawY) {
        return Lands(m_watch, aim, nRawX, nRawY);
    }
    ::testing::AssertionResult Lands(CWatch& watch, CTouchAim& aim, int nRawX, int nRawY) {
        std::string strLast = "nowhere";
        std::string strAim;
        const auto deadline = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(15));
        for (int nTry = 0; std::chrono::steady_clock::now() < deadline; ++nTry) {
            const int nX = nRawX + nTry % 2;
            Packet(false, nX, nRawY);
            const auto target = aim.At(nX, nRawY);
            if (watch.ReadUntil(
                    [&](const std::string& s) {
                        if (s.rfind("motion", 0) == 0) {
                            strLast = s;
                        }
                        if (Near(s, "motion", target)) {
                            std::printf("aimed %d,%d: %s\n", target.first, target.second,
                                        s.c_str());
                        }
                        return Near(s, "motion", target);
                    },
                    std::chrono::milliseconds(700))) {
                return ::testing::AssertionSuccess();
            }
            strAim = std::to_string(target.first) + "," + std::to_string(target.second);
        }
        return ::testing::AssertionFailure()
               << "the pointer went to " << strLast << " for " << strAim << "\nwlwatch:\n"
               << watch.Tail();
    }

    CTempConfigDir m_config;
    CWatch m_watch;
    std::unique_ptr<CSimulatorProcess> m_pSim;
    std::unique_ptr<CChildProcess> m_pTactilo;
    int m_nMarks = 0;
};

}  // namespace

// One output: the second is switched off, and Tactilo spans the first alone.
TEST_F(WaylandGuest, OneOutput) {
    const ScreenRect rcFirst = {0, 0, 1024, 768};
    ASSERT_TRUE(m_watch.WaitForOutput("Virtual-1", rcFirst));
    // sway 1.7 does not light an output that its configuration starts switched off: it
    // starts with both, and the second goes off here.
    ASSERT_EQ(Swaymsg("output Virtual-2 disable"), 0);
    ASSERT_TRUE(m_watch.WaitForGone("Virtual-2"));
    const std::string strDevice = DeviceLine("Virtual-1", rcFirst);
    StartTactilo(strDevice);
    CTouchAim aim(strDevice);
    for (const auto& [nRawX, nRawY] : {std::pair{517, 500}, {200, 220}, {850, 790}}) {
        EXPECT_TRUE(Lands(aim, nRawX, nRawY)) << nRawX << "," << nRawY;
    }
}

// The second output switched back on beside the first under the running Tactilo: the device
// is made anew over the wider layout, the first output's pixels staying where they were
// (watched by a client started after the change, as above).
TEST_F(WaylandGuest, SecondOutputUnderARunningTactilo) {
    const ScreenRect rcFirst = {0, 0, 1024, 768};
    ASSERT_EQ(Swaymsg("output Virtual-2 disable"), 0);
    ASSERT_TRUE(m_watch.WaitForGone("Virtual-2"));
    const std::string strDevice = DeviceLine("Virtual-1", rcFirst);
    StartTactilo(strDevice);
    CTouchAim aim(strDevice);
    ASSERT_TRUE(Lands(aim, 517, 500));
    ASSERT_EQ(Swaymsg("output Virtual-2 enable"), 0);
    ASSERT_EQ(Swaymsg("output Virtual-2 pos 1024 168 scale 1"), 0);
    ASSERT_TRUE(m_watch.WaitForOutput("Virtual-2", {1024, 168, 1824, 768}));
    CWatch fresh;
    ASSERT_TRUE(fresh.WaitForReady(2)) << fresh.Tail();
    for (const auto& [nRawX, nRawY] : {std::pair{840, 780}, {300, 300}}) {
        EXPECT_TRUE(Lands(fresh, aim, nRawX, nRawY)) << nRawX << "," << nRawY << " on two outputs";
    }
}

// A layout change under the running Tactilo that keeps every output: the second one goes
// from scale 1 to scale 2, the layout from 1824 to 1424 wide. The device is made anew over
// the narrower layout; the first output's pixels stay where they were. A client that was
// running before the change gets no pointer events after it (sway 1.7's doing or our
// client's, not known yet); one started after the change watches.
TEST_F(WaylandGuest, ScaleChangeUnderARunningTactilo) {
    const ScreenRect rcFirst = {0, 0, 1024, 768};
    ASSERT_EQ(Swaymsg("output Virtual-2 enable"), 0);
    ASSERT_EQ(Swaymsg("output Virtual-2 pos 1024 168 scale 1"), 0);
    ASSERT_TRUE(m_watch.WaitForOutput("Virtual-2", {1024, 168, 1824, 768}));
    const std::string strDevice = DeviceLine("Virtual-1", rcFirst);
    StartTactilo(strDevice);
    CTouchAim aim(strDevice);
    ASSERT_TRUE(Lands(aim, 840, 780));
    ASSERT_EQ(Swaymsg("output Virtual-2 scale 2"), 0);
    ASSERT_TRUE(m_watch.WaitForOutput("Virtual-2", {1024, 168, 1424, 468}));
    CWatch fresh;
    ASSERT_TRUE(fresh.WaitForReady(2)) << fresh.Tail();
    for (const auto& [nRawX, nRawY] : {std::pair{850, 790}, {300, 300}}) {
        EXPECT_TRUE(Lands(fresh, aim, nRawX, nRawY))
            << nRawX << "," << nRawY << " after the change";
    }
}

// Tactilo calibrated over the second output, scaled as the row says: touches land on the
// calibrated pixels of sway's logical layout; a tap clicks there and a hold right-clicks.
struct ScaleRow {
    const char* szScale;
    const char* szPos;
    ScreenRect rcLayout;  // Virtual-2 (800 x 600) in sway's layout
};

class WaylandScales : public WaylandGuest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(WaylandScales, TouchesLandOnTheCalibratedPixel) {
    const ScaleRow& row = GetParam();
    ASSERT_EQ(Swaymsg("output Virtual-2 enable"), 0);
    ASSERT_EQ(Swaymsg(std::string("output Virtual-2 pos ") + row.szPos + " scale " + row.szScale),
              0);
    ASSERT_TRUE(m_watch.WaitForOutput("Virtual-2", row.rcLayout));
    const std::string strDevice = DeviceLine("Virtual-2", row.rcLayout);
    StartTactilo(strDevice);
    CTouchAim aim(strDevice);
    for (const auto& [nRawX, nRawY] : {std::pair{517, 500}, {185, 205}, {855, 795}, {700, 250}}) {
        EXPECT_TRUE(Lands(aim, nRawX, nRawY)) << nRawX << "," << nRawY;
    }

    // A tap: left press and release where it was aimed.
    Packet(true, 400, 400);
    Packet(false, 400, 400);
    const auto tap = aim.At(400, 400);
    EXPECT_TRUE(
        m_watch.ReadUntil([&](const std::string& s) { return Near(s, "button 1 press", tap); },
                          std::chrono::seconds(5)));
    EXPECT_TRUE(
        m_watch.ReadUntil([&](const std::string& s) { return Near(s, "button 1 release", tap); },
                          std::chrono::seconds(5)));

    // A hold past the right-click time: the right button, pressed and let go there.
    Packet(true, 700, 300, "down 700 300\nhold 2300\n");
    const auto hold = aim.At(700, 300);
    EXPECT_TRUE(
        m_watch.ReadUntil([&](const std::string& s) { return Near(s, "button 3 release", hold); },
                          std::chrono::seconds(10)))
        << m_pTactilo->Log();
    Packet(false, 700, 300);
}

INSTANTIATE_TEST_SUITE_P(Table, WaylandScales,
                         ::testing::Values(ScaleRow{"1", "1024 168", {1024, 168, 1824, 768}},
                                           ScaleRow{"2", "1024 168", {1024, 168, 1424, 468}},
                                           ScaleRow{"1.5", "1024 168", {1024, 168, 1557, 568}},
                                           ScaleRow{"2", "-400 -300", {-400, -300, 0, 0}}),
                         [](const auto& info) {
                             return std::string("Row") + std::to_string(info.index);
                         });
