// COM5 under Wine is a pseudo-terminal that tests/windows/wine_run.py holds the other end of.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "FakeConnectionView.h"
#include "FakeHoldTimer.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "WineHost.h"
#include "devices/TouchDevice.h"
#include "serial/DeviceConnection.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"
#include "win32/Win32SerialLine.h"

namespace {

using namespace std::chrono_literals;

constexpr int WINE_PORT = 5;

TEST(Win32SerialLine, OpensAtTheLineSettingsAndFramesWhatArrives) {
    auto* pLine = new CWin32SerialLine;
    CPort port{std::unique_ptr<ISerialLine>(pLine)};
    // 9600 baud, 7 bits, even parity, two stop bits. A pseudo-terminal keeps 8 bits without
    // parity whatever it is told, so those two are checked in what was handed to the system.
    ASSERT_EQ(port.Open(WINE_PORT, 9600, 7, 2, 2), 0);
    ASSERT_TRUE(port.SetTimeouts(0, 0, 0, 0, 0));
    EXPECT_EQ(AskWineHost("termios"),
              "speed=9600 csize=8 parenb=0 parodd=0 cstopb=1 crtscts=1 icanon=0");
    const DCB& dcb = pLine->CurrentDcb();
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fInX);

    // A stray data byte, then a packet: the framing must come through the real read.
    ASSERT_TRUE(WriteToCom5("05c11020"));
    std::string strPacket;
    EXPECT_EQ(port.ReadPacket(strPacket), PacketStatus::Whole);
    EXPECT_EQ(strPacket, "110000010001000000100000");

    // A rate outside the list opens at 57600, as everywhere.
    ASSERT_EQ(port.Open(WINE_PORT, 57601, 8, 0, 0), 0);
    EXPECT_EQ(AskWineHost("termios"),
              "speed=57600 csize=8 parenb=0 parodd=0 cstopb=0 crtscts=1 icanon=0");
}

TEST(Win32SerialLine, BlockedReadEndsWhenStoppedAndThePortReadsOnAfter) {
    CWin32SerialLine line;
    ASSERT_EQ(line.OpenPort(WINE_PORT), 0);
    ASSERT_EQ(line.ReadSettings(), 0);
    ASSERT_EQ(line.WriteSettings({}), 0);
    ASSERT_TRUE(line.SetTimeouts({}));

    auto read = std::async(std::launch::async, [&line] {
        unsigned char nByte = 0;
        return line.ReadByte(nByte);
    });
    // Nothing was sent: the read must still be waiting.
    EXPECT_EQ(read.wait_for(300ms), std::future_status::timeout);
    line.Wake();
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(read.get(), ReadStatus::Stopped);

    line.ClearWake();
    ASSERT_TRUE(WriteToCom5("81"));
    unsigned char nByte = 0;
    EXPECT_EQ(line.ReadByte(nByte), ReadStatus::Byte);
    EXPECT_EQ(nByte, 0x81);
}

TEST(Win32SerialLine, NoSuchPortFailsWithTheSystemsNumber) {
    CPort port{std::make_unique<CWin32SerialLine>()};
    try {
        port.Open(77, 9600, 8, 0, 0);
        FAIL() << "COM77 opened";
    } catch (const CPortException& exception) {
        EXPECT_EQ(exception.Error(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(exception.GetErrorMessage(), "Can't open port.\n ERROR #2");
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(ComDeviceName(12), L"\\\\.\\COM12");
}

// A port that does not open is told in Windows' words: the port as Windows names it and the
// system's message for the Windows number, never a Linux device path or errno text.
TEST(Win32SerialLine, AFailedConnectIsToldInWindowsWords) {
    CPort port{std::make_unique<CWin32SerialLine>()};
    CRecordingPointerOutput output;
    CFakeHoldTimer timer;
    CRecordingTraceSink trace;
    CTouchProcessor touch({output, timer, trace, {}, nullptr});
    CReaderThread reader(port, {{}, {}});
    CFakeConnectionView view;
    CRecordingMessageBox messages;
    CDeviceConnection connection({port, reader, touch, view, messages, {}});
    TouchDevice device;
    device.m_strPort = "COM77";
    device.m_strBaudRate = "9600";
    connection.Connect(device, true, false);
    EXPECT_EQ(connection.LastOpenError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(connection.LastOpenFailure(), "COM77: " + WindowsErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(connection.LastOpenFailure().find('/'), std::string::npos);
}

// Windows 13 is "the data is invalid", not a refused access: no Linux advice. A number
// without a system message still names itself.
TEST(Win32SerialLine, NoNumberBringsTheLinuxAccessAdvice) {
    const PortFailureText failure = CWin32SerialLine().DescribeFailure(3, 13, "");
    EXPECT_EQ(failure.strLine, "COM3: " + WindowsErrorText(13));
    EXPECT_EQ(failure.strAdvice, "");
    EXPECT_EQ(WindowsErrorText(0x20001234), "Windows error 536875572");
}

}  // namespace
