#pragma once

#include <string>

// What the connection shows of itself: the tray icon and tooltip, the check box of the
// device's row, and whether Calibrate can be pressed. The main window implements it; user-
// interface thread only.
class IConnectionView {
public:
    virtual ~IConnectionView() = default;
    virtual void SetTrayIcon(unsigned nIconId) = 0;
    virtual void SetTrayTooltip(const std::string& strText) = 0;
    virtual bool GetRowCheck(int nRow) const = 0;
    // Reports the change to the list's own handler synchronously, as a user's tick would.
    virtual void SetRowCheck(int nRow, bool bChecked) = 0;
    virtual void EnableCalibrate(bool bEnable) = 0;
};
