// make-example DIR: writes DIR/plan.jww, a small drawing whose texts show images the way
// the drafting program refers to them, and the images it finds:
//   img\a.bmp         relative to the drawing
//   <DIR>\photo\b.bmp  by its absolute path
//   img\lost.bmp      missing
//   img\c.bmp         from inside a block definition
// make-example --project DIR: that drawing in a small project to check, beside
//   1F\配置図.jww    images in each format a page shows (写真\site.jpg, ..\img\logo.gif,
//                    ..\img\plan.png), one stored inside it and one whose entry is gone,
//                    one switched off, one moved to archive\moved\ (found by a search
//                    of archive), and hostile texts: a reference and a block name
//                    holding markup, quotes and "&"
//   2F\broken.jww    a file that is no drawing
// make-example --utf16 DIR: the same drawing with paths that have no Shift-JIS form, so
// that the drawing holds them as UTF-16 units:
//   uni\é.bmp, <DIR>个人\😀.bmp, uni\lost-é.bmp (missing), café\c.bmp (in the block)
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "TinyImages.h"
#include "fixture/DrawingBuilder.h"
#include "fixture/GzipStream.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace {

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
  // on the paper, so that a preview shows the block's image too
  insert.x = 60.0;
  insert.y = 0.0;
  d.entities.push_back(insert);
  return d;
}

// Shift-JIS for a text written here.
std::string Sjis(const std::u16string& units) {
  std::string sjis;
  platform::Utf16ToCp932(units, sjis);
  return sjis;
}

// The rest of the project around plan.jww.
bool WriteProject(const std::string& folder) {
  const std::string floor = folder + "1F\\";
  const std::string photos = floor + Sjis(u"写真\\");
  for (const std::string& sub : {floor, photos, folder + "archive\\", folder + "archive\\moved\\", folder + "2F\\"}) {
    platform::MakeFolder(sub);
  }
  fixture::Drawing d;
  d.stringForm = jww::StringForm::Unicode;
  d.entities.push_back(fixture::LineEntity{});
  const std::string references[] = {
      Sjis(u"^@BM写真\\site.jpg,40,30,0,0,1,0"),
      "^@BM..\\img\\logo.gif,40,30,0,0,1,0",
      "^@BM..\\img\\plan.png,40,30,0,0,1,0",
      "^@BM%temp%stamp.bmp,40,30,0,0,1,0",
      "^@BM%temp%gone.bmp,40,30,0,0,1,0",
      "_@BMC:\\old\\note.bmp,40,30,0,0,1,0",
      "^@BMC:\\old\\moved\\scan.png,40,30,0,0,1,0",
      "^@BM<script>alert(1)</script>&\"'.bmp,40,30,0,0,1,0",
  };
  double y = 0.0;
  for (const std::string& reference : references) d.entities.push_back(Text(reference, y -= 20.0));
  fixture::BlockDef block;
  block.Number = 1;
  block.Name = "<img src=x onerror=alert(2)>&\"'";
  block.entities.push_back(Text(std::string("^@BM..\\img\\c.bmp,40,30,0,0,1,0"), 0.0));
  d.blockDefs.push_back(block);
  fixture::BlockEntity insert;
  insert.blockNumber = 1;
  insert.x = 60.0;
  insert.y = 0.0;
  d.entities.push_back(insert);
  const std::vector<unsigned char> stamp = example::TinyBitmap({200, 200, 40});
  d.images.push_back({"stamp.bmp.gz", fixture::GzipStream(std::string(stamp.begin(), stamp.end())), {}});
  return WriteFile(photos + "site.jpg", example::TinyJpeg({240, 150, 30})) &&
         WriteFile(folder + "img\\logo.gif", example::TinyGif({150, 60, 200})) &&
         WriteFile(folder + "img\\plan.png", example::TinyPng({20, 170, 170})) &&
         WriteFile(folder + "archive\\moved\\scan.png", example::TinyPng({230, 60, 160})) &&
         WriteFile(folder + "2F\\broken.jww", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'w', 'w'}) &&
         fixture::WriteDrawing(floor + Sjis(u"配置図.jww"), d);
}

int Run(int argc, char** argv) {
  std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  const bool utf16 = !args.empty() && args[0].sjis == "--utf16";
  const bool project = !args.empty() && args[0].sjis == "--project";
  if (utf16 || project) args.erase(args.begin());
  if (args.size() != 1 || !args[0].representable) {
    platform::WriteStderr("usage: make-example [--utf16 | --project] DIR\n");
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
    written = WriteFile(units + u"uni\\é.bmp", example::TinyBitmap({220, 40, 40})) &&
              WriteFile(units + u"个人\\😀.bmp", example::TinyBitmap({40, 160, 60})) &&
              WriteFile(units + u"café\\c.bmp", example::TinyBitmap({40, 70, 220})) &&
              fixture::WriteDrawing(folder + "plan.jww",
                                    ExampleDrawing<std::u16string>({u"uni\\é.bmp", units + u"个人\\😀.bmp",
                                                                    u"uni\\lost-é.bmp", u"café\\c.bmp"}));
  } else {
    platform::MakeFolder(folder + "img\\");
    platform::MakeFolder(folder + "photo\\");
    written = WriteFile(folder + "img\\a.bmp", example::TinyBitmap({220, 40, 40})) &&
              WriteFile(folder + "photo\\b.bmp", example::TinyBitmap({40, 160, 60})) &&
              WriteFile(folder + "img\\c.bmp", example::TinyBitmap({40, 70, 220})) &&
              fixture::WriteDrawing(folder + "plan.jww",
                                    ExampleDrawing<std::string>({"img\\a.bmp", folder + "photo\\b.bmp",
                                                                 "img\\lost.bmp", "img\\c.bmp"})) &&
              (!project || WriteProject(folder));
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
