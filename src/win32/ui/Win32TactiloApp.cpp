// Tactilo.exe: the Windows program. The platform services (the Win32 back-ends), the main
// window hidden behind the tray icon, and the run modes of the switches, as TactiloApp.cpp
// builds them for Qt.

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// First: the core's names that <windows.h> also defines as macros.
#include "app/TactiloHub.h"

#include "app/CommandLine.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceStore.h"
#include "win32/DebugTraceSink.h"
#include "win32/RegistryOptionsStore.h"
#include "win32/RunKeyAutoStart.h"
#include "win32/Win32FileReplacer.h"
#include "win32/Win32Module.h"
#include "win32/Win32MonitorSource.h"
#include "win32/Win32PointerOutput.h"
#include "win32/Win32SerialLine.h"
#include "win32/Win32SingleInstance.h"
#include "win32/Win32Text.h"
#include "win32/ui/Win32MessageBox.h"
#include "win32/ui/Win32TactiloDlg.h"
#include "win32/ui/Win32TrayShell.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#ifndef TACTILO_VERSION
#error "The build passes the project's version in TACTILO_VERSION"
#endif

namespace {

// The arguments as UTF-8, the program name first.
std::vector<std::string> Arguments() {
    int nCount = 0;
    LPWSTR* pArgs = CommandLineToArgvW(GetCommandLineW(), &nCount);
    std::vector<std::string> vecArgs;
    for (int i = 0; i < nCount; ++i) {
        vecArgs.push_back(WideToUtf8(pArgs[i]));
    }
    LocalFree(pArgs);
    return vecArgs;
}

// How long a resident copy gives the shell to show its icon before it says how else to
// reach the Device Manager: at logon the taskbar and Tactilo start side by side.
constexpr UINT NO_TRAY_NOTICE_MS = 5000;

// Without a notification area (a shell replacement without one, a kiosk) the resident copy
// would be out of reach; a second start hands over to it, so that is the way to tell.
constexpr char g_szNoTray[] =
    "No notification area was found, so Tactilo shows no tray icon. To open the Device "
    "Manager, start Tactilo again.";

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    const std::vector<std::string> vecArgs = Arguments();
    std::vector<const char*> argv;
    for (const std::string& strArg : vecArgs) {
        argv.push_back(strArg.c_str());
    }
    const int argc = static_cast<int>(argv.size());
    // "Settings.dat" and "Help.pdf" stand beside the executable.
    SetAppDirectory(Win32AppDirectory());
    if (const InfoRequest request = FindInfoRequest(argc, argv.data());
        request != InfoRequest::None) {
        if (request == InfoRequest::Version) {
            std::cout << VersionText(TACTILO_VERSION);
        } else {
            std::cout << UsageText(
                Win32UsageFacts(GetAppDirectory(), CRegistryOptionsStore().KeyName()));
        }
        std::cout.flush();
        return std::cout ? 0 : 1;
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    CMyCommandLineInfo switches;
    switches.ParseCommandLine(argc, argv.data());
    // A start while a copy runs hands over to it: that copy calibrates as the switches ask,
    // or shows its Device Manager, and this start ends.
    CWin32SingleInstance instance(CWin32SingleInstance::NameForThisProcess());
    switch (instance.ClaimOrHandOver(switches.SwitchArguments())) {
        case CWin32SingleInstance::Claim::HandedOver:
            return 0;
        case CWin32SingleInstance::Claim::NoAnswer:
            MessageBoxW(nullptr, L"A running copy of Tactilo does not answer; end it first.",
                        L"Tactilo", MB_OK | MB_ICONERROR);
            return 1;
        case CWin32SingleInstance::Claim::Resident:
            break;
    }
    // Every copy started from this file hears the same message; another process that knows
    // the path ends them all with it.
    const UINT nTerminate = RegisterTerminateMessage(ModuleFilePath());

    CDebugTraceSink trace;
    CWin32MessageBox messages;
    CWin32TrayShell trayShell(hInstance);
    CWin32PointerOutput readerOutput;
    CWin32PointerOutput uiOutput;
    CWin32MonitorSource monitors;
    CRegistryOptionsStore options;
    CRunKeyAutoStart autoStart;
    CWin32FileReplacer replacer;
    CDeviceStore deviceStore(replacer, GetAppDirectory() + "Settings.dat");

    CWin32TactiloDlg dlg(
        hInstance,
        {readerOutput, uiOutput, monitors, trace, messages, trayShell,
         std::make_unique<CWin32SerialLine>(),
         [](int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); }, options,
         autoStart, deviceStore},
        switches, nTerminate);
    dlg.SetTrayShell(&trayShell);
    if (!dlg.Create([&instance](HWND hWnd) { instance.Publish(hWnd); })) {
        MessageBoxW(nullptr, L"The main window could not be created.", L"Tactilo",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    messages.SetOwner(dlg.Window());
    trayShell.SetTerminateHandler(nTerminate, dlg.Window());
    // Modal mode: any switch. The window comes up once the loop runs (after the start-up
    // actions of the switches, which may have hidden it again) and Exit ends the program.
    if (switches.AnySwitch()) {
        dlg.Post([&dlg] { dlg.ShowModalWindow(); });
    } else {
        trayShell.TellIfNoIcon(NO_TRAY_NOTICE_MS, [&messages] {
            messages.Show(g_szNoTray, MessageIcon::Information);
        });
    }
    return dlg.RunMessageLoop();
}
