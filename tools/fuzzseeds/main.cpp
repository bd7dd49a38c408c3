// make-fuzz-seeds FOLDER: writes seed inputs for every fuzz target into FOLDER/<target>/.
#include <cstdio>
#include <string>
#include <vector>

#include "fixture/DrawingBuilder.h"
#include "fixture/GzipStream.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
  const std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: make-fuzz-seeds FOLDER\n");
    return 2;
  }
  std::string root = args[0].sjis;
  if (root.back() != '\\') root += '\\';
  for (const char* target : {"load", "roundtrip", "exchange", "settings", "text", "embedding", "preview"}) {
    platform::MakeFolder(root + target + "\\");
  }
  bool ok = true;
  for (std::uint32_t version : {220u, 223u, 225u, 230u, 231u, 300u, 351u, 420u, 600u, 700u}) {
    const std::vector<unsigned char> bytes = fixture::BuildDrawing(fixture::SampleDrawing(version));
    const std::string drawing(bytes.begin(), bytes.end());
    const std::string name = "sample-" + std::to_string(version) + ".jww";
    ok &= fixture::WriteFileBytes(root + "load\\" + name, drawing);
    ok &= fixture::WriteFileBytes(root + "roundtrip\\" + name, drawing);
    ok &= fixture::WriteFileBytes(root + "embedding\\" + name, drawing);
    ok &= fixture::WriteFileBytes(root + "preview\\" + name, drawing);
  }
  // references to an image beside the drawing, to stored ones packed and not, in a block too
  fixture::Drawing images = fixture::SampleDrawing(700);
  for (const char* reference : {"^@BMa.bmp,100,75,0,0,1,0", "^@BM%temp%p.bmp,1,1", "^@BM%temp%r.bmp,2,2"}) {
    fixture::TextEntity text;
    text.Text = reference;
    images.entities.push_back(text);
  }
  fixture::TextEntity inBlock;
  inBlock.Text = "^@BMA.BMP,3,3";
  images.blockDefs[0].entities.push_back(inBlock);
  fixture::EmbeddedImage packed;
  packed.Name = "p.bmp.gz";
  packed.bytes = fixture::GzipStream("packed picture", 9, "p.bmp");
  fixture::EmbeddedImage raw;
  raw.Name = "r.bmp";
  raw.bytes = {'B', 'M', 'r', 'a', 'w'};
  images.images = {packed, raw};
  const std::vector<unsigned char> imageBytes = fixture::BuildDrawing(images);
  ok &= fixture::WriteFileBytes(root + "embedding\\images.jww", imageBytes.data(), imageBytes.size());
  ok &= fixture::WriteFileBytes(root + "preview\\images.jww", imageBytes.data(), imageBytes.size());
  ok &= fixture::WriteFileBytes(root + "exchange\\basic.txt",
              "hq\nhk 1\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nhzs 1189 841\nlg0\nly0 2\nlc1\nlt1\nlw0\n"
              "cn\"$<\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E>\ncn0 2 2 0 1\ncc5\npl\n0 0 10 10\n"
              "10 10 20 0\n#\nmsg\n0 0 10 0\ncs 0 0 1 0 \"100\nci 0 0 5\nci 0 0 5 0 1 1 0\n"
              "ch 0 0 1 0 \"a b  c\nBL 0 0 \"blk\nsl 0 0 1 1 2 2 3 3\nsl 0 0 0 0 1 1\nhp1- 10 20\nhhp3ln\n"
              "pt 1 2\nz1\nz3\nfile=C:\\jww\\plan a.jww\n");
  ok &= fixture::WriteFileBytes(root + "settings\\defaults.dat", "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n");
  ok &= fixture::WriteFileBytes(root + "settings\\folder.dat", "10\r\n20\r\n0\r\n0\r\n0\r\n1\r\nC:\\\x95\x5C\\\r\nD:\\in\\\r\n2\r\n ON \r\n0\r\n1\r\n");
  ok &= fixture::WriteFileBytes(root + "text\\mixed.txt", std::string("\x01\x03") + "a^mb\x95\x5C\\c:\\\x81\x40 1.5e3 $1F \x82");
  return ok ? 0 : 1;
}
