#include <gtest/gtest.h>

#include <random>

#include "BaudMismatch.h"

namespace {

constexpr long long g_nStartNs = 1000000000LL;
constexpr auto Good = UartCharKind::Good;
constexpr auto Framing = UartCharKind::FramingError;
constexpr auto Break = UartCharKind::Break;

using Received = std::pair<unsigned char, UartCharKind>;

// One burst from an idle line, then idle until every character is decided.
std::vector<Received> ReadAt(int nControllerBaud, int nReceiverBaud,
                             const std::vector<unsigned char>& vecBytes) {
    CBaudMismatch line(nControllerBaud);
    std::vector<UartChar> vecChars = line.Send(g_nStartNs, vecBytes, nReceiverBaud);
    const std::vector<UartChar> vecLate = line.Idle(g_nStartNs + 1000000000LL);
    vecChars.insert(vecChars.end(), vecLate.begin(), vecLate.end());
    std::vector<Received> vecReceived;
    for (const UartChar& character : vecChars) {
        vecReceived.push_back({character.nByte, character.kind});
    }
    return vecReceived;
}

struct MismatchCase {
    int nControllerBaud;
    int nReceiverBaud;
    std::vector<unsigned char> vecSent;
    std::vector<Received> vecRead;
};

void PrintTo(const MismatchCase& row, std::ostream* pStream) {
    *pStream << row.nControllerBaud << " read at " << row.nReceiverBaud;
}

class UartMismatch : public ::testing::TestWithParam<MismatchCase> {};

// Worked out bit by bit on paper: a receiver bit is 4 (or 8, or 1/2, 1/4, 1/8) controller
// bits, sampled at its centre from the falling edge that starts it.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rates, UartMismatch,
    ::testing::Values(
        // The same rate: unchanged.
        MismatchCase{9600, 9600, {0xC5, 0x12, 0x34}, {{0xC5, Good}, {0x12, Good}, {0x34, Good}}},
        MismatchCase{2400, 2400, {0x00, 0xFF}, {{0x00, Good}, {0xFF, Good}}},
        // Slower receiver: one character spans a whole packet; a start that is one
        // controller bit long is too short to be seen at all.
        MismatchCase{9600, 2400, {0xC5, 0x12, 0x34}, {{0xE0, Good}}},
        MismatchCase{9600, 2400, {0x00}, {{0xFE, Good}}},
        MismatchCase{9600, 1200, {0x00}, {{0xFF, Good}}},
        MismatchCase{9600, 1200, {0xFF}, {}},
        MismatchCase{9600, 4800, {0xC5, 0x12, 0x34}, {{0x53, Good}, {0xFF, Good}}},
        // Faster receiver: each controller byte split, stop bits landing on low bits.
        MismatchCase{2400, 9600, {0x55}, {{0x78, Framing}, {0x78, Framing}, {0xF8, Good}}},
        MismatchCase{2400, 9600, {0x00}, {{0x00, Break}}},
        MismatchCase{4800, 9600, {0x55}, {{0x66, Framing}, {0xE6, Good}}},
        MismatchCase{1200, 9600, {0x0F}, {{0x80, Good}, {0x00, Break}}}));
// clang-format on

TEST_P(UartMismatch, ReadsWhatTheReceiverSamples) {
    const MismatchCase& row = GetParam();
    EXPECT_EQ(ReadAt(row.nControllerBaud, row.nReceiverBaud, row.vecSent), row.vecRead);
}

TEST(UartMismatchLine, SameRateIsExactAndDecidedWithinEachBurst) {
    // Random bursts with random gaps, some sent while the transmitter is still busy.
    std::mt19937 random(5);
    for (const int nBaud : {1200, 9600, 115200}) {
        CBaudMismatch line(nBaud);
        long long nNowNs = g_nStartNs;
        for (int nBurst = 0; nBurst < 200; ++nBurst) {
            std::vector<unsigned char> vecBytes(1 + random() % 8);
            for (unsigned char& nByte : vecBytes) {
                nByte = static_cast<unsigned char>(random());
            }
            std::vector<Received> vecExpected;
            for (const unsigned char nByte : vecBytes) {
                vecExpected.push_back({nByte, Good});
            }
            std::vector<Received> vecRead;
            for (const UartChar& character : line.Send(nNowNs, vecBytes, nBaud)) {
                vecRead.push_back({character.nByte, character.kind});
            }
            ASSERT_EQ(vecRead, vecExpected) << nBaud << " baud, burst " << nBurst;
            ASSERT_EQ(line.PendingUntilNs(), -1);
            nNowNs += static_cast<long long>(random() % 30) * 1000000000LL / nBaud;
        }
    }
}

TEST(UartMismatchLine, ALateCharacterWaitsForTheIdleLineAndRateChangesApplyNextBurst) {
    CBaudMismatch line(9600);
    EXPECT_TRUE(line.Send(g_nStartNs, {0x00}, 1200).empty());
    const long long nPendingNs = line.PendingUntilNs();
    // Stop bit of a 1200-baud character: 9.5 bits plus the 1/32 bit after the edge.
    EXPECT_EQ(nPendingNs, g_nStartNs + 305LL * 1000000000LL / (32 * 1200));
    EXPECT_TRUE(line.Idle(nPendingNs).empty());
    EXPECT_EQ(line.Idle(nPendingNs + 1), (std::vector<UartChar>{{0xFF, Good, nPendingNs}}));

    // The host opens the port again at the controller's rate: the next burst reads clean.
    const std::vector<UartChar> vecChars = line.Send(nPendingNs + 2, {0xC5, 0x12, 0x34}, 9600);
    ASSERT_EQ(vecChars.size(), 3u);
    EXPECT_EQ(vecChars[2].nByte, 0x34);
}

struct DeliveryCase {
    LineInputFlags flags;
    std::vector<unsigned char> vecRead;
};

void PrintTo(const DeliveryCase& row, std::ostream* pStream) {
    *pStream << "INPCK " << row.flags.bInpck << " IGNPAR " << row.flags.bIgnpar << " IGNBRK "
             << row.flags.bIgnbrk << " BRKINT " << row.flags.bBrkint;
}

class LinuxDelivery : public ::testing::TestWithParam<DeliveryCase> {};

// A good byte, a framing error and a break, with the flags that decide what is read.
INSTANTIATE_TEST_SUITE_P(Flags, LinuxDelivery,
                         ::testing::Values(DeliveryCase{{}, {0x41, 0x78, 0x00}},
                                           DeliveryCase{{.bInpck = true}, {0x41, 0x00, 0x00}},
                                           DeliveryCase{{.bInpck = true, .bIgnpar = true},
                                                        {0x41, 0x00}},
                                           DeliveryCase{{.bIgnbrk = true}, {0x41, 0x78}},
                                           DeliveryCase{{.bBrkint = true}, {0x41, 0x78}}));

TEST_P(LinuxDelivery, FollowsTheLineFlags) {
    const std::vector<UartChar> vecChars = {{0x41, Good, 0}, {0x78, Framing, 1}, {0, Break, 2}};
    EXPECT_EQ(DeliverAsLinux(vecChars, GetParam().flags), GetParam().vecRead);
}

}  // namespace
