#include "device/root_touch_setup.h"

#include <cstdio>

#include "device/touchscreen_input.h"

namespace qx {

bool RootTouchSetup::MakeInput(const std::string& use, std::unique_ptr<TouchInput>& input, std::string& why) {
  input.reset();
  if (use == "simulated") return true;
  if (!ValidInputUse(use)) {
    why = "not an input: '" + use + "' (simulated, auto, a device's path or a touchscreen's name)";
    return false;
  }
  const std::string file = file_;
  auto touchscreen =
      std::make_unique<TouchscreenInput>(use, Setting().touchscreen, [file](const TouchscreenIdentity& t) {
        if (!SaveTouchscreen(file, t))
          std::fprintf(stderr, "qxwmecomd: cannot remember the touchscreen in %s\n", file.c_str());
      });
  bool notTouchscreen = false;
  why = touchscreen->Start(notTouchscreen);
  if (notTouchscreen) return false;
  input = std::move(touchscreen);
  return true;
}

}  // namespace qx
