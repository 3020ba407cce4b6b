#include "programs/panel/calibration_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "core/driver_link.h"
#include "core/settings_store.h"
#include "host/message_box.h"
#include "programs/panel/panel_program.h"
#include "ui/boxes.h"
#include "ui/colours.h"
#include "ui/controls.h"
#include "ui/twips.h"

namespace qx {

namespace {

// The designed sizes and places, in twips.
constexpr int kHomeHeight = 3255;
constexpr int kStatWidth = 2895, kStatHeight = 975;
constexpr int kMesgLeft = 240, kMesgTop = 1320, kMesgWidth = 5655, kMesgHeight = 975;
constexpr int kHelpLeft = 1575, kHelpTop = 2520, kHelpWidth = 2970, kHelpHeight = 195;
constexpr int kPromptLeft = 120, kPromptWidth = kMesgWidth - 2 * kPromptLeft, kPromptHeight = 255;
constexpr int kPrompt1Top = 180, kPrompt2Top = 540;

const QColor kGreen(0, 255, 0);

constexpr char kRunTitle[] = "TouchScreen Calibration";
constexpr char kBreakQuestion[] = "Are you sure you want to break calibration?";
constexpr char kCompleteQuestion[] =
    "CALIBRATION IS COMPLETE.\r\r"
    "For test, touch on the screen and check cursor position.\r"
    "To save new calibration, click Yes button.\r"
    "To restore old calibration, click No button.";

QLabel* AddPrompt(QWidget* box, const char* name, const char* text, int top, const QColor& colour) {
  QLabel* label = AddLabel(box, name, text, kPromptLeft, top, kPromptWidth, kPromptHeight);
  SetControlFont(label, 9.75, true);
  SetTextColour(label, colour);
  return label;
}

}  // namespace

CalibrationWindow::CalibrationWindow()
    : SuiteDialog("frmCalibration", kMesgWidth + 2 * kMesgLeft, kHomeHeight,
                  kFullScreenFlags | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("TouchScreen Calibration"));
  SetBackColour(this, kLightGrey);

  picCalibration = new Canvas(this, "picCalibration", kWhite);
  picCalibration->setFocusPolicy(Qt::StrongFocus);

  picHome = AddPictureBox(picCalibration, "picHome", kLightGrey);
  picStat = AddPictureBox(picHome, "picStat", kWhite);
  PlaceTwips(picStat, 0, 0, kStatWidth, kStatHeight);
  lblResolution = AddLabel(picStat, "lblResolution", "", 0, 0, kStatWidth, kStatHeight, Qt::AlignHCenter);
  SetControlFont(lblResolution, 8.25, true);

  picMesg = AddPictureBox(picHome, "picMesg", kBlack);
  PlaceTwips(picMesg, kMesgLeft, kMesgTop, kMesgWidth, kMesgHeight);
  lblMesg1 = AddPrompt(picMesg, "lblMesg1", "Please touch on the center of Cross Mark that", kPrompt1Top, kGreen);
  lblMesg2 = AddPrompt(picMesg, "lblMesg2", "show on the TOP-LEFT coner of the screen", kPrompt2Top, kGreen);
  lblMesg3 = AddPrompt(picMesg, "lblMesg3", "", 0, kYellow);
  lblMesg3->setAlignment(Qt::AlignCenter);
  lblMesg3->hide();

  lblHelp = AddLabel(picHome, "lblHelp", "Press ESC key to break calibration", kHelpLeft, kHelpTop, kHelpWidth,
                     kHelpHeight, Qt::AlignHCenter);
  SetControlFont(lblHelp, 8.25, true);
  SetTextColour(lblHelp, kBlue);
  // The designed width fits the design face; a wider face widens the line about its centre.
  if (const int grow = lblHelp->sizeHint().width() - lblHelp->width(); grow > 0)
    lblHelp->setGeometry(lblHelp->x() - (grow + 1) / 2, lblHelp->y(), lblHelp->width() + grow + 1, lblHelp->height());
  picHome->resize(picHome->width(), PixelsFromTwips(kHomeHeight));

  lblTitle = new QLabel(QStringLiteral("TouchScreen Calibration"), picCalibration);
  lblTitle->setObjectName("lblTitle");
  SetControlFont(lblTitle, 21.75, true, "Times New Roman");
  SetTextColour(lblTitle, kRed);
  lblTitle->adjustSize();

  CoverScreen(this);
}

void CalibrationWindow::Load() {
  // The settings as they are now: the screen size the companion reported may have changed (a
  // monitor plugged or turned) since the panel read them as it started.
  GetSettings();
  lblResolution->setText(QStringLiteral("Resolution: %1 X %2").arg(Settings.ScreenWidth).arg(Settings.ScreenHeight));
  rememberedAutoMode_ = Settings.RbfAutoMode;
  PauseRightButton(true);
}

// The right-button function pauses for the run and comes back after it: in Drag Drop mode with
// the automatic right button on, the driver's automatic mode goes off and on again; otherwise the
// right-button program's button hides and shows.
void CalibrationWindow::PauseRightButton(bool pause) {
  if (Settings.RbfEnable != 1) return;
  if (Settings.TouchMode == 4 && rememberedAutoMode_ != 0) {
    Settings.RbfAutoMode = pause ? 0 : 1;
    SetTouchMode();
  } else if (pause) {
    HideRbfWindow();
  } else {
    ShowRbfWindow();
  }
}

// The layout at every resize, in the surface's pixels; halves are dropped.
void CalibrationWindow::Layout() {
  picCalibration->setGeometry(0, 0, width(), height());
  const int w = picCalibration->width(), h = picCalibration->height();
  picHome->resize(2 * picMesg->x() + picMesg->width(), picHome->height());
  picHome->move((w - picHome->width()) / 2, (h - picHome->height()) / 2);
  lblTitle->move((w - lblTitle->width()) / 2, picHome->y() - 3 * lblTitle->height() / 2);
  picStat->move((picHome->width() - picStat->width()) / 2, picStat->y());
  picMesg->move((picHome->width() - picMesg->width()) / 2, picMesg->y());
  lblMesg3->move(lblMesg3->x(), (picStat->height() - lblMesg3->height()) / 2);
  edges_ = EdgesOf(w, h);
}

void CalibrationWindow::resizeEvent(QResizeEvent* event) {
  SuiteDialog::resizeEvent(event);
  // A target on show moves to where the new edges put it.
  const bool shown = targetShown_;
  if (shown) DrawTarget(CurrentPoint(), false);
  Layout();
  if (shown) DrawTarget(CurrentPoint(), true);
}

void CalibrationWindow::DrawTarget(int index, bool draw) {
  const std::optional<TargetShape> shape = ShapeOf(index, edges_);
  if (!shape) return;
  QImage& image = picCalibration->image();
  auto set = [&image](int x, int y, const QColor& colour) {
    if (image.rect().contains(x, y)) image.setPixelColor(x, y, colour);
  };
  const QColor box = draw ? kRed : kWhite;
  const QColor line = draw ? kBlack : kWhite;
  for (int x = shape->left; x <= shape->right; ++x) {
    set(x, shape->top, box);
    set(x, shape->bottom, box);
  }
  for (int y = shape->top; y <= shape->bottom; ++y) {
    set(shape->left, y, box);
    set(shape->right, y, box);
  }
  for (int x = shape->left; x <= shape->right; ++x) set(x, shape->crossY, line);
  for (int y = shape->top; y <= shape->bottom; ++y) set(shape->crossX, y, line);
  targetShown_ = draw;
  picCalibration->update();
}

void CalibrationWindow::ShowTouchPrompt(const std::string& name) {
  lblMesg3->hide();
  lblMesg1->setText(QStringLiteral("Please touch on the center of Cross Mark that"));
  lblMesg2->setText(QString::fromStdString("show on the " + name + " of the screen"));
  lblMesg2->move(lblMesg1->x(), lblMesg2->y());
  lblMesg1->show();
  lblMesg2->show();
}

void CalibrationWindow::ShowLiftOffPrompt(const std::string& text) {
  lblMesg1->hide();
  lblMesg2->hide();
  lblMesg3->setText(QString::fromStdString("PLEASE LIFT OFF TO " + text));
  lblMesg3->show();
}

void CalibrationWindow::SetTouchIndicator(bool touched) { SetBackColour(picStat, touched ? kYellow : kWhite); }

void CalibrationWindow::HidePointer() { HideCursor(); }

// The question with the prompts out of the way and the pointer to answer with; they come back only
// while the window is still open (a window closed meanwhile has given the pointer back for good).
bool CalibrationWindow::AskBreak() {
  picMesg->hide();
  lblHelp->hide();
  RestoreCursor();
  QPointer<CalibrationWindow> self(this);
  const int answer = QuestionBox(kBreakQuestion, MB_DEFBUTTON2, kRunTitle);
  if (!self || unloaded_) return false;
  HideCursor();
  lblHelp->show();
  picMesg->show();
  return answer == IDYES;
}

void CalibrationWindow::RefuseMode(const std::string& text) { OkBox(text, kControlPanel.title); }

void CalibrationWindow::ShowFailure(const std::string& text) {
  RestoreCursor();
  QPointer<CalibrationWindow> self(this);
  ErrorBox(text, CalibrationErrorTitle);
  if (self) HideCursor();
}

void CalibrationWindow::ShowCompletion() {
  picCalibration->hide();
  RestoreCursor();
}

bool CalibrationWindow::AskKeep() { return QuestionBox(kCompleteQuestion, 0, kRunTitle) != IDNO; }

void CalibrationWindow::ShowHourglass(bool busy) {
  if (busy) hourglass_.emplace();
  else hourglass_.reset();
}

void CalibrationWindow::Unload() {
  RestoreCursor();
  close();
}

void CalibrationWindow::showEvent(QShowEvent* event) {
  SuiteDialog::showEvent(event);
  picCalibration->setFocus();
  // The run starts once the window is on the screen, from the event loop.
  if (phase() == Phase::NotStarted) QTimer::singleShot(0, this, [this] { run_.Start(CalibrationMode); });
}

// Only Esc counts; every other key is ignored (and none closes the window).
void CalibrationWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) run_.PressEsc();
  event->accept();
}

void CalibrationWindow::closeEvent(QCloseEvent* event) {
  run_.Abandon();
  if (unloaded_) {
    event->accept();
    return;
  }
  unloaded_ = true;
  PauseRightButton(false);
  SuiteDialog::closeEvent(event);  // the main window shows again
  RestoreCursor();
}

}  // namespace qx
