#include "programs/uninstall/removal_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <cmath>
#include <optional>

#include "core/driver_link.h"
#include "core/settings_store.h"
#include "platform/ini_file.h"
#include "platform/installation_paths.h"
#include "platform/pause.h"
#include "platform/restart_windows.h"
#include "programs/uninstall/device_registration.h"
#include "programs/uninstall/package_uninstaller.h"
#include "programs/uninstall/uninstall_program.h"
#include "ui/boxes.h"
#include "ui/controls.h"
#include "ui/oem_branding.h"
#include "ui/progress_window.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

// The designed layout, in twips.
constexpr int kWidth = 7200;
constexpr int kShapeTop = 1080;
constexpr int kShapeWidth = 6720;
constexpr int kShapeHeight = 1215;
constexpr int kShapeLeft = (kWidth - kShapeWidth) / 2;
constexpr int kPictureSize = 480;
constexpr int kAskLeft = kShapeLeft + 960;
constexpr int kTextTop = kShapeTop + kShapeHeight + kMargin;
constexpr int kTextHeight = 480;
constexpr int kButtonTop = kTextTop + kTextHeight + 2 * kMargin + 105;
constexpr int kHeight = kButtonTop + kButtonHeight + kMargin;

constexpr char kSystemCaption[] = "TouchScreen Software Removal Version ";
constexpr char kWindowsRestart[] = "\r\n\r\nThe Windows must be restarted.";

// The suite's icon, crossed out in red.
QPixmap RemovalPicture() {
  const int size = PixelsFromTwips(kPictureSize);
  QPixmap picture = ProgramIcon().scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(size * 0.5, size * 0.5), QPointF(size - 3.0, size - 3.0));
  p.drawLine(QPointF(size - 3.0, size * 0.5), QPointF(size * 0.5, size - 3.0));
  return picture;
}

// A whole number of twips from a computed one, halves to the even neighbour.
int Whole(double twips) { return static_cast<int>(std::nearbyint(twips)); }

// The resident programs of the suite, told through the driver to end; nothing when it cannot be
// opened, and no message either.
void CloseResidentPrograms() {
  if (!OpenDriver()) return;
  CloseRbfProgram();
  CloseSmiProgram();
  CloseDriver();
}

}  // namespace

RemovalWindow::RemovalWindow()
    : SuiteMainWindow(kSystemCaption, kWidth, kHeight,
                      kMainWindowFlags & ~Qt::WindowFlags(Qt::WindowMinimizeButtonHint)),
      clock_(&SystemPauseClock()) {
  shpRemoval = AddShape(this, "shpRemoval", kShapeLeft, kShapeTop, kShapeWidth, kShapeHeight);
  imgRemoval = AddLabel(this, "imgRemoval", "", kShapeLeft + 240, kShapeTop + (kShapeHeight - kPictureSize) / 2,
                        kPictureSize, kPictureSize);
  imgRemoval->setPixmap(RemovalPicture());
  lblAsk = AddLabel(this, "lblAsk", "Are you sure you want to completely remove TouchScreen?", kAskLeft,
                    kShapeTop + kMargin, kShapeLeft + kShapeWidth - kMargin - kAskLeft, kShapeHeight - 2 * kMargin);
  lblAsk->setWordWrap(true);
  lblText =
      AddLabel(this, "lblText", "If Removal is complete, TouchScreen will not work next time when you start Windows!",
               kShapeLeft, kTextTop, kShapeWidth, kTextHeight);
  lblText->setWordWrap(true);

  // Placed by the layout rule as the window loads.
  cmdYes = AddButton(this, "cmdYes", "&Yes", kMargin, kButtonTop);
  cmdNo = AddButton(this, "cmdNo", "&No", 2 * kMargin + kButtonWidth, kButtonTop);
  connect(cmdYes, &QPushButton::clicked, this, &RemovalWindow::YesClick);
  connect(cmdNo, &QPushButton::clicked, this, &RemovalWindow::NoClick);
}

LoadResult RemovalWindow::Load() {
  if (const std::optional<LoadResult> end = BeginLoad(kUninstaller, Copies::Any, RecordFailureBox::Plain)) return *end;
  // The package uninstaller it runs and WININIT.INI it writes lie in the record's folders: never
  // outside the machine.
  if (!InstallationPathsOnTheDrives(windowTitle().toStdString())) return LoadResult::Failed;
  ApplyMainLogo(this);
  // A line may end after a dot followed by a digit: a word joiner after each dot of the version
  // keeps "V.7.0.COM" whole. A screen reader reads the question as it is written.
  const QString version = QStringLiteral("V.") + QString::fromUtf8(kUninstaller.version);
  const QString ask =
      QStringLiteral("Are you sure you want to completely remove TouchScreen %1 and all of its components?");
  lblAsk->setText(ask.arg(QString(version).replace(QLatin1Char('.'), QStringLiteral(".\u2060"))));
  lblAsk->setAccessibleName(ask.arg(version));
  LayOut();
  CenterForm(this);
  CenterIcon(this);
  return LoadResult::Ready;
}

// Wide enough for the caption beside two buttons; the frame with the question centred; the two
// buttons centred as a pair with half a button between them; the etched line above them.
void RemovalWindow::LayOut() {
  const int yesWidth = WidthTwips(cmdYes);
  const int captionWidth = TwipsFromPixels(fontMetrics().horizontalAdvance(windowTitle()));
  if (2 * yesWidth + captionWidth > WidthTwips(this))
    SetClientSizeTwips(this, 2 * yesWidth + captionWidth, HeightTwips(this));
  const int width = WidthTwips(this);

  // What the frame holds, and the note below it, move with it.
  const int shift = (width - WidthTwips(shpRemoval)) / 2 - LeftTwips(shpRemoval);
  for (QWidget* control : {static_cast<QWidget*>(shpRemoval), static_cast<QWidget*>(imgRemoval),
                           static_cast<QWidget*>(lblAsk), static_cast<QWidget*>(lblText)})
    SetLeftTwips(control, LeftTwips(control) + shift);

  const int yesLeft = Whole(width - 1.5 * yesWidth - WidthTwips(cmdNo)) / 2;
  SetLeftTwips(cmdYes, yesLeft);
  SetLeftTwips(cmdNo, Whole(yesLeft + 1.5 * yesWidth));

  const int y = TopTwips(cmdYes) - HeightTwips(cmdNo) / 2;
  const int start = LeftTwips(shpRemoval) - 50;
  const int end = start + WidthTwips(shpRemoval) + 100;
  separator_ = {QLine(start, y, end, y), QLine(end + 5, y + 20, start - 5, y + 20)};
  update();
}

void RemovalWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor colours[2] = {palette().color(QPalette::Dark), palette().color(QPalette::Light)};
  for (int i = 0; i < 2; ++i) {
    const QLine& line = separator_[static_cast<std::size_t>(i)];
    p.setPen(QPen(colours[i], 1));
    p.drawLine(PixelsFromTwips(line.x1()), PixelsFromTwips(line.y1()), PixelsFromTwips(line.x2()),
               PixelsFromTwips(line.y2()));
  }
}

void RemovalWindow::NoClick() { close(); }

void RemovalWindow::YesClick() {
  hide();
  removing_ = true;
  const bool restarting = Remove();
  removing_ = false;
  End(restarting ? 0 : 1);
}

// Every failure after the confirmation ends the removal here, without a restart.
bool RemovalWindow::Remove() {
  const std::string title = windowTitle().toStdString();
  CloseResidentPrograms();
  ShowProgress("Removing files from your system...");
  Pause(3, *clock_);

  const PackageOutcome outcome = RunPackageUninstaller(InstallPath);
  if (outcome != PackageOutcome::Ended) {
    OkBox(PackageFailureText(outcome), title, MB_ICONWARNING);
    return false;
  }
  // The running program cannot delete itself: the next start of the machine does (the result
  // is not tested; a program left behind harms nothing). Its line goes beside the deletions
  // other programs have pending, each a NUL= line of its own.
  AddIniEntry(WindowsPath + "\\WININIT.INI", "rename", "NUL", WindowsPath + "\\" + UNINSTALLER_FILE);
  RemoveDeviceRegistration(title);
  Pause(10, *clock_);

  CloseProgress();
  OkBox(std::string("Removal is complete to uninstall TouchScreen drivers and utilities.") + kWindowsRestart, title,
        MB_ICONINFORMATION);
  return RestartWindows(title);
}

void RemovalWindow::End(int exitCode) {
  exitCode_ = exitCode;
  CloseProgress();
  close();
}

// Closing the window ends the program, except while the removal runs: it is not left half done
// by a close that came in while it let messages run.
void RemovalWindow::closeEvent(QCloseEvent* event) {
  if (removing_) {
    event->ignore();
    return;
  }
  event->accept();
  QApplication::exit(exitCode_);
}

}  // namespace qx
