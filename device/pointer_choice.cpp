#include "device/pointer_choice.h"

#include <cstdlib>

#include "device/uinput_pointer.h"
#include "device/x11_pointer.h"

namespace qx {

namespace {

// How long the service's start waits for the X server: it is opened on, away from the start, if it
// takes longer.
constexpr std::chrono::milliseconds kStartWait{2000};

// No desktop pointer: the touches end in the simulated pointer alone.
class NoPointer : public PointerOutput {
 public:
  explicit NoPointer(std::string description) : description_(std::move(description)) {}
  void Perform(const PointerAction&) override {}
  std::string Describe() const override { return description_; }

 private:
  std::string description_;
};

std::string DisplayName() {
  const char* display = std::getenv("DISPLAY");
  return display ? display : "";
}

std::unique_ptr<PointerOutput> Auto(const SettingsBlock& screen, const ScreenPlacement& placement, Journal& journal) {
  std::string uinputWhy;
  if (auto uinput = UinputPointer::Create(screen, placement, uinputWhy)) return uinput;
  const std::string display = DisplayName();
  std::string x11Why = "DISPLAY not set";
  if (!display.empty()) {
    auto x11 = std::make_unique<X11Pointer>(display, screen, placement, journal);
    if (x11->Connect(kStartWait)) return x11;
    x11Why = x11->why();
  }
  return std::make_unique<NoPointer>("none (uinput: " + uinputWhy + "; x11: " + x11Why + ")");
}

}  // namespace

std::unique_ptr<PointerOutput> ChoosePointerOutput(const std::string& choice, const SettingsBlock& screen,
                                                   const ScreenPlacement& placement, Journal& journal,
                                                   std::string& error) {
  if (choice == "auto") return Auto(screen, placement, journal);
  if (choice == "none") return std::make_unique<NoPointer>("none");
  if (choice == "uinput") {
    std::string why;
    auto uinput = UinputPointer::Create(screen, placement, why);
    if (!uinput) error = "uinput: " + why;
    return uinput;
  }
  if (choice == "x11") {
    const std::string display = DisplayName();
    if (display.empty()) {
      error = "x11: DISPLAY not set";
      return nullptr;
    }
    auto x11 = std::make_unique<X11Pointer>(display, screen, placement, journal);
    x11->Connect(kStartWait);
    return x11;
  }
  error = "no pointer output '" + choice + "'";
  return nullptr;
}

}  // namespace qx
