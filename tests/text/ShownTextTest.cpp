// Control characters in a name shown as code points, so a log line stays one line.
#include <gtest/gtest.h>

#include <string>

#include "text/ShownText.h"

namespace {

TEST(ShownText, ControlCharactersAndOnlyThoseAreShownAsCodePoints) {
  const struct {
    std::string sjis;
    std::string shown;
  } rows[] = {
      {"a\nb\tc\r", "a<U+000A>b<U+0009>c<U+000D>"},
      {std::string("\x01\x1F\x7F", 3), "<U+0001><U+001F><U+007F>"},
      {"\x95\x5C\x83\x5C\x94\x5C", "\x95\x5C\x83\x5C\x94\x5C"},  // 表ソ能: second bytes kept
      {"\x83\x0A", "\x83<U+000A>"},                              // a lead byte cannot hide a line break
      {"<U+000A> ~", "<U+000A> ~"},
  };
  for (const auto& row : rows) EXPECT_EQ(text::ControlsShown(row.sjis), row.shown) << row.sjis;

  const struct {
    std::string utf8;
    std::string shown;
  } utf8Rows[] = {
      {"a\nb\x7F", "a<U+000A>b<U+007F>"},
      {"\xC2\x9B" "2J", "<U+009B>2J"},  // a terminal's command introducer
      {"caf\xC3\xA9 \xE3\x80\x9C \xC2\xA0", "caf\xC3\xA9 \xE3\x80\x9C \xC2\xA0"},
  };
  for (const auto& row : utf8Rows) EXPECT_EQ(text::ControlsShownUtf8(row.utf8), row.shown) << row.utf8;
}

}  // namespace
