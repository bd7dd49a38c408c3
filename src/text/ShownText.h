// How a log line shows what cannot stand in it as it is: a control character (a line
// break would split the line) or a character the log's code page lacks as <U+XXXX>, a
// byte that is no text as <0xXX>. Windows allows neither < nor > in a file name, so the
// notation is never read as part of one.
#pragma once

#include <string>

namespace text {

// "<U+000A>", "<U+1F600>".
std::string CodePointShown(char32_t c);
// "<0xE9>".
std::string ByteShown(unsigned char b);
// Shift-JIS text with its control characters (below 0x20, and 0x7F) shown as code points.
std::string ControlsShown(const std::string& sjis);
// UTF-8 text with its control characters (C0, DEL and C1) shown as code points.
std::string ControlsShownUtf8(const std::string& utf8);

}  // namespace text
