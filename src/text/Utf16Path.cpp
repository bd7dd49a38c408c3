#include "text/Utf16Path.h"

#include "text/ShiftJis.h"

namespace text {

std::u16string UpperCase(const std::u16string& s) {
  std::u16string result = s;
  for (char16_t& u : result) {
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - u'a' + u'A');
  }
  return result;
}

std::size_t LastSeparator(const std::u16string& path) { return path.find_last_of(u"\\/:"); }

std::u16string ExtractFilePath(const std::u16string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator + 1);
}

std::u16string ExtractFileName(const std::u16string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

std::u16string ExtractFileExt(const std::u16string& path) {
  const std::u16string name = ExtractFileName(path);
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : name.substr(dot);
}

bool IsAbsolutePath(const std::u16string& path) {
  return (!path.empty() && (path[0] == u'\\' || path[0] == u'/')) || (path.size() >= 2 && path[1] == u':');
}

bool IsDeviceName(const std::u16string& name) {
  // every device name is ASCII: a stem with any other character names a file
  std::string stem;
  for (const char16_t u : name.substr(0, name.find(u'.'))) {
    if (u >= 0x80) return false;
    stem += static_cast<char>(u);
  }
  return IsDeviceName(stem);
}

}  // namespace text
