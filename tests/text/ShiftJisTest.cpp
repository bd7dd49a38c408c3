#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

using text::BoolToText;
using text::ChangeFileExt;
using text::CharCopy;
using text::CharCount;
using text::CleanJwwText;
using text::ExtractFileExt;
using text::ExtractFileName;
using text::ExtractFilePath;
using text::IncludeTrailingBackslash;
using text::IsLeadByte;
using text::LastSeparator;
using text::MidBytes;
using text::RemoveBlanks;
using text::RemoveControlChars;
using text::RightBytes;
using text::TextToBool;
using text::TextToFloat;
using text::TextToInt;
using text::UpperCase;

// Shift-JIS characters; the first three end in 0x5C, the byte of the backslash.
const std::string kHyo = "\x95\x5C";        // 表
const std::string kSo = "\x83\x5C";         // ソ
const std::string kNou = "\x94\x5C";        // 能
const std::string kIdeoSpace = "\x81\x40";  // ideographic space
const std::string kWideOne = "\x82\x50";    // full-width digit one
const std::string kWideTwo = "\x82\x51";    // full-width digit two
const std::string kCircle = "\x81\x9B";     // ○
const std::string kShin = "\x90\x5E";       // 真, second byte is '^'
const std::string kSei = "\x90\xB3";        // 正
const std::string kLoneLead = "\x82";       // a lead byte with nothing after it

const std::size_t npos = std::string::npos;

// The bytes of s with everything outside printable ASCII as \xNN, for failure messages.
std::string Show(const std::string& s) {
  std::string shown = "\"";
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  return shown + "\"";
}

// ---- characters -------------------------------------------------------------------

TEST(ShiftJis, IsLeadByteCoversBothClosedRanges) {
  const struct {
    unsigned char byte;
    bool lead;
  } rows[] = {
      {0x00, false}, {0x5C, false}, {0x7F, false}, {0x80, true},  {0x81, true},
      {0x9F, true},  {0xA0, false}, {0xDF, false}, {0xE0, true},  {0xFC, true},
      {0xFD, true},  {0xFE, false}, {0xFF, false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsLeadByte(row.byte), row.lead) << int{row.byte};
}

TEST(ShiftJis, CharCount) {
  const struct {
    std::string s;
    int count;
  } rows[] = {
      {"", 0},
      {"abc", 3},
      {kHyo + "a", 2},
      {"a" + kHyo, 2},
      {kSo + kNou, 2},
      {kLoneLead, 1},
      {"a" + kLoneLead, 2},
      {kHyo + kLoneLead, 2},
      {"\x80" "A", 1},    // 0x80 is a lead byte
      {"\xFD" "A", 1},    // so is 0xFD
      {"\xFE" "A", 2},    // 0xFE is not
      {"\xA0\xDF", 2},    // half-width katakana are single bytes
  };
  for (const auto& row : rows) EXPECT_EQ(CharCount(row.s), row.count) << Show(row.s);
}

TEST(ShiftJis, CharCopy) {
  const std::string hyoA = kHyo + "a";
  const struct {
    std::string s;
    int index;
    int count;
    std::string expected;
  } rows[] = {
      {hyoA, 2, 1, "a"},
      {hyoA, 1, 1, kHyo},
      {hyoA, 1, 2, hyoA},
      {hyoA, 1, 9, hyoA},
      {hyoA, 2, 9, "a"},
      {hyoA, 3, 1, ""},
      {hyoA, 1, 0, ""},
      {hyoA, 1, -1, ""},
      {"", 1, 1, ""},
      {"", 0, 5, ""},
      // an index below 1 starts at the first character, but still ends at index + count - 1
      {hyoA, 0, 2, kHyo},
      {hyoA, -5, 7, kHyo},
      {hyoA, -5, 6, ""},
      {kSo + kNou + kHyo, 2, 2, kNou + kHyo},
      {"a" + kLoneLead, 2, 1, kLoneLead},
      {hyoA, 1, INT_MAX, hyoA},
      {hyoA, 2, INT_MAX, "a"},
      {hyoA, INT_MAX, INT_MAX, ""},
      {hyoA, INT_MIN, INT_MAX, ""},
      {hyoA, INT_MIN, 1, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CharCopy(row.s, row.index, row.count), row.expected)
        << Show(row.s) << " from " << row.index << " count " << row.count;
  }
}

TEST(ShiftJis, RightBytes) {
  const std::string hyoFolder = "C:\\" + kHyo;
  const struct {
    std::string s;
    int n;
    std::string expected;
  } rows[] = {
      {"C:\\dir\\", 1, "\\"},
      {hyoFolder, 1, ""},  // the 0x5C of 表 never passes for a backslash
      {"C:\\" + kSo, 1, ""},
      {"C:\\" + kNou, 1, ""},
      {hyoFolder, 2, kHyo},
      {hyoFolder, 3, "\\" + kHyo},
      {"abcdef", 3, "def"},
      {"abcdef", -3, "def"},
      {"abc", 0, ""},
      {"", 5, ""},
      {"abc", 10, "abc"},
      {"a" + kHyo + "b", 2, "b"},  // 表 straddles the cut
      {"a" + kHyo + "b", 3, kHyo + "b"},
      {"a" + kLoneLead, 1, kLoneLead},
      {"abc", INT_MAX, "abc"},
      {"abc", INT_MIN, "abc"},
      {"abc", INT_MIN + 1, "abc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(RightBytes(row.s, row.n), row.expected) << Show(row.s) << " n " << row.n;
  }
}

TEST(ShiftJis, MidBytes) {
  const std::string aHyoB = "a" + kHyo + "b";
  const struct {
    std::string s;
    int start;
    int count;
    std::string expected;
  } rows[] = {
      {aHyoB, 2, 1, ""},  // 表 does not fit in one byte
      {aHyoB, 2, 2, kHyo},
      {aHyoB, 1, 4, aHyoB},
      {aHyoB, 1, 2, "a"},
      {aHyoB, 1, 3, "a" + kHyo},
      {aHyoB, 3, 2, "b"},  // byte 3 is the second byte of 表
      {aHyoB, 4, 1, "b"},
      {aHyoB, 4, 9, "b"},
      {aHyoB, 5, 1, ""},
      {aHyoB, 0, 3, ""},
      {aHyoB, -1, 3, ""},
      {aHyoB, 1, 0, ""},
      {aHyoB, 1, -1, ""},
      {"", 1, 1, ""},
      {"a" + kLoneLead, 2, 1, kLoneLead},
      {aHyoB, 2, INT_MAX, kHyo + "b"},
      {aHyoB, INT_MAX, INT_MAX, ""},
      {aHyoB, INT_MIN, INT_MAX, ""},
      {aHyoB, 1, INT_MAX, aHyoB},
  };
  for (const auto& row : rows) {
    int taken = -99;
    EXPECT_EQ(MidBytes(row.s, row.start, row.count, taken), row.expected)
        << Show(row.s) << " from " << row.start << " count " << row.count;
    EXPECT_EQ(taken, static_cast<int>(row.expected.size()))
        << Show(row.s) << " from " << row.start << " count " << row.count;
  }
}

// ---- buffers ----------------------------------------------------------------------

TEST(ShiftJis, RemoveBlanks) {
  const struct {
    std::string s;
    std::string expected;
  } rows[] = {
      {"", ""},
      {"a b" + kIdeoSpace + "c", "abc"},
      {kIdeoSpace, ""},
      {"\t a\r\n\x1F", "a"},
      {kHyo + " " + kSo, kHyo + kSo},
      {"\x81\x41", "\x81\x41"},                  // 、 is no blank
      {"\x95\x81\x40", "\x95\x81\x40"},          // 95 81 is a character, the 40 a plain '@'
      {"\x95\x20", "\x95\x20"},                  // a second byte is never examined
      {"\x95\x09", "\x95\x09"},
      {"a" + kLoneLead, "a" + kLoneLead},
      {"\x7F", "\x7F"},                          // DEL is not a control byte here
  };
  for (const auto& row : rows) EXPECT_EQ(RemoveBlanks(row.s), row.expected) << Show(row.s);
}

TEST(ShiftJis, CleanJwwText) {
  const struct {
    std::string s;
    std::string expected;
  } rows[] = {
      {"", ""},
      {"abc^mdef", "abcdef"},
      {"^m", " "},
      {"^m^m", " "},
      {"\r\n", " "},
      {"^M", "^M"},  // only lower-case m
      {"a^Mb", "a^Mb"},
      {"^", "^"},
      {"a^", "a^"},
      {"^^m", "^"},
      {"m^mm", "mm"},
      {"a\tb", "ab"},
      {kShin + "m", kShin + "m"},  // the '^' is the second byte of 真
      {"\x95^m", "\x95^m"},
      {"a^m" + kHyo, "a" + kHyo},
      {"a" + kLoneLead, "a" + kLoneLead},
      {"\x80\x0A", "\x80\x0A"},  // second bytes are kept whatever they are
      {"\xFD\x0A", "\xFD\x0A"},
      {"\xFE\x0A", "\xFE"},
      // a pair that only meets once something between is gone goes too
      {"^^mm", " "},
      {"a^\x01mb", "ab"},
      {"x^^m\tm", "x"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CleanJwwText(row.s), row.expected) << Show(row.s);
    EXPECT_EQ(CleanJwwText(CleanJwwText(row.s)), CleanJwwText(row.s)) << "cleaning twice " << Show(row.s);
  }
}

TEST(ShiftJis, RemoveControlChars) {
  const struct {
    std::string s;
    std::string expected;
  } rows[] = {
      {"", ""},
      {"a" + kLoneLead, "a"},
      {kLoneLead, ""},
      {"a" + kHyo + kLoneLead, "a" + kHyo},
      {"a\tb\x1F", "ab"},
      {kHyo + "\n", kHyo},
      {"\x95\x0A", "\x95\x0A"},
      {"\x80\x01", "\x80\x01"},
      {"\xFD\x01", "\xFD\x01"},
      {"\x80", ""},
      {"\xFD", ""},
      {"\xFE\x01", "\xFE"},
      {"\x7F^m", "\x7F^m"},
      {"\x82\x82\xA0", "\x82\x82\xA0"},
  };
  for (const auto& row : rows) EXPECT_EQ(RemoveControlChars(row.s), row.expected) << Show(row.s);
}

// ---- booleans ---------------------------------------------------------------------

TEST(ShiftJis, TextToBool) {
  const struct {
    std::string s;
    bool expected;
  } rows[] = {
      {"T", true},
      {"TR", true},
      {"TRU", true},
      {"TRUE", true},
      {"t", true},
      {"tRu", true},
      {" true", true},
      {"t r u e", true},
      {"Tr\tue\r\n", true},
      {kIdeoSpace + "true" + kIdeoSpace, true},
      {"1", true},
      {" 1 ", true},
      {kWideOne, true},
      {kIdeoSpace + kWideOne + kIdeoSpace, true},
      {kCircle, true},
      {"On", true},
      {"o N", true},
      {kShin, true},
      {kSei, true},
      {" " + kSei + kIdeoSpace, true},
      {"", false},
      {" ", false},
      {kIdeoSpace, false},
      {"0", false},
      {"2", false},
      {kWideTwo, false},
      {"FALSE", false},
      {"F", false},
      {"TRUEE", false},
      {"TT", false},
      {"YES", false},
      {"ONN", false},
      {"01", false},
      {"1.0", false},
      {kShin + kShin, false},
      {"\x82\x93", false},  // full-width s, not folded and not accepted
  };
  for (const auto& row : rows) EXPECT_EQ(TextToBool(row.s), row.expected) << Show(row.s);
}

TEST(ShiftJis, BoolToTextRoundTrips) {
  EXPECT_EQ(BoolToText(true), "1");
  EXPECT_EQ(BoolToText(false), "0");
  for (bool b : {false, true}) EXPECT_EQ(TextToBool(BoolToText(b)), b);
}

// ---- numbers ----------------------------------------------------------------------

TEST(ShiftJis, TextToInt) {
  const struct {
    std::string s;
    std::int32_t expected;
  } rows[] = {
      {"", 0},
      {"0", 0},
      {"42", 42},
      {" 42", 42},
      {"   -42", -42},
      {"+42", 42},
      {"-0", 0},
      {"00000000000000000042", 42},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"+2147483647", INT32_MAX},
      {"2147483648", 0},
      {"-2147483649", 0},
      {"4294967295", 0},
      {"4294967296", 0},
      {"99999999999999999999999999", 0},
      // hexadecimal
      {"$1F", 31},
      {"$1f", 31},
      {"x1F", 31},
      {"X1f", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {" $10", 16},
      {"+$1F", 31},
      {"-$1F", -31},
      {"-0x10", -16},
      {"$0", 0},
      {"$000000001F", 31},  // leading zeros do not count against the width
      {"$7FFFFFFF", INT32_MAX},
      {"$80000000", INT32_MIN},
      {"$FFFFFFFF", -1},  // a 32-bit pattern
      {"$FFFFFFFE", -2},
      {"-$FFFFFFFF", 1},  // the sign negates the pattern
      {"-$80000000", INT32_MIN},
      {"$100000000", 0},
      {"$FFFFFFFFFFFFFFFFFFFF", 0},
      // not a whole number
      {"42 ", 0},
      {" ", 0},
      {"-", 0},
      {"+", 0},
      {"--1", 0},
      {"+-1", 0},
      {"- 42", 0},
      {"4 2", 0},
      {"\t42", 0},
      {kIdeoSpace + "42", 0},
      {kWideOne, 0},
      {std::string("42\0", 3), 0},
      {"1F", 0},
      {"1e3", 0},
      {"3.0", 0},
      {"$", 0},
      {"x", 0},
      {"0x", 0},
      {"$G", 0},
      {"$ 1F", 0},
      {"$-1", 0},
      {"0x-1", 0},
      {"0x0x1", 0},
      {"00x1", 0},
      {"$1F ", 0},
  };
  for (const auto& row : rows) EXPECT_EQ(TextToInt(row.s), row.expected) << Show(row.s);
}

struct FloatRow {
  std::string s;
  double expected;
};

const std::vector<FloatRow>& FloatRows() {
  static const std::vector<FloatRow> rows = {
      {"", 0.0},
      {"0", 0.0},
      {"1.5e3", 1500.0},
      {"1,5", 0.0},
      {" 2", 2.0},
      {"   2.5", 2.5},
      {"2 ", 0.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"-.5", -0.5},
      {"+1.5", 1.5},
      {"e3", 0.0},
      {"-0.25E-2", -0.0025},
      {"1E+2", 100.0},
      {"1e-2", 0.01},
      {"0.1", 0.1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"2.2250738585072014E-308", std::numeric_limits<double>::min()},
      {"00012.50000", 12.5},
      // not a whole decimal real
      {".", 0.0},
      {"-", 0.0},
      {"+", 0.0},
      {"1e", 0.0},
      {"1e+", 0.0},
      {"1e 3", 0.0},
      {"1.2.3", 0.0},
      {"1e3.5", 0.0},
      {"--2", 0.0},
      {"+-2", 0.0},
      {"- 2", 0.0},
      {"\t2", 0.0},
      {kWideOne, 0.0},
      {"inf", 0.0},
      {"-INF", 0.0},
      {"nan", 0.0},
      {"0x1p3", 0.0},
      {"1d3", 0.0},
      {std::string("2\0", 2), 0.0},
      {"1e400", 0.0},  // out of range
  };
  return rows;
}

void ExpectFloatRows(const char* where) {
  for (const auto& row : FloatRows()) EXPECT_EQ(TextToFloat(row.s), row.expected) << Show(row.s) << where;
}

TEST(ShiftJis, TextToFloat) { ExpectFloatRows(""); }

TEST(ShiftJis, TextToFloatIgnoresADecimalCommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                               "German_Germany.1252", "German", "de-DE"};
  const char* found = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
      found = name;
      break;
    }
  }
  if (found == nullptr) {
    std::setlocale(LC_ALL, saved.c_str());
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  const std::string where = std::string(" in locale ") + found;
  ExpectFloatRows(where.c_str());
  EXPECT_EQ(TextToInt("1,5"), 0) << where;
  std::setlocale(LC_ALL, saved.c_str());
}

// ---- case ---------------------------------------------------------------------------

TEST(ShiftJis, UpperCaseFoldsAsciiLettersOnly) {
  const struct {
    std::string s;
    std::string expected;
  } rows[] = {
      {"", ""},
      {"abc", "ABC"},
      {"`az{", "`AZ{"},
      {"\x83\x61", "\x83\x61"},  // one character; its second byte is no letter 'a'
      {"a\x83\x61" "b", "A\x83\x61" "B"},
      {"\x80\x61", "\x80\x61"},
      {"\xFD\x7A", "\xFD\x7A"},
      {"\xFE\x61", "\xFE" "A"},
      {"a" + kLoneLead, "A" + kLoneLead},
      {"\x82\x81", "\x82\x81"},  // full-width a stays
      {"img\\" + kHyo + "a.bmp", "IMG\\" + kHyo + "A.BMP"},
  };
  for (const auto& row : rows) EXPECT_EQ(UpperCase(row.s), row.expected) << Show(row.s);
}

// ---- paths --------------------------------------------------------------------------

TEST(ShiftJis, LastSeparator) {
  const struct {
    std::string path;
    std::size_t expected;
  } rows[] = {
      {"", npos},
      {"abc", npos},
      {"a\\b", 1},
      {"C:", 1},
      {"C:\\dir\\file", 6},
      {"dir/file", 3},
      {"a:b\\c/d", 5},
      {"dir\\" + kHyo, 3},  // not 5, the second byte of 表
      {"C:\\" + kHyo + "\\x", 5},
      {kSo + kNou, npos},
      {"a\\" + kLoneLead, 1},
      {"\x80\\", npos},
      {"\xFD/", npos},
      {"\xFE\\", 1},
  };
  for (const auto& row : rows) EXPECT_EQ(LastSeparator(row.path), row.expected) << Show(row.path);
}

TEST(ShiftJis, ExtractPathParts) {
  const struct {
    std::string path;
    std::string folder;
    std::string name;
    std::string ext;
  } rows[] = {
      {"C:\\dir\\file.jww", "C:\\dir\\", "file.jww", ".jww"},
      {"file.jww", "", "file.jww", ".jww"},
      {"", "", "", ""},
      {"C:\\" + kHyo + "\\a.bmp", "C:\\" + kHyo + "\\", "a.bmp", ".bmp"},
      {"C:\\dir\\" + kHyo, "C:\\dir\\", kHyo, ""},
      {"C:\\" + kHyo, "C:\\", kHyo, ""},  // a folder ending in 表 with no separator after it
      {"C:\\" + kSo + kNou + "\\", "C:\\" + kSo + kNou + "\\", "", ""},
      {"\\\\server\\" + kNou + "\\" + kSo + ".png", "\\\\server\\" + kNou + "\\", kSo + ".png", ".png"},
      {"C:\\dir.d\\file", "C:\\dir.d\\", "file", ""},
      {"a.b.c", "", "a.b.c", ".c"},
      {".hidden", "", ".hidden", ".hidden"},
      {"file.", "", "file.", "."},
      {"C:", "C:", "", ""},
      {"C:file.txt", "C:", "file.txt", ".txt"},
      {"dir/sub/x.png", "dir/sub/", "x.png", ".png"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ExtractFilePath(row.path), row.folder) << Show(row.path);
    EXPECT_EQ(ExtractFileName(row.path), row.name) << Show(row.path);
    EXPECT_EQ(ExtractFileExt(row.path), row.ext) << Show(row.path);
    EXPECT_EQ(ExtractFilePath(row.path) + ExtractFileName(row.path), row.path) << Show(row.path);
  }
}

TEST(ShiftJis, IsAbsolutePath) {
  // rooted by either separator or by a drive; the UTF-16 form agrees
  const struct {
    std::string path;
    bool absolute;
  } rows[] = {
      {"\\img\\a.bmp", true}, {"/img/a.bmp", true}, {"\\\\server\\a.bmp", true}, {"C:\\a.bmp", true},
      {"C:a.bmp", true},      {"img\\a.bmp", false}, {"img/a.bmp", false},     {"a", false},
      {"", false},            {kHyo + "\\a.bmp", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(text::IsAbsolutePath(row.path), row.absolute) << Show(row.path);
    EXPECT_EQ(text::IsAbsolutePath(std::u16string(row.path.begin(), row.path.end())), row.absolute) << Show(row.path);
  }
}

TEST(ShiftJis, ChangeFileExt) {
  const struct {
    std::string path;
    std::string ext;
    std::string expected;
  } rows[] = {
      {"C:\\dir\\a.jww", ".dat", "C:\\dir\\a.dat"},
      {"C:\\" + kHyo + "\\prog.exe", ".dat", "C:\\" + kHyo + "\\prog.dat"},
      {"C:\\dir.d\\a", ".dat", "C:\\dir.d\\a.dat"},
      {"C:\\dir\\" + kHyo, ".dat", "C:\\dir\\" + kHyo + ".dat"},
      {"a.b.c", "", "a.b"},
      {"a", ".x", "a.x"},
      {"", ".dat", ".dat"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ChangeFileExt(row.path, row.ext), row.expected) << Show(row.path) << " " << Show(row.ext);
  }
}

TEST(ShiftJis, IncludeTrailingBackslash) {
  const struct {
    std::string path;
    std::string expected;
  } rows[] = {
      {"", "\\"},
      {"C:\\dir", "C:\\dir\\"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"C:\\" + kHyo, "C:\\" + kHyo + "\\"},
      {"C:\\" + kSo, "C:\\" + kSo + "\\"},
      {"C:\\" + kNou, "C:\\" + kNou + "\\"},
      {"C:\\" + kHyo + "\\", "C:\\" + kHyo + "\\"},
      {"dir/", "dir/\\"},  // only a backslash counts
      {"C:\\" + kLoneLead, "C:\\" + kLoneLead + "\\"},  // not text, the 0x5C becomes a second byte
  };
  for (const auto& row : rows) EXPECT_EQ(IncludeTrailingBackslash(row.path), row.expected) << Show(row.path);
}

// ---- any input ----------------------------------------------------------------------

// Every string of up to two bytes, and longer mixes, through every helper with extreme
// positions and counts: nothing fails, and the position helpers keep their invariants.
TEST(ShiftJis, NoHelperFailsOnAnyInput) {
  std::vector<std::string> inputs;
  for (int a = 0; a < 256; ++a) {
    inputs.push_back(std::string(1, static_cast<char>(a)));
    for (int b = 0; b < 256; ++b) inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
  }
  inputs.push_back("");
  inputs.push_back("a" + kHyo + "b" + kSo + kLoneLead);
  inputs.push_back("C:\\" + kNou + "\\x.y^m\t" + kIdeoSpace + "\x80\xFD");
  const int numbers[] = {INT_MIN, -1, 0, 1, 2, 3, INT_MAX};

  for (const std::string& s : inputs) {
    const int length = static_cast<int>(s.size());
    const int count = CharCount(s);
    ASSERT_EQ(CharCopy(s, 1, INT_MAX), s) << Show(s);
    ASSERT_EQ(RightBytes(s, length), s) << Show(s);
    int taken = -1;
    ASSERT_EQ(MidBytes(s, 1, length, taken), s) << Show(s);
    for (int k = 0; k <= count; ++k) {
      ASSERT_EQ(CharCopy(s, 1, k) + CharCopy(s, k + 1, INT_MAX), s) << Show(s) << " split " << k;
    }
    for (int i : numbers) {
      const std::string right = RightBytes(s, i);
      ASSERT_LE(right.size(), s.size());
      ASSERT_EQ(s.compare(s.size() - right.size(), right.size(), right), 0) << Show(s) << " " << i;
      for (int c : numbers) {
        ASSERT_LE(CharCount(CharCopy(s, i, c)), std::max(c, 0)) << Show(s) << " " << i << " " << c;
        const std::string mid = MidBytes(s, i, c, taken);
        ASSERT_EQ(static_cast<int>(mid.size()), taken) << Show(s) << " " << i << " " << c;
        ASSERT_LE(taken, std::max(c, 0));
      }
    }
    (void)RemoveBlanks(s);
    (void)CleanJwwText(s);
    (void)RemoveControlChars(s);
    (void)TextToBool(s);
    (void)TextToInt(s);
    (void)TextToFloat(s);
    ASSERT_EQ(UpperCase(s).size(), s.size());
    ASSERT_EQ(UpperCase(UpperCase(s)), UpperCase(s)) << Show(s);
    (void)LastSeparator(s);
    ASSERT_EQ(ExtractFilePath(s) + ExtractFileName(s), s) << Show(s);
    (void)ExtractFileExt(s);
    (void)ChangeFileExt(s, ".x");
    const std::string folder = IncludeTrailingBackslash(s);
    ASSERT_TRUE(folder == s || folder == s + "\\") << Show(s);
  }
}

}  // namespace
