// frmTest: the touch test window, a drawing pad that covers the screen. Touching and dragging
// draws in the chosen colour and pen width, and three indicators show which pointer buttons the
// driver reports. While it is open the controller is in touch mode 4 (Drag Drop); the mode it had
// comes back however the window closes.
//
//   picHead  header bar: the icon, the title, Clear and Exit Test (packed from the right)
//   picHome  the white drawing area between the bars
//   picMesg  tool bar, packed from the right: "Width" 1..4, "Color" with five swatches,
//            "Button" with the L, M, R indicators; the help box fills what is left
#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>
#include <cstdint>

#include "programs/panel/drawing_pad.h"
#include "ui/suite_window.h"

namespace qx {

class TestWindow : public SuiteDialog {
  Q_OBJECT
 public:
  TestWindow();
  void Load() override;

  bool PenDown() const { return penDown_; }
  int WidthIndex() const { return widthIndex_; }
  int ColorIndex() const { return colorIndex_; }

  // As a click on lblWidth(I) / lblColor(I).
  void SelectWidth(int i);
  void SelectColor(int i);

  // The swatches' colours, by index.
  static const std::array<QColor, 5> kColors;

  QWidget* picHead = nullptr;
  QLabel* imgIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QPushButton* cmdClear = nullptr;
  QPushButton* cmdExit = nullptr;
  DrawingPad* picHome = nullptr;
  QWidget* picMesg = nullptr;
  std::array<QLabel*, 4> lblWidth{};
  QLabel* lblWidthName = nullptr;
  std::array<QLabel*, 5> lblColor{};
  QLabel* lblColorName = nullptr;
  std::array<QLabel*, 3> lblButton{};
  QLabel* lblButtonName = nullptr;
  QLabel* lblHelpBox = nullptr;
  QLabel* lblHelp = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // However the window closes, the touch mode it found comes back.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutHead();
  void LayoutTools();
  void ButtonDown(int button, QPoint at);
  void Moved(QPoint at);
  void ButtonUp(int button);
  // The indicator of BUTTON (1 "L", 2 "R", 4 "M"); null for any other.
  QLabel* IndicatorOf(int button) const;

  bool penDown_ = false;
  int widthIndex_ = 0;
  int colorIndex_ = 0;
  std::uint8_t savedTouchMode_ = 0;
  bool activated_ = false;
};

}  // namespace qx
