#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"

using jww::ArchiveError;
using jww::ArchiveReader;
using jww::ArchiveWriter;
using jww::JwwString;
using jww::MemorySink;
using jww::MemorySource;
using jww::StringForm;
using testsupport::Hex;

namespace {

template <typename Fn>
std::vector<unsigned char> Written(Fn fn) {
  MemorySink sink;
  ArchiveWriter writer(sink);
  fn(writer);
  writer.Flush();
  return sink.Bytes();
}

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string Filled(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

}  // namespace

TEST(ArchiveWriter, StringLengthForms) {
  struct Row {
    std::size_t length;
    std::string prefix;
  };
  const Row rows[] = {
      {0, Hex("00")},
      {254, Hex("FE")},
      {255, Hex("FF FF 00")},
      {256, Hex("FF 00 01")},
      {300, Hex("FF 2C 01")},
      {0xFFFD, Hex("FF FD FF")},
      // from 0xFFFE on the word would read as the Unicode marker or the dword escape
      {0xFFFE, Hex("FF FF FF FE FF 00 00")},
      {0xFFFF, Hex("FF FF FF FF FF 00 00")},
      {70000, Hex("FF FF FF 70 11 01 00")},
  };
  for (const Row& row : rows) {
    const std::string text = Filled(row.length);
    const auto bytes = Written([&](ArchiveWriter& w) { w.WriteString(JwwString(text)); });
    ASSERT_EQ(bytes.size(), row.prefix.size() + row.length) << row.length;
    EXPECT_EQ(AsString(bytes).substr(0, row.prefix.size()), row.prefix) << row.length;

    MemorySource source(bytes.data(), bytes.size());
    ArchiveReader reader(source);
    const JwwString back = reader.ReadString();
    EXPECT_EQ(back.bytes, text) << row.length;
    EXPECT_EQ(back.form, StringForm::Ansi);
    EXPECT_EQ(reader.Remaining(), 0u);
  }
}

TEST(ArchiveReader, ReadsTheUnicodeForm) {
  // FF FE FF, a byte length in UTF-16 units, then the units: "表A"
  const std::string stored = Hex("FF FE FF 02 68 88 41 00");
  MemorySource source(stored.data(), stored.size());
  ArchiveReader reader(source);
  const JwwString s = reader.ReadString();
  EXPECT_EQ(s.form, StringForm::Unicode);
  EXPECT_EQ(s.bytes, Hex("95 5C 41"));
}

TEST(ArchiveString, UnicodeFormRoundTripsAtEveryLengthForm) {
  for (std::size_t units : {0u, 1u, 254u, 255u, 0xFFFDu, 0xFFFEu, 70000u}) {
    std::string sjis;
    for (std::size_t i = 0; i < units; ++i) sjis += (i % 2) ? Hex("83 5C") : std::string("x");  // ソx...
    const JwwString original(sjis, StringForm::Unicode);
    const auto bytes = Written([&](ArchiveWriter& w) { w.WriteString(original); });
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(AsString(bytes).substr(0, 3), Hex("FF FE FF")) << units;
    MemorySource source(bytes.data(), bytes.size());
    ArchiveReader reader(source);
    EXPECT_EQ(reader.ReadString(), original) << units;
    EXPECT_EQ(reader.Remaining(), 0u);
  }
}

TEST(ArchiveString, CharacterWithoutShiftJisFormIsKeptAsUnits) {
  // "é" and a control character: no Shift-JIS form, so the units are held as they are
  const std::string stored = Hex("FF FE FF 03 E9 00 09 00 41 00");
  MemorySource source(stored.data(), stored.size());
  ArchiveReader reader(source);
  const JwwString s = reader.ReadString();
  EXPECT_EQ(s.form, StringForm::Utf16);
  EXPECT_EQ(s.Sjis(), "");
  EXPECT_EQ(AsString(Written([&](ArchiveWriter& w) { w.WriteString(s); })), stored);

  MemorySource again(stored.data(), stored.size());
  ArchiveReader cleanReader(again);
  EXPECT_EQ(cleanReader.ReadCleanString().bytes, Hex("E9 00 41 00"));
}

TEST(ArchiveString, BytesSurviveAndCleanReadDropsControls) {
  const std::string raw = std::string("a\0b\r\nc", 6) + Hex("95 5C");
  const auto bytes = Written([&](ArchiveWriter& w) {
    w.WriteString(JwwString(raw));
    w.WriteString(JwwString(raw));
  });
  MemorySource source(bytes.data(), bytes.size());
  ArchiveReader reader(source);
  EXPECT_EQ(reader.ReadString().bytes, raw);
  EXPECT_EQ(reader.ReadCleanString().bytes, "abc" + Hex("95 5C"));
}

TEST(ArchiveCount, EscapesToDwordAtFFFF) {
  struct Row {
    std::uint32_t count;
    std::string bytes;
  };
  const Row rows[] = {
      {0, Hex("00 00")},
      {65534, Hex("FE FF")},
      {65535, Hex("FF FF FF FF 00 00")},
      {0x12345678, Hex("FF FF 78 56 34 12")},
  };
  for (const Row& row : rows) {
    const auto bytes = Written([&](ArchiveWriter& w) { w.WriteCount(row.count); });
    EXPECT_EQ(AsString(bytes), row.bytes) << row.count;
    MemorySource source(bytes.data(), bytes.size());
    ArchiveReader reader(source);
    EXPECT_EQ(reader.ReadCount(), row.count);
  }
}

TEST(ArchiveClassTag, ReferencesAroundTheLongForm) {
  EXPECT_EQ(AsString(Written([](ArchiveWriter& w) { w.WriteClassRef(0x7FFE); })), Hex("FE FF"));
  EXPECT_EQ(AsString(Written([](ArchiveWriter& w) { w.WriteClassRef(0x7FFF); })), Hex("FF 7F FF 7F 00 80"));
}

TEST(ArchiveClassTag, NewClassThenReferenceShareOneMapCounter) {
  const auto bytes = Written([](ArchiveWriter& w) {
    w.WriteClassTag(jww::kLineClass, 700);  // index 1
    w.AdvanceMapCounter();                  // the line, object 2
    w.WriteClassTag(jww::kTextClass, 700);  // index 3
    w.AdvanceMapCounter();                  // object 4
    w.WriteClassTag(jww::kLineClass, 700);
    w.WriteClassTag(jww::kTextClass, 700);
  });
  const std::string expected = Hex("FF FF BC 02 08 00") + "CDataSen" + Hex("FF FF BC 02 09 00") + "CDataMoji" +
                               Hex("01 80 03 80");
  EXPECT_EQ(AsString(bytes), expected);

  MemorySource source(bytes.data(), bytes.size());
  ArchiveReader reader(source);
  EXPECT_EQ(reader.ReadClassTag(false), jww::kLineClass);
  reader.AdvanceMapCounter();
  EXPECT_EQ(reader.ReadClassTag(false), jww::kTextClass);
  reader.AdvanceMapCounter();
  EXPECT_EQ(reader.ReadClassTag(false), jww::kLineClass);
  EXPECT_EQ(reader.ReadClassTag(false), jww::kTextClass);
}

TEST(ArchiveClassTag, UnknownNamesAndIndexesYieldNoClass) {
  const std::string bytes = Hex("FF FF BC 02 06 00") + "COther" + Hex("01 80 05 80 FF 7F 01 00 00 80");
  MemorySource source(bytes.data(), bytes.size());
  ArchiveReader reader(source);
  EXPECT_EQ(reader.ReadClassTag(false), jww::kNoClass);
  EXPECT_EQ(reader.MapCounter(), 2u);  // an unknown class still takes its index
  EXPECT_EQ(reader.ReadClassTag(false), jww::kNoClass);
  EXPECT_EQ(reader.ReadClassTag(false), jww::kNoClass);
  EXPECT_EQ(reader.ReadClassTag(false), jww::kNoClass);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ArchiveClassTag, AnyNameOpensTheBlockDefinitionList) {
  const std::string bytes = Hex("FF FF BC 02 04 00") + "Oops" + Hex("01 80");
  MemorySource source(bytes.data(), bytes.size());
  ArchiveReader reader(source);
  EXPECT_EQ(reader.ReadClassTag(true), jww::kBlockDefClass);
  EXPECT_EQ(reader.ReadClassTag(true), jww::kBlockDefClass);
}

TEST(ArchiveReader, EveryPrefixOfAnArchiveFailsCleanly) {
  const auto bytes = Written([](ArchiveWriter& w) {
    w.WriteU32(0x11223344);
    w.WriteF64(1.5);
    w.WriteString(JwwString(Filled(300)));
    w.WriteString(JwwString(Hex("95 5C"), StringForm::Unicode));
    w.WriteCount(70000);
    w.WriteClassTag(jww::kArcClass, 700);
  });
  auto readAll = [](ArchiveReader& r) {
    EXPECT_EQ(r.ReadU32(), 0x11223344u);
    EXPECT_EQ(r.ReadF64(), 1.5);
    r.ReadString();
    r.ReadString();
    r.ReadCount();
    r.ReadClassTag(false);
  };
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    MemorySource source(bytes.data(), n);
    ArchiveReader reader(source);
    EXPECT_THROW(readAll(reader), ArchiveError) << "prefix " << n;
  }
  MemorySource whole(bytes.data(), bytes.size());
  ArchiveReader reader(whole);
  EXPECT_NO_THROW(readAll(reader));
}

TEST(ArchiveReader, HugeLengthsFailBeforeAllocating) {
  // the bound's own failure, not the end of the file reached after allocating
  const struct {
    std::string bytes;
    bool classTag;
    std::string why;
  } rows[] = {
      {Hex("FF FF FF FF FF FF 7F"), false, "string length 2147483647 cannot fit in the 0 bytes left"},
      {Hex("FF FE FF FF FF FF FF FF FF 7F"), false, "string length 2147483647 cannot fit in the 0 bytes left"},
      {Hex("FF FF BC 02 60 EA"), true, "class name of 60000 bytes is too long"},
  };
  for (const auto& row : rows) {
    MemorySource source(row.bytes.data(), row.bytes.size());
    ArchiveReader reader(source);
    try {
      row.classTag ? reader.ReadClassTag(false) : (reader.ReadString(), 0);
      ADD_FAILURE() << row.why;
    } catch (const ArchiveError& e) {
      EXPECT_EQ(std::string(e.what()), row.why);
      EXPECT_EQ(e.Offset(), 0u);
    }
  }
}

TEST(ArchiveWriter, FailedSinkRaises) {
  struct FullSink : jww::ByteSink {
    bool Write(const void*, std::size_t) override { return false; }
  } sink;
  ArchiveWriter writer(sink);
  writer.WriteU32(1);
  EXPECT_THROW(writer.Flush(), ArchiveError);
}
