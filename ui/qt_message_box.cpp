#include "ui/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "host/message_box.h"
#include "ui/monitor_following.h"
#include "ui/window_ops.h"
#include "ui/window_placement.h"

namespace qx {

namespace {

constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;

struct ButtonSpec {
  QMessageBox::StandardButton button;
  int code;
};

// The buttons of each MB_ type, left to right, with their answers.
std::vector<ButtonSpec> Buttons(UINT type) {
  switch (type & 0xF) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case 2: return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case 5: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
  }
}

QMessageBox::Icon IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Windows breaks lines at CR, CR LF or LF; Qt at LF.
QString LinesOf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return QString::fromStdString(out);
}

// A box without an escape button answers neither Esc nor its close box: Qt would pick one by itself
// when none is set (No on a Yes/No box), so that Esc pressed to get rid of the calibration's last
// question would restore the old calibration.
class SuiteMessageBox : public QMessageBox {
 public:
  explicit SuiteMessageBox(QWidget* parent) : QMessageBox(parent) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (escapeButton() || !event->matches(QKeySequence::Cancel)) QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (escapeButton()) QMessageBox::closeEvent(event);
    else event->ignore();
  }
  // A box of no window (a program's box before or after its windows) stands in the middle of the
  // touchscreen's monitor, where Qt would put it on the monitor under the pointer; a box of a
  // window, over that window, as Qt puts it. When the touchscreen's monitor changes, each stands
  // so again.
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (!parentWidget()) Centre();
    FollowTouchscreenMonitor(this, [this] { Centre(); });
  }

 private:
  void Centre() {
    if (const QWidget* window = parentWidget() ? parentWidget()->window() : nullptr)
      move(window->geometry().center() - rect().center());
    else if (const QScreen* screen = WindowScreen()) move(screen->availableGeometry().center() - rect().center());
  }
};

// The window a box asks about, which it stands above: the program's active window; failing that (a
// window the compositor opened without the focus) the suite's window on show, a window opened from
// the main window before the main window, which hides behind it.
QWidget* WindowAskedAbout() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;  // a box over a modal window
  if (QWidget* active = QApplication::activeWindow()) return active;
  QWidget* main = MainWindowWidget();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != main && window->isVisible() && !qobject_cast<QMessageBox*>(window) &&
        window->windowType() != Qt::ToolTip && window->windowType() != Qt::Popup)
      return window;
  return main && main->isVisible() ? main : nullptr;
}

}  // namespace

void SetUpMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, UINT type) {
  box.setWindowTitle(QString::fromStdString(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(LinesOf(text));
  box.setIcon(IconOf(type));
  const std::vector<ButtonSpec> buttons = Buttons(type);
  for (const ButtonSpec& b : buttons) box.addButton(b.button);
  const std::size_t defaultIndex = std::min<std::size_t>((type & 0xF00) >> 8, buttons.size() - 1);
  box.setDefaultButton(buttons[defaultIndex].button);
  // Esc answers Cancel where there is one, OK on a lone OK box, and nothing otherwise (Yes/No).
  for (const ButtonSpec& b : buttons)
    if (b.code == IDCANCEL || buttons.size() == 1) box.setEscapeButton(b.button);
  box.setWindowModality(Qt::ApplicationModal);
  if (type & MB_SYSTEMMODAL) box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

int ShowQtMessageBox(const std::string& text, const std::string& caption, UINT type) {
  // A child of the window it asks about, so that compositors keep it above that window (a tiling
  // one shows it over a full-screen window). That window may go while the box is open, and takes
  // the box with it: the box is watched, and then answers as nobody chose.
  QPointer<SuiteMessageBox> box = new SuiteMessageBox(WindowAskedAbout());
  SetUpMessageBox(*box, text, caption, type);
  // An unattended run (a demonstration on a virtual display) shows each box for a while, then
  // answers it with its default button as Enter would.
  if (const int shownMs = qEnvironmentVariableIntValue("QX_MESSAGE_SHOW_MS"); shownMs > 0) {
    QTimer::singleShot(shownMs, box, [box] {
      if (QAbstractButton* button = box->defaultButton()) button->click();
    });
  }
  box->exec();
  if (!box) return DefaultButton(type);
  const std::unique_ptr<SuiteMessageBox> owned(box.data());
  QAbstractButton* clicked = box->clickedButton();
  for (const ButtonSpec& b : Buttons(type))
    if (clicked && clicked == box->button(b.button)) return b.code;
  return DefaultButton(type);
}

}  // namespace qx
