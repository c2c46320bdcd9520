#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <thread>

#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "TouchPackets.h"
#include "linux/PosixSerialLine.h"
#include "serial/Port.h"
#include "serial/PortNames.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int g_nPort = 5;

// Reads the next packet, waking the port after the deadline so that a lost byte fails the
// test instead of hanging it (a woken read returns Stopped).
PacketStatus ReadWithin(CPort& port, std::string& strPacket,
                        std::chrono::milliseconds timeout = 5s) {
    std::promise<void> done;
    std::thread watchdog([&port, future = done.get_future(), timeout] {
        if (future.wait_for(timeout) == std::future_status::timeout) {
            port.Wake();
        }
    });
    const PacketStatus status = port.ReadPacket(strPacket);
    done.set_value();
    watchdog.join();
    return status;
}

struct Framed {
    PacketStatus status;
    std::string strText;
    bool operator==(const Framed&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Framed& framed) {
    return stream << static_cast<int>(framed.status) << ":" << framed.strText;
}

Framed Whole(bool bTouch, int nX, int nY) {
    return {PacketStatus::Whole, TouchPacketText(bTouch, nX, nY)};
}

// The driver's side: a CPort on the real serial line code, reading the simulator's COM5.
class Simulator : public ::testing::Test {
protected:
    void OpenPort() {
        ASSERT_EQ(m_port.Open(g_nPort, 9600, 8, 0, 0), 0);
        m_port.SetTimeouts(0, 0, 0, 0, 0);
    }

    Framed Next() {
        Framed framed{};
        framed.status = ReadWithin(m_port, framed.strText);
        return framed;
    }

    CTempConfigDir m_config;
    CSimulatorProcess m_sim{g_nPort};
    CPort m_port{std::make_unique<CPosixSerialLine>()};
};

}  // namespace

TEST_F(Simulator, LinksThePortWhileItRuns) {
    ASSERT_FALSE(m_sim.SlavePath().empty()) << m_sim.ErrorLog();
    EXPECT_EQ(fs::read_symlink(PortLinkPath(g_nPort)), m_sim.SlavePath());

    // A signal in the middle of a long hold ends it promptly and takes the link away.
    m_sim.Send("down 1 1\nhold 60000\n");
    m_sim.Process().Signal(SIGTERM);
    const int nStatus = m_sim.Process().Wait();
    ASSERT_TRUE(WIFEXITED(nStatus)) << nStatus;
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
    std::error_code error;
    EXPECT_FALSE(fs::is_symlink(PortLinkPath(g_nPort), error));
}

TEST_F(Simulator, PacketsArriveAsSentEvenWhenWrittenBeforeTheOpen) {
    m_sim.Send("tap 100 200 20\necho tapped\n");
    ASSERT_TRUE(m_sim.WaitForEcho("tapped")) << m_sim.ErrorLog();
    OpenPort();
    // The finger repeats at the simulator's pace on its real clock: three packets for 20 ms at
    // 100 per second on a quiet machine, fewer when it was kept from running. Whatever it
    // wrote must arrive whole and in order.
    int nDowns = 0;
    Framed framed = Next();
    for (; framed == Whole(true, 100, 200) && nDowns < 10; framed = Next()) {
        ++nDowns;
    }
    EXPECT_GE(nDowns, 1);
    EXPECT_EQ(framed, Whole(false, 100, 200));

    m_sim.Send("down 0 1023\nmove 1023 0\nup\n");
    EXPECT_EQ(Next(), Whole(true, 0, 1023));
    EXPECT_EQ(Next(), Whole(true, 1023, 0));
    EXPECT_EQ(Next(), Whole(false, 1023, 0));
}

TEST_F(Simulator, GarbageThenResyncOnTheNextPacket) {
    OpenPort();
    m_sim.Send("seed 3\ngarbage 300\nstray\ndown 11 22\nstray\nmove 33 44\nup\n");
    // Garbage frames into junk packets; the first real lead byte starts a clean packet,
    // whatever state the junk left the framer in.
    int nReads = 0;
    Framed framed;
    do {
        framed = Next();
        ASSERT_NE(framed.status, PacketStatus::Stopped) << "the down packet never came";
    } while (framed != Whole(true, 11, 22) && ++nReads < 400);
    EXPECT_EQ(Next(), Whole(true, 33, 44));
    EXPECT_EQ(Next(), Whole(false, 33, 44));
}

TEST_F(Simulator, RecordedByteFileIsPlayedAsItIs) {
    const std::string strPath = m_config.Path() + "/recording.bin";
    const unsigned char acBytes[] = {0x05, 0x7F, 0xC5, 0x12, 0x34, 0xC0, 0x01, 0xC3, 0x02, 0x03};
    std::ofstream(strPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(acBytes), sizeof acBytes);
    OpenPort();
    m_sim.Send("file " + strPath + "\n");
    EXPECT_EQ(Next(), (Framed{PacketStatus::Whole, "110001010001001000110100"}));
    EXPECT_EQ(Next().status, PacketStatus::CutShort);
    EXPECT_EQ(Next(), (Framed{PacketStatus::Whole, "110000110000001000000011"}));
}

TEST_F(Simulator, HangupIsADeviceGoneAndReopenIsReadableAgain) {
    OpenPort();
    m_sim.Send("down 1 2\nhangup\necho gone\n");
    // What was written before the hang-up still comes first: the simulator waits for it to
    // be read before it closes the line.
    EXPECT_EQ(Next(), Whole(true, 1, 2));
    EXPECT_EQ(Next().status, PacketStatus::DeviceGone);
    ASSERT_TRUE(m_sim.WaitForEcho("gone"));
    m_port.Close();
    // Meanwhile the link leads nowhere, so the port reads as missing, never as some other
    // program's terminal.
    try {
        m_port.Open(g_nPort, 9600, 8, 0, 0);
        ADD_FAILURE() << "a hung-up port opened";
    } catch (const CPortException& exception) {
        EXPECT_EQ(exception.Message(), "Can't open port.\n");
        EXPECT_EQ(exception.Error(), ENOENT);
    }

    m_sim.Send("reopen\necho back\n");
    ASSERT_TRUE(m_sim.WaitForEcho("back")) << m_sim.ErrorLog();
    EXPECT_TRUE(fs::exists(PortLinkPath(g_nPort)));
    OpenPort();
    m_sim.Send("down 3 4\n");
    EXPECT_EQ(Next(), Whole(true, 3, 4));
}

TEST_F(Simulator, BadLinesAreReportedWithTheirNumberAndSkipped) {
    m_sim.Send("down 5000 1\nbogus\nhold 10\necho still here\nquit\n");
    ASSERT_TRUE(m_sim.WaitForEcho("still here"));
    const int nStatus = m_sim.Process().Wait();
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 1);
    const std::string strLog = m_sim.ErrorLog();
    EXPECT_NE(strLog.find("stdin:1: down: expected <x> <y>, raw values 0..1023, got '5000'"),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("stdin:2: unknown command 'bogus'"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("stdin:3: hold: no touch is down"), std::string::npos) << strLog;
    std::error_code error;
    EXPECT_FALSE(fs::is_symlink(PortLinkPath(g_nPort), error));
}

TEST(SimulatorAlone, NobodyReadingMakesItDropBytesNotHang) {
    CTempConfigDir config;
    CSimulatorProcess sim(0, {"--stall-ms", "100"});
    ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
    // Far more than a pseudo-terminal holds.
    sim.Send("garbage 200000\necho done\n");
    EXPECT_TRUE(sim.WaitForEcho("done"));
    EXPECT_NE(sim.ErrorLog().find("dropping bytes"), std::string::npos) << sim.ErrorLog();
}
