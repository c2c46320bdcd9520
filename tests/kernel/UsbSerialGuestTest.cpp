// Runs inside the QEMU guest that usb_serial_test.py boots: a real xHCI controller with
// QEMU's FTDI adapter (serial "T1") on the kernel's ftdi_sio driver, udevd running, and the
// host side of the adapter's chardev in the host test's hands (asked for with AskHost).
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "FakeConnectionView.h"
#include "FakeHoldTimer.h"
#include "GuestHostChannel.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "TempConfigDir.h"
#include "TestTime.h"
#include "TouchPackets.h"
#include "devices/TouchDevice.h"
#include "linux/PosixSerialLine.h"
#include "linux/UdevMonitor.h"
#include "linux/UdevPortSystem.h"
#include "serial/DeviceConnection.h"
#include "serial/Port.h"
#include "serial/PortChoices.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"

namespace {

const std::string g_strById = "/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_T1-if00-port0";

std::string Shell(const std::string& strCommand) {
    std::string strOut;
    if (FILE* pPipe = popen(strCommand.c_str(), "r")) {
        char szBuffer[512];
        while (fgets(szBuffer, sizeof szBuffer, pPipe)) {
            strOut += szBuffer;
        }
        pclose(pPipe);
    }
    return strOut;
}

// "c40030": the bytes of a touch packet in hex, as the host writes them to the adapter.
std::string Hex(bool bTouch, int nX, int nY) {
    std::string strHex;
    for (const unsigned char nByte : TouchPacketBytes(bTouch, nX, nY)) {
        char szByte[3];
        std::snprintf(szByte, sizeof szByte, "%02x", nByte);
        strHex += szByte;
    }
    return strHex;
}

// Waits for the next "add" that udev announces for strNode; the time it took, or -1.
long WaitForAdd(CUdevMonitor& monitor, const std::string& strNode, int nTimeoutMs) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const auto nLeftMs = nTimeoutMs - std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count();
        pollfd fd = {monitor.Fd(), POLLIN, 0};
        if (nLeftMs <= 0 || poll(&fd, 1, static_cast<int>(nLeftMs)) <= 0) {
            return -1;
        }
        CUdevMonitor::Event event;
        while (monitor.ReadEvent(event)) {
            if (event.strAction == "add" && event.strDevNode == strNode) {
                return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - start)
                                             .count());
            }
        }
    }
}

}  // namespace

TEST(UsbSerialGuest, TheEnumeratorFindsTheAdapterWithItsDetails) {
    CUdevPortSystem system;
    bool bFound = false;
    for (const SerialPortInfo& info : system.EnumeratePorts()) {
        if (info.strDevicePath == "/dev/ttyUSB0") {
            bFound = true;
            EXPECT_EQ(info.strById, g_strById);
            EXPECT_EQ(info.strManufacturer, "QEMU");
            EXPECT_EQ(info.strDescription, "QEMU USB SERIAL");
            EXPECT_EQ(info.strSerialNumber, "T1");
        }
        // UART slots without hardware (ttyS2, ttyS3 here) are not ports.
        EXPECT_NE(info.strDevicePath, "/dev/ttyS3");
    }
    EXPECT_TRUE(bFound);
    CTempConfigDir config;
    std::string strNew;
    for (const PortChoice& choice : ListPortChoices(system)) {
        if (!choice.strLinkTarget.empty()) {
            strNew = choice.strText + " -> " + choice.strLinkTarget;
        }
    }
    // COM1 and COM2 are the guest's two UARTs.
    EXPECT_EQ(strNew, "QEMU USB SERIAL (ttyUSB0) \u2014 new COM3 -> " + g_strById);
}

// The whole way from the adapter to the pointer: a COMn link to the by-id path, the line
// set to the device's rate (as the kernel's driver holds it), packets from the host side,
// a held touch let go when the adapter is pulled, and the adapter back within a second of
// udev announcing it.
TEST(UsbSerialGuest, ATouchScreenOnTheAdapterSurvivesReplugging) {
    CTempConfigDir config;
    config.LinkPort(3, g_strById);
    CPort port(std::make_unique<CPosixSerialLine>());
    CRecordingPointerOutput output;
    CFakeHoldTimer timer;
    CRecordingTraceSink trace;
    CTouchProcessor touch({output, timer, trace, {}, nullptr});
    std::atomic<bool> bGone{false};
    CReaderThread reader(port, {[&](std::string s) { touch.ProcessPacket(std::move(s)); },
                                [&] {
                                    touch.ReleaseHeldButtons();
                                    bGone = true;
                                }});
    CFakeConnectionView view;
    CRecordingMessageBox messages;
    CDeviceConnection connection({port, reader, touch, view, messages, {}});
    TouchDevice device;
    device.m_strName = "Touch 1";
    device.m_strMonitor = "DISPLAY1";
    device.m_strPort = "COM3";
    device.m_strBaudRate = "9600";
    CUdevMonitor monitor;
    ASSERT_TRUE(monitor.IsWatching());

    connection.Connect(device, true, true);
    ASSERT_EQ(device.m_bConnect, 1) << connection.LastOpenFailure();
    const std::string strStty = Shell("stty -F /dev/ttyUSB0");
    EXPECT_NE(strStty.find("speed 9600 baud"), std::string::npos) << strStty;
    EXPECT_NE(Shell("stty -F /dev/ttyUSB0 -a").find(" cs8 "), std::string::npos);
    EXPECT_NE(Shell("stty -F /dev/ttyUSB0 -a").find(" crtscts"), std::string::npos);
    EXPECT_NE(Shell("stty -F /dev/ttyUSB0 -a").find("-parenb"), std::string::npos);

    ASSERT_EQ(AskHost("send " + Hex(true, 512, 300)), "ok");
    ASSERT_TRUE(WaitUntil([&] { return touch.TouchDown(); }));
    EXPECT_EQ(output.Flags().back() & MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTDOWN);

    output.Clear();
    ASSERT_EQ(AskHost("unplug"), "ok");
    ASSERT_TRUE(WaitUntil([&] { return bGone.load(); }));
    EXPECT_EQ(output.Flags(), std::vector<unsigned>{MOUSEEVENTF_LEFTUP});
    EXPECT_FALSE(touch.TouchDown());
    reader.RunReader(false);
    port.Close();

    ASSERT_EQ(AskHost("plug"), "ok");
    const long nAnnouncedMs = WaitForAdd(monitor, "/dev/ttyUSB0", 20000 * TestTimeScale());
    ASSERT_GE(nAnnouncedMs, 0) << "udev announced no /dev/ttyUSB0";
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(connection.Open(device, false)) << connection.LastOpenFailure();
    EXPECT_LT(std::chrono::steady_clock::now() - start, Scaled(std::chrono::seconds(1)));
    const unsigned long long nPackets = reader.PacketCount();
    ASSERT_EQ(AskHost("send " + Hex(true, 100, 200) + Hex(false, 100, 200)), "ok");
    ASSERT_TRUE(WaitUntil([&] { return reader.PacketCount() >= nPackets + 2; }));
    EXPECT_FALSE(touch.TouchDown());
    connection.Disconnect();
}

// A user outside the port's group: the failure names the device, its group and the fix.
TEST(UsbSerialGuest, AUserOutsideTheGroupIsToldHowToGetIn) {
    CTempConfigDir config;
    config.LinkPort(3, g_strById);
    // The user's own configuration is theirs to read, as it would be.
    for (const std::string& strDir :
         {config.Path(), config.Path() + "/Brenhold", config.Path() + "/Brenhold/ports"}) {
        std::filesystem::permissions(strDir, std::filesystem::perms(0755));
    }
    const pid_t child = fork();
    if (child == 0) {
        // nobody, with no supplementary groups
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(3);
        }
        CPort port(std::make_unique<CPosixSerialLine>());
        CRecordingPointerOutput output;
        CFakeHoldTimer timer;
        CRecordingTraceSink trace;
        CTouchProcessor touch({output, timer, trace, {}, nullptr});
        CReaderThread reader(port, {{}, {}});
        CFakeConnectionView view;
        CRecordingMessageBox messages;
        CDeviceConnection connection({port, reader, touch, view, messages, {}});
        if (connection.OpenPort(3, 9600, false)) {
            _exit(4);
        }
        const std::string strExpected =
            "COM3 (" + g_strById + "): Permission denied. " + g_strById +
            " belongs to the group dialout. Add yourself "
            "to it (sudo adduser $USER dialout), then log out and in again.";
        std::fprintf(stderr, "%s\n", connection.LastOpenFailure().c_str());
        _exit(connection.LastOpenFailure() == strExpected ? 0 : 5);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(child, &nStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
}
