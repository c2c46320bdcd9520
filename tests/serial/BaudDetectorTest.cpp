#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "LineStreams.h"
#include "serial/BaudDetector.h"
#include "serial/Port.h"

namespace {

const std::vector<unsigned> g_vecRates = {9600, 4800, 2400, 1200};

struct DetectCase {
    const char* pszName;
    unsigned nController;  // 0: random bytes at 960 bytes/s; 1: a silent line
    unsigned nFound;
    std::vector<unsigned> vecTried;
};

class BaudDetectorTest : public ::testing::TestWithParam<DetectCase> {};

// A finger dragged for 3 s on a controller at its rate, read at each rate in turn through the
// UART model: the controller's own rate is found and no slower one is tried.
TEST_P(BaudDetectorTest, FindsTheRateThatFramesCleanly) {
    const unsigned nController = GetParam().nController;
    auto pLine = std::make_unique<CRecordedLine>([nController](unsigned nRead) {
        if (nController == 0) {
            return RandomBytes(nRead, 960, 3);
        }
        if (nController == 1) {
            return std::vector<TimedByte>{};
        }
        return UartReceive(ControllerDrag(nController, 300, 200, 300, 1), nController, nRead);
    });
    CRecordedLine& line = *pLine;
    CPort port(std::move(pLine));
    CBaudDetector detector(port, [&line] { return std::uint64_t(line.LastTimeMs()); });
    std::vector<unsigned> vecTried;
    detector.SetProgress([&](unsigned nRate) { vecTried.push_back(nRate); });
    EXPECT_EQ(detector.Detect(3, g_vecRates), GetParam().nFound);
    EXPECT_EQ(vecTried, GetParam().vecTried);
    EXPECT_EQ(line.RatesSet(), GetParam().vecTried);
    EXPECT_TRUE(detector.OpenFailure().empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, BaudDetectorTest,
                         ::testing::Values(DetectCase{"At9600", 9600, 9600, {9600}},
                                           DetectCase{"At4800", 4800, 4800, {9600, 4800}},
                                           DetectCase{"At2400", 2400, 2400, {9600, 4800, 2400}},
                                           DetectCase{
                                               "At1200", 1200, 1200, {9600, 4800, 2400, 1200}},
                                           DetectCase{"Noise", 0, 0, {9600, 4800, 2400, 1200}},
                                           DetectCase{"Silent", 1, 0, {9600, 4800, 2400, 1200}}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(BaudDetectorOpenTest, APortThatDoesNotOpenEndsTheSearchWithItsReason) {
    CPort port(
        std::make_unique<CRecordedLine>([](unsigned) { return std::vector<TimedByte>{}; }, EBUSY));
    CBaudDetector detector(port, [] { return std::uint64_t(0); });
    EXPECT_EQ(detector.Detect(3, g_vecRates), 0u);
    EXPECT_EQ(detector.OpenError(), EBUSY);
    EXPECT_FALSE(detector.OpenFailure().empty());
}

TEST(BaudDetectorOpenTest, ACancelledSearchTriesNothing) {
    auto pLine = std::make_unique<CRecordedLine>([](unsigned nRead) {
        return UartReceive(ControllerDrag(9600, 300, 200, 300, 1), 9600, nRead);
    });
    CRecordedLine& line = *pLine;
    CPort port(std::move(pLine));
    CBaudDetector detector(port, [] { return std::uint64_t(0); });
    detector.Cancel();
    EXPECT_EQ(detector.Detect(3, g_vecRates), 0u);
    EXPECT_TRUE(line.RatesSet().empty());
}

}  // namespace
