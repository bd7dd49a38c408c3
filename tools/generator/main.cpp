// make-drawing: writes a version-700 drawing of about the given size with a realistic mix
// of entities, block definitions with nested inserts, image references (found, missing,
// inside blocks) with their image files, and embedded images.
//
//   make-drawing FOLDER MEGABYTES [--refs N] [--distinct M] [--image-bytes B]
//
// writes FOLDER/drawing.jww and the images it refers to under FOLDER/img/.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fixture/DrawingBuilder.h"
#include "jww/Archive.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"

namespace {

using namespace jww;

template <typename Record>
void Add(EntityList& list, RecordArray<Record>& array, int classNo, Record r) {
  array.push_back(std::move(r));
  list.Order.push_back({classNo, static_cast<std::int32_t>(array.size() - 1)});
}

TEntJwwBase Base(std::mt19937& random) {
  TEntJwwBase b;
  b.LineType = static_cast<std::uint8_t>(1 + random() % 9);
  b.PenColor = static_cast<std::uint16_t>(1 + random() % 9);
  b.Layer = static_cast<std::uint16_t>(random() % 16);
  b.LayerGroup = static_cast<std::uint16_t>(random() % 16);
  return b;
}

double Coordinate(std::mt19937& random) { return static_cast<double>(random() % 100000) / 10.0; }

TEntJwwText Text(std::mt19937& random, JwwString s) {
  TEntJwwText t;
  static_cast<TEntJwwBase&>(t) = Base(random);
  t.StartX = Coordinate(random);
  t.StartY = Coordinate(random);
  t.EndX = t.StartX + 20;
  t.EndY = t.StartY;
  t.TextType = 1 + static_cast<std::int32_t>(random() % 10);
  t.SizeX = t.SizeY = 3.5;
  // ＭＳ ゴシック
  t.FontName = JwwString("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", s.form);
  t.Text = std::move(s);
  return t;
}

// Entities of every class, in a mix like a real floor plan's.
void AddMix(EntityList& list, std::mt19937& random, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned pick = random() % 100;
    if (pick < 62) {
      TEntJwwLine l;
      static_cast<TEntJwwBase&>(l) = Base(random);
      l.StartX = Coordinate(random);
      l.StartY = Coordinate(random);
      l.EndX = Coordinate(random);
      l.EndY = Coordinate(random);
      Add(list, list.Lines, kLineClass, l);
    } else if (pick < 72) {
      TEntJwwArc a;
      static_cast<TEntJwwBase&>(a) = Base(random);
      a.CenterX = Coordinate(random);
      a.Radius = 1 + random() % 500;
      a.ArcAngle = 6.283185307179586;
      a.Flatness = 1;
      a.FullCircle = 1;
      Add(list, list.Arcs, kArcClass, a);
    } else if (pick < 76) {
      TEntJwwPoint p;
      static_cast<TEntJwwBase&>(p) = Base(random);
      p.X = Coordinate(random);
      p.Y = Coordinate(random);
      Add(list, list.Points, kPointClass, p);
    } else if (pick < 90) {
      // one text in four in the Unicode form, as current drawings store them
      const StringForm form = random() % 4 == 0 ? StringForm::Unicode : StringForm::Ansi;
      // 居間 12.5畳
      Add(list, list.Texts, kTextClass, Text(random, JwwString("\x8B\x8F\x8A\xD4 12.5\x8F\xE4 #" + std::to_string(i), form)));
    } else if (pick < 93) {
      TEntJwwDim d;
      static_cast<TEntJwwBase&>(d) = Base(random);
      d.DimLine.EndX = Coordinate(random);
      d.DimText = Text(random, JwwString(std::to_string(random() % 10000)));
      Add(list, list.Dims, kDimClass, d);
    } else {
      TEntJwwSolid s;
      static_cast<TEntJwwBase&>(s) = Base(random);
      s.PenColor = pick % 2 ? 10 : 3;
      s.X2 = s.X3 = 10;
      s.Y3 = s.Y4 = 10;
      s.Color = 0x336699;
      Add(list, list.Solids, kSolidClass, s);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: make-drawing FOLDER MEGABYTES [--refs N] [--distinct M] [--image-bytes B]\n");
    return 2;
  }
  std::string folder = args[0].sjis;
  if (folder.back() != '\\') folder += '\\';
  const double megabytes = std::atof(args[1].display.c_str());
  std::size_t refs = 20, distinct = 10, imageBytes = 4096;
  for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
    const std::size_t value = std::strtoull(args[i + 1].display.c_str(), nullptr, 10);
    if (args[i].display == "--refs") refs = value;
    if (args[i].display == "--distinct") distinct = value;
    if (args[i].display == "--image-bytes") imageBytes = value;
  }
  platform::MakeFolder(folder);
  platform::MakeFolder(folder + "img\\");
  std::mt19937 random(20261207);

  // the image files: every tenth one missing
  std::string image(imageBytes, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(random());
  for (std::size_t i = 0; i < distinct; ++i) {
    if (i % 10 == 9) continue;
    image[0] = static_cast<char>(i);
    if (!fixture::WriteFileBytes(folder + "img\\photo" + std::to_string(i) + ".bmp", image)) return 1;
  }

  TJwwData d;
  d.Header.Version = 700;
  // every layer drawn, and the screen pens of a fresh drawing, so that a preview draws it all
  d.LayerGroups.resize(16);
  d.Layers.resize(256);
  for (auto& g : d.LayerGroups) g.State = 2;
  for (auto& l : d.Layers) l.State = 2;
  for (std::int32_t color : {0xFFFFFF, 0xC0C000, 0x000000, 0x00C000, 0xC0C000, 0xC000C0, 0xFF0000, 0x808000, 0x8000FF,
                             0xFF80FF}) {
    d.Pens.push_back({color, 1, color, 1, 0.5});
  }
  // block definitions: ten parts, each inserting the next twice, and their inserts
  for (std::int32_t n = 0; n < 10; ++n) {
    TEntJwwBlockDef def;
    def.Number = n;
    def.Name = JwwString("part" + std::to_string(n));
    AddMix(def, random, 200);
    if (n < 9) {
      for (int k = 0; k < 2; ++k) {
        TEntJwwBlock b;
        b.Number = n + 1;
        b.ScaleX = b.ScaleY = 1;
        Add(def, def.Blocks, kBlockClass, b);
      }
    }
    d.BlockDefs.push_back(std::move(def));
  }
  // image references: relative, absolute, and one in four inside a block definition
  for (std::size_t i = 0; i < refs; ++i) {
    const std::size_t which = i % distinct;
    const std::string name = "photo" + std::to_string(which) + ".bmp";
    const std::string path = i % 2 ? folder + "img\\" + name : "img\\" + name;
    TEntJwwText t = Text(random, JwwString("^@BM" + path + ",100,75,0,0,1,0"));
    if (i % 4 == 3) {
      Add(d.BlockDefs[i % 10], d.BlockDefs[i % 10].Texts, kTextClass, t);
    } else {
      Add(d, d.Texts, kTextClass, t);
    }
  }
  // two embedded images, kept because texts refer to them
  d.Images.SetTempFolder(folder + "scratch\\");
  platform::MakeFolder(d.Images.TempFolder());
  for (int i = 0; i < 2; ++i) {
    const std::string name = "embedded" + std::to_string(i) + ".bmp.gz";
    const auto bytes = [&image](const ImageStore::Sink& sink) {
      return sink(reinterpret_cast<const unsigned char*>(image.data()), image.size());
    };
    if (!d.Images.Add(JwwString(name), bytes)) return 1;
    Add(d, d.Texts, kTextClass, Text(random, JwwString("^@BM%temp%embedded" + std::to_string(i) + ".bmp,1,1")));
  }
  TEntJwwBlock insert;
  insert.Number = 0;
  insert.ScaleX = insert.ScaleY = 1;
  Add(d, d.Blocks, kBlockClass, insert);

  // the bulk: about 76 bytes an entity in the file, after some 160 KB of header and blocks
  const std::size_t target = static_cast<std::size_t>(megabytes * 1024 * 1024);
  AddMix(d, random, target > 160000 ? (target - 160000) / 76 : 0);
  d.BuildBlockTree();
  const bool ok = d.SaveToFile(folder + "drawing.jww", 700);
  d.DeleteExtractedFiles();
  d.DeleteUnpackedFiles();
  platform::RemoveFolder(d.Images.TempFolder());
  if (!ok) {
    std::fprintf(stderr, "make-drawing: cannot write %s\n", (args[0].display + "/drawing.jww").c_str());
    return 1;
  }
  return 0;
}
