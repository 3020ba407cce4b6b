// The pointer of an X server, driven through its XTest extension: absolute motion and the left
// and right buttons on the display's default screen, and the bell for the feedback sound. The
// touch path maps to the block's ScreenWidth × ScreenHeight: the touchscreen's monitor, placed at
// its offset on the X screen once the monitors are known (device/screen_placement.h); until then
// the whole X screen, scaled to it where its size differs.
//
// Nothing here waits on the server. The display is opened on a thread of its own, with a time
// limit (device/display_opener). A server that cannot take more now (stopped, or stuck) gets
// nothing meanwhile; once it can, it is brought to the state the touches want (where the pointer
// is, which buttons are down), whatever was left out. A server that goes away does not end the
// service: the output says so (stderr and a `DisplayLost` journal line), opens the display again
// every few seconds (`DisplayBack` when it is there again) and starts there from that state too.
//
// With HideCursor, a touch hides the cursor (XFixes) and the output watches the server's raw
// motion (XInput 2) until a pointing device other than its own XTest one moves or clicks: the
// cursor shows again. The hiding is this connection's: it ends with it.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/settings_block.h"
#include "device/display_opener.h"
#include "device/journal.h"
#include "device/pointer_output.h"
#include "device/screen_placement.h"

struct _XDisplay;
union _XEvent;

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

  // Starts opening the display and waits for it up to WAIT: whether it is open by then. If not,
  // the reason is in why(), and Wake takes the display when the attempt ends, or tries again
  // every kRetry.
  bool Connect(std::chrono::milliseconds wait, Time now = std::chrono::steady_clock::now());
  bool connected() const { return display_ != nullptr; }
  // Why it is not connected ("cannot open :99", ":99 has no XTest", ":99 went away", ":99 does
  // not answer").
  const std::string& why() const { return why_; }

  void Perform(const PointerAction& action) override;
  // "x11 on :99", or "none (x11: <why>; trying again every 3 s)"; on a Wayland session, where the
  // X server is Xwayland, the desktop's own windows do not follow its pointer, and it says so.
  std::string Describe() const override;
  std::optional<Time> NextDue() const override;
  void Wake(Time now) override;
  int Descriptor() const override;
  void HideCursor(bool hide) override;

 private:
  // What the touches want the desktop to hold: where the pointer is, and which buttons are down.
  struct Wanted {
    std::optional<std::pair<int, int>> at;  // X screen pixels; none before the first move
    bool held[2] = {false, false};          // left, right
    bool hidden = false;                    // the cursor
  };

  void Want(const PointerAction& action);
  void Send(const PointerAction& action);
  // Brings the server to what is wanted: the pointer where it should be, each button as it should be.
  void Resync();
  void Press(int index, bool down);
  // Hides or shows the cursor as wanted, and watches other devices while it is hidden.
  void SyncCursor();
  bool CursorSynced() const { return !opened_.canHide || wanted_.hidden == hidden_; }
  // Whether EVENT is a raw event of another pointing device than this output's.
  bool OtherDeviceMoved(_XEvent& event);
  void Bell(int pitch, int duration);
  // The X screen's pixel for the touch path's (X, Y).
  std::pair<int, int> Place(int x, int y) const;
  // Takes the display the opener opened, if its attempt ended.
  void TakeOpened(Time now);
  // Not connected: takes what an attempt opened, says a server that does not answer, and starts
  // another attempt when one is due.
  void WakeUnconnected(Time now);
  // Reads what the server sent (nothing we asked for: errors and notices, dropped); a server that
  // went away is found so (lost_).
  void ReadIncoming();
  void Disconnect();
  void Lose(Time now);
  // Which of EVENTS (POLLIN, POLLOUT) the connection is ready for now, without waiting.
  short Ready(short events) const;

  std::string name_;
  const bool onWayland_;
  const SettingsBlock& screen_;
  const ScreenPlacement& placement_;
  Journal& journal_;
  DisplayOpener opener_;
  _XDisplay* display_ = nullptr;
  OpenedDisplay opened_;
  Wanted wanted_;
  bool sentHeld_[2] = {false, false};  // the buttons the server has got down from this output
  bool hideCursor_ = false;            // HideCursor: touches hide the cursor
  bool hidden_ = false;                // the server has hidden it for this connection
  bool synced_ = false;                // the server has got every action since it was brought to wanted_
  bool lost_ = false;                  // set by Xlib when the connection broke
  bool saidSlow_ = false;              // "does not answer" said for the attempt under way
  std::string why_;                    // why it is not connected
  Time due_{};                         // connected: the next check; not: the next try
};

}  // namespace qx
