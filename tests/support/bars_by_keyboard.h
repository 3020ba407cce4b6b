// A person without a mouse in front of a window: Tab through its tab chain once, and on every
// scroll bar it reaches, the arrows and Page Up/Down, each followed by its opposite.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace qx::test {

// KEY pressed on BAR moves it by STEP (up to its end); AFTER runs then, while it stands there.
inline void ExpectKeyMoves(QScrollBar* bar, Qt::Key key, int step, const std::function<void()>& after) {
  const int before = bar->value();
  QTest::keyClick(bar, key);
  EXPECT_EQ(bar->value(), std::clamp(before + step, bar->minimum(), bar->maximum()))
      << bar->objectName().toStdString() << " key " << key;
  after();
}

// The names of the bars Tab reaches in WINDOW, in their order, over one round of its tab chain
// from the control that has the focus (that one included). On each bar: Right and Left move it by
// its small change, Page Down and Page Up by its large change, as a horizontal scroll bar does;
// WHILE_MOVED runs after each move away, and the bar is back where it was after each pair.
inline std::vector<std::string> BarsReachedByTab(QWidget& window, const std::function<void()>& whileMoved) {
  window.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  std::vector<std::string> bars;
  QWidget* const first = QApplication::focusWidget();
  QWidget* focused = first;
  for (int i = 0; focused && i < 100; ++i) {
    if (auto* bar = qobject_cast<QScrollBar*>(focused)) {
      bars.push_back(bar->objectName().toStdString());
      const int small = bar->singleStep(), large = bar->pageStep();
      ExpectKeyMoves(bar, Qt::Key_Right, small, whileMoved);
      ExpectKeyMoves(bar, Qt::Key_Left, -small, [] {});
      ExpectKeyMoves(bar, Qt::Key_PageDown, large, whileMoved);
      ExpectKeyMoves(bar, Qt::Key_PageUp, -large, [] {});
    }
    QTest::keyClick(focused, Qt::Key_Tab);
    focused = QApplication::focusWidget();
    if (focused == first) break;
  }
  return bars;
}

}  // namespace qx::test
