// Twips, the unit of every window and control size the suite's windows are designed in:
// 15 twips to a pixel at 96 dots per inch.
#pragma once

#include <QWidget>

namespace qx {

inline constexpr int kTwipsPerPixel = 15;

constexpr int PixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }
constexpr int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

// Places WIDGET at LEFT, TOP (within its parent, or on the screen for a window) with the size
// WIDTH x HEIGHT, all in twips.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);

// A control's place and size in twips; for a window, its inner (client) size.
int LeftTwips(const QWidget* widget);
int TopTwips(const QWidget* widget);
int WidthTwips(const QWidget* widget);
int HeightTwips(const QWidget* widget);
void SetTopTwips(QWidget* widget, int top);
void SetLeftTwips(QWidget* widget, int left);

// A window's fixed inner size, in twips (the windows have fixed borders).
void SetClientSizeTwips(QWidget* window, int width, int height);

}  // namespace qx
