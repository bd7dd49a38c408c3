// Reading Windows bitmaps and writing PNG and base64 for the pictures a preview holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/DisplayList.h"

namespace render {

// A decoded image and the pixel size of the file it came from.
struct DecodedImage {
  std::shared_ptr<const Bitmap> bitmap;  // sampled down to at most maxPixels
  int sourceWidth = 0, sourceHeight = 0;
};

// Decodes a BMP file (1, 4, 8, 16, 24 or 32 bits, uncompressed or bit fields, either row
// order); an empty result for anything else or for bytes cut short.
DecodedImage DecodeBmp(const std::uint8_t* data, std::size_t size, std::size_t maxPixels);
// The bytes in base64 (RFC 4648, padded).
std::string Base64(const std::vector<std::uint8_t>& bytes);

}  // namespace render
