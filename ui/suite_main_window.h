// What the main window ("frmMain") of every suite program with a window of its own shares: the
// program's icon and a fixed inner size in twips; across its top the title area with the version
// line ("lblSystem": its design text, the program's version appended as the window loads) and the
// icon box, whose double-click opens the About box; and the steps its Load() begins with.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/window_program.h"

namespace qx {

class AboutBox;

// A fixed border and a title bar with the close and minimize boxes.
inline constexpr Qt::WindowFlags kMainWindowFlags = Qt::Window | Qt::MSWindowsFixedSizeDialogHint |
                                                    Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;

// Whether one copy of the program runs on a machine root, or any number (platform/single_instance.h).
enum class Copies { One, Any };
// The box that says the installation record could not be loaded.
enum class RecordFailureBox { Error, Plain };

class SuiteMainWindow : public QWidget {
  Q_OBJECT
 public:
  QLabel* lblSystem = nullptr;
  QLabel* imgIcon = nullptr;

  QPointer<AboutBox> frmAbout;

 public slots:
  // Hides the main window and opens the About box.
  void AboutClick();

 protected:
  // SYSTEM_CAPTION: the version line's design text, kept for Load.
  SuiteMainWindow(const char* systemCaption, int widthTwips, int heightTwips, Qt::WindowFlags flags = kMainWindowFlags);

  // The steps every main window's Load() begins with, in their order: this window becomes the
  // main window; the caption is the program's title, the version line its design text and the
  // program's version. With Copies::One, when another copy of the program runs: its window
  // brought forward (CopyBrought), or, when none is found, the error box "Application is
  // running!" (Failed). Then BEFORE_RECORD, the window's own steps that come first; then, under
  // the hourglass, the installation record (LoadInstallation), whose failure the box BOX says,
  // captioned with the title (Failed). Nothing when the load goes on.
  std::optional<LoadResult> BeginLoad(const ProgramInfo& program, Copies copies, RecordFailureBox box,
                                      const std::function<void()>& beforeRecord = {});

  // A double-click on the icon opens the About box.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const char* systemCaption_;
};

}  // namespace qx
