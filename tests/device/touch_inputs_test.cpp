// The service's loop and its touch inputs, in-process: an input with a descriptor wakes the loop
// when it can be read, and its reports take the touch path before the requests that came after.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "core/driver_link.h"
#include "device/device_parts.h"
#include "device/server.h"
#include "host/device_file.h"
#include "host/machine_root.h"
#include "tests/support/device_request.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

// An input read from a pipe, a SimTouch record a report: what a touchscreen's descriptor gives.
class PipeInput : public TouchInput {
 public:
  PipeInput() { EXPECT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0); }
  ~PipeInput() override {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void Write(const SimTouch& report) { EXPECT_EQ(::write(fds_[1], &report, sizeof report), ssize_t(sizeof report)); }

  int Descriptor() const override { return fds_[0]; }
  std::optional<Time> NextDue() const override { return std::nullopt; }
  void Wake(Time, bool readable, TouchPath& path) override {
    SimTouch r;
    while (readable && ::read(fds_[0], &r, sizeof r) == ssize_t(sizeof r)) path.Report(r.X, r.Y, r.Touching != 0);
  }
  std::string Describe() const override { return "a pipe"; }

 private:
  int fds_[2] = {-1, -1};
};

TEST(TouchInputs, AReadableInputsReportsComeBeforeTheRequestsSentAfterThem) {
  test::TempRoot root;
  DeviceParts parts{StateFile(root.path() + "/settings.bin")};
  PipeInput input;
  parts.touch.AddInput(input);
  DeviceServer server(RunDir() + "/" + DRIVER_NAME, parts.controller, parts.touch);
  ASSERT_TRUE(server.Listen());
  std::thread loop([&] { server.Run(); });
  struct Join {
    DeviceServer& server;
    std::thread& loop;
    ~Join() {
      server.Stop();
      loop.join();
    }
  } join{server, loop};

  HANDLE h = CreateFileA("\\\\.\\QXWMECOM", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0x80, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const SimTouch reports[] = {{300, 700, 1, 0, 0}, {310, 690, 1, 0, 0}, {310, 690, 0, 0, 0}};
  for (int n = 0; n < 3; ++n) {
    input.Write(reports[n]);
    TouchSample sample = test::DeviceAnswer(h, IOCTL_GET_TOUCH_SAMPLE, TouchSample{});
    EXPECT_EQ(sample.Counter, n + 1);
    EXPECT_EQ(sample.X, reports[n].X);
    EXPECT_EQ(sample.Y, reports[n].Y);
    EXPECT_EQ(sample.Status, reports[n].Touching ? TOUCH_BIT : 0);
  }
  // Two reports in a row: both made, in order, before the request that follows them.
  input.Write({1, 2, 1, 0, 0});
  input.Write({3, 4, 0, 0, 0});
  SimStatus status = test::DeviceAnswer(h, IOCTL_SIM_GET_STATUS, SimStatus{});
  EXPECT_EQ(status.Counter, 5);
  EXPECT_EQ(status.RawX, 3);
  EXPECT_EQ(status.Touching, 0);
  CloseHandle(h);
}

}  // namespace
}  // namespace qx
