// The controls of the suite's windows, made the one way: named, captioned and placed in twips
// within their parent. A control's caption is also what a screen reader reads for it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ui/scroll_bar.h"

namespace qx {

// The standard metrics of the windows, in twips.
inline constexpr int kMargin = 120;        // between a window's edge and its controls, and between buttons
inline constexpr int kButtonWidth = 1215;  // OK, Cancel, Apply and their kind
inline constexpr int kButtonHeight = 495;
inline constexpr int kIconSize = 780;     // the icon box, and the height of the title area
inline constexpr int kLabelHeight = 240;  // a one-line label
inline constexpr int kCheckHeight = 255;  // a check box, an option button, a scroll bar
inline constexpr int kInFrameTop = 345;   // the first row of controls inside a frame, below its caption

// A push button; Enter clicks it while it has the focus.
QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                       int width = kButtonWidth, int height = kButtonHeight);

// A frame shape: a plain rectangle drawn around other controls.
QFrame* AddShape(QWidget* parent, const char* name, int left, int top, int width, int height);

// A frame with a caption, holding other controls (placed within it).
QGroupBox* AddFrame(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height);

// A label, vertically centred in its height, aligned left unless ALIGN says otherwise.
QLabel* AddLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width,
                 int height = kLabelHeight, Qt::Alignment align = Qt::AlignLeft);

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                       int height = kCheckHeight);

// An option button; option buttons of one parent form one group (see ui/option_group.h).
QRadioButton* AddOption(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                        int height = kCheckHeight);

// A drop-down list from which the person chooses (it takes no typed text).
QComboBox* AddDropDownList(QWidget* parent, const char* name, int left, int top, int width, int height);

// A horizontal scroll bar from MIN to MAX, SMALL_STEP for its arrows and LARGE_STEP for its track.
ScrollBar* AddScrollBar(QWidget* parent, const char* name, int min, int max, int smallStep, int largeStep, int left,
                        int top, int width, int height = kCheckHeight);

}  // namespace qx
