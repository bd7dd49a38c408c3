// Small one-colour images in the formats drawings refer to, for the example project.
#pragma once

#include <cstdint>
#include <vector>

namespace example {

struct Colour {
  std::uint8_t red, green, blue;
};

// 2 x 2 pixels, 24-bit, uncompressed.
std::vector<unsigned char> TinyBitmap(Colour c);
// 2 x 2 pixels, 8-bit RGB.
std::vector<unsigned char> TinyPng(Colour c);
// 2 x 2 pixels, a two-colour table.
std::vector<unsigned char> TinyGif(Colour c);
// 8 x 8 pixels, baseline, each component's block holding only its mean.
std::vector<unsigned char> TinyJpeg(Colour c);

}  // namespace example
