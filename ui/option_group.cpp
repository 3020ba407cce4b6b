#include "ui/option_group.h"

#include "ui/colours.h"

namespace qx {

void OptionGroup::Add(int index, QRadioButton* button) {
  buttons_[index] = button;
  SetTextColour(button, kTeal);
  // Whatever sets the button (a click, the keyboard, a screen reader's toggle action, the program)
  // chooses it, once: the button set, not the one cleared.
  connect(button, &QRadioButton::toggled, this, [this, index](bool checked) {
    if (checked) Choose(index);
  });
}

QRadioButton* OptionGroup::Button(int index) const {
  auto it = buttons_.find(index);
  return it == buttons_.end() ? nullptr : it->second;
}

void OptionGroup::Load(int index) {
  pending_ = index;
  if (QRadioButton* button = Button(index)) {
    button->setChecked(true);
    SetTextColour(button, kBlack);
  }
}

void OptionGroup::SetEnabled(bool enabled) {
  for (auto& [index, button] : buttons_) button->setEnabled(enabled);
}

void OptionGroup::Choose(int index) {
  if (index == pending_) return;
  if (QRadioButton* old = Button(pending_)) {
    old->setChecked(false);
    SetTextColour(old, kTeal);
  }
  pending_ = index;
  if (QRadioButton* chosen = Button(index)) {
    chosen->setChecked(true);
    SetTextColour(chosen, kBlack);
  }
  emit Changed();
}

}  // namespace qx
