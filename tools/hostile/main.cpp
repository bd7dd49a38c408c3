// make-hostile FOLDER: writes every hostile drawing as FOLDER/<case>/in/a/b/<case>.jww,
// with the image it refers to where it has one, and an empty FOLDER/<case>/out/.
#include <cstdio>

#include "fixture/DrawingBuilder.h"
#include "fixture/Hostile.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
  const std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: make-hostile FOLDER\n");
    return 2;
  }
  std::string root = args[0].sjis;
  if (root.back() != '\\') root += '\\';
  bool ok = true;
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    const std::string base = root + c.name + "\\";
    for (const char* sub : {"", "in\\", "in\\a\\", "in\\a\\b\\", "out\\"}) platform::MakeFolder(base + sub);
    ok &= fixture::WriteFileBytes(base + "in\\a\\b\\" + c.name + ".jww", c.bytes.data(), c.bytes.size());
    if (!c.imageBeside.empty()) ok &= fixture::WriteFileBytes(base + "in\\a\\b\\" + c.imageBeside, "image");
  }
  return ok ? 0 : 1;
}
