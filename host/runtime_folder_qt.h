// The runtime folder Qt looks for as a program with windows starts.
#pragma once

namespace qx {

// Without XDG_RUNTIME_DIR (a machine root started from a shell or a service, not from a desktop
// session), Qt says at every start that it falls back to a folder of its own: true, harmless, and
// nothing a person can act on, so that line is not shown. Every other message of Qt's goes on as
// before. Called before the QApplication is made.
void QuietMissingRuntimeFolder();

}  // namespace qx
