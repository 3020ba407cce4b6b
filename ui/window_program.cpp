#include "ui/window_program.h"

#include <QFont>
#include <cstdio>
#include <cstring>

#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "host/desktop_qt.h"
#include "host/end_signals_qt.h"
#include "host/machine_root.h"
#include "host/message_box.h"
#include "host/process_start.h"
#include "ui/pointer.h"
#include "ui/qt_message_box.h"
#include "ui/suite_window.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

const char* programTitle = "";

std::string UsageLine(const ProgramInfo& info) {
  return std::string("Usage: ") + info.name + " [--root DIR]" + (*info.arguments ? " " : "") + info.arguments + "\n";
}

void PrintHelp(const ProgramInfo& info) {
  std::fputs(UsageLine(info).c_str(), stdout);
  std::printf(
      "\n%s: %s.\n\n%s\n"
      "\n"
      "Options:\n%s"
      "\n"
      "Exit status:\n"
      "  0   done, or another copy was brought forward\n"
      "  1   failed: a box said why\n"
      "  64  usage: a wrong command line\n",
      info.name, info.purpose, info.about, kCommonOptionsHelp);
}

// The suite's window on show, other than the main window; null when there is none.
SuiteDialog* ShownDialog() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<SuiteDialog*>(window); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

}  // namespace

void InitWindowProgram() {
  SetMessageBoxPresenter(ShowQtMessageBox);
  InstallPointerHook();
  InstallDesktopHook();
  // The windows are designed in twips for an 8-point sans-serif face.
  QFont font = QApplication::font();
  font.setFamily(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  QApplication::setFont(font);
  // Windows hide and show in turn (the main window hides behind each dialog); the program ends
  // when its main window unloads, not when the last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);
}

void EndOnSignalsByClosing() {
  OnEndSignals(qApp, [] {
    // The windows opened from the main window first: they give back what they hold (a paused
    // right button, a touch mode) while the driver is still open, which the main window closes.
    // Each closed shows the window that opened it, closed in turn; one that refuses stays.
    constexpr int kMostOpenAtOnce = 16;
    for (int i = 0; i < kMostOpenAtOnce; ++i)
      if (SuiteDialog* dialog = ShownDialog()) dialog->close();
    if (QWidget* main = MainWindowWidget()) main->close();
    QApplication::quit();
  });
}

const char* ProgramTitle() { return programTitle; }
void SetProgramTitle(const char* title) { programTitle = title ? title : ""; }

namespace detail {

std::optional<int> TakeArguments(int argc, char** argv, const ProgramInfo& info, ProgramArguments& own) {
  SetProgramTitle(info.title);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--root" && i + 1 < argc) {
      SetMachineRoot(argv[++i]);
    } else if (arg == "--help" || arg == "-h") {
      PrintHelp(info);
      return exit_code::kOk;
    } else if (arg == "--version") {
      return PrintVersion(info.name);
    } else if (info.ownArgument && info.ownArgument(arg)) {
      own.push_back(arg);
    } else {
      return PrintUsageError(info.name, "unknown argument '" + arg + "'", UsageLine(info));
    }
  }
  return std::nullopt;
}

int RunLoaded(LoadResult result, QWidget& window) {
  switch (result) {
    case LoadResult::Failed: return exit_code::kFailed;
    case LoadResult::CopyBrought:
    case LoadResult::Finished: return exit_code::kOk;
    case LoadResult::Ready: break;
  }
  // As a starter's show state would have it: a program started hidden shows no window until it
  // shows one itself.
  if (StartupShowCommand() != SW_HIDE) window.show();
  return QApplication::exec();
}

}  // namespace detail

}  // namespace qx
