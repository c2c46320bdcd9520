#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "PtyPair.h"
#include "TempConfigDir.h"
#include "linux/LineTermios.h"
#include "linux/PosixSerialLine.h"
#include "serial/Port.h"
#include "serial/PortNames.h"
#include "touch/BitString.h"

namespace {

class PosixPort : public ::testing::Test {
protected:
    PosixPort() { m_config.LinkPort(4, m_pty.SlavePath()); }

    std::unique_ptr<CPort> MakePort(CPosixSerialLine** ppLine = nullptr) {
        auto pLine = std::make_unique<CPosixSerialLine>();
        if (ppLine) {
            *ppLine = pLine.get();
        }
        return std::make_unique<CPort>(std::move(pLine));
    }

    CTempConfigDir m_config;
    CPtyPair m_pty;
};

struct RateRow {
    unsigned nRequested;
    unsigned nExpected;
};

class PosixPortRates : public PosixPort, public ::testing::WithParamInterface<RateRow> {};

}  // namespace

TEST(PortNames, LinkWinsOverTheBuiltInPort) {
    CTempConfigDir config;
    EXPECT_EQ(PortDevicePath(3), "/dev/ttyS2");
    config.LinkPort(3, "/dev/null");
    EXPECT_EQ(PortDevicePath(3), config.Path() + "/Brenhold/ports/COM3");
    // A dangling link still names the port, so the open fails as a missing port.
    config.LinkPort(5, config.Path() + "/nothing-here");
    EXPECT_EQ(PortDevicePath(5), config.Path() + "/Brenhold/ports/COM5");
}

TEST_P(PosixPortRates, EveryRateIsSetExactly) {
    CPosixSerialLine* pLine = nullptr;
    auto pPort = MakePort(&pLine);
    ASSERT_EQ(pPort->Open(4, GetParam().nRequested, 8, 0, 0), 0);
    LineFraming framing;
    ASSERT_EQ(ReadLineFraming(pLine->Descriptor(), framing), 0);
    EXPECT_EQ(framing.nBaudRate, GetParam().nExpected);
    EXPECT_EQ(framing.nByteSize, 8);
    EXPECT_EQ(framing.nParity, 0);
    EXPECT_FALSE(framing.bTwoStopBits);
    EXPECT_TRUE(framing.bRtsCts);
    EXPECT_TRUE(framing.bRaw);
}

INSTANTIATE_TEST_SUITE_P(Table, PosixPortRates,
                         ::testing::Values(RateRow{110, 110}, RateRow{300, 300}, RateRow{600, 600},
                                           RateRow{1200, 1200}, RateRow{2400, 2400},
                                           RateRow{4800, 4800}, RateRow{9600, 9600},
                                           RateRow{14400, 14400}, RateRow{19200, 19200},
                                           RateRow{38400, 38400}, RateRow{56000, 56000},
                                           RateRow{57600, 57600}, RateRow{115200, 115200},
                                           RateRow{128000, 128000}, RateRow{256000, 256000},
                                           RateRow{57601, 57600}, RateRow{0, 57600}));

// A pseudo-terminal always keeps 8 data bits and no parity (the kernel forces them), so
// byte size and parity are checked against the fake line; stop bits reach the real one.
TEST_F(PosixPort, StopBitsAreClampedOnTheRealLine) {
    struct Row {
        int nStopBits;
        bool bTwoStop;
    };
    for (const Row& row :
         {Row{0, false}, Row{1, true}, Row{2, true}, Row{3, false}, Row{-1, false}}) {
        CPosixSerialLine* pLine = nullptr;
        auto pPort = MakePort(&pLine);
        ASSERT_EQ(pPort->Open(4, 9600, 8, 0, row.nStopBits), 0);
        LineFraming framing;
        ASSERT_EQ(ReadLineFraming(pLine->Descriptor(), framing), 0);
        EXPECT_EQ(framing.bTwoStopBits, row.bTwoStop) << row.nStopBits;
    }
}

TEST_F(PosixPort, SecondOpenFailsAsInUseEvenForAnotherProcess) {
    auto pFirst = MakePort();
    ASSERT_EQ(pFirst->Open(4, 9600, 8, 0, 0), 0);

    auto pSecond = MakePort();
    try {
        pSecond->Open(4, 9600, 8, 0, 0);
        FAIL() << "second open succeeded";
    } catch (const CPortException& error) {
        EXPECT_EQ(error.Message(), "Can't open port.\n");
        EXPECT_EQ(error.Error(), EBUSY);
    }
    EXPECT_FALSE(pSecond->IsOpen());

    // Another process (running as the same user, root in CI) is refused too.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CPosixSerialLine line;
        _exit(line.OpenPort(4) == EBUSY ? 0 : 1);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(child, &nStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);

    // Once closed, the port is free again.
    pFirst->Close();
    EXPECT_EQ(pSecond->Open(4, 9600, 8, 0, 0), 0);
}

TEST_F(PosixPort, MissingAndNonTtyPortsThrowTheirMessages) {
    auto pPort = MakePort();
    for (int nPort : {0, 40}) {  // COM0 names /dev/ttyS-1; COM40 has no device
        try {
            pPort->Open(nPort, 9600, 8, 0, 0);
            FAIL() << "COM" << nPort << " opened";
        } catch (const CPortException& error) {
            EXPECT_EQ(error.Message(), "Can't open port.\n");
            EXPECT_EQ(error.Error(), ENOENT);
        }
        EXPECT_FALSE(pPort->IsOpen());
    }
    m_config.LinkPort(6, "/dev/null");
    try {
        pPort->Open(6, 9600, 8, 0, 0);
        FAIL() << "/dev/null opened as a serial port";
    } catch (const CPortException& error) {
        EXPECT_EQ(error.Message(), "Error: No getcommstate\n");
        EXPECT_EQ(error.Error(), ENOTTY);
    }
    EXPECT_FALSE(pPort->IsOpen());
}

// Linux tells a failure by the device the port stands for and the C library's words; only a
// refused open, which the user can fix, carries advice: the node's group and how to join it.
TEST(PosixPortFailures, NameTheDeviceAndAdviseOnlyOnARefusal) {
    CTempConfigDir config;
    config.LinkPort(3, "/dev/ttyUSB0");
    std::string strGroupAskedFor;
    const CPosixSerialLine line({}, [&](const std::string& strPath) {
        strGroupAskedFor = strPath;
        return std::string("dialout");
    });
    const PortFailureText refused = line.DescribeFailure(3, EACCES, "Can't open port.\n");
    EXPECT_EQ(refused.strLine, "COM3 (/dev/ttyUSB0): Permission denied");
    EXPECT_EQ(refused.strAdvice,
              "/dev/ttyUSB0 belongs to the group dialout. Add yourself to it (sudo adduser "
              "$USER dialout), then log out and in again.");
    EXPECT_EQ(strGroupAskedFor, "/dev/ttyUSB0");

    const PortFailureText busy = line.DescribeFailure(3, EBUSY, "Can't open port.\n");
    EXPECT_EQ(busy.strLine, "COM3 (/dev/ttyUSB0): Device or resource busy");
    EXPECT_EQ(busy.strAdvice, "");
    EXPECT_EQ(line.DescribeFailure(2, 0, "Can't open port.\n").strLine,
              "COM2 (/dev/ttyS1): Can't open port.");
}

TEST_F(PosixPort, PacketsWrittenOnThePtyAreFramed) {
    auto pPort = MakePort();
    ASSERT_EQ(pPort->Open(4, 9600, 8, 0, 0), 0);
    ASSERT_TRUE(pPort->SetTimeouts(0, 0, 0, 0, 0));
    ASSERT_TRUE(m_pty.Write({0x05, 0xC5, 0x12, 0x34, 0x80, 0x7F, 0x7F}));
    std::string strPacket;
    EXPECT_EQ(pPort->ReadPacket(strPacket), PacketStatus::Whole);
    EXPECT_EQ(strPacket, "110001010001001000110100");
    EXPECT_EQ(pPort->ReadPacket(strPacket), PacketStatus::Whole);
    EXPECT_EQ(strPacket, ByteToBits(0x80) + ByteToBits(0x7F) + ByteToBits(0x7F));
}

TEST_F(PosixPort, WakeEndsAReadBlockedOnASilentLine) {
    auto pPort = MakePort();
    ASSERT_EQ(pPort->Open(4, 9600, 8, 0, 0), 0);
    auto reader = std::async(std::launch::async, [&] {
        std::string strPacket;
        return pPort->ReadPacket(strPacket);
    });
    // The reader must still be blocked: the line is silent.
    EXPECT_EQ(reader.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    pPort->Wake();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(reader.get(), PacketStatus::Stopped);
}

TEST_F(PosixPort, ClosedControllerSideReadsAsGone) {
    auto pPort = MakePort();
    ASSERT_EQ(pPort->Open(4, 9600, 8, 0, 0), 0);
    ASSERT_TRUE(m_pty.Write({0xC5, 0x12}));
    m_pty.CloseMaster();
    std::string strPacket;
    EXPECT_EQ(pPort->ReadPacket(strPacket), PacketStatus::DeviceGone);
    // And it keeps saying so at once, rather than blocking or spinning inside.
    EXPECT_EQ(pPort->ReadPacket(strPacket), PacketStatus::DeviceGone);
}

TEST_F(PosixPort, WakeWinsOverBytesAlreadyRead) {
    auto pPort = MakePort();
    ASSERT_EQ(pPort->Open(4, 9600, 8, 0, 0), 0);
    ASSERT_TRUE(m_pty.Write({0xC1, 0x01, 0x02, 0xC3, 0x04, 0x05}));
    std::string strPacket;
    ASSERT_EQ(pPort->ReadPacket(strPacket), PacketStatus::Whole);
    // The second packet may already sit in the line's buffer; a stop must not wait for it.
    pPort->Wake();
    EXPECT_EQ(pPort->ReadPacket(strPacket), PacketStatus::Stopped);
    pPort->ClearWake();
    ASSERT_EQ(pPort->ReadPacket(strPacket), PacketStatus::Whole);
    EXPECT_EQ(strPacket, ByteToBits(0xC3) + ByteToBits(0x04) + ByteToBits(0x05));
}
