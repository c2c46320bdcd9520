// The Calibrate command: the active device's monitor is found by name and the calibration
// page runs on it while the touch processor only publishes raw readings.

#include "app/MessageBox.h"
#include "app/TactiloHub.h"
#include "calibration/CalibrationCodes.h"
#include "calibration/CalibrationNumbers.h"
#include "devices/LegacyText.h"
#include "monitors/Monitor.h"
#include "monitors/Monitors.h"
#include "tray/TrayShell.h"

ScreenRect CTactiloHub::FindMonitorRect() const {
    const CMonitors monitors(m_services.monitors);
    for (int nIndex = 0; nIndex < monitors.GetCount(); ++nIndex) {
        const CMonitor monitor = monitors.GetMonitor(nIndex);
        std::string strDeviceName;
        monitor.GetDeviceName(strDeviceName);
        if (MonitorName(strDeviceName) == m_activeDevice.m_strMonitor) {
            ScreenRect rc;
            monitor.GetMonitorRect(&rc);
            return rc;
        }
    }
    return {};
}

void CTactiloHub::OnCalibrate() {
    // The outcome of this attempt, not of an earlier one.
    m_nStatus = 0;
    if (!m_port.IsOpen()) {
        m_nStatus = CAL_ERR_NOT_CONNECTED;
        return;
    }
    m_touch.SetCalibrating(true);

    CalibrationRun run;
    run.rcMonitor = FindMonitorRect();
    // Names and monitors are shown cut, as in the list: a file may hold any length.
    run.strDevice = ShownField(m_activeDevice.m_strName);
    const ScreenRect& rc = run.rcMonitor;
    if (rc.right <= rc.left || rc.bottom <= rc.top) {
        m_services.messages.Show("Can't find " + ShownField(m_activeDevice.m_strMonitor),
                                 MessageIcon::Exclamation);
        m_nStatus = CAL_ERR_NO_MONITOR;
        m_touch.SetCalibrating(false);
        return;
    }

    m_view.RunCalibration(run);
    if (run.bAccepted) {
        StoreCalibration(run.numbers, m_activeDevice);
        m_activeDevice.m_rcMonitor = run.rcMonitor;
        m_touch.SetActiveDevice(m_activeDevice);
        // Merge only the numbers and the rectangle into the line as it stands now: a Modify
        // since the device became active must not be undone by a stale copy.
        const int nLine = m_activeDevice.m_nIndex;
        if (nLine >= 0 && nLine < m_arrDeviceLines.GetSize()) {
            TouchDevice line = ParseDeviceLine(m_arrDeviceLines.GetAt(nLine));
            StoreCalibration(run.numbers, line);
            line.m_rcMonitor = run.rcMonitor;
            m_arrDeviceLines.SetAt(nLine, FormatDeviceLine(line));
        }
    }
    // The page closes the same way whether it worked or not; only this says which.
    const CalOutcomeText told =
        DescribeCalibrationOutcome(run.outcome, ShownField(m_activeDevice.m_strName));
    m_services.trayShell.ShowNotification(told.strTitle, told.strText,
                                          run.outcome == CalOutcome::Calibrated
                                              ? NotificationIcon::Information
                                              : NotificationIcon::Warning);
    if (m_nStatus == 0) {
        m_nStatus = run.nResult;
    }
    m_touch.SetCalibrating(false);
}
