// The calibration page's states without a window: the capture's reports, the timers and the
// keys against what the page asks of its view and how it ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calibration/CalPage.h"
#include "calibration/CalibrationCodes.h"

namespace {

// Records what the page asks, as letters: T timer 5 armed, t stopped, F timer 3, P repaint,
// A/R closed accepted or rejected. Close ends the page as the real one's done() does.
class CRecordingPageView final : public ICalPageView {
public:
    void StartTargetTimer() override { m_strCalls += 'T'; }
    void StopTargetTimer() override { m_strCalls += 't'; }
    void StartFinishTimer() override { m_strCalls += 'F'; }
    void Repaint() override {}
    void Close(bool bAccepted) override {
        m_strCalls += bAccepted ? 'A' : 'R';
        m_pPage->End(bAccepted);
    }
    CCalPage* m_pPage = nullptr;
    std::string m_strCalls;
};

CaptureSnapshot Report(CaptureState state, int nTarget = -1) {
    CaptureSnapshot snapshot;
    snapshot.state = state;
    snapshot.nActiveTarget = nTarget;
    if (state == CaptureState::Finished) {
        CalibrationNumbers numbers;
        numbers.m_dScaleX = 2.0;
        snapshot.numbers = numbers;
    }
    return snapshot;
}

enum class Then { Nothing, FinishTimer, TargetTimer, Enter, Escape };

struct Row {
    const char* szCase;
    std::vector<CaptureSnapshot> reports;
    Then then;
    std::string strCalls;
    bool bAccepted;
    std::uint32_t nResult;
    CalOutcome outcome;
};

}  // namespace

TEST(CalPage, EndsAsItsReportsTimersAndKeysSay) {
    using S = CaptureState;
    const Row rows[] = {
        {"five targets, then timer 3",
         {Report(S::Counting, 0), Report(S::AwaitingLift, 0), Report(S::Counting, 1),
          Report(S::Finished), Report(S::Finished)},
         Then::FinishTimer,
         "TTtFtA",
         true,
         0,
         CalOutcome::Calibrated},
        {"Enter once the numbers exist",
         {Report(S::Counting, 0), Report(S::Finished)},
         Then::Enter,
         "TtFA",
         true,
         0,
         CalOutcome::Calibrated},
        {"Enter before the numbers",
         {Report(S::Counting, 0)},
         Then::Enter,
         "TR",
         false,
         0,
         CalOutcome::Cancelled},
        {"no span",
         {Report(S::Counting, 4), Report(S::Failed)},
         Then::FinishTimer,
         "TtFR",
         false,
         0,
         CalOutcome::NoSpan},
        {"the capture's time-out",
         {Report(S::Counting, 2), Report(S::TimedOut)},
         Then::Nothing,
         "TR",
         false,
         CAL_ERR_TIMEOUT,
         CalOutcome::TimedOut},
        {"timer 5",
         {Report(S::Counting, 2)},
         Then::TargetTimer,
         "TR",
         false,
         CAL_ERR_TIMEOUT,
         CalOutcome::TimedOut},
        {"ESC", {Report(S::Counting, 0)}, Then::Escape, "T", false, 0, CalOutcome::Cancelled},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.szCase);
        CRecordingPageView view;
        CCalPage page(view, std::chrono::seconds(5));
        view.m_pPage = &page;
        for (const CaptureSnapshot& report : row.reports) {
            page.OnCaptureChanged(report);
        }
        switch (row.then) {
            case Then::FinishTimer:
                page.OnFinishTimer();
                break;
            case Then::TargetTimer:
                page.OnTargetTimer();
                break;
            case Then::Enter:
                page.OnEnter();
                break;
            case Then::Escape:
                page.End(false);
                break;
            case Then::Nothing:
                break;
        }
        EXPECT_TRUE(page.Ended());
        // Whatever comes after the end changes nothing.
        page.OnCaptureChanged(Report(S::Finished));
        page.OnTargetTimer();
        page.OnFinishTimer();
        EXPECT_FALSE(page.End(true));
        EXPECT_EQ(view.m_strCalls, row.strCalls);
        EXPECT_EQ(page.Accepted(), row.bAccepted);
        EXPECT_EQ(page.Result(), row.nResult);
        EXPECT_EQ(page.Outcome(), row.outcome);
        if (row.bAccepted) {
            EXPECT_EQ(page.Numbers().m_dScaleX, 2.0);
        }
    }
}

// Accepted promises numbers: an end asked as accepted without them is rejected.
TEST(CalPage, AnAcceptedEndWithoutNumbersIsRejected) {
    CRecordingPageView view;
    CCalPage page(view, std::chrono::seconds(5));
    view.m_pPage = &page;
    page.OnCaptureChanged(Report(CaptureState::Counting, 0));
    EXPECT_TRUE(page.End(true));
    EXPECT_FALSE(page.Accepted());
}
