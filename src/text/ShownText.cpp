#include "text/ShownText.h"

#include <cstdio>

#include "text/ShiftJis.h"

namespace text {

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string CodePointShown(char32_t c) {
  char shown[16];
  std::snprintf(shown, sizeof shown, "<U+%04X>", static_cast<unsigned>(c));
  return shown;
}

std::string ByteShown(unsigned char b) {
  char shown[8];
  std::snprintf(shown, sizeof shown, "<0x%02X>", static_cast<unsigned>(b));
  return shown;
}

std::string ControlsShown(const std::string& sjis) {
  std::string shown;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(sjis[i]);
    const unsigned char next = i + 1 < sjis.size() ? static_cast<unsigned char>(sjis[i + 1]) : 0;
    if (IsLeadByte(c) && next >= 0x40 && next != 0x7F) {
      // a second byte is never a character of its own
      shown.append(sjis, i, 2);
      ++i;
    } else if (IsControl(c)) {
      shown += CodePointShown(c);
    } else {
      shown += sjis[i];
    }
  }
  return shown;
}

std::string ControlsShownUtf8(const std::string& utf8) {
  std::string shown;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const unsigned char next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (IsControl(c)) {
      shown += CodePointShown(c);
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      // U+0080 to U+009F: terminals take some of them for commands
      shown += CodePointShown(next);
      ++i;
    } else {
      shown += utf8[i];
    }
  }
  return shown;
}

}  // namespace text
