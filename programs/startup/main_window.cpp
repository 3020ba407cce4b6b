#include "programs/startup/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <optional>

#include "host/desktop.h"
#include "platform/installation_paths.h"
#include "programs/startup/double_click_settings.h"
#include "programs/startup/startup_program.h"
#include "programs/startup/startup_sequence.h"
#include "programs/startup/test_area.h"
#include "ui/controls.h"
#include "ui/oem_branding.h"
#include "ui/pointer.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

// The designed layout, in twips.
constexpr int kWidth = 7200;
constexpr int kHeight = 4305;
constexpr int kContentTop = 1140;  // the frames, below the title area and its rule
constexpr int kRightColumn = 4800;
constexpr int kRightWidth = kWidth - kMargin - kRightColumn;
constexpr int kButtonTop = 3690;
// The splash is the designed window 2025 twips high, of which its frame takes 405.
constexpr int kSplashHeight = 2025 - 405;

constexpr char kSystemCaption[] = "TouchScreen System Startup Version ";
constexpr char kSdcArgument[] = "/SDC";

// The whole command line, as the program's one text, upper-cased: "/SDC" and nothing else.
bool IsSdcCommandLine(const ProgramArguments& arguments) {
  std::string line;
  for (std::size_t i = 0; i < arguments.size(); ++i) line += (i ? " " : "") + arguments[i];
  return QString::fromStdString(line).toUpper() == QLatin1String(kSdcArgument);
}

// A system label's number, read as a number at the front of its text (0 when there is none).
int LabelNumber(const QLabel* label) {
  const QString text = label->text().trimmed();
  int end = 0;
  while (end < text.size() && (text[end].isDigit() || (end == 0 && text[end] == '-'))) ++end;
  return text.left(end).toInt();
}

}  // namespace

MainWindow::MainWindow(const ProgramArguments& arguments)
    : SuiteMainWindow(kSystemCaption, kWidth, kHeight), sdcMode_(IsSdcCommandLine(arguments)) {
  Shape1 = AddShape(this, "Shape1", kMargin, kContentTop - 120, kWidth - 2 * kMargin, 30);

  Frame1 =
      AddFrame(this, "Frame1", "  Double Click Configuration", kMargin, kContentTop, kRightColumn - 2 * kMargin, 2400);
  hscTT = AddSettingRow(kInFrameTop, "hscTT", 100, 900, 50, "lblTT", "Speed: 500", lblTT);
  hscWW = AddSettingRow(kInFrameTop + 690, "hscWW", 0, 64, 5, "lblWW", "Width: 32", lblWW);
  hscHH = AddSettingRow(kInFrameTop + 1380, "hscHH", 0, 64, 5, "lblHH", "Height: 32", lblHH);
  hscTT->setValue(500);
  hscWW->setValue(32);
  hscHH->setValue(32);

  Frame2 = AddFrame(this, "Frame2", " System Information", kRightColumn, kContentTop, kRightWidth, 1200);
  const char* captions[] = {"Speed:", "Width:", "Height:"};
  const char* names[] = {"lblSiTT", "lblSiWW", "lblSiHH"};
  QLabel** values[] = {&lblSiTT, &lblSiWW, &lblSiHH};
  for (int row = 0; row < 3; ++row) {
    const int top = kInFrameTop + row * 255;
    const std::string captionName = std::string(names[row]) + "Caption";
    AddLabel(Frame2, captionName.c_str(), captions[row], 240, top, 840);
    *values[row] = AddLabel(Frame2, names[row], "", 1080, top, kRightWidth - 1200);
  }

  Frame4 = AddFrame(this, "Frame4", "  Double Click Test", kRightColumn, kContentTop + 1320, kRightWidth, 1080);
  picTest = new TestArea(Frame4, 120, 300, kRightWidth - 240, 660);

  const int cancelLeft = kWidth - kMargin - kButtonWidth;
  cmdApply = AddButton(this, "cmdApply", "&Apply", cancelLeft - 2 * (kButtonWidth + kMargin), kButtonTop);
  cmdOK = AddButton(this, "cmdOK", "&OK", cancelLeft - (kButtonWidth + kMargin), kButtonTop);
  cmdCandel = AddButton(this, "cmdCandel", "&Cancel", cancelLeft, kButtonTop);

  connect(cmdApply, &QPushButton::clicked, this, &MainWindow::ApplyClick);
  connect(cmdOK, &QPushButton::clicked, this, &MainWindow::OKClick);
  connect(cmdCandel, &QPushButton::clicked, this, &MainWindow::CandelClick);
  for (ScrollBar* bar : {hscTT, hscWW, hscHH}) {
    connect(bar, &ScrollBar::Change, this, [this, bar] { BarChanged(bar); });
    connect(bar, &ScrollBar::Scroll, this, [this, bar] { BarChanged(bar); });
  }
}

// A bar with its end labels at its two ends and its value label above it.
ScrollBar* MainWindow::AddSettingRow(int top, const char* barName, int min, int max, int largeStep,
                                     const char* labelName, const char* design, QLabel*& valueLabel) {
  const int barLeft = 720;
  const int barWidth = 3000;
  valueLabel = AddLabel(Frame1, labelName, design, barLeft, top, barWidth, kLabelHeight, Qt::AlignHCenter);
  const std::string minText = std::to_string(min);
  const std::string maxText = std::to_string(max);
  const std::string minName = std::string(labelName) + "Min";
  const std::string maxName = std::string(labelName) + "Max";
  AddLabel(Frame1, minName.c_str(), minText.c_str(), 120, top + 270, barLeft - 180, kCheckHeight, Qt::AlignRight);
  ScrollBar* bar = AddScrollBar(Frame1, barName, min, max, 1, largeStep, barLeft, top + 270, barWidth);
  AddLabel(Frame1, maxName.c_str(), maxText.c_str(), barLeft + barWidth + 60, top + 270, 480, kCheckHeight);
  return bar;
}

LoadResult MainWindow::Load() {
  if (const std::optional<LoadResult> end = BeginLoad(kStartupProgram, Copies::One, RecordFailureBox::Error))
    return *end;
  // The programs it starts lie in the installation folder: never outside the machine.
  if (!InstallationPathsOnTheDrives(windowTitle().toStdString())) return LoadResult::Failed;
  {
    Hourglass busy;
    LoadDoubleClickSettings();
    if (sdcMode_) PrepareDoubleClickDialog();
    else ShowAsSplash();
    ApplyMainLogo(this);
    CenterForm(this);
    CenterIcon(this);
  }
  if (!sdcMode_) {
    // The sequence runs once the window shows (or, started hidden, once the program runs).
    startupDue_ = true;
    QTimer::singleShot(0, this, &MainWindow::RunStartup);
  }
  return LoadResult::Ready;
}

// Only the logo, the vendor's title and the version line show while the sequence runs. The test
// area and the buttons lie below the splash's height, and go too: a key pressed during the
// sequence's pause must not reach Apply or OK, which would store the bars' design values over the
// person's own.
void MainWindow::ShowAsSplash() {
  SetClientSizeTwips(this, kWidth, kSplashHeight);
  for (QWidget* control : std::initializer_list<QWidget*>{Frame1, Frame2, Shape1, Frame4, cmdApply, cmdOK, cmdCandel}) {
    control->setVisible(false);
    control->setEnabled(false);
  }
}

void MainWindow::PrepareDoubleClickDialog() {
  picTest->CenterImages();
  picTest->ShowOff();
  ShowSystemValues();
  // Each setting runs the bar's change behaviour, also when the value is the bar's design value.
  hscTT->Load(DoubleClickSpeed);
  hscWW->Load(DoubleClickWidth);
  hscHH->Load(DoubleClickHeight);
}

void MainWindow::ShowSystemValues() {
  lblSiTT->setText(QString::number(GetDoubleClickTime()));
  lblSiWW->setText(QString::number(GetSystemMetrics(SM_CXDOUBLECLK)));
  lblSiHH->setText(QString::number(GetSystemMetrics(SM_CYDOUBLECLK)));
}

void MainWindow::BarChanged(ScrollBar* bar) {
  const QString value = QString::number(bar->value());
  if (bar == hscTT) lblTT->setText(QStringLiteral("Speed: ") + value);
  if (bar == hscWW) lblWW->setText(QStringLiteral("Width: ") + value);
  if (bar == hscHH) lblHH->setText(QStringLiteral("Hight: ") + value);
  UpdateApply();
}

// Apply stays enabled while the bars differ from the stored values, or the desktop's values (as
// the system labels last showed them) differ from them: another program may have changed those.
void MainWindow::UpdateApply() {
  const bool inForce = hscTT->value() == DoubleClickSpeed && hscWW->value() == DoubleClickWidth &&
                       hscHH->value() == DoubleClickHeight && LabelNumber(lblSiTT) == DoubleClickSpeed &&
                       LabelNumber(lblSiWW) == DoubleClickWidth && LabelNumber(lblSiHH) == DoubleClickHeight;
  cmdApply->setEnabled(!inForce);
}

void MainWindow::ApplyClick() {
  Hourglass busy;
  DoubleClickSpeed = hscTT->value();
  DoubleClickWidth = hscWW->value();
  DoubleClickHeight = hscHH->value();
  ApplyDoubleClickSettings(windowTitle().toStdString());
  ShowSystemValues();
  cmdApply->setEnabled(false);
}

void MainWindow::OKClick() {
  if (cmdApply->isEnabled()) ApplyClick();
  close();
}

void MainWindow::CandelClick() { close(); }

void MainWindow::RunStartup() {
  if (!startupDue_) return;
  startupDue_ = false;
  // The splash is drawn before the work begins.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const StartupEnd end = RunStartupSequence(windowTitle().toStdString());
  exitCode_ = end == StartupEnd::Paused ? 0 : 1;
  close();
}

// Unloading the window ends the program.
void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::exit(exitCode_);
}

}  // namespace qx
