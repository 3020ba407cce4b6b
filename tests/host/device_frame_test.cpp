// Frames over a real socket pair: whole frames arrive whole however the kernel splits them, into
// a buffer kept from one frame to the next.
#include "host/device_frame.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace qx::frame {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t tag) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(tag + i * 7);
  return bytes;
}

struct FrameCase {
  std::uint32_t size;
  std::uint32_t expected;  // the room the reader offers for the payload's first read
};

// Sizes above the socket's buffer make the send and the read come in pieces (the sender then
// waits for room); a reader offering less than the payload takes the rest after. The one buffer
// goes from large frames to small and back, keeping nothing of the frame before.
TEST(DeviceFrame, FramesOfEverySizeArriveWholeIntoAReusedBuffer) {
  const FrameCase cases[] = {{0, 0},        {1, 64},      {82, 82},  {1u << 20, 1u << 20},
                             {5, 1u << 20}, {300000, 16}, {82, 4096}, {0, 82}};
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  std::vector<std::uint8_t> payload;
  std::uint8_t tag = 1;
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << ", room " << c.expected);
    const std::vector<std::uint8_t> sent = Pattern(c.size, tag);
    bool sendOk = false;
    std::thread sender([&] { sendOk = SendFrame(pair[0], 0xF2000u + tag, sent.data(), c.size, deadline); });
    Header header;
    const bool received = ReceiveFrame(pair[1], header, payload, c.expected, deadline);
    sender.join();
    EXPECT_TRUE(sendOk);
    ASSERT_TRUE(received);
    EXPECT_EQ(header.first, 0xF2000u + tag);
    EXPECT_EQ(header.second, c.size);
    EXPECT_EQ(payload, sent);
    ++tag;
  }
  close(pair[0]);
  close(pair[1]);
}

// A header that comes in pieces (a peer writing it a few bytes at a time) is put together before
// the payload is read after it.
TEST(DeviceFrame, AHeaderInPiecesIsPutTogether) {
  for (std::size_t firstPiece : {1u, 3u, 7u}) {
    SCOPED_TRACE(testing::Message() << "first piece " << firstPiece);
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    const std::vector<std::uint8_t> payload = Pattern(82, 9);
    const std::vector<std::uint8_t> whole = Encode(0xF2010u, payload.data(), 82);
    std::thread sender([&] {
      SendAll(pair[0], whole.data(), firstPiece, deadline);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the reader has taken the piece
      SendAll(pair[0], whole.data() + firstPiece, whole.size() - firstPiece, deadline);
    });
    Header header;
    std::vector<std::uint8_t> received;
    const bool ok = ReceiveFrame(pair[1], header, received, 82, deadline);
    sender.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(header.first, 0xF2010u);
    EXPECT_EQ(header.second, 82u);
    EXPECT_EQ(received, payload);
    close(pair[0]);
    close(pair[1]);
  }
}

}  // namespace
}  // namespace qx::frame
