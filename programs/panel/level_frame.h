// The frame of the one-bar dialogs (sensitivity, power save): the words for the two ends above
// the bar with the value label between them in blue, the bar, and the scale marks under it.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <initializer_list>

#include "ui/scroll_bar.h"

namespace qx {

struct LevelFrame {
  QGroupBox* frame = nullptr;
  ScrollBar* bar = nullptr;
  QLabel* value = nullptr;
};

// A frame CAPTION on DIALOG at (LEFT, TOP), WIDTH wide, holding the bar BAR_NAME (MIN..MAX,
// SMALL_STEP, LARGE_STEP), LOW_WORD and HIGH_WORD at its ends, the value label VALUE_NAME, and
// MARKS under the bar: the first at its left end, the last at its right end, one more in the middle.
LevelFrame AddLevelFrame(QWidget* dialog, const char* caption, int left, int top, int width, const char* barName,
                         int min, int max, int smallStep, int largeStep, const char* lowWord, const char* highWord,
                         const char* valueName, std::initializer_list<const char*> marks);

// The height of such a frame, in twips.
inline constexpr int kLevelFrameHeight = 1320;

}  // namespace qx
