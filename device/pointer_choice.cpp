#include "device/pointer_choice.h"

#include <cstdlib>

#include "device/uinput_pointer.h"
#include "device/x11_pointer.h"
#include "host/desktop.h"

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

// An X server on a Wayland session is Xwayland: the desktop's own windows do not follow its
// pointer, only the X11 programs' windows do; the output's description says so wherever it is shown.
class XwaylandPointer : public PointerOutput {
 public:
  explicit XwaylandPointer(std::unique_ptr<X11Pointer> x11) : x11_(std::move(x11)) {}
  void Perform(const PointerAction& action) override { x11_->Perform(action); }
  std::optional<Time> NextDue() const override { return x11_->NextDue(); }
  void Wake(Time now) override { x11_->Wake(now); }
  std::string Describe() const override { return x11_->Describe() + " (x11 on a Wayland session: X11 windows only)"; }

 private:
  std::unique_ptr<X11Pointer> x11_;
};

std::unique_ptr<PointerOutput> OnThisSession(std::unique_ptr<X11Pointer> x11) {
  if (!WaylandSession()) return x11;
  return std::make_unique<XwaylandPointer>(std::move(x11));
}

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
    if (x11->Connect(kStartWait)) return OnThisSession(std::move(x11));
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
    return OnThisSession(std::move(x11));
  }
  error = "no pointer output '" + choice + "'";
  return nullptr;
}

}  // namespace qx
