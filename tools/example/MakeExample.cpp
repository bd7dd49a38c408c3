// make-example DIR: writes DIR/plan.jww, a small drawing whose texts show images the way
// the drafting program refers to them, and the images it finds:
//   img\a.bmp         relative to the drawing
//   <DIR>\photo\b.bmp  by its absolute path
//   img\lost.bmp      missing
//   img\c.bmp         from inside a block definition
// make-example --utf16 DIR: the same drawing with paths that have no Shift-JIS form, so
// that the drawing holds them as UTF-16 units:
//   uni\é.bmp, <DIR>个人\😀.bmp, uni\lost-é.bmp (missing), café\c.bmp (in the block)
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "fixture/DrawingBuilder.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace {

// A 2 x 2 pixel, 24-bit BMP in one colour.
std::vector<unsigned char> TinyBitmap(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::vector<unsigned char> b;
  auto u16 = [&b](std::uint32_t v) {
    for (int i = 0; i < 2; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  auto u32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  constexpr std::uint32_t kRowBytes = 8;  // two pixels of three bytes, padded to four
  constexpr std::uint32_t kPixelOffset = 14 + 40;
  b.push_back('B');
  b.push_back('M');
  u32(kPixelOffset + 2 * kRowBytes);  // file size
  u32(0);                             // reserved
  u32(kPixelOffset);                  // offset of the pixels
  u32(40);                            // info header size
  u32(2);                             // width
  u32(2);                             // height
  u16(1);                             // planes
  u16(24);                            // bits per pixel
  u32(0);                             // no compression
  u32(2 * kRowBytes);                 // pixel bytes
  u32(2835);                          // 72 dots per inch, horizontally
  u32(2835);                          // and vertically
  u32(0);                             // colours used
  u32(0);                             // important colours
  for (int row = 0; row < 2; ++row) {
    for (int pixel = 0; pixel < 2; ++pixel) {
      b.push_back(blue);
      b.push_back(green);
      b.push_back(red);
    }
    b.push_back(0);
    b.push_back(0);
  }
  return b;
}

template <class Path>
bool WriteFile(const Path& path, const std::vector<unsigned char>& bytes) {
  platform::OutputFile file;
  if (!file.Create(path)) return false;
  const bool written = file.Write(bytes.data(), bytes.size()) == bytes.size() && file.Flush();
  return file.Close() && written;
}

fixture::TextEntity Text(const std::string& s, double y) {
  fixture::TextEntity text;
  text.startY = y;
  text.endY = y + 0.5;
  text.Text = s;
  return text;
}

// A text held as UTF-16 units, as the reader holds one with no Shift-JIS form.
fixture::TextEntity Text(const std::u16string& s, double y) {
  fixture::TextEntity text = Text(std::string(), y);
  text.Text = fixture::Str(jww::BytesOf(s), jww::StringForm::Utf16);
  return text;
}

// "^@BM" + image path + "," + width, height and placement values
template <class Path>
Path Reference(const Path& path) {
  return text::Ascii<Path>("^@BM") + path + text::Ascii<Path>(",40,30,0,0,1,0");
}

// The example's references, in the form of Path: relative, absolute, missing, in a block.
template <class Path>
struct References {
  Path relative, absolute, missing, inBlock;
};

template <class Path>
fixture::Drawing ExampleDrawing(const References<Path>& refs) {
  fixture::Drawing d;
  d.stringForm = jww::StringForm::Unicode;  // as the drafting program writes version 700
  d.entities.push_back(fixture::LineEntity{});
  fixture::ArcEntity circle;
  circle.FullCircle = 1;
  d.entities.push_back(circle);
  d.entities.push_back(Text("Quorvane example", 100.0));
  d.entities.push_back(Text(Reference(refs.relative), 60.0));
  d.entities.push_back(Text(Reference(refs.absolute), 30.0));
  d.entities.push_back(Text(Reference(refs.missing), 0.0));

  fixture::BlockDef parts;
  parts.Number = 1;
  parts.Name = "parts";
  parts.entities.push_back(fixture::LineEntity{});
  parts.entities.push_back(Text(Reference(refs.inBlock), -30.0));
  d.blockDefs.push_back(parts);
  fixture::BlockEntity insert;
  insert.blockNumber = 1;
  d.entities.push_back(insert);
  return d;
}

int Run(int argc, char** argv) {
  std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  const bool utf16 = !args.empty() && args[0].sjis == "--utf16";
  if (utf16) args.erase(args.begin());
  if (args.size() != 1 || !args[0].representable) {
    platform::WriteStderr("usage: make-example [--utf16] DIR\n");
    return 2;
  }
  std::string folder = args[0].sjis;
  const bool whole = folder.starts_with("\\") || (folder.size() >= 2 && folder[1] == ':');
  if (!whole) folder = platform::CurrentFolder() + folder;  // the absolute reference needs a whole path
  // a name ending in 表 ends in the byte of a backslash, but not in one
  folder = text::IncludeTrailingBackslash(folder);
  platform::MakeFolder(folder);
  bool written = false;
  if (utf16) {
    std::u16string units;
    platform::Cp932ToUtf16(folder, units);
    for (const char16_t* sub : {u"uni\\", u"个人\\", u"café\\"}) platform::MakeFolder(units + sub);
    written = WriteFile(units + u"uni\\é.bmp", TinyBitmap(220, 40, 40)) &&
              WriteFile(units + u"个人\\😀.bmp", TinyBitmap(40, 160, 60)) &&
              WriteFile(units + u"café\\c.bmp", TinyBitmap(40, 70, 220)) &&
              fixture::WriteDrawing(folder + "plan.jww",
                                    ExampleDrawing<std::u16string>({u"uni\\é.bmp", units + u"个人\\😀.bmp",
                                                                    u"uni\\lost-é.bmp", u"café\\c.bmp"}));
  } else {
    platform::MakeFolder(folder + "img\\");
    platform::MakeFolder(folder + "photo\\");
    written = WriteFile(folder + "img\\a.bmp", TinyBitmap(220, 40, 40)) &&
              WriteFile(folder + "photo\\b.bmp", TinyBitmap(40, 160, 60)) &&
              WriteFile(folder + "img\\c.bmp", TinyBitmap(40, 70, 220)) &&
              fixture::WriteDrawing(folder + "plan.jww",
                                    ExampleDrawing<std::string>({"img\\a.bmp", folder + "photo\\b.bmp",
                                                                 "img\\lost.bmp", "img\\c.bmp"}));
  }
  if (!written) {
    platform::WriteStderr("make-example: cannot write into " + args[0].display + "\n");
    return 1;
  }
  platform::WriteStdout(platform::NativePathForDisplay(folder + "plan.jww") + "\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    platform::WriteStderr(std::string("make-example: ") + e.what() + "\n");
  }
  return 1;
}
