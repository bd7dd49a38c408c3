#include "platform/Unicode.h"

#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/ShownText.h"

namespace platform::unicode {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

namespace {

// The code point of the UTF-8 sequence at i and its length; 0 for a malformed, overlong
// or surrogate sequence.
std::size_t DecodeOne(const std::string& utf8, std::size_t i, char32_t& c) {
  const unsigned char lead = static_cast<unsigned char>(utf8[i]);
  // length of the sequence, its payload bits in the lead byte, and the least code point
  // it may carry (anything less is an overlong form)
  int extra = 0;
  c = lead;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    c = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    c = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    c = lead & 0x07;
    least = 0x10000;
  } else if (lead >= 0x80) {
    return 0;
  }
  if (utf8.size() - i <= static_cast<std::size_t>(extra)) return 0;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return static_cast<std::size_t>(extra) + 1;
}

}  // namespace

bool Utf8ToUtf16(const std::string& utf8, std::u16string& units) {
  units.clear();
  units.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c;
    const std::size_t length = DecodeOne(utf8, i, c);
    if (length == 0) return false;
    if (c >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return true;
}

bool IsUtf8(const std::string& bytes) {
  char32_t c;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = DecodeOne(bytes, i, c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string ValidUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c;
    const std::size_t length = DecodeOne(bytes, i, c);
    if (length == 0) {
      AppendUtf8(out, 0xFFFD);
      ++i;
    } else {
      out.append(bytes, i, length);
      i += length;
    }
  }
  return out;
}

bool Utf16ToUtf8(const std::u16string& units, std::string& utf8) {
  utf8.clear();
  utf8.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (IsHighSurrogate(u)) {
      if (i + 1 == units.size() || !IsLowSurrogate(units[i + 1])) return false;
      AppendUtf8(utf8, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (IsLowSurrogate(u)) {
      return false;
    } else {
      AppendUtf8(utf8, u);
    }
  }
  return true;
}

void NameForShowing(const std::string& bytes, std::string& utf8, std::string& sjis) {
  utf8.clear();
  sjis.clear();
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c;
    const std::size_t length = DecodeOne(bytes, i, c);
    if (length == 0) {
      const std::string shown = text::ByteShown(static_cast<unsigned char>(bytes[i]));
      utf8 += shown;
      sjis += shown;
      ++i;
      continue;
    }
    const std::string one = bytes.substr(i, length);
    i += length;
    utf8 += one;
    std::u16string units;
    std::string converted;
    if (c != U'\\' && Utf8ToUtf16(one, units) && Utf16ToCp932(units, converted)) {
      sjis += converted;
    } else {
      sjis += text::CodePointShown(c);
    }
  }
}

}  // namespace platform::unicode

namespace platform {

std::string ShiftJisForShowing(const std::string& utf8) {
  std::u16string units;
  std::string sjis;
  if (unicode::Utf8ToUtf16(utf8, units) && Utf16ToCp932(units, sjis)) return sjis;
  std::string shown;
  unicode::NameForShowing(utf8, shown, sjis);
  // a backslash is a character like any other here: a path keeps its separators
  std::string out;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    if (sjis.compare(i, 8, "<U+005C>") == 0) {
      out += '\\';
      i += 7;
    } else {
      out += sjis[i];
    }
  }
  return out;
}

std::string ToUtf8(const std::string& sjis) {
  std::u16string units;
  std::string utf8;
  if (Cp932ToUtf16(sjis, units) && unicode::Utf16ToUtf8(units, utf8)) return utf8;
  // character by character, so that a bad byte costs only itself
  utf8.clear();
  std::size_t i = 0;
  while (i < sjis.size()) {
    const bool pair = text::IsLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size();
    std::string one;
    if (pair && Cp932ToUtf16(sjis.substr(i, 2), units) && unicode::Utf16ToUtf8(units, one)) {
      i += 2;
    } else if (!pair && Cp932ToUtf16(sjis.substr(i, 1), units) && unicode::Utf16ToUtf8(units, one)) {
      i += 1;
    } else {
      one = "\xEF\xBF\xBD";  // U+FFFD; the byte after a bad lead byte gets its own turn
      i += 1;
    }
    utf8 += one;
  }
  return utf8;
}

std::string Utf16ToUtf8ForDisplay(const std::u16string& units) {
  std::string utf8;
  if (unicode::Utf16ToUtf8(units, utf8)) return utf8;
  // unit by unit, so that an unpaired surrogate costs only itself
  utf8.clear();
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::u16string one(1, units[i]);
    if (unicode::IsHighSurrogate(units[i]) && i + 1 < units.size() && unicode::IsLowSurrogate(units[i + 1])) {
      one += units[++i];
    }
    std::string piece;
    utf8 += unicode::Utf16ToUtf8(one, piece) ? piece : std::string("\xEF\xBF\xBD");
  }
  return utf8;
}

std::u16string PathRef::Units() const {
  if (units_) return *units_;
  std::u16string units;
  return Cp932ToUtf16(*sjis_, units) ? units : std::u16string();
}

}  // namespace platform
