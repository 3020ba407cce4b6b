// The desktop's pointer the service chooses on a Wayland session (sway, headless, with Xwayland):
// the X server there is Xwayland, whose pointer only X11 programs' windows follow, and the service
// says so wherever it names its output.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/device_service.h"
#include "tests/support/sway.h"
#include "tests/support/temp_root.h"

namespace qx::test {
namespace {

TEST(PointerChoiceOnWayland, XwaylandsPointerIsSaidToReachX11WindowsOnly) {
  const Sway sway;
  if (!sway.running()) GTEST_SKIP() << "sway cannot start here: " << sway.why();
  const std::string said = "x11 on " + sway.xDisplay() + " (x11 on a Wayland session: X11 windows only)";
  for (const char* choice : {"x11", "auto"}) {
    SCOPED_TRACE(choice);
    // Where uinput can be had, auto rightly takes it: only the x11 case says anything there.
    if (choice == std::string("auto") && access("/dev/uinput", W_OK) == 0) continue;
    TempRoot root;
    DeviceService service({"--pointer", choice}, sway.ClientEnvironment());
    EXPECT_EQ(DeviceService::Qxctl("output"), "Input: simulated\nOutput: " + said + "\n" + DeviceService::LogLine());
    EXPECT_NE(ReadFile(root.path() + "/qxwmecomd.log").find("qxwmecomd: pointer output: " + said), std::string::npos);
  }
}

}  // namespace
}  // namespace qx::test
