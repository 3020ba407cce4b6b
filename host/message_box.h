// MessageBoxA and MessageBeep: the one seam through which every message box of the suite passes.
// A window program installs a presenter that shows a real box; tools keep the console form;
// a test installs one that answers for the person and records what was shown.
// With QX_MESSAGE_LOG set, boxes are not shown at all: each is appended to that file as one line
// "caption<TAB>text<TAB>type" (CR and LF written as \r and \n) and answered by the default button,
// or by the next number of QX_MESSAGE_ANSWERS (comma-separated button codes) while it has one.
#pragma once

#include <functional>
#include <string>

#include "host/win_types.h"

namespace qx {

using MessageBoxPresenter = std::function<int(const std::string& text, const std::string& caption, UINT type)>;

// Replaces the presenter; an empty function restores the console form. Returns the previous one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// The error box of every program of the suite: a beep, then a system-modal OK box with the error
// icon; returns the box's answer.
int ErrorBox(const std::string& text, const std::string& caption);

// The button a box of TYPE answers with when nobody chooses (Enter on its default button).
int DefaultButton(UINT type);

using Beeper = std::function<void()>;
Beeper SetBeeper(Beeper beeper);
BOOL MessageBeep(UINT type);
// How many beeps this process has sounded (for tests).
int BeepCount();

}  // namespace qx
