// A real Wayland compositor for tests: Debian's sway on its headless backend (no screen, no input
// devices, software rendering), with Xwayland for X11 clients, for the life of the object. A test
// starts one per test program or fixture (SetUpTestSuite), and sets the outputs each case needs.
//
// sway refuses to run as root: a root test run starts it as the unprivileged user "nobody", in a
// temporary runtime folder that user owns, and lets root's X11 clients into its Xwayland. The
// clients the test starts reach it through ClientEnvironment(); what the compositor shows is read
// back from it honestly: its tree and outputs (swaymsg), its pictures (grim), and the X11 windows
// of Xwayland that it draws without managing them (xwininfo).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace qx::test {

class Sway {
 public:
  // Every output is 1024 x 768; outputs are laid out left to right from (0, 0).
  static constexpr int kOutputWidth = 1024;
  static constexpr int kOutputHeight = 768;

  // Starts sway with one output and waits until it answers and its Xwayland takes clients.
  Sway();
  ~Sway();
  Sway(const Sway&) = delete;
  Sway& operator=(const Sway&) = delete;

  // Whether it runs; why not (for the test's skip message) when it does not.
  bool running() const { return pid_ > 0; }
  const std::string& why() const { return why_; }

  // The entries a client needs in its environment to reach this compositor (WAYLAND_DISPLAY as a
  // path) and its Xwayland (DISPLAY), on a Wayland session (XDG_SESSION_TYPE); Qt left to choose
  // its platform as it would on a person's session (QT_QPA_PLATFORM empty).
  std::vector<std::string> ClientEnvironment() const;
  const std::string& xDisplay() const { return xDisplay_; }

  // swaymsg ARGS run against it.
  RunResult Msg(const std::vector<std::string>& args) const;
  QJsonArray Outputs() const;  // swaymsg -t get_outputs
  QJsonObject Tree() const;    // swaymsg -t get_tree
  // At least COUNT outputs (HEADLESS-1 …, left to right), each upright, the first one focused.
  // Outputs are added, never taken away: sway 1.7 keeps a headless output it was told to disable.
  void EnsureOutputs(int count);
  // The output named NAME's rectangle in the layout; empty when there is none.
  QRect OutputRect(const std::string& name) const;

  // What output NAME shows now (grim); a null image when it cannot be taken.
  QImage Screenshot(const std::string& name) const;
  // The X11 window of Xwayland titled TITLE (a window the compositor does not manage, too):
  // its rectangle in the layout; nothing while there is no such window, or it is not mapped.
  std::optional<QRect> XWindowRect(const std::string& title) const;

 private:
  void Start();
  bool WaitUntilReady();
  std::string dir_;
  std::string waylandDisplay_;
  std::string xDisplay_;
  std::string why_;
  pid_t pid_ = -1;
};

// A fixture BASE whose cases run on one sway for the whole suite (started before its first case,
// ended after its last), and are skipped, saying why, where sway cannot start.
template <typename Base>
class OnSway : public Base {
 protected:
  static void SetUpTestSuite() { sway = new Sway; }
  static void TearDownTestSuite() {
    delete sway;
    sway = nullptr;
  }
  void SetUp() override {
    if (!sway->running()) GTEST_SKIP() << "sway cannot start here: " << sway->why();
    Base::SetUp();
  }
  inline static Sway* sway = nullptr;
};

// The nodes of sway's TREE (any depth, floating ones too) named NAME, in the tree's order.
std::vector<QJsonObject> NodesNamed(const QJsonObject& tree, const std::string& name);
// A node's "rect" as a QRect.
QRect RectOf(const QJsonObject& node);

}  // namespace qx::test
