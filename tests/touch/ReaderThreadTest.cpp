#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FakeSerialLine.h"
#include "TouchPackets.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"

namespace {

class ReaderThreadTest : public ::testing::Test {
protected:
    explicit ReaderThreadTest(bool bBlockWhenEmpty = true)
        : m_pLine(new CFakeSerialLine(bBlockWhenEmpty)),
          m_port(std::unique_ptr<ISerialLine>(m_pLine)),
          m_reader(m_port, {[this](std::string strPacket) {
                                std::lock_guard lock(m_mutex);
                                m_vecPackets.push_back(std::move(strPacket));
                            },
                            [this] { ++m_nGone; }}) {}

    std::vector<std::string> Packets() {
        std::lock_guard lock(m_mutex);
        return m_vecPackets;
    }

    CFakeSerialLine* m_pLine;
    CPort m_port;
    std::mutex m_mutex;
    std::vector<std::string> m_vecPackets;
    std::atomic<int> m_nGone{0};
    CReaderThread m_reader;
};

class ReaderThreadOnDeadLine : public ReaderThreadTest {
protected:
    ReaderThreadOnDeadLine() : ReaderThreadTest(false) {}
};

}  // namespace

TEST_F(ReaderThreadTest, HandsOnWholePacketsOnly) {
    m_reader.RunReader(true);
    m_pLine->Feed({0xC0, 0x01, 0xC3, 0x02, 0x03});
    ASSERT_TRUE(WaitUntil([this] { return m_reader.PacketCount() == 1; }));
    EXPECT_EQ(Packets(), std::vector<std::string>{TouchPacketText(true, 0x02, 0x03 | 0x180)});
    EXPECT_EQ(m_reader.CutShortCount(), 1u);
    m_reader.RunReader(false);
}

TEST_F(ReaderThreadTest, ALiftCutShortIsHandedOnAsARelease) {
    m_reader.RunReader(true);
    // Touch, a lift whose last byte never came, a touch elsewhere.
    m_pLine->Feed(TouchPacketBytes(true, 300, 400));
    m_pLine->Feed({0x80, 0x11});
    m_pLine->Feed(TouchPacketBytes(true, 700, 800));
    ASSERT_TRUE(WaitUntil([this] { return Packets().size() == 3; }));
    m_reader.RunReader(false);
    EXPECT_EQ(Packets(), (std::vector<std::string>{TouchPacketText(true, 300, 400),
                                                   TouchPacketText(false, 300, 400),
                                                   TouchPacketText(true, 700, 800)}));
    EXPECT_EQ(m_reader.CutShortCount(), 1u);
}

TEST_F(ReaderThreadTest, StopWakesAReadBlockedOnASilentLine) {
    m_reader.RunReader(true);
    ASSERT_TRUE(WaitUntil([this] { return m_reader.ReaderRunning(); }));
    m_reader.RunReader(false);  // returns only once the thread is joined
    EXPECT_FALSE(m_reader.Started());
    EXPECT_FALSE(m_reader.ReaderRunning());
}

TEST_F(ReaderThreadTest, StopBeforeTheLoopBeganWorks) {
    for (int nRound = 0; nRound < 50; ++nRound) {
        m_reader.RunReader(true);
        m_reader.RunReader(false);
        ASSERT_FALSE(m_reader.Started());
    }
}

TEST_F(ReaderThreadTest, RestartingLeavesOneReader) {
    m_reader.RunReader(true);
    m_reader.RunReader(true);
    m_pLine->Feed(TouchPacketBytes(true, 5, 6));
    ASSERT_TRUE(WaitUntil([this] { return m_reader.PacketCount() == 1; }));
    m_reader.RunReader(false);
    EXPECT_EQ(Packets().size(), 1u);
}

TEST_F(ReaderThreadOnDeadLine, DeviceGoneIsReportedOnceAndTheWaitDoesNotSpin) {
    m_reader.RunReader(true);
    ASSERT_TRUE(WaitUntil([this] { return m_nGone == 1; }));
    const int nReadsAtOutage = m_pLine->ReadCount();
    // A spinning reader would read thousands of times here; a pausing one a handful. The
    // first pauses are 50, 100, 200 ms, so waiting for the third retry takes 350 ms.
    ASSERT_TRUE(WaitUntil([&] { return m_pLine->ReadCount() >= nReadsAtOutage + 3; }));
    EXPECT_LE(m_pLine->ReadCount(), nReadsAtOutage + 4);
    EXPECT_EQ(m_nGone, 1);
    // The stop cuts a pause short.
    m_reader.RunReader(false);
    EXPECT_FALSE(m_reader.Started());
}

TEST_F(ReaderThreadTest, LineThatRecoversGoesOnFraming) {
    m_pLine->FailNextReads(2, ReadStatus::Failed);
    m_pLine->Feed(TouchPacketBytes(false, 1, 2));
    m_reader.RunReader(true);
    ASSERT_TRUE(WaitUntil([this] { return m_reader.PacketCount() == 1; }));
    m_reader.RunReader(false);
    EXPECT_EQ(m_nGone, 1);
}
