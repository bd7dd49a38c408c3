// The state of the main window's controls: what a front end shows and what the user
// sets. Texts are Shift-JIS.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace app {

struct GroupBox {
  std::string Caption;
};

// A radio button. Buttons put into one group turn each other off.
class RadioButton {
 public:
  RadioButton() = default;
  RadioButton(const RadioButton&) = delete;
  RadioButton& operator=(const RadioButton&) = delete;

  bool Checked() const { return checked_; }
  // Turning a button on turns the others of its group off, and calls OnClick when it was
  // off; turning it off touches no other.
  void SetChecked(bool on);
  // Joins the buttons into one group.
  static void Group(std::initializer_list<RadioButton*> buttons);

  std::string Caption;
  // Called when the button is turned on, by the user or by the program.
  std::function<void()> OnClick;

 private:
  bool checked_ = false;
  RadioButton* next_ = this;  // the next button of the group, round in a ring
};

struct CheckBox {
  std::string Caption;
  bool Checked = false;
};

struct Edit {
  std::string Text;
};

struct Button {
  std::string Caption;
  bool Enabled = true;
};

struct PageControl {
  std::int32_t ActivePageIndex = 0;  // 0 the options page, 1 the log
};

struct TabSheet {
  std::string Caption;
};

struct StatusBar {
  std::string SimpleText;
};

struct ListBox {
  std::vector<std::string> Items;
  std::int32_t ItemIndex = -1;  // the selected line; -1 for none
};

struct Panel {
  std::string Caption;
};

struct Label {
  std::string Caption;
  bool Visible = true;
  bool Enabled = true;
};

struct ScrollBox {};

}  // namespace app
