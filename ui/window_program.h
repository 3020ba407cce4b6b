// The start of every program of the suite that has windows. A program's main() is one call:
//
//   int main(int argc, char** argv) { return qx::RunWindowProgram<qx::MainWindow>(argc, argv, qx::kControlPanel); }
//
// It takes "--root DIR" (the machine root), "--help" and "--version"; the program's own arguments
// (ProgramInfo::ownArgument) are passed to its main window; any other argument is refused with the
// usage (exit 64). Then the application (the font configuration read meanwhile, ui/font_warm_up.h), the
// message boxes, pointer and font of the suite's windows, the window bus; then the main window is
// built and loaded, and its load result gives the exit code: Failed 1 (a box said why),
// CopyBrought 0 (another copy was brought forward), Finished 0 (the program did its work in Load
// and waits for nobody), Ready: the window is shown as the starter asked (hidden for SW_HIDE) and
// the program runs until it quits.
#pragma once

#include <QApplication>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "host/runtime_folder_qt.h"
#include "host/window_bus_qt.h"
#include "ui/font_warm_up.h"
#include "ui/window_placement.h"

namespace qx {

enum class LoadResult {
  Ready,        // loaded: shown, and the program waits for the user
  CopyBrought,  // another copy runs; its window was brought forward
  Failed,       // a box told why; the program ends
  Finished,     // the work is done (a program without a window of its own, such as the installer)
};

// What is a program's own, in one place per program.
struct ProgramInfo {
  const char* name;                                   // "QXWMECcp": its single-instance lock, and its name in the usage
  const char* title;                                  // the caption of its main window and of its boxes
  const char* version;                                // "7.0.COM"
  const char* purpose;                                // one line for the usage
  const char* about;                                  // a paragraph more for --help: what it does, when it runs
  const char* arguments = "";                         // its own arguments as the usage shows them
  bool (*ownArgument)(const std::string&) = nullptr;  // whether an argument is one of them
  // Its window stands where the program puts it, above the others (ui/window_placement.h).
  bool placesItsWindow = false;
  // SIGTERM, SIGINT and SIGHUP close its windows as their close boxes would, the main window last,
  // so that what they hold is given back (EndOnSignalsByClosing).
  bool closesOnEndSignals = false;
};

using ProgramArguments = std::vector<std::string>;

// What a program with windows sets up once, right after its QApplication: message boxes shown as
// Qt boxes, the pointer's display count made visible, the desktop's screen and double-click time,
// the design font.
void InitWindowProgram();

// The running program's title (its ProgramInfo's, set as it starts; "" until then): the caption
// of a window that takes no other, such as the progress window.
const char* ProgramTitle();
void SetProgramTitle(const char* title);

// From now on an end signal closes every window of the suite that is open (shown or hidden behind
// the one it opened), then the main window, and ends the event loops, an open box's too.
void EndOnSignalsByClosing();

namespace detail {
// Takes the command line; the program's own arguments go to OWN. An exit code when the program
// ends here (after the usage), nothing when it goes on.
std::optional<int> TakeArguments(int argc, char** argv, const ProgramInfo& info, ProgramArguments& own);
// The exit code for RESULT; for Ready, WINDOW is shown as started and the event loop runs.
int RunLoaded(LoadResult result, QWidget& window);
}  // namespace detail

// WINDOW: a widget made with no arguments or with the program's own arguments, with a
// LoadResult Load().
template <typename Window>
int RunWindowProgram(int argc, char** argv, const ProgramInfo& info) {
  ProgramArguments own;
  if (const std::optional<int> code = detail::TakeArguments(argc, argv, info, own)) return *code;
  std::jthread fonts = ReadFontConfigurationMeanwhile();
  QuietMissingRuntimeFolder();
  if (info.placesItsWindow) PlaceThroughXwayland();
  QApplication app(argc, argv);
  InitWindowProgram();
  if (info.closesOnEndSignals) EndOnSignalsByClosing();
  ServeWindowBus();
  fonts.join();
  if constexpr (std::is_constructible_v<Window, const ProgramArguments&>) {
    Window window(own);
    return detail::RunLoaded(window.Load(), window);
  } else {
    Window window;
    return detail::RunLoaded(window.Load(), window);
  }
}

}  // namespace qx
