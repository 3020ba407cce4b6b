#include "ui/twips.h"

namespace qx {

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(PixelsFromTwips(left), PixelsFromTwips(top), PixelsFromTwips(width), PixelsFromTwips(height));
}

int LeftTwips(const QWidget* widget) { return TwipsFromPixels(widget->x()); }
int TopTwips(const QWidget* widget) { return TwipsFromPixels(widget->y()); }
int WidthTwips(const QWidget* widget) { return TwipsFromPixels(widget->width()); }
int HeightTwips(const QWidget* widget) { return TwipsFromPixels(widget->height()); }

void SetTopTwips(QWidget* widget, int top) { widget->move(widget->x(), PixelsFromTwips(top)); }
void SetLeftTwips(QWidget* widget, int left) { widget->move(PixelsFromTwips(left), widget->y()); }

void SetClientSizeTwips(QWidget* window, int width, int height) {
  window->setFixedSize(PixelsFromTwips(width), PixelsFromTwips(height));
}

}  // namespace qx
