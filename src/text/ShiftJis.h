// Text, number and path helpers for Shift-JIS (code page 932) byte strings. Positions
// and lengths count bytes from 1; every walk steps over a double-byte character whole,
// so a second byte 0x5C is never taken for a backslash. No helper fails on any input.
#pragma once

#include <cstdint>
#include <string>

namespace text {

// 0x80-0x9F and 0xE0-0xFD start a double-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// Number of characters; a lead byte in the last position counts as one.
int CharCount(const std::string& s);
// Bytes in the character starting at s[i]: two for a double-byte character.
inline std::size_t CharLength(const std::string& s, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}
// Characters index .. index+count-1 (1-based; an index below 1 starts at the first).
std::string CharCopy(const std::string& s, int index, int count);
// The last |n| bytes, whole characters only.
std::string RightBytes(const std::string& s, int n);
// Whole characters lying inside bytes start .. start+count-1; `taken` gets their length.
std::string MidBytes(const std::string& s, int start, int count, int& taken);
// Drops ASCII and ideographic spaces and control bytes.
std::string RemoveBlanks(const std::string& s);
// Drops control bytes and "^m" pairs; a non-empty string that loses everything is " ".
std::string CleanJwwText(const std::string& s);
// Drops control bytes and a lead byte left without its second byte at the end.
std::string RemoveControlChars(const std::string& s);
// True when CleanJwwText would return s unchanged.
bool IsCleanJwwText(const std::string& s);
// True when RemoveControlChars would return s unchanged.
bool HasNoControlChars(const std::string& s);
// True for T, TR, TRU, TRUE, 1, １, ○, ON, 真, 正 (blanks removed, upper-cased).
bool TextToBool(const std::string& s);
// "1" or "0".
std::string BoolToText(bool b);
// A whole decimal or hexadecimal ($, x, 0x) 32-bit integer, else 0; hexadecimal spells
// a 32-bit pattern that a minus sign negates ("$FFFFFFFF" is -1, "-$1F" is -31).
std::int32_t TextToInt(const std::string& s);
// A whole decimal real with "." as separator whatever the locale, else 0.0.
double TextToFloat(const std::string& s);

// Upper-cases ASCII a-z only, never touching the second byte of a character.
std::string UpperCase(const std::string& s);

// Position (0-based) of the last path separator ('\', '/' or ':') that is not the
// second byte of a double-byte character; npos when there is none.
std::size_t LastSeparator(const std::string& path);
// The folder part of a path, with its trailing separator ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The file-name part of a path (what follows the last separator).
std::string ExtractFileName(const std::string& path);
// The extension of the file name, from its last "." on, dot included ("" when none).
std::string ExtractFileExt(const std::string& path);
// The path with its extension replaced (ext includes the dot).
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// True for a path that names a drive: its second byte is ":" ("C:\x", "C:x").
bool HasDrive(const std::string& path);
// True for a path that starts from a root: its first byte is "\" or "/", or it names a
// drive. Any other path is relative.
bool IsAbsolutePath(const std::string& path);
// The path with a backslash appended unless its last character is one.
std::string IncludeTrailingBackslash(const std::string& path);
// True for a file name that Windows takes for a device: CON, NUL, AUX, PRN, COM1-9,
// LPT1-9, CONIN$ or CONOUT$ in any case, with or without an extension, blanks before it
// ignored.
bool IsDeviceName(const std::string& name);
// True for a character Windows forbids in a file name besides the separators: ? * | < > "
// and the control characters (all ASCII, so a single byte or a UTF-16 unit alike).
constexpr bool IsForbiddenInFileName(std::uint32_t c) {
  return c < 0x20 || c == '?' || c == '*' || c == '|' || c == '<' || c == '>' || c == '"';
}

}  // namespace text
