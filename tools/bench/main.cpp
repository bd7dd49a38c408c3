// bench-steps relocate DRAWING DEST   : loads the drawing, then times the relocation pass
//                                       into DEST (run it twice: the second pass finds
//                                       every image in place and copies nothing)
// bench-steps copy SOURCE TARGET      : times one image copy (kept time, archive only)
// bench-steps exchange FILE           : times reading an exchange file (JWC_TEMP.TXT)
// Prints seconds with millisecond precision.
#include <chrono>
#include <cstdio>
#include <string>

#include "exchange/ExchangeFile.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageRelocation.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  if (args.size() == 3 && args[0].display == "relocate") {
    jww::TJwwData d;
    if (!d.LoadFromFile(args[1].sjis)) return 1;
    std::string folder = args[2].sjis;
    if (folder.back() != '\\') folder += '\\';
    relocation::CopiedImageTable copied;
    relocation::RelocationCounters counters;
    const auto start = std::chrono::steady_clock::now();
    relocation::RelocateImages(d, args[1].sjis, folder, {false, false}, copied, counters);
    std::printf("%.4f %d %zu\n", Seconds(start), counters.ImageTextCount + counters.BlockImageTextCount,
                copied.size());
    return 0;
  }
  if (args.size() == 3 && args[0].display == "copy") {
    const auto start = std::chrono::steady_clock::now();
    relocation::FileCopyKeepTime(args[1].sjis, args[2].sjis);
    std::printf("%.4f\n", Seconds(start));
    return 0;
  }
  if (args.size() == 2 && args[0].display == "exchange") {
    exchange::ExchangeReader reader;
    const auto start = std::chrono::steady_clock::now();
    const bool read = reader.ReadExchangeFile(args[1].sjis);
    std::printf("%.4f %zu\n", Seconds(start), reader.ExchangeData.Order.size());
    return read ? 0 : 1;
  }
  std::fprintf(stderr, "usage: bench-steps relocate DRAWING DEST | copy SOURCE TARGET | exchange FILE\n");
  return 2;
}
