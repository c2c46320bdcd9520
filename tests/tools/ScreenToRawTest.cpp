#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PacketEncoder.h"
#include "ScreenToRaw.h"
#include "TouchPackets.h"
#include "app/TraceSink.h"
#include "touch/AxisMapping.h"

namespace {

double Forward(const AxisCalibration& axis, int nRaw) {
    return MapXAxis(axis, nRaw, CNullTraceSink::Instance());
}

struct AxisRow {
    const char* szName;
    AxisCalibration axis;
};

// Calibrations whose three pieces join (as a calibration that measured a linear glass
// gives): the 1920 x 1080 device of the settings-line example, mirrored, and on a monitor
// left of the primary one.
const AxisRow g_aJoined[] = {
    {"forward x", {105.0, 905.0, 505.0, 1.92, 1920, 0}},
    {"forward y", {205.0, 795.0, 500.0, 1080.0 / 737.5, 1080, 0}},
    {"mirrored x", {905.0, 105.0, 505.0, 1.92, 1920, 0}},
    {"mirrored y", {795.0, 205.0, 500.0, 1080.0 / 737.5, 1080, 0}},
    {"left monitor", {100.0, 900.0, 500.0, 1.28, 1280, -1280}},
};

// A measured calibration whose pieces neither join nor agree: a gap below the centre and an
// overlap above it (the mapping example's x axis).
const AxisCalibration g_uneven = {180.0, 860.0, 517.0, 1920.0 / 850.0, 1920, 0};

class JoinedAxes : public ::testing::TestWithParam<AxisRow> {};

}  // namespace

TEST(PacketEncoder, PutsTheTopBitsInTheLeadByte) {
    using Bytes = std::array<unsigned char, 3>;
    EXPECT_EQ(EncodePacket(true, 18, 692), (Bytes{0xC5, 0x12, 0x34}));
    EXPECT_EQ(EncodePacket(false, 0, 0), (Bytes{0x80, 0x00, 0x00}));
    EXPECT_EQ(EncodePacket(true, 1023, 1023), (Bytes{0xFF, 0x7F, 0x7F}));
    EXPECT_EQ(EncodePacket(false, 1023, 0), (Bytes{0xB8, 0x7F, 0x00}));
    EXPECT_EQ(EncodePacket(true, 0, 1023), (Bytes{0xC7, 0x00, 0x7F}));
    // Out-of-range values keep their low ten bits, never touching the lead-byte flags.
    EXPECT_EQ(EncodePacket(false, 1024 + 5, -1), EncodePacket(false, 5, 1023));
}

TEST(PacketEncoder, AgreesWithTheDecoderForEveryValue) {
    for (int n = 0; n <= 1023; ++n) {
        for (bool bTouch : {false, true}) {
            const auto bytes = EncodePacket(bTouch, n, 1023 - n);
            const std::vector<unsigned char> vecBytes(bytes.begin(), bytes.end());
            ASSERT_EQ(vecBytes, TouchPacketBytes(bTouch, n, 1023 - n)) << n;
            ASSERT_EQ(bytes[1] & 0x80, 0);
            ASSERT_EQ(bytes[2] & 0x80, 0);
        }
    }
}

TEST(ScreenToRaw, FollowsTheDriversPieces) {
    double dPixel = 0.0;
    EXPECT_EQ(AnchorOf(g_uneven, 600, &dPixel), AxisAnchor::Centre);
    EXPECT_NEAR(dPixel, 1147.48, 0.01);
    EXPECT_EQ(AnchorOf(g_uneven, 700, &dPixel), AxisAnchor::Line90);
    EXPECT_NEAR(dPixel, 1366.59, 0.01);
    // Exactly on the centre maps from the 10 % line.
    EXPECT_EQ(AnchorOf(g_uneven, 517, &dPixel), AxisAnchor::Line10);
    EXPECT_NEAR(dPixel, 953.22, 0.01);
}

TEST_P(JoinedAxes, EveryPixelRoundTripsWithinOneRawUnit) {
    const AxisCalibration& axis = GetParam().axis;
    for (int nPixel = axis.nOrigin; nPixel < axis.nOrigin + axis.nSize; ++nPixel) {
        const int nRaw = MapScreenToRaw(axis, nPixel);
        ASSERT_GE(nRaw, 0);
        ASSERT_LE(nRaw, 1023);
        // The nearest whole raw value is at most half a raw unit away.
        ASSERT_LE(std::abs(Forward(axis, nRaw) - nPixel), axis.dScale / 2 + 1e-9) << nPixel;
    }
}

TEST_P(JoinedAxes, EveryRawValueOnTheMonitorComesBack) {
    const AxisCalibration& axis = GetParam().axis;
    for (int nRaw = 0; nRaw <= 1023; ++nRaw) {
        const double dPixel = Forward(axis, nRaw);
        if (dPixel < axis.nOrigin || dPixel >= axis.nOrigin + axis.nSize) {
            continue;  // the driver would clamp it: not a point anyone can ask for
        }
        ASSERT_LE(std::abs(MapScreenToRaw(axis, dPixel) - nRaw), 1) << nRaw;
    }
}

INSTANTIATE_TEST_SUITE_P(Calibrations, JoinedAxes, ::testing::ValuesIn(g_aJoined),
                         [](const auto& info) {
                             std::string strName = info.param.szName;
                             for (char& c : strName) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return strName;
                         });

TEST(ScreenToRaw, UnevenPiecesGiveTheClosestRawValueThereIs) {
    // In the gap no raw value reaches the pixel and in the overlap two do; either way the
    // answer must be as good as the best of all 1024.
    for (int nPixel = 0; nPixel < 1920; ++nPixel) {
        double dBest = std::numeric_limits<double>::infinity();
        for (int nRaw = 0; nRaw <= 1023; ++nRaw) {
            dBest = std::min(dBest, std::abs(Forward(g_uneven, nRaw) - nPixel));
        }
        const int nRaw = MapScreenToRaw(g_uneven, nPixel);
        ASSERT_LE(std::abs(Forward(g_uneven, nRaw) - nPixel), dBest + 1e-9) << nPixel;
    }
}

TEST(ScreenToRaw, SwapSendsEachAxisInTheOtherField) {
    TouchDevice device;
    device.m_rcMonitor = {0, 0, 1920, 1080};
    device.m_dLeftX = 105;
    device.m_dRightX = 905;
    device.m_dCenterX = 505;
    device.m_dScaleX = 1.92;
    device.m_dTopY = 795;  // mirrored y
    device.m_dBottomY = 205;
    device.m_dCenterY = 500;
    device.m_dScaleY = 1080.0 / 737.5;

    const CScreenToRaw straight(device);
    device.m_bSwapXY = 1;
    const CScreenToRaw swapped(device);
    for (const auto& [dX, dY] : {std::pair{10.0, 10.0}, {960.0, 540.0}, {1700.0, 100.0}}) {
        const RawPoint plain = straight.Map(dX, dY);
        const RawPoint crossed = swapped.Map(dX, dY);
        EXPECT_EQ(crossed, (RawPoint{plain.nY, plain.nX}));
        // What the driver does with the swapped packet: exchange, then map each axis.
        EXPECT_NEAR(Forward(XAxisOf(device), crossed.nY), dX, device.m_dScaleX);
        EXPECT_NEAR(Forward(YAxisOf(device), crossed.nX), dY, device.m_dScaleY);
    }
}

TEST(ScreenToRaw, UncalibratedDeviceSaysWhy) {
    TouchDevice device;
    EXPECT_NE(CScreenToRaw(device).Problem().find("not calibrated"), std::string::npos);
    device.m_rcMonitor = {0, 0, 800, 600};
    device.m_dScaleX = device.m_dScaleY = 1.0;
    EXPECT_EQ(CScreenToRaw(device).Problem(), "");
    device.m_dCenterY = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(CScreenToRaw(device).Problem().find("y calibration"), std::string::npos);
}
