#include "render/SvgWriter.h"

#include <cmath>
#include <cstdio>

#include "report/Html.h"

namespace render {

void SvgWriter::Open(std::string_view tag) {
  out_ += '<';
  out_ += Escape(tag);
}

void SvgWriter::Attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += Escape(name);
  out_ += "=\"";
  out_ += Escape(value);
  out_ += '"';
}

void SvgWriter::Attribute(std::string_view name, double value) { Attribute(name, Number(value)); }

void SvgWriter::End() { out_ += '>'; }
void SvgWriter::Empty() { out_ += "/>"; }

void SvgWriter::Close(std::string_view tag) {
  out_ += "</";
  out_ += Escape(tag);
  out_ += '>';
}

void SvgWriter::Text(std::string_view utf8) { out_ += Escape(utf8); }

std::string SvgWriter::Escape(std::string_view utf8) { return report::HtmlEscape(std::string(utf8)); }

std::string SvgWriter::Number(double value) {
  if (!std::isfinite(value)) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", value);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

}  // namespace render
