#include "programs/panel/test_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "core/driver_link.h"
#include "ui/colours.h"
#include "ui/controls.h"
#include "ui/monitor_following.h"
#include "ui/title_area.h"
#include "ui/twips.h"

namespace qx {

namespace {

// The designed sizes, in twips.
constexpr int kHeadHeight = 615;
constexpr int kToolHeight = 555;
constexpr int kToolLabelSize = 375;  // the width, colour and button labels are square
constexpr int kHelpHeight = 255;

const QColor kUnselectedBack(224, 224, 224);
const QColor kSelectedBack(64, 64, 64);
constexpr char kTouchTestTitle[] = "TouchScreen Test";

// A label whose single border is black whatever the colour of its text: Qt draws a plain frame in
// the text's colour, which gave the selected width's yellow caption a yellow border.
class BoxLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QLabel::paintEvent(event);
    if (frameShape() != QFrame::Box) return;
    QPainter painter(this);
    painter.setPen(kBlack);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

// Bold 12-point caption in a single border, centred.
QLabel* AddToolLabel(QWidget* bar, const char* name, const char* caption) {
  auto* label = new BoxLabel(QString::fromUtf8(caption), bar);
  label->setObjectName(name);
  PlaceTwips(label, 0, 0, kToolLabelSize, kToolLabelSize);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  SetControlFont(label, 12, true);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  return label;
}

QLabel* AddNameLabel(QWidget* bar, const char* name, const char* caption) {
  QLabel* label = AddLabel(bar, name, caption, 0, 0, 0);
  label->adjustSize();
  return label;
}

void SetLabelColours(QLabel* label, const QColor& text, const QColor& back) {
  SetTextColour(label, text);
  SetBackColour(label, back);
}

}  // namespace

const std::array<QColor, 5> TestWindow::kColors = {QColor(0, 0, 0), QColor(255, 0, 0), QColor(0, 128, 0),
                                                   QColor(0, 0, 255), QColor(255, 0, 255)};

TestWindow::TestWindow() : SuiteDialog("frmTest", 9600, 7200, kFullScreenFlags) {
  setWindowTitle(QString::fromUtf8(kTouchTestTitle));

  picHead = AddPictureBox(this, "picHead", kLightGrey);
  picHead->resize(picHead->width(), PixelsFromTwips(kHeadHeight));
  imgIcon = new QLabel(picHead);
  imgIcon->setObjectName(kImgIcon);
  imgIcon->setPixmap(ProgramIcon());
  imgIcon->adjustSize();
  lblTitle = new QLabel(QString::fromUtf8(kTouchTestTitle), picHead);
  lblTitle->setObjectName("lblTitle");
  SetControlFont(lblTitle, 14.25, true, "Times New Roman");
  SetTextColour(lblTitle, kRed);
  lblTitle->adjustSize();
  cmdClear = AddButton(picHead, "cmdClear", "&Clear", 0, 0);
  cmdExit = AddButton(picHead, "cmdExit", "E&xit Test", 0, 0);

  picHome = new DrawingPad(this, "picHome");

  picMesg = AddPictureBox(this, "picMesg", kLightGrey);
  picMesg->resize(picMesg->width(), PixelsFromTwips(kToolHeight));
  lblHelpBox = AddLabel(picMesg, "lblHelpBox", "", 0, 0, 0);
  lblHelpBox->setFrameStyle(QFrame::Box | QFrame::Plain);
  lblHelp = AddLabel(picMesg, "lblHelp", "", 0, 0, 0, kHelpHeight);
  SetBackColour(lblHelp, kLightGrey);
  const char* widthNames[] = {"lblWidth(0)", "lblWidth(1)", "lblWidth(2)", "lblWidth(3)"};
  const char* widthCaptions[] = {" 1 ", " 2 ", " 3 ", " 4 "};
  for (int i = 0; i < 4; ++i) {
    lblWidth[i] = AddToolLabel(picMesg, widthNames[i], widthCaptions[i]);
    SetLabelColours(lblWidth[i], kBlack, kUnselectedBack);
  }
  lblWidthName = AddNameLabel(picMesg, "lblWidthName", "Width");
  const char* colorNames[] = {"lblColor(0)", "lblColor(1)", "lblColor(2)", "lblColor(3)", "lblColor(4)"};
  for (int i = 0; i < 5; ++i) {
    lblColor[i] = AddToolLabel(picMesg, colorNames[i], "");
    lblColor[i]->setFrameStyle(QFrame::NoFrame);
    SetBackColour(lblColor[i], kColors[i]);
  }
  lblColorName = AddNameLabel(picMesg, "lblColorName", "Color");
  const char* buttonNames[] = {"lblButton(0)", "lblButton(1)", "lblButton(2)"};
  const char* buttonCaptions[] = {"L", "M", "R"};
  for (int i = 0; i < 3; ++i) lblButton[i] = AddToolLabel(picMesg, buttonNames[i], buttonCaptions[i]);
  lblButtonName = AddNameLabel(picMesg, "lblButtonName", "Button");

  for (QLabel* label : lblWidth) label->installEventFilter(this);
  for (QLabel* label : lblColor) label->installEventFilter(this);
  connect(cmdClear, &QPushButton::clicked, picHome, &Canvas::Clear);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
  connect(picHome, &DrawingPad::ButtonDown, this, &TestWindow::ButtonDown);
  connect(picHome, &DrawingPad::Moved, this, &TestWindow::Moved);
  connect(picHome, &DrawingPad::ButtonUp, this, [this](int button, QPoint) { ButtonUp(button); });
  CoverScreen(this);
  // A run's targets are its monitor's: the calibration window stays where its run began. The test
  // window has none and follows.
  FollowTouchscreenMonitor(this, [this] { CoverScreen(this); });
}

void TestWindow::Load() {
  penDown_ = false;
  widthIndex_ = 0;
  colorIndex_ = 0;
}

// The bars keep to the top and the bottom of the window; each lays out its controls.
void TestWindow::resizeEvent(QResizeEvent* event) {
  SuiteDialog::resizeEvent(event);
  picHead->setGeometry(0, 0, width(), picHead->height());
  picMesg->setGeometry(0, height() - picMesg->height(), width(), picMesg->height());
  LayoutHead();
  LayoutTools();
}

void TestWindow::LayoutHead() {
  const int h = picHead->height();
  const int iconTop = (h - imgIcon->height()) / 2;
  imgIcon->move(iconTop, iconTop);
  lblTitle->move(3 * imgIcon->x() + imgIcon->width(), (h - lblTitle->height()) / 2);
  const int top = imgIcon->y();
  cmdExit->setGeometry(picHead->width() - cmdExit->width() - top, top, cmdExit->width(), h - 2 * top);
  cmdClear->setGeometry(cmdExit->x() - cmdExit->width() - cmdExit->y(), cmdExit->y(), cmdExit->width(),
                        cmdExit->height());
}

void TestWindow::LayoutTools() {
  picHome->setGeometry(0, picHead->height(), width(), height() - picHead->height() - picMesg->height());
  const int w = picMesg->width(), h = picMesg->height();
  const int g = (h - lblButton[0]->height()) / 2;
  int x = w;
  // One group from the right: its labels from the last to the first, then its name, then a gap.
  auto pack = [&](auto& labels, QLabel* name) {
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
      x = x - g - (*it)->width();
      (*it)->move(x, g);
    }
    x = x - g - name->width();
    name->move(x, (h - name->height()) / 2);
    x = x - g;
  };
  pack(lblButton, lblButtonName);
  pack(lblColor, lblColorName);
  pack(lblWidth, lblWidthName);
  lblHelpBox->setGeometry(0, 0, x - g, h);
  const int helpTop = (lblHelpBox->height() - lblHelp->height()) / 2;
  lblHelp->setGeometry(helpTop, helpTop, lblHelpBox->width() - 2 * helpTop, lblHelp->height());
}

void TestWindow::SelectWidth(int i) {
  if (i == widthIndex_) return;
  SetLabelColours(lblWidth[widthIndex_], kBlack, kUnselectedBack);
  widthIndex_ = i;
  SetLabelColours(lblWidth[i], kYellow, kSelectedBack);
  picHome->drawWidth = i + 1;
}

void TestWindow::SelectColor(int i) {
  if (i == colorIndex_) return;
  lblColor[colorIndex_]->setFrameStyle(QFrame::NoFrame);
  colorIndex_ = i;
  lblColor[i]->setFrameStyle(QFrame::Box | QFrame::Plain);
  picHome->foreColor = BackColour(lblColor[i]);
}

bool TestWindow::eventFilter(QObject* watched, QEvent* event) {
  // A press over a label selects it, and so does a click, which begins with one.
  if (event->type() == QEvent::MouseButtonPress) {
    for (int i = 0; i < 4; ++i)
      if (watched == lblWidth[i]) SelectWidth(i);
    for (int i = 0; i < 5; ++i)
      if (watched == lblColor[i]) SelectColor(i);
  }
  return SuiteDialog::eventFilter(watched, event);
}

// Activation: the controller in Drag Drop mode while the window is open, then a 2-pixel blue pen.
void TestWindow::showEvent(QShowEvent* event) {
  SuiteDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  savedTouchMode_ = Settings.TouchMode;
  Settings.TouchMode = 4;
  SetTouchMode();
  SelectWidth(1);
  SelectColor(3);
}

void TestWindow::closeEvent(QCloseEvent* event) {
  if (activated_) {
    activated_ = false;
    Settings.TouchMode = savedTouchMode_;
    SetTouchMode();
  }
  SuiteDialog::closeEvent(event);
}

QLabel* TestWindow::IndicatorOf(int button) const {
  switch (button) {
    case 1: return lblButton[0];
    case 2: return lblButton[2];
    case 4: return lblButton[1];
    default: return nullptr;
  }
}

// A second button pressed while one is held draws a line to where it went down, not a dot.
void TestWindow::ButtonDown(int button, QPoint at) {
  if (penDown_) {
    picHome->LineTo(at);
  } else {
    picHome->Dot(at);
    penDown_ = true;
  }
  if (QLabel* indicator = IndicatorOf(button)) SetBackColour(indicator, kYellow);
}

void TestWindow::Moved(QPoint at) {
  if (penDown_) picHome->LineTo(at);
}

// Releasing either button ends the stroke.
void TestWindow::ButtonUp(int button) {
  penDown_ = false;
  if (QLabel* indicator = IndicatorOf(button)) SetBackColour(indicator, QColor());
}

}  // namespace qx
