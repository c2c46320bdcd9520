#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "ChildProcess.h"
#include "FakeConnectionView.h"
#include "FakeHoldTimer.h"
#include "FakeSerialLine.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "TempConfigDir.h"
#include "TouchPackets.h"
#include "devices/TouchDevice.h"
#include "serial/DeviceConnection.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"

namespace {

class DeviceConnectionTest : public ::testing::Test {
protected:
    DeviceConnectionTest()
        : m_pLine(new CFakeSerialLine(true)),
          m_port(std::unique_ptr<ISerialLine>(m_pLine)),
          m_touch({m_output, m_timer, m_trace, {}, nullptr}),
          m_reader(m_port, {[this](std::string s) { m_touch.ProcessPacket(std::move(s)); }, {}}),
          m_connection({m_port, m_reader, m_touch, m_view, m_messages,
                        [this](int nMs) { m_vecSleeps.push_back(nMs); }}) {
        m_device.m_strName = "Touch 1";
        m_device.m_strMonitor = "DISPLAY1";
        m_device.m_strPort = "COM3";
        m_device.m_strBaudRate = "9600";
        m_device.m_nIndex = 2;
    }

    CFakeSerialLine* m_pLine;
    CPort m_port;
    CRecordingPointerOutput m_output;
    CFakeHoldTimer m_timer;
    CRecordingTraceSink m_trace;
    CTouchProcessor m_touch;
    CReaderThread m_reader;
    CFakeConnectionView m_view;
    CRecordingMessageBox m_messages;
    std::vector<int> m_vecSleeps;
    CDeviceConnection m_connection;
    TouchDevice m_device;
};

}  // namespace

TEST_F(DeviceConnectionTest, ConnectOpensWithTheLineSettingsAndShowsIt) {
    m_touch.SetTrayRightClick(true);
    m_connection.Connect(m_device, true, true);
    EXPECT_EQ(m_pLine->OpenedPort(), 3);
    EXPECT_EQ(m_pLine->Written().nBaudRate, 9600u);
    EXPECT_EQ(m_pLine->Written().nByteSize, 8);
    EXPECT_EQ(m_pLine->Written().nParity, 0);
    EXPECT_EQ(m_pLine->Written().nStopBits, 0);
    EXPECT_EQ(m_pLine->Timeouts().nReadTotalConstantMs, 0u);
    EXPECT_TRUE(m_reader.Started());
    EXPECT_EQ(m_view.m_nIcon, ICON_CONNECTED);
    EXPECT_EQ(m_view.m_strTooltip, "Touch 1 - DISPLAY1 COM3 9600");
    EXPECT_EQ(m_device.m_bConnect, 1);
    EXPECT_TRUE(m_view.GetRowCheck(2));
    EXPECT_TRUE(m_view.m_bCalibrateEnabled);
    EXPECT_FALSE(m_touch.TrayRightClick());
    EXPECT_TRUE(m_vecSleeps.empty());  // nothing was open: no pause
}

// A disconnect (by the user, by Exit, by a terminate signal) while a finger holds the left
// button lets go of it once the reader is stopped; with nothing held it sends nothing.
TEST_F(DeviceConnectionTest, DisconnectLetsGoOfTheButtonATouchHolds) {
    for (bool bTouching : {true, false}) {
        SCOPED_TRACE(bTouching ? "touching" : "lifted");
        m_connection.Connect(m_device, true, true);
        const unsigned long long nPackets = m_reader.PacketCount() + (bTouching ? 1 : 2);
        m_pLine->Feed(TouchPacketBytes(true, 300, 400));
        if (!bTouching) {
            m_pLine->Feed(TouchPacketBytes(false, 300, 400));
        }
        ASSERT_TRUE(WaitUntil([&] { return m_reader.PacketCount() == nPackets; }));
        m_output.Clear();
        m_connection.Connect(m_device, false, true);
        EXPECT_EQ(m_output.Flags(),
                  bTouching ? std::vector<unsigned>{MOUSEEVENTF_LEFTUP} : std::vector<unsigned>{});
        EXPECT_FALSE(m_touch.TouchDown());
    }
}

TEST_F(DeviceConnectionTest, ConnectingTwiceLeavesOneReaderOnAReopenedPort) {
    m_connection.Connect(m_device, true, true);
    m_connection.Connect(m_device, true, true);
    EXPECT_EQ(m_vecSleeps, std::vector<int>{500});
    EXPECT_EQ(m_pLine->CloseCount(), 1);
    EXPECT_TRUE(m_port.IsOpen());
    EXPECT_TRUE(m_reader.Started());
}

TEST_F(DeviceConnectionTest, FailedConnectShowsTheErrorOnlyWhenAsked) {
    m_pLine->SetFailures({ENOENT, 0, 0});
    m_view.m_mapChecks[2] = true;
    m_connection.Connect(m_device, true, false);
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(m_view.m_nIcon, ICON_NOT_CONNECTED);
    EXPECT_EQ(m_view.m_strTooltip, "Tactilo - not connected");
    EXPECT_EQ(m_device.m_bConnect, 0);
    EXPECT_FALSE(m_view.GetRowCheck(2));
    EXPECT_FALSE(m_view.m_bCalibrateEnabled);
    EXPECT_FALSE(m_reader.Started());

    m_connection.Connect(m_device, true, true);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "Can't open port.\n ERROR #2");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Error);
}

// The words are the line's (the system's); a failure the line has advice for carries it in
// every place that reports it, other failures keep their plain text.
TEST_F(DeviceConnectionTest, FailuresAreToldInTheLinesWordsWithItsAdvice) {
    m_pLine->SetAdvice(13, "Ask for access.");
    m_pLine->SetFailures({13, 0, 0});
    m_connection.Connect(m_device, true, true);
    EXPECT_EQ(m_connection.LastOpenFailure(), "COM3: error 13. Ask for access.");
    EXPECT_EQ(m_connection.LastOpenError(), 13);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "Can't open port.\n ERROR #13\n\nAsk for access.");

    m_pLine->SetFailures({16, 0, 0});
    m_connection.Connect(m_device, true, false);
    EXPECT_EQ(m_connection.LastOpenFailure(), "COM3: error 16");
}

TEST_F(DeviceConnectionTest, DisconnectStopsPausesClosesAndSaysNotConnected) {
    m_connection.Connect(m_device, true, true);
    m_connection.Connect(m_device, false, true);
    EXPECT_FALSE(m_reader.Started());
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_EQ(m_vecSleeps, std::vector<int>{500});
    EXPECT_EQ(m_view.m_strTooltip, "Tactilo - Not connected");
    EXPECT_EQ(m_view.m_nIcon, ICON_NOT_CONNECTED);
    EXPECT_FALSE(m_view.GetRowCheck(2));
    EXPECT_EQ(m_device.m_bConnect, 0);
}

TEST_F(DeviceConnectionTest, DisconnectWithNoPortOpenDoesNotPause) {
    EXPECT_FALSE(m_connection.Disconnect());
    m_view.m_mapChecks[2] = true;
    m_connection.Connect(m_device, false, true);
    EXPECT_TRUE(m_vecSleeps.empty());
    EXPECT_FALSE(m_view.GetRowCheck(2));
    EXPECT_EQ(m_view.m_strTooltip, "Tactilo - Not connected");
}

TEST_F(DeviceConnectionTest, PacketsReachTheProcessorUntilTheStop) {
    m_touch.SetActiveDevice(m_device);
    m_connection.Connect(m_device, true, true);
    m_pLine->Feed({0xC1, 0x10, 0x10, 0x81, 0x10, 0x10});
    ASSERT_TRUE(WaitUntil([this] { return m_reader.PacketCount() >= 2; }));
    m_connection.Disconnect();
    const auto nSent = m_output.Inputs().size();
    m_pLine->Feed({0xC1, 0x10, 0x10});
    EXPECT_EQ(m_output.Inputs().size(), nSent);  // the reader has been joined: nothing more
}

TEST(PortNumber, ComIsRemovedAndTheRestRead) {
    struct Row {
        const char* szPort;
        int nPort;
    };
    for (const Row& row : {Row{"COM3", 3}, Row{"COM12", 12}, Row{"COMx", 0}, Row{"", 0},
                           Row{"com3", 0}, Row{"COM1COM2", 12}, Row{" COM7", 7}}) {
        EXPECT_EQ(CDeviceConnection::GetPortNumber(row.szPort), row.nPort) << row.szPort;
    }
}
