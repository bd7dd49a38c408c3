#include "app/Controls.h"

namespace app {

void RadioButton::SetChecked(bool on) {
  const bool turnedOn = on && !checked_;
  checked_ = on;
  if (!on) return;
  for (RadioButton* other = next_; other != this; other = other->next_) other->checked_ = false;
  if (turnedOn && OnClick) OnClick();
}

void RadioButton::Group(std::initializer_list<RadioButton*> buttons) {
  RadioButton* previous = nullptr;
  RadioButton* first = nullptr;
  for (RadioButton* button : buttons) {
    if (first == nullptr) first = button;
    if (previous != nullptr) previous->next_ = button;
    previous = button;
  }
  if (previous != nullptr) previous->next_ = first;
}

}  // namespace app
