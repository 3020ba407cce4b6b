#include "ui/controls.h"

#include "ui/twips.h"

namespace qx {

namespace {

template <typename Control>
Control* Placed(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(name);
  PlaceTwips(control, left, top, width, height);
  return control;
}

}  // namespace

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                       int height) {
  auto* button = Placed(new QPushButton(QString::fromUtf8(caption), parent), name, left, top, width, height);
  button->setAutoDefault(true);
  return button;
}

QFrame* AddShape(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* shape = Placed(new QFrame(parent), name, left, top, width, height);
  shape->setFrameStyle(QFrame::Box | QFrame::Plain);
  return shape;
}

QGroupBox* AddFrame(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height) {
  return Placed(new QGroupBox(QString::fromUtf8(caption), parent), name, left, top, width, height);
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height,
                 Qt::Alignment align) {
  auto* label = Placed(new QLabel(QString::fromUtf8(text), parent), name, left, top, width, height);
  label->setAlignment(align | Qt::AlignVCenter);
  return label;
}

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                       int height) {
  return Placed(new QCheckBox(QString::fromUtf8(caption), parent), name, left, top, width, height);
}

QRadioButton* AddOption(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                        int height) {
  return Placed(new QRadioButton(QString::fromUtf8(caption), parent), name, left, top, width, height);
}

QComboBox* AddDropDownList(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* list = Placed(new QComboBox(parent), name, left, top, width, height);
  list->setEditable(false);
  return list;
}

ScrollBar* AddScrollBar(QWidget* parent, const char* name, int min, int max, int smallStep, int largeStep, int left,
                        int top, int width, int height) {
  auto* bar = new ScrollBar(parent, name, min, max, smallStep, largeStep);
  PlaceTwips(bar, left, top, width, height);
  return bar;
}

}  // namespace qx
