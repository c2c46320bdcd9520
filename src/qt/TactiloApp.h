#pragma once

// The program: the application object, the platform services, the main window, and the run
// modes. Without a switch the main window lives hidden behind the tray icon (resident mode);
// with a switch it is shown once the event loop runs and the program ends with it.
class CTactiloApp {
public:
    static int Run(int argc, char** argv);
};
