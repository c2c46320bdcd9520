#pragma once

// The hub's own logic without a display: the window is a fake view, the event loop a fake
// dispatcher and fake timers, the port a fake line; the device file is a real one in a
// temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ChildProcess.h"
#include "FakeHoldTimer.h"
#include "FakeMainWindowView.h"
#include "FakeMonitorSource.h"
#include "FakeSerialLine.h"
#include "FakeTrayShell.h"
#include "FakeUiDispatcher.h"
#include "FakeUiTimer.h"
#include "LineStreams.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "SteppableClock.h"
#include "TouchPackets.h"
#include "WindowServices.h"
#include "app/TactiloHub.h"
#include "calibration/CalibrationCodes.h"
#include "serial/PortNames.h"

class TactiloHubTest : public ::testing::Test {
protected:
    void SetUp() override { Make(); }

    // A fresh hub over a fresh window; what the old one left queued or armed is forgotten.
    void Make(const CMyCommandLineInfo& switches = {}) {
        m_pHub.reset();
        m_dispatcher.Discard();
        m_reconnect = CFakeUiTimer();
        m_view.m_list.m_vecRows.clear();
        auto pLine = std::make_unique<CFakeSerialLine>(true);
        m_pLine = pLine.get();
        m_pHub = std::make_unique<CTactiloHub>(
            CTactiloHub::Services{m_output, m_uiOutput, m_monitors, m_trace, m_messages, m_tray,
                                  std::move(pLine), [](int) {}, m_storage.options,
                                  m_storage.autoStart, m_storage.deviceStore},
            CTactiloHub::Seams{m_holdTimer, m_reconnect, m_dispatcher,
                               [this] { return std::uint64_t(m_clock.Now().count()); }},
            m_view, switches);
        m_view.m_list.SetEvents(&m_pHub->DeviceList());
    }

    void WriteDeviceFile(const std::string& strContent) {
        std::ofstream(m_storage.deviceStore.FilePath(), std::ios::binary) << strContent;
    }

    void ConnectFront() {
        TouchDevice device;
        device.m_strName = "Front";
        device.m_strMonitor = "DISPLAY2";
        device.m_strPort = "COM3";
        device.m_strBaudRate = "9600";
        m_pHub->m_arrDeviceLines.RemoveAll();
        m_pHub->m_arrDeviceLines.Add(FormatDeviceLine(device));
        m_view.m_list.m_vecRows.clear();
        m_view.m_list.InsertItem(0, "Front");
        m_pHub->m_activeDevice = device;
        m_pHub->Connect(true, true);
        ASSERT_TRUE(m_pHub->Port().IsOpen());
    }

    // The reconnect timer runs out, as the event loop would deliver it.
    bool ExpireReconnect() {
        if (!m_reconnect.Expire()) {
            return false;
        }
        m_pHub->OnReconnectTimer();
        return true;
    }

    unsigned Icon() { return m_pHub->TrayIcon().IconData().hIcon; }
    std::string Stored(const char* szEntry) {
        return m_storage.options.m_mapValues[CFakeOptionsStore::Key("SETTINGS", szEntry)];
    }

    CRecordingPointerOutput m_output;
    CRecordingPointerOutput m_uiOutput;
    CFakeMonitorSource m_monitors{
        {{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}}, {"\\\\.\\DISPLAY2", {1920, 0, 3200, 1024}}}};
    CRecordingTraceSink m_trace;
    CRecordingMessageBox m_messages;
    CFakeTrayShell m_tray;
    CWindowStorage m_storage;
    CFakeHoldTimer m_holdTimer;
    CFakeUiTimer m_reconnect;
    CFakeUiDispatcher m_dispatcher;
    CFakeMainWindowView m_view;
    CFakeSerialLine* m_pLine = nullptr;
    CSteppableClock m_clock;
    std::unique_ptr<CTactiloHub> m_pHub;  // last: gone before everything it uses
};
