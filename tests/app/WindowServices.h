#pragma once

#include <string>

#include "FakeAutoStart.h"
#include "FakeOptionsStore.h"
#include "TempConfigDir.h"
#include "devices/DeviceStore.h"
#include "linux/PosixFileReplacer.h"

// What the main window keeps between runs, for its tests: options and the autostart entry in
// fakes, and a real "Settings.dat" in a temporary configuration folder.
struct CWindowStorage {
    CTempConfigDir config;
    CFakeOptionsStore options;
    CFakeAutoStart autoStart;
    CPosixFileReplacer replacer;
    CDeviceStore deviceStore{replacer, config.Path() + "/Settings.dat"};
};
