// A bad line never clicks: the simulator plays line noise, a controller on another baud rate
// or stray bytes among clean taps into COM3, the main window's reader thread reads them
// through a real pseudo-terminal, and a separate X client counts what the X server did.
// Data that does not look like a touch screen's may neither press nor move the pointer
// (a handful of moves is tolerated: a random packet can pass every check), clean taps must
// still land where they aim, and the user is told once per episode of noise.
//
// The runs are short for the suite. Longer ones, by hand:
//   TACTILO_NOISE_SECONDS=60   noise for 60 s instead of 6 (the seconds of each noise run)
//   TACTILO_STRAY_MS=500       one stray byte every 500 ms instead of every 2 s (a harder
//                              line than the guard forgives: taps may be lost)
// for example `TACTILO_NOISE_SECONDS=60 ctest -R NoisyLine --timeout 600`.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "LiveWindow.h"
#include "QtWait.h"
#include "TestTime.h"
#include "WorkedDevice.h"
#include "Xvfb.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using Kind = PointerEvent::Kind;
using Events = std::vector<PointerEvent>;

constexpr int nPort = 3;
constexpr int nAimPx = 3;  // a tap through the simulator's inverse mapping lands this close

int EnvInt(const char* szName, int nDefault) {
    const char* szValue = std::getenv(szName);
    const int nValue = szValue ? std::atoi(szValue) : 0;
    return nValue > 0 ? nValue : nDefault;
}

struct Point {
    int x;
    int y;
};

bool Near(const PointerEvent& event, Point pt) {
    return std::abs(event.x - pt.x) <= nAimPx && std::abs(event.y - pt.y) <= nAimPx;
}
bool IsPress(const PointerEvent& event) {
    return event.kind == Kind::Press;
}

// Presses and moves among events [0, nEnd), leaving out those on the given points (a clean
// tap's own).
struct Tally {
    int nPresses = 0;
    int nMoves = 0;
};
Tally Count(const Events& vecEvents, std::size_t nEnd, const std::vector<Point>& vecAims = {}) {
    Tally tally;
    for (std::size_t i = 0; i < nEnd && i < vecEvents.size(); ++i) {
        bool bAimed = false;
        for (Point pt : vecAims) {
            bAimed = bAimed || Near(vecEvents[i], pt);
        }
        if (!bAimed) {
            tally.nPresses += IsPress(vecEvents[i]);
            tally.nMoves += vecEvents[i].kind == Kind::Motion;
        }
    }
    return tally;
}
std::ostream& operator<<(std::ostream& os, const Tally& tally) {
    return os << tally.nPresses << " presses and " << tally.nMoves << " moves";
}

class NoisyLine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log(); }

    // A simulator with the given options and the device connected at strBaud.
    void Start(const std::string& strBaud, const std::vector<std::string>& vecSimArgs) {
        std::vector<std::string> vecArgs = {"--seed", "7"};
        vecArgs.insert(vecArgs.end(), vecSimArgs.begin(), vecSimArgs.end());
        m_pLive = std::make_unique<CLiveWindow>(m_xvfb.Display(), nPort, vecArgs);
        ASSERT_TRUE(m_pLive->Ok()) << m_pLive->m_sim.ErrorLog();
        m_pLive->Connect(WorkedDevice("COM" + std::to_string(nPort), strBaud));
        ASSERT_TRUE(m_pLive->m_dlg.Port().IsOpen());
        Play("calibration " +
             FormatDeviceLine(WorkedDevice("COM" + std::to_string(nPort), strBaud)));
    }

    void Play(const std::string& strLines) { ASSERT_TRUE(m_pLive->m_sim.Send(strLines + "\n")); }
    // Plays the lines and waits until every byte of them is in the line.
    bool PlayAll(const std::string& strLines, milliseconds timeout = 10s) {
        const std::string strMark = "played " + std::to_string(++m_nMarks);
        return m_pLive->m_sim.Send(strLines + "\necho " + strMark + "\n") &&
               m_pLive->m_sim.Process().WaitForLine(strMark, Scaled(timeout));
    }
    bool PlayNoise(int nBytesPerS, int nSeconds) {
        return PlayAll(
            "noise " + std::to_string(nBytesPerS) + " " + std::to_string(nSeconds * 1000),
            10s + 4 * seconds(nSeconds));
    }

    Events Seen() { return m_pLive->m_observer.Events(); }
    // The figures go into the XML report (--gtest_output=xml), passed or not.
    static Tally Recorded(Tally tally) {
        RecordProperty("presses", tally.nPresses);
        RecordProperty("moves", tally.nMoves);
        return tally;
    }
    // Pumps the window's event loop until an event from nFrom on satisfies bFound; its index.
    std::optional<std::size_t> Find(std::size_t nFrom,
                                    const std::function<bool(const PointerEvent&)>& bFound,
                                    milliseconds timeout) {
        std::optional<std::size_t> found;
        PumpUntil(
            [&] {
                return m_pLive->m_observer.WaitForEvents(
                    [&](const Events& vecEvents) {
                        for (std::size_t i = nFrom; i < vecEvents.size(); ++i) {
                            if (bFound(vecEvents[i])) {
                                found = i;
                                return true;
                            }
                        }
                        return false;
                    },
                    20ms);
            },
            Scaled(timeout));
        return found;
    }
    // The index of the first press at pt from nFrom on; its release must come there too.
    std::optional<std::size_t> Landed(Point pt, std::size_t nFrom, milliseconds timeout) {
        const auto press = Find(
            nFrom, [&](auto& e) { return IsPress(e) && Near(e, pt); }, timeout);
        if (!press) {
            return std::nullopt;
        }
        const auto release = Find(
            *press, [](auto& e) { return e.kind == Kind::Release; }, 5s);
        EXPECT_TRUE(release && Near(Seen()[*release], pt))
            << "the tap at " << pt.x << "," << pt.y << " is not released there";
        return press;
    }
    // Taps pt until a tap lands (a guard may want clean packets before it trusts the line
    // again): the index of the landing press.
    std::optional<std::size_t> TapUntilLanded(Point pt, std::size_t nFrom = 0) {
        for (int nTry = 0; nTry < 20; ++nTry) {
            PlayAll("tappoint " + std::to_string(pt.x) + " " + std::to_string(pt.y) + "\nwait 150");
            if (const auto press = Landed(pt, nFrom, 1s)) {
                return press;
            }
        }
        return std::nullopt;
    }

    CXvfb m_xvfb;
    std::unique_ptr<CLiveWindow> m_pLive;
    int m_nMarks = 0;
};

}  // namespace

// Noise at a line's full pace, then a clean tap.
struct NoiseRow {
    const char* szName;
    int nBytesPerS;
    const char* szBaud;
};

void PrintTo(const NoiseRow& row, std::ostream* pOs) {
    *pOs << row.nBytesPerS << " bytes/s at " << row.szBaud << " baud";
}

class NoiseThenTap : public NoisyLine, public ::testing::WithParamInterface<NoiseRow> {};

TEST_P(NoiseThenTap, NeverClicksAndTheNextTapLands) {
    const NoiseRow& row = GetParam();
    const int nSeconds = EnvInt("TACTILO_NOISE_SECONDS", 6);
    Start(row.szBaud, {});
    ASSERT_TRUE(PlayNoise(row.nBytesPerS, nSeconds)) << m_pLive->m_sim.ErrorLog();
    const Point ptAim = {1147, 540};
    const auto press = TapUntilLanded(ptAim);
    const Events vecEvents = Seen();
    const Tally noise = Recorded(Count(vecEvents, press.value_or(vecEvents.size()), {ptAim}));
    ASSERT_TRUE(press) << "no clean tap landed after " << nSeconds << " s of noise, which made "
                       << noise;
    EXPECT_EQ(noise.nPresses, 0) << nSeconds << " s of noise made " << noise;
    EXPECT_LE(noise.nMoves, 5) << nSeconds << " s of noise made " << noise;
    EXPECT_EQ(Count(vecEvents, vecEvents.size(), {ptAim}).nPresses, noise.nPresses)
        << "a press after the tap landed";
}

INSTANTIATE_TEST_SUITE_P(Rates, NoiseThenTap,
                         ::testing::Values(NoiseRow{"Line9600", 960, "9600"},
                                           NoiseRow{"Line38400", 3840, "38400"}),
                         [](const auto& info) { return std::string(info.param.szName); });

// A controller clocked at one rate read at another: every byte arrives, none as sent.
struct BaudRow {
    int nControllerBaud;
    int nReadBaud;
};

void PrintTo(const BaudRow& row, std::ostream* pOs) {
    *pOs << "controller at " << row.nControllerBaud << ", read at " << row.nReadBaud;
}

class WrongBaud : public NoisyLine, public ::testing::WithParamInterface<BaudRow> {};

TEST_P(WrongBaud, TapsAndDragsNeverClick) {
    const BaudRow& row = GetParam();
    Start(std::to_string(row.nReadBaud),
          {"--controller-baud", std::to_string(row.nControllerBaud)});
    // No faster than the controller's line carries packets (30 bits each).
    std::string strScript = "rate " + std::to_string(std::min(100, row.nControllerBaud / 40));
    for (int i = 0; i < 6; ++i) {
        const std::string strX = std::to_string(150 + 120 * i);
        strScript += "\ntap " + strX + " 300 80\nwait 100\ndrag " + strX + " 700 " +
                     std::to_string(900 - 100 * i) + " 400 300\nwait 100";
    }
    // The hang-up waits until the reader has taken every byte; once the reader has ended,
    // a move of our own through its X connection comes after everything it sent.
    ASSERT_TRUE(PlayAll(strScript + "\nhangup", 60s)) << m_pLive->m_sim.ErrorLog();
    ASSERT_TRUE(PumpUntil([&] { return m_pLive->m_dlg.ReconnectPending(); }, Scaled(10s)));
    const Point ptMark = {1913, 7};
    m_pLive->m_readerOutput.SendInput(
        {0, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ptMark.x, ptMark.y});
    const auto mark = Find(
        0, [&](auto& e) { return Near(e, ptMark); }, 10s);
    ASSERT_TRUE(mark);
    const Tally tally = Recorded(Count(Seen(), *mark));
    EXPECT_EQ(tally.nPresses, 0) << tally;
    EXPECT_LE(tally.nMoves, 5) << tally;
}

INSTANTIATE_TEST_SUITE_P(ControllerReadAt, WrongBaud,
                         ::testing::Values(BaudRow{9600, 2400}, BaudRow{2400, 9600},
                                           BaudRow{4800, 1200}, BaudRow{1200, 4800}),
                         [](const auto& info) {
                             return std::to_string(info.param.nControllerBaud) + "ReadAt" +
                                    std::to_string(info.param.nReadBaud);
                         });

// A stray byte now and then, which may fall inside a packet, among clean taps.
TEST_F(NoisyLine, StrayBytesLeaveEveryTapWhereItWasAimed) {
    // A loose contact's rate, one every 2 s: two within the guard's second of memory are a
    // noisy line, not a clean one.
    const int nStrayMs = EnvInt("TACTILO_STRAY_MS", 2000);
    Start("9600", {"--strays", std::to_string(nStrayMs)});
    // Enough taps for about 6 strays, far enough apart that none snaps onto another.
    const int nTaps = std::max(12, 6 * nStrayMs / 400);
    std::vector<Point> vecAims;
    std::string strScript;
    for (int i = 0; i < nTaps; ++i) {
        vecAims.push_back({200 + 150 * (i % 10), 200 + 60 * (i % 13)});
        strScript += "tappoint " + std::to_string(vecAims.back().x) + " " +
                     std::to_string(vecAims.back().y) + " 60\nwait 340\n";
    }
    ASSERT_TRUE(PlayAll(strScript, 10s + milliseconds(nTaps * 1600))) << m_pLive->m_sim.ErrorLog();
    std::size_t nFrom = 0;
    for (std::size_t i = 0; i < vecAims.size(); ++i) {
        const auto press = Landed(vecAims[i], nFrom, 10s);
        ASSERT_TRUE(press) << "tap " << i << " at " << vecAims[i].x << "," << vecAims[i].y
                           << " never pressed; elsewhere: "
                           << Count(Seen(), Seen().size(), vecAims);
        nFrom = *press + 1;
    }
    const Tally elsewhere = Recorded(Count(Seen(), Seen().size(), vecAims));
    EXPECT_EQ(elsewhere.nPresses, 0) << "strays made " << elsewhere;
    // A stray inside a packet makes one with a wrong point: while a tap is held that is a
    // drag across the screen.
    EXPECT_LE(elsewhere.nMoves, 5) << "strays made " << elsewhere;
}

// One notice per episode of noise, however long it lasts, and one again for the next.
TEST_F(NoisyLine, EachEpisodeOfNoiseIsToldOnce) {
    Start("2400", {});
    const std::string strNotice =
        "COM3 sends data that is not a touch screen's at 2400 baud: check the baud rate in "
        "Device Settings";
    auto nNotices = [&] { return static_cast<int>(m_pLive->m_tray.Notifications().size()); };
    const Point ptAim = {700, 500};
    for (int nEpisode = 1; nEpisode <= 2; ++nEpisode) {
        ASSERT_TRUE(PlayNoise(240, 3)) << m_pLive->m_sim.ErrorLog();
        const bool bTold = PumpUntil([&] { return nNotices() >= nEpisode; }, Scaled(10s));
        const auto press = TapUntilLanded(ptAim, Seen().size());
        // Clean packets flow: the episode is over, and nothing more is said about it.
        ASSERT_TRUE(press) << "no clean tap landed after episode " << nEpisode;
        ASSERT_TRUE(PlayAll("tappoint 700 500 300\nwait 150"));
        ASSERT_TRUE(Landed(ptAim, *press + 1, 10s));
        ASSERT_TRUE(bTold) << "episode " << nEpisode << " gave " << nNotices()
                           << " notices; the noise so far made "
                           << Count(Seen(), Seen().size(), {ptAim});
        EXPECT_EQ(nNotices(), nEpisode);
    }
    for (const auto& [strTitle, strText] : m_pLive->m_tray.Notifications()) {
        EXPECT_EQ(strText, strNotice);
    }
    int nTraced = 0;
    for (const std::string& strLine : m_pLive->m_trace.Lines()) {
        nTraced += strLine.find(strNotice) != std::string::npos;
    }
    EXPECT_EQ(nTraced, 2);
}
