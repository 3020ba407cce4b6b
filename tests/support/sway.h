// A real Wayland desktop for tests: Debian's sway on its headless backend (no screen, no input
// devices, software rendering) with Xwayland, for the life of the object. sway refuses root: a
// root test run starts it as "nobody", in a temporary runtime folder of that user's, and lets
// root's X11 clients into its Xwayland. What it shows is read back from it: its tree (swaymsg),
// its pictures (grim), and the X11 windows it draws without managing them (xwininfo).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonObject>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace qx::test {

class Sway {
 public:
  static constexpr int kOutputWidth = 1024, kOutputHeight = 768;
  // Starts it with one output of 1024 x 768 (HEADLESS-1) and waits until Xwayland takes clients.
  Sway();
  ~Sway();
  Sway(const Sway&) = delete;
  Sway& operator=(const Sway&) = delete;

  bool running() const { return pid_ > 0; }
  const std::string& why() const { return why_; }  // why it does not run
  const std::string& xDisplay() const { return xDisplay_; }
  // What a client of a person's session on it has: WAYLAND_DISPLAY (a path), DISPLAY,
  // XDG_SESSION_TYPE, and Qt's platform left to Qt (QT_QPA_PLATFORM empty).
  std::vector<std::string> ClientEnvironment() const;

  RunResult Msg(const std::vector<std::string>& args) const;  // swaymsg ARGS
  QJsonObject Tree() const;                                   // swaymsg -t get_tree
  // At least COUNT outputs, 1024 x 768 each, left to right (sway 1.7 cannot take one away).
  void EnsureOutputs(int count);
  // What output NAME shows (grim); a null image when it cannot be taken.
  QImage Screenshot(const std::string& name) const;
  // Xwayland's mapped window titled TITLE, managed or not: its rectangle on the desktop.
  std::optional<QRect> XWindowRect(const std::string& title) const;

 private:
  bool Start();
  std::string dir_, waylandDisplay_, xDisplay_, why_;
  pid_t pid_ = -1;
  int outputs_ = 1;
};

// The nodes of sway's TREE named NAME (floating ones too), in the tree's order, and a node's rect.
std::vector<QJsonObject> NodesNamed(const QJsonObject& tree, const std::string& name);
QRect RectOf(const QJsonObject& node);

// A fixture BASE whose cases share one sway for the suite, and are skipped, saying why, where sway
// cannot start.
template <typename Base>
class OnSway : public Base {
 protected:
  static void SetUpTestSuite() { sway = new Sway; }
  static void TearDownTestSuite() { delete sway; }
  void SetUp() override {
    if (!sway->running()) GTEST_SKIP() << "sway cannot start here: " << sway->why();
    Base::SetUp();
  }
  inline static Sway* sway = nullptr;
};

}  // namespace qx::test
