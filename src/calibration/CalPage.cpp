#include "calibration/CalPage.h"

#include "calibration/CalibrationCodes.h"

CCalPage::CCalPage(ICalPageView& view, std::chrono::milliseconds targetTimeout)
    : m_view(view), m_targetTimeout(targetTimeout) {
    m_shown.targets.fill(CalTargetState::Hidden);
}

void CCalPage::OnCaptureChanged(const CaptureSnapshot& snapshot) {
    if (m_bEnded) {
        return;
    }
    m_shown = snapshot;
    m_guide = GuideFor(m_shown, m_targetTimeout);
    m_view.Repaint();

    switch (m_shown.state) {
        case CaptureState::Counting:
        case CaptureState::AwaitingLift:
            if (m_shown.nActiveTarget != m_nTarget) {
                m_nTarget = m_shown.nActiveTarget;
                m_view.StartTargetTimer();
            }
            break;
        case CaptureState::Finished:
            m_numbers = *m_shown.numbers;
            m_bComputed = true;
            [[fallthrough]];
        case CaptureState::Failed:
            // The last target's time-out no longer applies: the page is ending anyway.
            m_view.StopTargetTimer();
            if (!m_bFinishing) {
                m_bFinishing = true;
                m_view.StartFinishTimer();
            }
            break;
        case CaptureState::TimedOut:
            OnTargetTimer();
            break;
        case CaptureState::Idle:
        case CaptureState::Cancelled:
            break;
    }
}

void CCalPage::OnFinishTimer() {
    if (!m_bEnded) {
        m_view.Close(m_bComputed);
    }
}

void CCalPage::OnTargetTimer() {
    if (m_bEnded) {
        return;
    }
    m_nResult = CAL_ERR_TIMEOUT;
    m_view.Close(false);
}

void CCalPage::OnEnter() {
    if (!m_bEnded) {
        m_view.Close(m_bComputed);
    }
}

bool CCalPage::End(bool bAccepted) {
    if (m_bEnded) {
        return false;
    }
    m_bEnded = true;
    // Accepted promises numbers; nothing else may pass for them.
    m_bAccepted = bAccepted && m_bComputed;
    return true;
}

CalOutcome CCalPage::Outcome() const {
    return OutcomeOf(m_bAccepted, m_nResult == CAL_ERR_TIMEOUT, m_shown);
}
