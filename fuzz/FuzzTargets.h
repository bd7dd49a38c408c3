// Entry points for the fuzzers: each takes arbitrary bytes and returns 0 when every
// promise held, 1 when one broke. The same functions replay the committed corpus in the
// ordinary tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzz {

// Loading a drawing from any bytes.
int FuzzLoad(const std::uint8_t* data, std::size_t size);
// A drawing that loads must save, and the saved file must load to the same document.
int FuzzRoundTrip(const std::uint8_t* data, std::size_t size);
// The exchange-file reader on any lines.
int FuzzExchange(const std::uint8_t* data, std::size_t size);
// The settings file: any content loads, and what is saved loads back the same.
int FuzzSettings(const std::uint8_t* data, std::size_t size);
// The text helpers against properties that must hold for any bytes.
int FuzzText(const std::uint8_t* data, std::size_t size);
// A drawing that loads is separated, and embedded: what was embedded separates again into
// the image, and never fails where the drawing as read separated.
int FuzzEmbedding(const std::uint8_t* data, std::size_t size);

// A drawing that loads previews as SVG and on the canvas, with finite numbers only.
int FuzzPreview(const std::uint8_t* data, std::size_t size);

struct Target {
  std::string_view name;
  int (*run)(const std::uint8_t*, std::size_t);
};
// Every target, by the name of its corpus folder.
extern const Target kTargets[7];

}  // namespace fuzz
