// An X display opened on a thread of its own, so that a server that is stopped, or a listener at
// its socket that never answers, holds up nobody: the caller starts an attempt, looks for its end
// when it likes, and learns when it has taken too long (the attempt is then left to end on its
// own; no other starts meanwhile). On the same thread the new connection checks for XTest, reads
// the bell the server holds, lets go of the buttons the suite's output may have left pressed
// (a service killed in the middle of a touch), and readies what hiding the cursor takes (XFixes 4,
// and XInput 2's raw motion to tell another pointing device from the XTest one): every question
// that waits for the server's answer is asked here, none later.
#pragma once

#include <chrono>
#include <memory>
#include <string>

struct _XDisplay;

namespace qx {

// What an open connection brings: the display, its default screen's size, and what the cursor's
// hiding needs: whether the server can (XFixes 4 and XInput 2), XInput's major opcode (its events'
// extension) and the XTest pointer the connection's motions come from.
struct OpenedDisplay {
  _XDisplay* display = nullptr;
  int width = 0;
  int height = 0;
  bool canHide = false;
  int inputOpcode = -1;
  int xtestPointer = -1;
};

class DisplayOpener {
 public:
  using Time = std::chrono::steady_clock::time_point;
  // How long an attempt may take before the server counts as not answering.
  static constexpr std::chrono::seconds kLimit{5};

  DisplayOpener();
  ~DisplayOpener();
  DisplayOpener(const DisplayOpener&) = delete;
  DisplayOpener& operator=(const DisplayOpener&) = delete;

  // Starts opening NAME unless an attempt is under way.
  void Start(const std::string& name, Time now);
  bool Running() const;
  // Waits up to WAIT for the attempt under way to end.
  void Wait(std::chrono::milliseconds wait) const;
  // Whether the attempt under way has taken longer than kLimit at NOW.
  bool Overdue(Time now) const;
  // The attempt that ended: true with OPENED (the caller's from then on), or false with WHY.
  // False with WHY empty while one runs or none was started.
  bool Take(OpenedDisplay& opened, std::string& why);

 private:
  struct Attempt;
  std::shared_ptr<Attempt> attempt_;
  Time started_{};
};

}  // namespace qx
