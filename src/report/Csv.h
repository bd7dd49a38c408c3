// CSV text for spreadsheets: UTF-8 with a byte-order mark (so that a spreadsheet on
// Windows reads Japanese as it is), lines ending in CR LF, and every field escaped here.
#pragma once

#include <string>
#include <vector>

namespace report {

// One field as it goes into a line: quoted when it holds a comma, a quote or a line
// break; one that a spreadsheet would take for a formula is made text with a leading "'".
std::string CsvField(const std::string& utf8);

// Builds one CSV file, row by row.
class CsvWriter {
 public:
  CsvWriter();
  void Row(const std::vector<std::string>& fields);
  const std::string& Text() const { return out_; }

 private:
  std::string out_;
};

}  // namespace report
