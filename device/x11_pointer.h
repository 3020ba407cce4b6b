// The pointer of an X server, driven through its XTest extension: absolute motion and the left
// and right buttons on the display's default screen, and the bell for the feedback sound. The
// touch path maps to the block's ScreenWidth × ScreenHeight: the touchscreen's monitor, placed at
// its offset on the X screen once the monitors are known (device/screen_placement.h); until then
// the whole X screen, scaled to it where its size differs. A server that goes away does not end the service: the output
// drops what comes meanwhile, says so (stderr and a `DisplayLost` journal line) and tries the display again every few
// seconds (`DisplayBack` when it is there again).
#pragma once

#include <chrono>
#include <string>

#include "core/settings_block.h"
#include "device/journal.h"
#include "device/pointer_output.h"
#include "device/screen_placement.h"

struct _XDisplay;

namespace qx {

class X11Pointer : public PointerOutput {
 public:
  static constexpr std::chrono::seconds kRetry{3};
  // How often a connected output looks whether its server is still there when nothing happens.
  static constexpr std::chrono::seconds kCheck{2};

  // DISPLAY_NAME as DISPLAY gives it (":99"); SCREEN is the block the touch path maps with and
  // PLACEMENT where that screen lies; they and JOURNAL outlive the output. Not connected until
  // Connect().
  X11Pointer(std::string displayName, const SettingsBlock& screen, const ScreenPlacement& placement, Journal& journal);
  ~X11Pointer() override;
  X11Pointer(const X11Pointer&) = delete;
  X11Pointer& operator=(const X11Pointer&) = delete;

  // Opens the display; false when it cannot be opened or has no XTest (the reason is in
  // Describe()), and then Wake tries again every kRetry.
  bool Connect(Time now = std::chrono::steady_clock::now());
  bool connected() const { return display_ != nullptr; }
  // Why it is not connected ("cannot open :99", ":99 has no XTest", ":99 went away").
  const std::string& why() const { return why_; }

  void Perform(const PointerAction& action) override;
  // "x11 on :99", or "none (x11: <why>; trying again every 3 s)".
  std::string Describe() const override;
  std::optional<Time> NextDue() const override;
  void Wake(Time now) override;

 private:
  void Send(const PointerAction& action);
  // Reads what the server sent (nothing we asked for: errors and notices, dropped); a server that
  // went away is found so (lost_).
  void ReadIncoming();
  void Disconnect();
  void Lose(Time now);
  // Which of EVENTS (POLLIN, POLLOUT) the connection is ready for now, without waiting.
  short Ready(short events) const;

  std::string name_;
  const SettingsBlock& screen_;
  const ScreenPlacement& placement_;
  Journal& journal_;
  _XDisplay* display_ = nullptr;
  int width_ = 0;  // the X screen's size
  int height_ = 0;
  bool held_[2] = {false, false};  // the buttons this output holds down, left and right
  bool lost_ = false;              // set by Xlib when the connection broke
  std::string why_;                // why it is not connected
  Time due_{};                     // connected: the next check; not: the next try
};

}  // namespace qx
