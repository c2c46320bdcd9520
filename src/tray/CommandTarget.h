#pragma once

// A receiver of the program's command ids: the tray commands (32775 About, 32776 Help,
// 32777 Options, 32778 Exit, 32779 show, 32780 hide, 32781 arm the tray right click).
// The main window is the one receiver in the program.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // Called on the user-interface thread, from inside the tray's event handling: a
    // receiver that wants to destroy the tray for a command must do it later.
    virtual void OnCommand(unsigned nId) = 0;
};
