#include "jww/JwwString.h"

#include <algorithm>

#include "platform/Platform.h"

namespace jww {

const std::string& JwwString::Sjis() const {
  static const std::string kNone;
  return IsSjis() ? bytes : kNone;
}

std::u16string JwwString::Units() const { return UnitsOf(bytes); }

JwwString StringOfUnits(const std::u16string& units) {
  std::string sjis;
  if (platform::Utf16ToCp932(units, sjis)) return JwwString(std::move(sjis), StringForm::Unicode);
  return JwwString(BytesOf(units), StringForm::Utf16);
}

std::u16string UnitsOf(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return units;
}

std::string BytesOf(const std::u16string& units) {
  std::string bytes(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return bytes;
}

std::u16string WithoutControlUnits(std::u16string units) {
  units.erase(std::remove_if(units.begin(), units.end(), IsControlUnit), units.end());
  return units;
}

}  // namespace jww
