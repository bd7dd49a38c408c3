// The settings file: seventeen CR LF lines beside the program, a value known by its line.
// A file with fewer lines loads the missing ones as empty; lines after the known ones are
// left alone, so a file written by a later version loads too.
#include <array>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

namespace {

constexpr std::size_t kSettingsLines = 17;

// The thirteenth line: what becomes of the images; anything else (an older file has no
// such line) means copying them.
constexpr const char* kImageModeTexts[] = {"0", "1", "2"};

// The lines of the file; a line ends at CR LF, LF or CR. After a failed read only the
// lines that were read whole count.
std::vector<std::string> SplitLines(const std::string& bytes, bool readFailed) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;  // Shift-JIS second bytes are never CR or LF
    }
  }
  if (!line.empty() && !readFailed) lines.push_back(line);
  return lines;
}

}  // namespace

void TForm1::LoadSettings(const std::string& path) {
  try {
    RadioButton1.SetChecked(true);
    RadioButton2.SetChecked(false);
    RadioButton3.SetChecked(false);
    RadioButton4.SetChecked(false);
    Edit1.Text.clear();
    Label1.Caption.clear();
    OpenFilterIndex = 1;
    CheckBox1.Checked = false;
    RadioButton5.SetChecked(true);
    RadioButton6.SetChecked(false);
    RadioButton7.SetChecked(true);
    CheckBox4.Checked = false;
    CheckBox2.Checked = false;
    CheckBox3.Checked = false;
    Edit2.Text.clear();
    if (!platform::FileExists(path)) return;

    platform::InputFile file;
    if (!file.Open(path)) return;
    std::string bytes;
    char buffer[4096];
    for (;;) {
      const std::size_t got = file.Read(buffer, sizeof buffer);
      bytes.append(buffer, got);
      if (got < sizeof buffer || file.Failed()) break;
    }
    const bool failed = file.Failed();
    file.Close();

    // each value goes to its control in the order of the lines, so that of two radio
    // buttons of a group read as on the later one wins
    const std::array<void (*)(TForm1&, const std::string&), kSettingsLines> apply = {
        [](TForm1& f, const std::string& v) { f.Left = text::TextToInt(v); },
        [](TForm1& f, const std::string& v) { f.Top = text::TextToInt(v); },
        [](TForm1& f, const std::string& v) { f.RadioButton1.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) { f.RadioButton2.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) { f.RadioButton3.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) { f.RadioButton4.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) { f.Edit1.Text = v; },
        [](TForm1& f, const std::string& v) { f.Label1.Caption = v; },
        [](TForm1& f, const std::string& v) { f.OpenFilterIndex = text::TextToInt(v); },
        [](TForm1& f, const std::string& v) { f.CheckBox1.Checked = text::TextToBool(v); },
        [](TForm1& f, const std::string& v) { f.RadioButton5.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) { f.RadioButton6.SetChecked(text::TextToBool(v)); },
        [](TForm1& f, const std::string& v) {
          RadioButton* const buttons[] = {&f.RadioButton7, &f.RadioButton8, &f.RadioButton9};
          std::size_t chosen = 0;
          for (std::size_t i = 0; i < std::size(kImageModeTexts); ++i) {
            if (v == kImageModeTexts[i]) chosen = i;
          }
          buttons[chosen]->SetChecked(true);
        },
        // the search for missing images: near the drawing, in a folder, the folder
        [](TForm1& f, const std::string& v) { f.CheckBox2.Checked = text::TextToBool(v); },
        [](TForm1& f, const std::string& v) { f.CheckBox3.Checked = text::TextToBool(v); },
        [](TForm1& f, const std::string& v) { f.Edit2.Text = v; },
        // the seventeenth: check rather than convert; an older file has no such line
        [](TForm1& f, const std::string& v) { f.CheckBox4.Checked = text::TextToBool(v); },
    };
    const std::vector<std::string> lines = SplitLines(bytes, failed);
    for (std::size_t i = 0; i < kSettingsLines; ++i) {
      if (i < lines.size()) {
        apply[i](*this, lines[i]);
      } else if (!failed) {
        apply[i](*this, "");  // a short file: the missing lines read as empty texts
      }
    }
  } catch (...) {
  }
}

void TForm1::SaveSettings(const std::string& path) {
  try {
    const std::string lines[kSettingsLines] = {
        std::to_string(Left),
        std::to_string(Top),
        text::BoolToText(RadioButton1.Checked()),
        text::BoolToText(RadioButton2.Checked()),
        text::BoolToText(RadioButton3.Checked()),
        text::BoolToText(RadioButton4.Checked()),
        Edit1.Text,
        Label1.Caption,
        std::to_string(OpenFilterIndex),
        text::BoolToText(CheckBox1.Checked),
        text::BoolToText(RadioButton5.Checked()),
        text::BoolToText(RadioButton6.Checked()),
        kImageModeTexts[RadioButton8.Checked() ? 1 : RadioButton9.Checked() ? 2 : 0],
        text::BoolToText(CheckBox2.Checked),
        text::BoolToText(CheckBox3.Checked),
        Edit2.Text,
        text::BoolToText(CheckBox4.Checked),
    };
    std::string content;
    for (const std::string& line : lines) content += line + "\r\n";

    // written beside the settings file and moved over it when complete, so that a run
    // reading it meanwhile never sees half of it; a write that fails leaves it as it was
    platform::ReplaceFileContents(path, [&content](platform::OutputFile& file) {
      return file.Write(content.data(), content.size()) == content.size();
    });
  } catch (...) {
  }
}

}  // namespace app
