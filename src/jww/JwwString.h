// A string as a drawing stores it: Shift-JIS bytes, and the form it was stored in.
#pragma once

#include <cstdint>
#include <string>

namespace jww {

enum class StringForm : std::uint8_t {
  Ansi,     // stored as Shift-JIS bytes
  Unicode,  // stored as UTF-16, held as its exact Shift-JIS form
  Utf16,    // stored as UTF-16 with a character that has no Shift-JIS form
};

struct JwwString {
  // Shift-JIS bytes for Ansi and Unicode; the UTF-16LE units' bytes for Utf16.
  std::string bytes;
  StringForm form = StringForm::Ansi;

  JwwString() = default;
  JwwString(std::string sjis, StringForm f = StringForm::Ansi) : bytes(std::move(sjis)), form(f) {}

  // True when the string has a Shift-JIS form that the system's text rules apply to.
  bool IsSjis() const { return form != StringForm::Utf16; }
  // The Shift-JIS bytes, or "" for a string that has none.
  const std::string& Sjis() const;
  // The UTF-16 units of a string of the Utf16 form.
  std::u16string Units() const;

  bool operator==(const JwwString&) const = default;
};

// A string stored as UTF-16, held as its exact Shift-JIS form when it has one (Unicode),
// else as its units (Utf16).
JwwString StringOfUnits(const std::u16string& units);
// UTF-16LE bytes as their units, and units as UTF-16LE bytes.
std::u16string UnitsOf(const std::string& bytes);
std::string BytesOf(const std::u16string& units);
// A unit that is a control character of the UTF-16 form.
constexpr bool IsControlUnit(char16_t u) { return u < 0x20; }
// The units without their control characters.
std::u16string WithoutControlUnits(std::u16string units);

}  // namespace jww
