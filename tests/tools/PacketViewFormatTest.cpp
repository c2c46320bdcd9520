#include <gtest/gtest.h>

#include "PacketView.h"
#include "TouchPackets.h"

TEST(PacketView, ShowsTouchRawXYAndTheBits) {
    EXPECT_EQ(CPacketView::FormatPacket("110001010001001000110100"),
              "touch=1 x=18 y=692 bits=110001010001001000110100");
    EXPECT_EQ(CPacketView::FormatPacket(TouchPacketText(false, 1023, 0)),
              "touch=0 x=1023 y=0 bits=" + TouchPacketText(false, 1023, 0));
    EXPECT_EQ(CPacketView::FormatPacket(TouchPacketText(true, 640, 385)).substr(0, 20),
              "touch=1 x=640 y=385 ");
}
