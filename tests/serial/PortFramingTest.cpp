#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FakeSerialLine.h"
#include "RecordingTraceSink.h"
#include "TouchPackets.h"
#include "serial/Port.h"
#include "touch/BitString.h"

namespace {

const std::string g_strAsterisks = std::string(90, '*') + "\n";

struct Framed {
    PacketStatus status;
    std::string strText;
};

class PortFraming : public ::testing::Test {
protected:
    PortFraming() {
        auto pLine = std::make_unique<CFakeSerialLine>();
        m_pLine = pLine.get();
        m_pPort = std::make_unique<CPort>(std::move(pLine), &m_trace);
    }

    Framed Next() {
        Framed framed{};
        framed.status = m_pPort->ReadPacket(framed.strText);
        return framed;
    }

    static std::string Packet(unsigned char b0, unsigned char b1, unsigned char b2) {
        return ByteToBits(b0) + ByteToBits(b1) + ByteToBits(b2);
    }

    CRecordingTraceSink m_trace;
    CFakeSerialLine* m_pLine = nullptr;
    std::unique_ptr<CPort> m_pPort;
};

}  // namespace

TEST_F(PortFraming, StrayDataBytesAreDroppedBeforeTheFirstLeadByte) {
    m_pLine->Feed({0x05, 0x7F, 0xC5, 0x12, 0x34});
    const Framed framed = Next();
    EXPECT_EQ(framed.status, PacketStatus::Whole);
    EXPECT_EQ(framed.strText, "110001010001001000110100");
    EXPECT_TRUE(m_trace.Lines().empty());
}

TEST_F(PortFraming, EarlyLeadByteCutsThePacketAndStartsTheNext) {
    m_pLine->Feed({0xC0, 0x01, 0xC3, 0x02, 0x03});
    const Framed cut = Next();
    EXPECT_EQ(cut.status, PacketStatus::CutShort);
    // The slots as they stand: lead and first data byte, no third slot yet.
    EXPECT_EQ(cut.strText, "1100000000000001");
    EXPECT_EQ(m_trace.Lines(), std::vector<std::string>{g_strAsterisks});
    EXPECT_EQ(m_pPort->Pending(), "11000011");

    const Framed next = Next();
    EXPECT_EQ(next.status, PacketStatus::Whole);
    EXPECT_EQ(next.strText, Packet(0xC3, 0x02, 0x03));
    EXPECT_TRUE(m_pPort->Pending().empty());
}

TEST_F(PortFraming, CutShortTextCarriesStaleSlotsButIsFlagged) {
    // A whole packet fills all slots; a cut one then mixes its lead byte with those.
    m_pLine->Feed({0xC1, 0x11, 0x22, 0xC2, 0x33, 0xC4, 0x44, 0x55});
    EXPECT_EQ(Next().status, PacketStatus::Whole);
    const Framed cut = Next();
    EXPECT_EQ(cut.status, PacketStatus::CutShort);
    EXPECT_EQ(cut.strText, Packet(0xC2, 0x33, 0x22));
    const Framed next = Next();
    EXPECT_EQ(next.status, PacketStatus::Whole);
    EXPECT_EQ(next.strText, Packet(0xC4, 0x44, 0x55));
}

TEST_F(PortFraming, TwoLeadBytesInARowAfterAPendingOne) {
    m_pLine->Feed({0xC1, 0x11, 0x22, 0xC2, 0x33, 0xC4, 0xC8, 0x01, 0x02});
    EXPECT_EQ(Next().status, PacketStatus::Whole);
    EXPECT_EQ(Next().status, PacketStatus::CutShort);  // 0xC4 pending
    // 0xC4 becomes the lead, 0xC8 replaces it as pending, the call returns at once.
    const Framed cut = Next();
    EXPECT_EQ(cut.status, PacketStatus::CutShort);
    EXPECT_EQ(cut.strText, Packet(0xC4, 0x33, 0x22));
    EXPECT_EQ(m_pPort->Pending(), ByteToBits(0xC8));
    const Framed next = Next();
    EXPECT_EQ(next.status, PacketStatus::Whole);
    EXPECT_EQ(next.strText, Packet(0xC8, 0x01, 0x02));
    EXPECT_EQ(m_trace.Lines().size(), 2u);
}

TEST_F(PortFraming, FailedOrVanishedLineIsReportedNotRetriedForever) {
    for (ReadStatus status : {ReadStatus::Failed, ReadStatus::Gone}) {
        m_pLine->FailNextReads(1, status);
        EXPECT_EQ(Next().status, PacketStatus::DeviceGone);
    }
    // An empty fake line reads as gone; a fed one goes on framing.
    EXPECT_EQ(Next().status, PacketStatus::DeviceGone);
    m_pLine->Feed({0x80, 0x00, 0x00});
    EXPECT_EQ(Next().status, PacketStatus::Whole);
}

TEST_F(PortFraming, ReadWithoutAByteCountsAsZero) {
    m_pLine->FailNextReads(1, ReadStatus::NoByte);
    m_pLine->Feed({0xC5, 0x12, 0x34});
    // Taken as the data byte 0x00 between packets: dropped.
    EXPECT_EQ(Next().strText, Packet(0xC5, 0x12, 0x34));
}

TEST_F(PortFraming, WakeEndsTheReadWithStopped) {
    m_pPort->Wake();
    m_pLine->Feed({0xC5, 0x12, 0x34});
    EXPECT_EQ(Next().status, PacketStatus::Stopped);
    m_pPort->ClearWake();
    EXPECT_EQ(Next().status, PacketStatus::Whole);
}

// Any byte stream, split anywhere, never breaks the framer: after garbage the first whole
// packet that follows is framed exactly, and resynchronisation costs at most one packet.
TEST_F(PortFraming, RandomGarbageThenPacketsResynchronises) {
    std::mt19937 random(20261207);
    for (int nRound = 0; nRound < 300; ++nRound) {
        std::vector<unsigned char> vecGarbage(random() % 12);
        for (auto& nByte : vecGarbage) {
            nByte = static_cast<unsigned char>(random());
        }
        std::vector<unsigned char> vecPackets;
        std::vector<std::string> vecExpected;
        for (int nPacket = 0; nPacket < 3; ++nPacket) {
            const unsigned char b0 = 0x80 | (random() & 0x7F);
            const unsigned char b1 = random() & 0x7F;
            const unsigned char b2 = random() & 0x7F;
            vecPackets.insert(vecPackets.end(), {b0, b1, b2});
            vecExpected.push_back(Packet(b0, b1, b2));
        }
        m_pLine->Feed(vecGarbage);
        m_pLine->Feed(vecPackets);

        // Read until the line runs dry; the last whole packets must be the ones sent.
        std::vector<std::string> vecWhole;
        for (;;) {
            const Framed framed = Next();
            if (framed.status == PacketStatus::DeviceGone) {
                break;
            }
            ASSERT_EQ(framed.strText.size() % 8, 0u);
            if (framed.status == PacketStatus::Whole) {
                vecWhole.push_back(framed.strText);
            }
        }
        // The first packet may be swallowed by garbage that ended mid-packet; never more.
        ASSERT_GE(vecWhole.size(), 2u) << "round " << nRound;
        ASSERT_EQ(vecWhole.back(), vecExpected.back());
        ASSERT_EQ(vecWhole[vecWhole.size() - 2], vecExpected[1]);
    }
}

// A cut-short packet's lead byte is genuine, so is its touch flag: a cut release still
// releases, at the last whole packet's position; a cut touch is dropped.
TEST_F(PortFraming, CutShortReleaseBecomesAReleaseAtTheLastGoodPosition) {
    struct Row {
        const char* szName;
        std::vector<unsigned char> vecBytes;  // then the lead byte of a touch at (700, 800)
        std::vector<Framed> vecExpected;
    };
    const std::string strTouch = TouchPacketText(true, 300, 400);
    const std::string strLift = TouchPacketText(false, 300, 400);
    auto Then = [](const std::vector<unsigned char>& vecTail) {
        std::vector<unsigned char> vecBytes = TouchPacketBytes(true, 300, 400);
        for (unsigned char nByte : vecTail) {
            vecBytes.push_back(nByte);
        }
        return vecBytes;
    };
    const Row rows[] = {
        // A release of another point loses its last byte: its stale slots are never used.
        {"release, one data byte",
         Then({0x80 | (5 << 3) | 6, 0x11}),
         {{PacketStatus::Whole, strTouch}, {PacketStatus::CutShortRelease, strLift}}},
        {"release, no data byte",
         Then({0x80}),
         {{PacketStatus::Whole, strTouch}, {PacketStatus::CutShortRelease, strLift}}},
        {"touch, one data byte",
         Then({0xC0 | (5 << 3) | 6, 0x11}),
         {{PacketStatus::Whole, strTouch}, {PacketStatus::CutShort, ""}}},
        {"release before any whole packet", {0x80, 0x11}, {{PacketStatus::CutShort, ""}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.szName);
        auto pLine = std::make_unique<CFakeSerialLine>();
        m_pLine = pLine.get();
        m_pPort = std::make_unique<CPort>(std::move(pLine), &m_trace);
        m_pLine->Feed(row.vecBytes);
        m_pLine->Feed(TouchPacketBytes(true, 700, 800));
        for (const Framed& expected : row.vecExpected) {
            const Framed framed = Next();
            EXPECT_EQ(framed.status, expected.status);
            if (expected.status != PacketStatus::CutShort) {
                EXPECT_EQ(framed.strText, expected.strText);
            }
        }
        const Framed next = Next();
        EXPECT_EQ(next.status, PacketStatus::Whole);
        EXPECT_EQ(next.strText, TouchPacketText(true, 700, 800));
    }
}
