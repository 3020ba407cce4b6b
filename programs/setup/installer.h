// The installer's main routine. QXWMECdi has no window of its own, only the progress window and
// message boxes; so that it starts as every program of the suite does (RunWindowProgram: the
// machine root, the message boxes, the window bus), its main window is Installer, a widget that
// is never shown, whose Load() runs the whole installation and ends the program.
#pragma once

#include <QWidget>

#include "ui/window_program.h"

namespace qx {

class Installer : public QWidget {
  Q_OBJECT
 public:
  Installer();

  // The installation, step by step: Failed (exit 1, no restart) when the installation record
  // cannot be loaded or the restart cannot be asked for; Finished once the restart is under way.
  LoadResult Load();
};

}  // namespace qx
