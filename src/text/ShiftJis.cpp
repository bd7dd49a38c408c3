#include "text/ShiftJis.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>
#include <vector>

namespace text {

namespace {

constexpr unsigned char kSpace = 0x20;

unsigned char ByteAt(const std::string& s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// Length in bytes of the character at i: 2 for a lead byte with a byte after it, else 1.
std::size_t CharLengthAt(const std::string& s, std::size_t i) {
  return IsLeadByte(ByteAt(s, i)) && i + 1 < s.size() ? 2 : 1;
}

bool IsControlByte(unsigned char b) { return b < kSpace; }

// |n| without overflow for INT_MIN.
std::int64_t Magnitude(int n) { return n < 0 ? -static_cast<std::int64_t>(n) : n; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t SkipSpaces(const std::string& s, std::size_t i) {
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

}  // namespace

int CharCount(const std::string& s) {
  int count = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) ++count;
  return count;
}

std::string CharCopy(const std::string& s, int index, int count) {
  const int n = CharCount(s);
  if (n < index || count <= 0 || n == 0) return {};
  // widened so that index + count - 1 cannot overflow
  const std::int64_t last = std::min<std::int64_t>(std::int64_t{index} + count - 1, n);
  std::string result;
  std::int64_t number = 1;
  for (std::size_t i = 0; i < s.size() && number <= last; ++number) {
    const std::size_t length = CharLengthAt(s, i);
    if (number >= index) result.append(s, i, length);
    i += length;
  }
  return result;
}

std::string RightBytes(const std::string& s, int n) {
  const std::int64_t length = static_cast<std::int64_t>(s.size());
  std::int64_t wanted = Magnitude(n);
  if (wanted == 0 || length == 0) return {};
  if (wanted > length) wanted = length;
  const std::int64_t first = length - wanted;  // 0-based start of the last `wanted` bytes
  std::string result;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t charLength = CharLengthAt(s, i);
    const auto p = static_cast<std::int64_t>(i);
    if (p >= first && static_cast<std::int64_t>(result.size() + charLength) <= wanted) {
      result.append(s, i, charLength);
    }
    i += charLength;
  }
  return result;
}

std::string MidBytes(const std::string& s, int start, int count, int& taken) {
  taken = 0;
  const auto length = static_cast<std::int64_t>(s.size());
  if (s.empty() || start < 1 || start > length || count <= 0) return {};
  // 1-based byte range start .. last, widened so that it cannot overflow
  const std::int64_t last = std::int64_t{start} + count - 1;
  std::string result;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t charLength = CharLengthAt(s, i);
    const auto p = static_cast<std::int64_t>(i) + 1;
    if (p >= start && p + static_cast<std::int64_t>(charLength) - 1 <= last) {
      result.append(s, i, charLength);
      taken += static_cast<int>(charLength);
    }
    i += charLength;
  }
  return result;
}

std::string RemoveBlanks(const std::string& s) {
  std::string result;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = CharLengthAt(s, i);
    const unsigned char b = ByteAt(s, i);
    const bool blank = length == 2 ? b == 0x81 && ByteAt(s, i + 1) == 0x40  // ideographic space
                                   : b == kSpace || IsControlByte(b);
    if (!blank) result.append(s, i, length);
    i += length;
  }
  return result;
}

std::string CleanJwwText(const std::string& s) {
  if (s.empty()) return {};
  std::string result;
  // where each character of the result starts, so a "^m" that only meets once a
  // control byte or an inner pair is gone is dropped as well: cleaning twice changes
  // nothing more
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = ByteAt(s, i);
    if (IsLeadByte(b)) {
      starts.push_back(result.size());
      result.append(s, i, CharLengthAt(s, i));
      i += 2;
    } else if (b == '^' && i + 1 < s.size() && s[i + 1] == 'm') {
      i += 2;
    } else if (b == 'm' && !starts.empty() && result.size() - starts.back() == 1 && result.back() == '^') {
      result.pop_back();
      starts.pop_back();
      ++i;
    } else {
      if (!IsControlByte(b)) {
        starts.push_back(result.size());
        result.push_back(static_cast<char>(b));
      }
      ++i;
    }
  }
  return result.empty() ? std::string(" ") : result;
}

bool IsCleanJwwText(const std::string& s) {
  if (s.empty()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = ByteAt(s, i);
    if (IsLeadByte(b)) {
      ++i;
    } else if (IsControlByte(b) || (b == '^' && i + 1 < s.size() && s[i + 1] == 'm')) {
      return false;
    }
  }
  return true;
}

bool HasNoControlChars(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = ByteAt(s, i);
    if (IsLeadByte(b)) {
      if (i + 1 == s.size()) return false;  // a lead byte without its second byte
      ++i;
    } else if (IsControlByte(b)) {
      return false;
    }
  }
  return true;
}

std::string RemoveControlChars(const std::string& s) {
  std::string result;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = ByteAt(s, i);
    if (IsLeadByte(b)) {
      // a lead byte in the last position is dropped
      if (i + 1 < s.size()) result.append(s, i, 2);
      i += 2;
    } else {
      if (!IsControlByte(b)) result.push_back(static_cast<char>(b));
      ++i;
    }
  }
  return result;
}

bool TextToBool(const std::string& s) {
  static const char* const kTrueTexts[] = {
      "T", "TR", "TRU", "TRUE", "1",
      "\x82\x50",  // full-width digit one
      "\x81\x9B",  // circle mark
      "ON",
      "\x90\x5E",  // 真
      "\x90\xB3",  // 正
  };
  const std::string folded = UpperCase(RemoveBlanks(s));
  for (const char* accepted : kTrueTexts) {
    if (folded == accepted) return true;
  }
  return false;
}

std::string BoolToText(bool b) { return b ? "1" : "0"; }

// Hexadecimal digits spell a 32-bit pattern ($FFFFFFFF is -1) and a minus sign negates
// that pattern modulo 2^32, as Delphi's StrToInt does; decimal must fit the signed range.
std::int32_t TextToInt(const std::string& s) {
  std::size_t i = SkipSpaces(s, 0);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    i += 1;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return 0;  // no digits

  std::uint64_t value = 0;  // stays below 2^36, so it never overflows
  if (hex) {
    for (; i < s.size(); ++i) {
      const int digit = HexDigitValue(s[i]);
      if (digit < 0) return 0;
      value = value * 16 + static_cast<unsigned>(digit);
      if (value > 0xFFFFFFFFu) return 0;
    }
    std::uint32_t pattern = static_cast<std::uint32_t>(value);
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
  }
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return 0;
    value = value * 10 + static_cast<unsigned>(s[i] - '0');
    if (value > limit) return 0;
  }
  const auto magnitude = static_cast<std::int64_t>(value);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

double TextToFloat(const std::string& s) {
  std::size_t i = SkipSpaces(s, 0);
  std::size_t first = i;  // where the number handed to from_chars begins
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '+') first = i + 1;  // from_chars takes "-" but not "+"
    ++i;
  }
  std::size_t digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) ++digits;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return 0.0;
  }
  if (i != s.size()) return 0.0;

  // from_chars reads "." whatever the locale
  const char* begin = s.data() + first;
  const char* end = s.data() + s.size();
  double value = 0.0;
  const std::from_chars_result parsed = std::from_chars(begin, end, value, std::chars_format::general);
  if (parsed.ec != std::errc() || parsed.ptr != end) return 0.0;
  return value;
}

std::string UpperCase(const std::string& s) {
  std::string result = s;
  for (std::size_t i = 0; i < result.size();) {
    const std::size_t length = CharLengthAt(result, i);
    if (length == 1 && result[i] >= 'a' && result[i] <= 'z') {
      result[i] = static_cast<char>(result[i] - 'a' + 'A');
    }
    i += length;
  }
  return result;
}

std::size_t LastSeparator(const std::string& path) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t length = CharLengthAt(path, i);
    if (length == 1 && (path[i] == '\\' || path[i] == '/' || path[i] == ':')) found = i;
    i += length;
  }
  return found;
}

std::string ExtractFilePath(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

namespace {

// Position of the extension's dot in path, or npos; only the file-name part is searched.
std::size_t ExtensionDot(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  std::size_t i = separator == std::string::npos ? 0 : separator + 1;
  std::size_t found = std::string::npos;
  while (i < path.size()) {
    const std::size_t length = CharLengthAt(path, i);
    if (length == 1 && path[i] == '.') found = i;
    i += length;
  }
  return found;
}

}  // namespace

std::string ExtractFileExt(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const std::size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

bool HasDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

bool IsAbsolutePath(const std::string& path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || HasDrive(path);
}

std::string IncludeTrailingBackslash(const std::string& path) {
  // a second byte 0x5C (表, ソ, 能) is not a trailing backslash
  if (RightBytes(path, 1) == "\\") return path;
  return path + '\\';
}

bool IsDeviceName(const std::string& name) {
  std::string stem = UpperCase(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  if (stem == "CON" || stem == "NUL" || stem == "AUX" || stem == "PRN" || stem == "CONIN$" || stem == "CONOUT$") {
    return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
         stem[3] <= '9';
}

}  // namespace text
