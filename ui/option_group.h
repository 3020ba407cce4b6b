// A group of option buttons, each with its design index (from 1, or from 0 where the design counts
// so), and the pending index of the chosen one. The chosen button is drawn in black and the others
// in teal; choosing the pending one again does nothing.
#pragma once

#include <QObject>
#include <QRadioButton>
#include <map>

namespace qx {

class OptionGroup : public QObject {
  Q_OBJECT
 public:
  explicit OptionGroup(QObject* parent) : QObject(parent) {}

  // Adds the button of INDEX; it starts teal and unset.
  void Add(int index, QRadioButton* button);
  QRadioButton* Button(int index) const;

  // At load: INDEX becomes pending, its button (if it has one) is set and drawn black.
  void Load(int index);
  int Pending() const { return pending_; }
  void SetEnabled(bool enabled);

 signals:
  // A different button was chosen (the pending index changed).
  void Changed();

 private:
  void Choose(int index);

  std::map<int, QRadioButton*> buttons_;
  int pending_ = 0;
};

}  // namespace qx
