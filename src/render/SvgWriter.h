// Writes SVG markup; every string it is handed is escaped, so no caller can forget.
#pragma once

#include <string>
#include <string_view>

namespace render {

class SvgWriter {
 public:
  // "<tag"; attributes follow, then End() or Empty().
  void Open(std::string_view tag);
  void Attribute(std::string_view name, std::string_view value);
  void Attribute(std::string_view name, double value);
  // ">" after the attributes, and "/>" for an element without content.
  void End();
  void Empty();
  void Close(std::string_view tag);
  // Character data.
  void Text(std::string_view utf8);
  // Markup as it is: only for the writer's own constant strings.
  void Raw(std::string_view markup) { out_ += markup; }

  std::string& Output() { return out_; }

  // & < > " ' as entities; control characters other than tab and line ends dropped.
  static std::string Escape(std::string_view utf8);
  // A number in few characters: at most four decimals, no trailing zeros.
  static std::string Number(double value);

 private:
  std::string out_;
};

}  // namespace render
