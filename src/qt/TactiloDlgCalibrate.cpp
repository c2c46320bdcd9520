// The calibration page over the window: the hub has chosen the monitor and switched the touch
// processor to raw readings; the page runs modally and hands back how it ended.

#include "qt/Cal.h"
#include "qt/TactiloDlg.h"

void CTactiloDlg::RunCalibration(CalibrationRun& run) {
    CCal cal(m_pHub->Touch(), &m_trace, this);
    cal.m_rcMonitor = run.rcMonitor;
    cal.m_strDevice = run.strDevice;
    run.bAccepted = cal.exec() == QDialog::Accepted;
    if (run.bAccepted) {
        run.numbers = cal.m_numbers;
    }
    run.nResult = cal.GetResult();
    run.outcome = cal.Outcome();
}
