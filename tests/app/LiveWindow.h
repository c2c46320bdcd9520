#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FakeTrayShell.h"
#include "RecordingMessageBox.h"
#include "RecordingTraceSink.h"
#include "SimulatorProcess.h"
#include "WindowServices.h"
#include "XObserver.h"
#include "linux/PosixSerialLine.h"
#include "linux/XRandrMonitorSource.h"
#include "linux/XTestPointerOutput.h"
#include "qt/TactiloDlg.h"

// The main window on the real back-ends of an X server (XTest output, RandR monitors), fed by
// the simulator serving COM<nPort>, with a separate X client watching the pointer. The tray
// shell is a fake: these tests are about touches, not the tray (it records notifications).
// vecSimArgs go to the simulator after --keep-open.
struct CLiveWindow {
    CLiveWindow(const std::string& strDisplay, int nPort,
                const std::vector<std::string>& vecSimArgs = {})
        : m_readerOutput(strDisplay),
          m_uiOutput(strDisplay),
          m_monitors(strDisplay),
          m_observer(strDisplay),
          m_sim(nPort, SimulatorArgs(vecSimArgs)),
          m_dlg({m_readerOutput, m_uiOutput, m_monitors, m_trace, m_messages, m_tray,
                 std::make_unique<CPosixSerialLine>(), [](int) {}, m_storage.options,
                 m_storage.autoStart, m_storage.deviceStore},
                CMyCommandLineInfo{}) {
        m_dlg.OnInitDialog();
    }

    static std::vector<std::string> SimulatorArgs(const std::vector<std::string>& vecExtra) {
        std::vector<std::string> vecArgs = {"--keep-open"};
        vecArgs.insert(vecArgs.end(), vecExtra.begin(), vecExtra.end());
        return vecArgs;
    }

    bool Ok() const { return m_observer.Ok() && !m_sim.SlavePath().empty(); }

    // Makes the device the one device of the list and connects it, showing errors.
    void Connect(const TouchDevice& device) {
        m_dlg.Hub().m_arrDeviceLines.RemoveAll();
        m_dlg.Hub().m_arrDeviceLines.Add(FormatDeviceLine(device));
        m_dlg.Hub().m_activeDevice = device;
        m_dlg.Connect(true, true);
    }

    CWindowStorage m_storage;  // first: its configuration folder is where COMn is linked
    CXTestPointerOutput m_readerOutput;
    CXTestPointerOutput m_uiOutput;
    CXRandrMonitorSource m_monitors;
    CXObserver m_observer;
    CRecordingTraceSink m_trace;
    CRecordingMessageBox m_messages;
    CFakeTrayShell m_tray;
    CSimulatorProcess m_sim;
    CTactiloDlg m_dlg;
};
