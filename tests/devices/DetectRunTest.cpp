// A Detect run of the Device Settings dialog without a dialog: a fake line, the
// user-interface queue run by the test, and a view that records what it is told.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeMonitorSource.h"
#include "FakePortSystem.h"
#include "FakeSerialLine.h"
#include "FakeUiDispatcher.h"
#include "RecordingMessageBox.h"
#include "TouchPackets.h"
#include "devices/DetectRun.h"

namespace {

class CRecordingDetectView final : public IDetectRunView {
public:
    void EnableForDetect(const Enabled& enabled) override {
        m_bLocked = !enabled.bSave;
        m_bProgressShown = enabled.bProgress;
        ++m_nEnables;
    }
    void ShowDetectProgress(int nStep, int, const std::string& strStatus) override {
        m_vecSteps.push_back(nStep);
        m_strStatus = strStatus;
    }
    void SelectBaudRow(int nRow) override { m_vecSelected.push_back(nRow); }

    bool m_bLocked = false;
    bool m_bProgressShown = false;
    int m_nEnables = 0;
    std::vector<int> m_vecSteps;
    std::string m_strStatus;
    std::vector<int> m_vecSelected;
};

// One port, COM3, in the list; each Start takes the next line the test prepared.
class DetectRun : public ::testing::Test {
protected:
    DetectRun() {
        m_settings.SetPortLister([] {
            PortChoice com3;
            com3.nPort = 3;
            com3.strText = "COM3";
            return std::vector<PortChoice>{com3};
        });
        m_settings.Open({}, false);
    }

    CFakeSerialLine& NextLine(bool bBlockWhenEmpty) {
        m_pNext = std::make_unique<CFakeSerialLine>(bBlockWhenEmpty);
        return *m_pNext;
    }
    bool Start() {
        CDeviceSettings::Choices choices;
        choices.nPort = 0;
        return m_run.Start(choices);
    }
    bool RunUntilDone() {
        return m_dispatcher.RunUntil([this] { return !m_run.Running() && !m_view.m_bLocked; });
    }

    CFakeMonitorSource m_monitors{{{"screen", {0, 0, 1024, 768}}}};
    CFakePortSystem m_ports;
    CRecordingMessageBox m_messages;
    CDeviceSettings m_settings{{m_monitors, m_ports, m_messages}};
    CRecordingDetectView m_view;
    CFakeUiDispatcher m_dispatcher;
    std::unique_ptr<CFakeSerialLine> m_pNext;
    CDetectRun m_run{m_settings, m_view, m_dispatcher, [this] { return std::move(m_pNext); }};
};

// A finger dragged on a controller at the first rate tried: that rate's row is selected, and
// the controls are locked only while the search runs.
TEST_F(DetectRun, SelectsTheRowOfTheRateThatFrames) {
    CFakeSerialLine& line = NextLine(false);
    for (int i = 0; i < 60; ++i) {
        line.Feed(TouchPacketBytes(true, 200 + i, 300 + i));
    }
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_view.m_bLocked);
    EXPECT_TRUE(m_view.m_bProgressShown);
    EXPECT_FALSE(Start());  // one search at a time
    ASSERT_TRUE(RunUntilDone());
    EXPECT_EQ(m_view.m_vecSelected, std::vector<int>{0});  // "9600"
    EXPECT_FALSE(m_view.m_bProgressShown);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// A line that goes quiet at once: every rate is tried in turn, then the user is told.
TEST_F(DetectRun, TriesEveryRateThenSaysNoneFramed) {
    NextLine(false);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilDone());
    EXPECT_EQ(m_view.m_vecSteps, (std::vector<int>{0, 0, 1, 2, 3}));
    EXPECT_EQ(m_view.m_strStatus, "Listening at 1200 baud: keep touching the screen...");
    EXPECT_TRUE(m_view.m_vecSelected.empty());
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].first.find("None of the baud rates"), std::string::npos);
}

// Closing the dialog mid-search: the blocked read is woken and the thread joined, the
// controls come back, and what the search had posted is dropped.
TEST_F(DetectRun, StopEndsARunningSearchWithoutAResult) {
    NextLine(true);
    m_run.SetListenMs(60 * 60 * 1000);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(m_dispatcher.RunUntil([this] { return m_view.m_vecSteps.size() > 1; }));
    m_run.Stop();
    EXPECT_FALSE(m_run.Running());
    EXPECT_FALSE(m_view.m_bLocked);
    const int nEnables = m_view.m_nEnables;
    m_dispatcher.RunPending();
    EXPECT_EQ(m_view.m_nEnables, nEnables);
    EXPECT_TRUE(m_view.m_vecSelected.empty());
    EXPECT_TRUE(m_messages.Messages().empty());
}

}  // namespace
