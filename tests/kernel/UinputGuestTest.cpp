// Runs inside the QEMU guest that uinput_test.py boots: uinput and evdev loaded, udevd
// running, and Xorg on :0 with the dummy video driver (outputs DUMMY0 and DUMMY1 side by
// side, 1920 x 1080 each) and the libinput input driver, which adds input devices as udev
// announces them. Tactilo itself runs here, unforced, on the simulator's pseudo-terminal
// linked as COM1; nothing but the kernel carries its pointer to the X server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "TestTime.h"
#include "TouchAim.h"
#include "TouchPackets.h"
#include "XObserver.h"
#include "devices/TouchDevice.h"

namespace {

namespace fs = std::filesystem;
using Kind = PointerEvent::Kind;

const char* const g_szDisplay = ":0";
// A device on the right-hand monitor, DUMMY1 at (1920, 0).
const std::string g_strDevice =
    "Right;DUMMY1;COM1;9600;1;1920;3840;0;1080;2.258824;0;0;1.440000;0;0;517;500;180;860;0;200;"
    "800;0;0;0;";

std::string Shell(const std::string& strCommand) {
    std::string strOut;
    if (FILE* pPipe = popen(strCommand.c_str(), "r")) {
        char szBuffer[512];
        while (fgets(szBuffer, sizeof szBuffer, pPipe)) {
            strOut += szBuffer;
        }
        pclose(pPipe);
    }
    return strOut;
}

bool Contains(const std::string& strText, const std::string& strPart) {
    return strText.find(strPart) != std::string::npos;
}

int Xrandr(const std::string& strArgs) {
    return std::system(("DISPLAY=:0 xrandr " + strArgs).c_str());
}

// /dev/input/eventN of the device named strName, or empty.
std::string EventNode(const std::string& strName) {
    for (const auto& entry : fs::directory_iterator("/sys/class/input")) {
        const std::string strNode = entry.path().filename().string();
        if (strNode.rfind("event", 0) == 0 &&
            ReadTextFile(entry.path().string() + "/device/name") == strName + "\n") {
            return "/dev/input/" + strNode;
        }
    }
    return {};
}

// The X server's libinput driver turns the axis into 0..65535 and the server scales that
// back to the screen in floating point, truncating. Tactilo sends the middle of the aimed
// pixel in quarter pixels, so the pointer lands exactly on it.
::testing::AssertionResult OnAim(const PointerEvent& event, std::pair<int, int> aim) {
    if (event.x == aim.first && event.y == aim.second) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "at " << event.x << "," << event.y << ", aimed at " << aim.first << "," << aim.second;
}

class UinputGuest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Xrandr("--output DUMMY0 --mode 1920x1080 --pos 0x0 --primary "
                         "--output DUMMY1 --mode 1920x1080 --pos 1920x0 --output DUMMY2 --off"),
                  0);
        m_pSim = std::make_unique<CSimulatorProcess>(1, std::vector<std::string>{"--keep-open"});
        ASSERT_FALSE(m_pSim->SlavePath().empty()) << m_pSim->ErrorLog();
        const fs::path appDir = fs::path(m_config.Path()) / "app";
        fs::create_directories(appDir);
        fs::copy_file(TACTILO_PROGRAM, appDir / "Tactilo");
        std::ofstream(appDir / "Settings.dat", std::ios::binary) << g_strDevice << "\r\n";
        m_pTactilo = std::make_unique<CChildProcess>(
            std::vector<std::string>{(appDir / "Tactilo").string()},
            std::map<std::string, std::string>{{"DISPLAY", g_szDisplay},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"QT_LOGGING_RULES", "tactilo.trace=true"},
                                               {"DBUS_SESSION_BUS_ADDRESS", ""}});
        ASSERT_TRUE(WaitUntil([&] { return !EventNode("Tactilo pointer").empty(); }))
            << m_pTactilo->Log();
    }

    // Sends one packet through the line (a touch, or a release that only moves), then the
    // script lines in strThen, and waits until the simulator has written them all.
    void Packet(bool bTouch, int nRawX, int nRawY, const std::string& strThen = {}) {
        const std::string strMark = "sent " + std::to_string(++m_nMarks);
        ASSERT_TRUE(m_pSim->Send("bytes " + Hex(TouchPacketBytes(bTouch, nRawX, nRawY)) + "\n" +
                                 strThen + "echo " + strMark + "\n"));
        ASSERT_TRUE(m_pSim->WaitForEcho(strMark));
    }
    static std::string Hex(const std::vector<unsigned char>& vecBytes) {
        std::string strHex;
        for (unsigned char nByte : vecBytes) {
            char sz[3];
            std::snprintf(sz, sizeof sz, "%02x", nByte);
            strHex += sz;
        }
        return strHex;
    }

    // Whether moves to about (nRawX, nRawY) land where Tactilo aims them within 10 s (on an
    // idle machine; a slow guest stretches it). After a
    // layout change the old device serves until Tactilo has made the new one and the X server
    // has added it; and the kernel passes on an axis value only when it changes, so each try
    // goes to a point of its own.
    ::testing::AssertionResult Lands(CTouchAim& aim, int nRawX, int nRawY) {
        std::string strLast = "nothing";
        const auto deadline = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(10));
        for (int nTry = 0; std::chrono::steady_clock::now() < deadline; ++nTry) {
            const int nX = nRawX + nTry % 2;
            m_pObserver->ClearEvents();
            Packet(false, nX, nRawY);
            const auto target = aim.At(nX, nRawY);
            if (m_pObserver->WaitForEvents([](const auto& v) { return !v.empty(); },
                                           std::chrono::milliseconds(500))) {
                const PointerEvent last = m_pObserver->Events().back();
                if (OnAim(last, target)) {
                    return ::testing::AssertionSuccess();
                }
                strLast = std::to_string(last.x) + "," + std::to_string(last.y) + " for " +
                          std::to_string(target.first) + "," + std::to_string(target.second);
            }
        }
        return ::testing::AssertionFailure() << "the pointer went to " << strLast;
    }

    CTempConfigDir m_config;
    std::unique_ptr<CXObserver> m_pObserver;
    std::unique_ptr<CSimulatorProcess> m_pSim;
    std::unique_ptr<CChildProcess> m_pTactilo;
    int m_nMarks = 0;
};

}  // namespace

// udev's input_id and libinput take the device for what it is: a mouse with absolute axes
// (a pointer, not a touchscreen or a tablet), the size from the resolution Tactilo sets.
TEST_F(UinputGuest, UdevAndLibinputSeeAnAbsoluteMouse) {
    const std::string strNode = EventNode("Tactilo pointer");
    const std::string strInfo = Shell("udevadm info --query=property " + strNode);
    EXPECT_TRUE(Contains(strInfo, "ID_INPUT=1\n")) << strInfo;
    EXPECT_TRUE(Contains(strInfo, "ID_INPUT_MOUSE=1\n")) << strInfo;
    EXPECT_FALSE(Contains(strInfo, "ID_INPUT_TOUCHSCREEN")) << strInfo;
    EXPECT_FALSE(Contains(strInfo, "ID_INPUT_TABLET")) << strInfo;
    EXPECT_TRUE(Contains(strInfo, "ID_INPUT_WIDTH_MM=")) << strInfo;
    const std::string strParent = Shell("udevadm info --query=property /sys/class/input/" +
                                        fs::path(strNode).filename().string() + "/device");
    EXPECT_TRUE(Contains(strParent, "\nABS=3\n")) << strParent;              // ABS_X and ABS_Y
    EXPECT_TRUE(Contains(strParent, "\nPROP=1\n")) << strParent;             // INPUT_PROP_POINTER
    EXPECT_TRUE(Contains(strParent, "\nKEY=30000 0 0 0 0\n")) << strParent;  // left, right
    // Virtual bus, vendor "TA", product 1: what users' per-device rules name.
    EXPECT_TRUE(Contains(strParent, "\nPRODUCT=6/5441/1/1\n")) << strParent;

    const std::string strLibinput = Shell("libinput list-devices 2>&1");
    const auto nAt = strLibinput.find("Device:           Tactilo pointer");
    ASSERT_NE(nAt, std::string::npos) << strLibinput;
    const std::string strEntry = strLibinput.substr(nAt, strLibinput.find("\n\n", nAt) - nAt);
    EXPECT_TRUE(Contains(strEntry, "Kernel:           " + strNode)) << strEntry;
    EXPECT_TRUE(Contains(strEntry, "Capabilities:     pointer")) << strEntry;
    EXPECT_TRUE(Contains(strEntry, "Size:             960x270mm")) << strEntry;
    EXPECT_TRUE(Contains(m_pTactilo->Log(), "Pointer output: uinput")) << m_pTactilo->Log();
}

// Packets on the line move the X server's pointer to the pixel Tactilo aimed at on the
// right-hand monitor, a tap presses and releases the left button there, a hold the right;
// a layout change remakes the device over the new desktop and lets go of a held button.
TEST_F(UinputGuest, TheXServerFollowsTheLineAcrossLayoutChanges) {
    m_pObserver = std::make_unique<CXObserver>(g_szDisplay);
    CXObserver& observer = *m_pObserver;
    ASSERT_TRUE(observer.Ok());
    CTouchAim aim(g_strDevice);
    // The X server adds the device a moment after udev announces it.
    ASSERT_TRUE(Lands(aim, 300, 300)) << m_pTactilo->Log();
    for (const auto& [nRawX, nRawY] : {std::pair{200, 200}, {517, 500}, {860, 800}, {20, 1000}}) {
        EXPECT_TRUE(Lands(aim, nRawX, nRawY)) << nRawX << "," << nRawY;
    }

    // A tap: left press and release where it was aimed.
    observer.ClearEvents();
    Packet(true, 400, 400);
    Packet(false, 400, 400);
    ASSERT_TRUE(observer.WaitForButtonEvents(2)) << m_pTactilo->Log();
    auto vecButtons = observer.ButtonEvents();
    const auto tap = aim.At(400, 400);
    ASSERT_EQ(vecButtons.size(), 2u);
    EXPECT_EQ(vecButtons[0].kind, Kind::Press);
    EXPECT_EQ(vecButtons[0].nButton, 1);
    EXPECT_EQ(vecButtons[1].kind, Kind::Release);
    EXPECT_EQ(vecButtons[1].nButton, 1);
    EXPECT_TRUE(OnAim(vecButtons[0], tap));

    // A hold past the right-click time: the right button, pressed and let go.
    observer.ClearEvents();
    Packet(true, 700, 300, "down 700 300\nhold 2300\n");
    ASSERT_TRUE(observer.WaitForEvents(
        [](const auto& v) {
            for (const PointerEvent& event : v) {
                if (event.kind == Kind::Release && event.nButton == 3) {
                    return true;
                }
            }
            return false;
        },
        std::chrono::seconds(10)))
        << m_pTactilo->Log();
    Packet(false, 700, 300);
    for (const PointerEvent& event : observer.ButtonEvents()) {
        if (event.nButton == 3) {
            EXPECT_TRUE(OnAim(event, aim.At(700, 300)));
        }
    }
    EXPECT_TRUE(WaitUntil([&] {
        const PointerState state = observer.QueryPointer();
        return !state.bLeft && !state.bRight;
    }));

    // A third monitor right of the others widens the desktop to 5120 pixels: with the old
    // device's range the same packet would land a third further right. The finger stays on
    // the glass meanwhile: the old device lets go of the button before it goes.
    observer.ClearEvents();
    ASSERT_TRUE(m_pSim->Send("down 517 500\nhold 1500\necho held\n"));
    ASSERT_TRUE(observer.WaitForButtonEvents(1));
    ASSERT_EQ(Xrandr("--addmode DUMMY2 1280x1024"), 0);
    ASSERT_EQ(Xrandr("--output DUMMY2 --mode 1280x1024 --pos 3840x0"), 0);
    ASSERT_TRUE(observer.WaitForButtonEvents(2)) << "the held button was not let go";
    ASSERT_TRUE(m_pSim->WaitForEcho("held"));
    const auto tpLifted = std::chrono::steady_clock::now();
    EXPECT_EQ(observer.ButtonEvents()[1].kind, Kind::Release);
    EXPECT_LT(observer.ButtonEvents()[1].tpSeen, tpLifted);
    Packet(false, 517, 500);
    EXPECT_TRUE(Lands(aim, 860, 800)) << "after adding a monitor";
    EXPECT_TRUE(Lands(aim, 200, 200)) << "after adding a monitor";

    // And back: the monitor gone, the desktop 3840 wide again.
    ASSERT_EQ(Xrandr("--output DUMMY2 --off"), 0);
    EXPECT_TRUE(Lands(aim, 860, 800)) << "after removing a monitor";
}
