#include "programs/panel/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <optional>

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "core/settings_store.h"
#include "host/message_box.h"
#include "platform/file_exists.h"
#include "platform/program_start.h"
#include "programs/panel/calibration_window.h"
#include "programs/panel/feedback_sound_dialog.h"
#include "programs/panel/mcu_info_dialog.h"
#include "programs/panel/mouse_speed_dialog.h"
#include "programs/panel/panel_program.h"
#include "programs/panel/sensitivity_dialog.h"
#include "programs/panel/serial_port_dialog.h"
#include "programs/panel/sleep_time_dialog.h"
#include "programs/panel/test_window.h"
#include "programs/panel/virtual_button_dialog.h"
#include "ui/about_box.h"
#include "ui/controls.h"
#include "ui/oem_branding.h"
#include "ui/pointer.h"
#include "ui/suite_window.h"
#include "ui/support_box.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

// The designed layout, in twips. Rows run 600 twips apart from kFirstRow.
constexpr int kWidth = 7200;
constexpr int kFirstRow = 1080;
constexpr int kRowStep = 600;
constexpr int kRowHeight = kButtonHeight;
constexpr int kRowButtonWidth = 1815;
constexpr int kShapeLeft = 2055;
constexpr int kShapeWidth = kWidth - kMargin - kShapeLeft;
constexpr int kLabelInset = 120;
constexpr int kDesignedHeight = kFirstRow + 5 * kRowStep + kRowHeight + kMargin;

constexpr int Row(int n) { return kFirstRow + n * kRowStep; }

constexpr char kSystemCaption[] = "TouchScreen Control Panel Version ";
constexpr char kCalibrationEntries[2][18] = {" 4 points, mode 1", " 4 points, mode 2"};

// The summary label inside its row's shape (created after the shape, so drawn on top of it).
QLabel* AddSummary(QWidget* window, const char* name, const char* design, int top) {
  return AddLabel(window, name, design, kShapeLeft + kLabelInset, top + 90, kShapeWidth - 2 * kLabelInset,
                  kRowHeight - 180);
}

// A summary row: its button, its frame shape and the label inside the shape.
void AddRow(QWidget* window, int top, QPushButton*& button, const char* buttonName, const char* caption, QFrame*& shape,
            const char* shapeName, QLabel*& label, const char* labelName, const char* design = "") {
  button = AddButton(window, buttonName, caption, kMargin, top, kRowButtonWidth);
  shape = AddShape(window, shapeName, kShapeLeft, top, kShapeWidth, kRowHeight);
  label = AddSummary(window, labelName, design, top);
}

void HideAndDisable(QWidget* control) {
  control->setVisible(false);
  control->setEnabled(false);
}

}  // namespace

MainWindow::MainWindow() : SuiteMainWindow(kSystemCaption, kWidth, kDesignedHeight) {
  AddRow(this, Row(0), cmdSerialPort, "cmdSerialPort", "&Serial Port", shpSerialPort, "shpSerialPort", lblSerialPort,
         "lblSerialPort", "COM?, Port=????h, IRQ=??, ????? BPS");
  AddRow(this, Row(1), cmdVirtualButton, "cmdVirtualButton", "&Virtual Button", shpVirtualButton, "shpVirtualButton",
         lblVirtualButton, "lblVirtualButton");
  AddRow(this, Row(2), cmdFeedbackSound, "cmdFeedbackSound", "&Feedback Sound", shpFeedbackSound, "shpFeedbackSound",
         lblFeedbackSound, "lblFeedbackSound");
  AddRow(this, Row(3), cmdMouseSpeed, "cmdMouseSpeed", "&Mouse Speed", shpMouseSpeed, "shpMouseSpeed", lblMouseSpeed,
         "lblMouseSpeed");
  AddRow(this, Row(4), cmdSleepTime, "cmdSleepTime", "&Power Save", shpSleepTime, "shpSleepTime", lblSleepTime,
         "lblSleepTime");

  cmdCalibration = AddButton(this, "cmdCalibration", "&Calibration", kMargin, Row(5), kRowButtonWidth);
  shpCalibration = AddShape(this, "shpCalibration", kShapeLeft, Row(5), 2355, kRowHeight);
  cboCalibration = AddDropDownList(this, "cboCalibration", kShapeLeft + 60, Row(5) + 60, 2235, kRowHeight - 120);
  cmdSupport = AddButton(this, "cmdSupport", "S&upport", 4530, Row(5));
  cmdExit = AddButton(this, "cmdExit", "E&xit", 5865, Row(5));
  cmdExit->setDefault(true);

  // Designed invisible and disabled, below the window's visible rows.
  AddRow(this, Row(6), cmdSensivitity, "cmdSensivitity", "&Touch Sensitivity", shpSensitivity, "shpSensitivity",
         lblSensitivity, "lblSensitivity", "Level 0 (Normal)");
  shpDetection = AddShape(this, "shpDetection", kShapeLeft, Row(7), kShapeWidth, kRowHeight);
  lblDetection = AddSummary(this, "lblDetection", "Detection", Row(7));
  cmdTest = AddButton(this, "cmdTest", "&Test", kMargin, Row(8));
  cmdSMIon = AddButton(this, "cmdSMIon", "SMI on", 1455, Row(8));
  cmdSMIoff = AddButton(this, "cmdSMIoff", "SMI Off", 2790, Row(8));
  for (QWidget* hidden : std::initializer_list<QWidget*>{cmdSensivitity, lblSensitivity, shpSensitivity, lblDetection,
                                                         shpDetection, cmdTest, cmdSMIon, cmdSMIoff})
    HideAndDisable(hidden);

  connect(cmdVirtualButton, &QPushButton::clicked, this, &MainWindow::VirtualButtonClick);
  connect(cmdMouseSpeed, &QPushButton::clicked, this, &MainWindow::MouseSpeedClick);
  connect(cmdFeedbackSound, &QPushButton::clicked, this, &MainWindow::FeedbackSoundClick);
  connect(cmdSleepTime, &QPushButton::clicked, this, &MainWindow::SleepTimeClick);
  connect(cmdSerialPort, &QPushButton::clicked, this, &MainWindow::SerialPortClick);
  connect(cmdSensivitity, &QPushButton::clicked, this, &MainWindow::SensitivityClick);
  connect(cmdCalibration, &QPushButton::clicked, this, &MainWindow::CalibrationClick);
  connect(cmdTest, &QPushButton::clicked, this, &MainWindow::TestClick);
  connect(cmdSupport, &QPushButton::clicked, this, &MainWindow::SupportClick);
  connect(cmdExit, &QPushButton::clicked, this, &MainWindow::ExitClick);
  connect(cmdSMIon, &QPushButton::clicked, this, [] {
    Hourglass busy;
    StartSmiProgram();  // the result is not reported
  });
  connect(cmdSMIoff, &QPushButton::clicked, this, [] {
    Hourglass busy;
    CloseSmiProgram();
  });
  cmdExit->installEventFilter(this);
  cmdSerialPort->installEventFilter(this);
}

LoadResult MainWindow::Load() {
  // Before the installation record: the mouse-speed row hidden, and Alt+M, which the window sees
  // before its controls, opening the mouse-speed dialog.
  const auto hideMouseSpeed = [this] {
    HideMouseSpeedRow();
    auto* altM = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_M), this);
    altM->setContext(Qt::WindowShortcut);
    connect(altM, &QShortcut::activated, this, &MainWindow::MouseSpeedClick);
  };
  if (const std::optional<LoadResult> end =
          BeginLoad(kControlPanel, Copies::One, RecordFailureBox::Error, hideMouseSpeed))
    return *end;

  // The vendor's logo or title, and what the Support button offers.
  ApplyMainLogo(this);
  SetUpSupportButton();

  std::optional<Hourglass> busy(std::in_place);
  FillNameTables();

  // The driver, then the controller behind it: a controller on no port is no controller.
  if (!OpenDriver()) {
    busy.reset();
    ReportDriverMissing(kControlPanel.title);
    return LoadResult::Failed;
  }
  GetSettings();
  if (Settings.ActivePort == 0) {
    busy.reset();
    ErrorBox("TouchScreen Controller Not Found!", windowTitle().toStdString());
    CloseDriver();
    return LoadResult::Failed;
  }
  GetControllerInfo();

  for (SummaryLine line : kSummaryLines) RefreshSummary(line);
  LoadCalibrationMode();
  FillCalibrationList();
  ShowWhoseCalibration();

  CenterForm(this);
  CenterIcon(this);
  return LoadResult::Ready;
}

QLabel* MainWindow::SummaryLabel(SummaryLine line) const {
  switch (line) {
    case SummaryLine::SerialPort: return lblSerialPort;
    case SummaryLine::VirtualButton: return lblVirtualButton;
    case SummaryLine::FeedbackSound: return lblFeedbackSound;
    case SummaryLine::MouseSpeed: return lblMouseSpeed;
    case SummaryLine::SleepTime: return lblSleepTime;
    case SummaryLine::Sensitivity: return lblSensitivity;
  }
  return nullptr;
}

void MainWindow::RefreshSummary(SummaryLine line) {
  SummaryLabel(line)->setText(QString::fromStdString(LabelCaption(SummaryText(line))));
}

template <typename D>
void MainWindow::OpenFeature(QPointer<D>& dialog, SummaryLine line) {
  const bool opening = !dialog;
  OpenWindow(dialog, this);
  if (opening) connect(dialog.data(), &FeatureDialog::Applied, this, [this, line] { RefreshSummary(line); });
}

void MainWindow::HideMouseSpeedRow() {
  cmdMouseSpeed->setEnabled(false);
  cmdMouseSpeed->setVisible(false);
  shpMouseSpeed->setVisible(false);
  lblMouseSpeed->setEnabled(false);
  lblMouseSpeed->setVisible(false);
  const int rowTop = TopTwips(cmdSleepTime);
  SetClientSizeTwips(this, WidthTwips(this), HeightTwips(this) - (TopTwips(cmdCalibration) - rowTop));
  for (QWidget* control : {static_cast<QWidget*>(cmdCalibration), static_cast<QWidget*>(shpCalibration),
                           static_cast<QWidget*>(cmdSupport), static_cast<QWidget*>(cmdExit)})
    SetTopTwips(control, rowTop);
  SetTopTwips(cboCalibration, TopTwips(shpCalibration) + 60);
  SetTopTwips(cmdSleepTime, TopTwips(cmdMouseSpeed));
  SetTopTwips(shpSleepTime, TopTwips(shpMouseSpeed));
  SetTopTwips(lblSleepTime, TopTwips(lblMouseSpeed));
}

void MainWindow::SetUpSupportButton() {
  venderPicture_ = InstallPath + VENDER_PICTURE;
  if (FileExists(InstallPath + VENDER_CUT)) {
    cmdSupport->setText(QString());
    cmdSupport->setEnabled(false);
  } else if (!FileExists(venderPicture_)) {
    cmdSupport->setText(QStringLiteral("&About"));
  }
}

void MainWindow::FillCalibrationList() {
  {
    const QSignalBlocker quiet(cboCalibration);
    for (const char* entry : kCalibrationEntries) cboCalibration->addItem(QString::fromUtf8(entry));
    if (CalibrationMode < 0 || CalibrationMode >= cboCalibration->count()) CalibrationMode = 0;
    cboCalibration->setCurrentIndex(CalibrationMode);
  }
  // Selecting the entry stores the mode again, as every selection does.
  CalibrationSelected(CalibrationMode);
  connect(cboCalibration, &QComboBox::currentIndexChanged, this, &MainWindow::CalibrationSelected);
}

// Said without a line of its own, so that the designed rows and captions stay as they are: the
// row's tooltip, for a person pointing at it, and its accessible description, which a screen
// reader reads after the button's or the list's name as the focus reaches it.
void MainWindow::ShowWhoseCalibration() {
  const QString line = QString::fromStdString(CalibrationLine(ControllerRecord));
  for (QWidget* control : std::initializer_list<QWidget*>{cmdCalibration, cboCalibration, shpCalibration}) {
    control->setToolTip(line);
    control->setAccessibleDescription(line);
  }
}

void MainWindow::CalibrationSelected(int index) {
  CalibrationMode = index;
  SaveCalibrationMode();
}

void MainWindow::MouseSpeedClick() { OpenFeature(frmMouseSpeed, SummaryLine::MouseSpeed); }
void MainWindow::FeedbackSoundClick() { OpenFeature(frmFeedbackSound, SummaryLine::FeedbackSound); }
void MainWindow::SensitivityClick() { OpenFeature(frmSensitivity, SummaryLine::Sensitivity); }
void MainWindow::SleepTimeClick() { OpenFeature(frmSleepTime, SummaryLine::SleepTime); }
// The serial port dialog changes nothing the main window shows.
void MainWindow::SerialPortClick() { OpenWindow(frmSerialPort, this); }
void MainWindow::McuInfoClick() { OpenWindow(frmMcuInfo, this); }

void MainWindow::VirtualButtonClick() { OpenFeature(frmVirtualButton, SummaryLine::VirtualButton); }

// The main window hides first: the run begins as soon as the calibration window shows.
// Once the run's window is gone, the row says whose calibration is in force now.
void MainWindow::CalibrationClick() {
  hide();
  const bool opening = !frmCalibration;
  OpenWindow(frmCalibration, this);
  if (opening)
    connect(frmCalibration.data(), &QObject::destroyed, this, [this] {
      GetControllerInfo();
      ShowWhoseCalibration();
    });
}

void MainWindow::TestClick() { OpenWindow(frmTest, this); }

void MainWindow::SupportClick() {
  if (FileExists(venderPicture_)) OpenWindow(frmSupport, this, venderPicture_);
  else OpenWindow(frmAbout, this);
}

void MainWindow::ExitClick() { close(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // A press that follows the last one quickly comes as a double click; it is a press all the same.
  const bool pressed = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  if (pressed && (watched == cmdExit || watched == cmdSerialPort)) {
    const auto* press = static_cast<QMouseEvent*>(event);
    const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (press->button() == Qt::RightButton && (press->modifiers() & all) == all) {
      // Shift+Ctrl+Alt with the right button: the touch test window (on Exit) and the MCU
      // information dialog (on Serial Port).
      if (watched == cmdExit) TestClick();
      if (watched == cmdSerialPort) McuInfoClick();
      return true;
    }
  }
  return SuiteMainWindow::eventFilter(watched, event);
}

// The window's default button is Exit: Enter where no button has the focus clicks it.
void MainWindow::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    cmdExit->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

// Unloading the main window closes the driver; the program then ends.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    CloseDriver();
  }
  event->accept();
  QApplication::quit();
}

}  // namespace qx
