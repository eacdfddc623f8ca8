// The memory form of a frame packet and the picture frame's copy.
#include "recording/frame_packet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace kd;

TEST(FramePacket, MemoryFormRoundTripsAndRefusesShortInput) {
  FramePacket a(64, 64);
  a.kind = 3;
  a.flags = 0x8040;
  a.timeStamp = 123456;
  a.videoSize = 10;
  a.audioSize = 6;
  for (int i = 0; i < 10; ++i) a.video()[i] = uint8_t(i);
  for (int i = 0; i < 6; ++i) a.audio()[i] = uint8_t(100 + i);
  a.frameRateText = "25.00f/s";
  EXPECT_EQ(a.storedSize(), 12u + 10 + 4 + 6 + 2 + 8 + 8);
  std::vector<uint8_t> mem(a.storedSize());
  ASSERT_EQ(a.storeTo(mem.data(), mem.size()), mem.size());
  EXPECT_EQ(a.storeTo(mem.data(), mem.size() - 1), 0u);

  FramePacket b(64, 64);
  EXPECT_EQ(b.loadFrom(mem.data(), mem.size()), mem.size());
  EXPECT_EQ(b.kind, 3);
  EXPECT_EQ(b.timeStamp, 123456u);
  EXPECT_EQ(0, std::memcmp(b.audio(), a.audio(), 6));
  EXPECT_EQ(b.frameRateText, "25.00f/s");

  FramePacket c(64, 64);
  c.kind = 9;
  for (size_t cut = 0; cut < mem.size(); ++cut) EXPECT_EQ(c.loadFrom(mem.data(), cut), 0u);
  EXPECT_EQ(c.kind, 9);     // untouched by the failed loads
  FramePacket small(4, 4);  // payloads larger than the buffers are refused
  EXPECT_EQ(small.loadFrom(mem.data(), mem.size()), 0u);
}

TEST(FramePacket, PictureFrameCopiesWhatFits) {
  PictureFrame big(7, 32, 32), tiny(7, 2, 2);
  EXPECT_EQ(big.videoCapacity(), 32u * 32 * 2);
  EXPECT_EQ(big.audioCapacity(), 65536u);
  ASSERT_NE(big.picture(), nullptr);
  EXPECT_EQ(big.picture()->width(), 32);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(big.picture()->pixels()) % 8, 0u);
  big.videoSize = 100;
  big.flags = 0x8000;
  big.audioSize = 10;
  big.block = 4;
  big.frameInBlock = 2;
  std::memset(big.video(), 0xAB, 100);
  tiny.copyFrom(big);
  EXPECT_EQ(tiny.block, 4);
  EXPECT_EQ(tiny.videoSize, 8u);  // capacity 2 × 2 × 2
  EXPECT_EQ(tiny.video()[7], 0xAB);
  FramePacket plain(0, 0);
  EXPECT_EQ(plain.picture(), nullptr);
}
