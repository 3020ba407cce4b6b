// The message boxes of the suite's windows, all through MessageBoxA (host/message_box.h).
// ErrorBox (beep, then the error box) lies beside MessageBoxA, for programs without windows too.
#pragma once

#include <string>

#include "host/win_types.h"

namespace qx {

// Yes and No, the question icon, system-modal, plus EXTRA_FLAGS (MB_DEFBUTTON2 makes No the
// default); returns the button chosen (IDYES or IDNO).
int QuestionBox(const std::string& text, UINT extraFlags, const std::string& caption);

// A plain OK box, system-modal, with ICON (MB_ICONWARNING, MB_ICONINFORMATION, … or 0).
int OkBox(const std::string& text, const std::string& caption, UINT icon = 0);

}  // namespace qx
