// The tray icon in a real tray host (trayer) on a private X server. The icon lives in
// tray_probe, a process of its own that prints the commands it receives.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Trayer.h"
#include "Xvfb.h"

namespace {

bool Contains(const std::string& strText, const std::string& strPart) {
    return strText.find(strPart) != std::string::npos;
}

size_t CountOf(const std::string& strText, const std::string& strPart) {
    size_t nCount = 0;
    for (size_t nPos = strText.find(strPart); nPos != std::string::npos;
         nPos = strText.find(strPart, nPos + 1)) {
        ++nCount;
    }
    return nCount;
}

bool IsGreen(long nRgb) {
    const long nRed = (nRgb >> 16) & 0xFF;
    const long nGreen = (nRgb >> 8) & 0xFF;
    return nRgb >= 0 && nGreen > nRed + 60;
}

bool IsGrey(long nRgb) {
    const long nRed = (nRgb >> 16) & 0xFF;
    const long nGreen = (nRgb >> 8) & 0xFF;
    return nRgb >= 0 && nRed > 0x60 && std::abs(nGreen - nRed) < 16;
}

class TrayIntegration : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log(); }

    void StartProbe(const std::vector<std::string>& vecOptions = {}) {
        std::vector<std::string> vecArgs = {TRAY_PROBE_PATH};
        vecArgs.insert(vecArgs.end(), vecOptions.begin(), vecOptions.end());
        // The XEmbed tray of the X server, not a StatusNotifierItem on some session bus.
        m_pProbe = std::make_unique<CChildProcess>(
            vecArgs, std::map<std::string, std::string>{{"DISPLAY", m_xvfb.Display()},
                                                        {"QT_QPA_PLATFORM", "xcb"},
                                                        {"DBUS_SESSION_BUS_ADDRESS", ""}});
    }

    bool ProbeSaid(const std::string& strLine, size_t nTimes = 1) {
        return WaitUntil([&] { return CountOf(m_pProbe->Log(), strLine + "\n") >= nTimes; });
    }

    // The probe's icon as embedded in the current trayer, once it is drawn with a background
    // that bColour accepts. The window is looked up anew each time, as the host may still
    // move or resize it.
    template <typename Colour>
    XWindowBox WaitForIcon(Colour bColour) {
        XWindowBox box;
        long nPixel = -1;
        const bool bShown = WaitUntil([&] {
            const std::vector<XWindowBox> vecWindows = m_pTrayer->EmbeddedWindows(m_pProbe->Pid());
            if (vecWindows.empty()) {
                return false;
            }
            box = vecWindows.front();
            // Left of the picture, halfway down: the background.
            nPixel = RootPixel(m_xvfb, box.x + box.nWidth / 4, box.CenterY());
            return bColour(nPixel);
        });
        EXPECT_TRUE(bShown) << "pixel " << std::hex << nPixel << "\nprobe:\n"
                            << m_pProbe->Log() << "trayer:\n"
                            << m_pTrayer->Log();
        return box;
    }

    void StartTrayer() {
        m_pTrayer = std::make_unique<CTrayer>(m_xvfb);
        ASSERT_TRUE(m_pTrayer->WaitReady()) << m_pTrayer->Log();
    }

    // Each gesture presses another spot of the icon, 12 pixels from the last: two presses
    // in one place within the double-click time would make a double click of two gestures.
    void Click(const XWindowBox& box, const std::string& strButtons) {
        m_bLeftSpot = !m_bLeftSpot;
        const int x = m_bLeftSpot ? box.CenterX() - 6 : box.CenterX() + 6;
        ASSERT_EQ(m_xvfb.Run("xdotool mousemove " + std::to_string(x) + " " +
                             std::to_string(box.CenterY()) + " " + strButtons),
                  0);
    }

    CXvfb m_xvfb{"800x600x24"};
    std::unique_ptr<CTrayer> m_pTrayer;
    std::unique_ptr<CChildProcess> m_pProbe;
    bool m_bLeftSpot = false;
};

TEST_F(TrayIntegration, TheIconSitsInTheTrayAndTurnsClicksIntoCommands) {
    StartTrayer();
    StartProbe();
    ASSERT_TRUE(ProbeSaid("created 1")) << m_pProbe->Log();
    XWindowBox box = WaitForIcon(IsGrey);

    // A left press sends the click command; the probe then has another thread show icon
    // 139, which must reach the tray.
    Click(box, "click 1");
    EXPECT_TRUE(ProbeSaid("command 32781")) << m_pProbe->Log();
    box = WaitForIcon(IsGreen);

    // A double click: its first press is a left press, then the default command, which
    // here restores the window from the tray, active.
    Click(box, "click --repeat 2 --delay 60 1");
    EXPECT_TRUE(ProbeSaid("command 32779")) << m_pProbe->Log();
    EXPECT_TRUE(WaitUntil([&] { return WindowViewable(m_xvfb, "Tactilo probe"); }));
    EXPECT_TRUE(ProbeSaid("active 1")) << m_pProbe->Log();

    // The next double click hides it again.
    Click(box, "click --repeat 2 --delay 60 1");
    EXPECT_TRUE(ProbeSaid("command 32780")) << m_pProbe->Log();
    EXPECT_TRUE(WaitUntil([&] { return !WindowViewable(m_xvfb, "Tactilo probe"); }));
}

TEST_F(TrayIntegration, TheMenuOpensOnTheRightPressAndExitIsSent) {
    StartTrayer();
    StartProbe();
    const XWindowBox box = WaitForIcon(IsGrey);

    Click(box, "mousedown 3");
    EXPECT_TRUE(WaitUntil([&] { return !MappedTopLevelWindows(m_xvfb, m_pProbe->Pid()).empty(); }))
        << "no menu while the right button is held";
    ASSERT_EQ(m_xvfb.Run("xdotool mouseup 3"), 0);

    // Up from no current item goes to the last one, "Exit".
    ASSERT_EQ(m_xvfb.Run("xdotool key Up Return"), 0);
    EXPECT_TRUE(ProbeSaid("command 32778")) << m_pProbe->Log();
    EXPECT_FALSE(Contains(m_pProbe->Log(), "command 32775"));
    EXPECT_NE(m_pProbe->Wait(std::chrono::seconds(10)), -1) << "Exit did not end the probe";
}

TEST_F(TrayIntegration, AnIconStartedWithoutAHostAppearsWhenOneComesAndAgainAfterARestart) {
    StartProbe({"--change-while-hidden"});
    ASSERT_TRUE(ProbeSaid("created 0")) << m_pProbe->Log();

    StartTrayer();
    // Shown with the picture that was set while it waited.
    XWindowBox box = WaitForIcon(IsGreen);
    Click(box, "click 1");
    EXPECT_TRUE(ProbeSaid("command 32781")) << m_pProbe->Log();

    // The host goes away and another one comes.
    m_pTrayer.reset();
    StartTrayer();
    box = WaitForIcon(IsGreen);
    Click(box, "click 1");
    EXPECT_TRUE(ProbeSaid("command 32781", 2)) << m_pProbe->Log();
    EXPECT_TRUE(m_pProbe->Running());
}

}  // namespace
