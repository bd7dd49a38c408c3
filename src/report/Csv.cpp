#include "report/Csv.h"

namespace report {
namespace {

// What a spreadsheet reads as the start of a formula: = + - @, a tab or a carriage
// return, and their full-width forms (＝ ＋ － ＠), which a Japanese spreadsheet folds.
bool StartsFormula(const std::string& s) {
  if (s.empty()) return false;
  if (std::string("=+-@\t\r").find(s.front()) != std::string::npos) return true;
  for (const char* wide : {"\xEF\xBC\x9D", "\xEF\xBC\x8B", "\xEF\xBC\x8D", "\xEF\xBC\xA0"}) {
    if (s.starts_with(wide)) return true;
  }
  return false;
}

}  // namespace

std::string CsvField(const std::string& utf8) {
  const bool formula = StartsFormula(utf8);
  if (!formula && utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = formula ? "\"'" : "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

CsvWriter::CsvWriter() : out_("\xEF\xBB\xBF") {}

void CsvWriter::Row(const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out_ += ',';
    out_ += CsvField(fields[i]);
  }
  out_ += "\r\n";
}

}  // namespace report
