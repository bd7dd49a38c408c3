#include "render/ImageCodec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "render/Preview.h"

namespace render {
namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (std::uint32_t{p[1]} << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | (U16(p + 2) << 16); }

// One colour channel under a bit-field mask, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0, bits = 0;

  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max / 2) / max);
  }
};

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

DecodedImage DecodeBmp(const std::uint8_t* data, std::size_t size, std::size_t maxPixels) {
  DecodedImage none;
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return none;
  const std::uint32_t offset = U32(data + 10);
  const std::uint32_t headerSize = U32(data + 14);
  std::int64_t width = 0, height = 0;
  std::uint32_t bpp = 0, compression = 0, colorsUsed = 0;
  std::uint32_t masks[3] = {0, 0, 0};
  std::size_t paletteAt = 14 + headerSize;
  std::size_t paletteEntry = 4;
  if (headerSize == 12) {
    width = U16(data + 18);
    height = U16(data + 20);
    bpp = U16(data + 24);
    paletteEntry = 3;
  } else if (headerSize >= 40 && 14 + std::size_t{headerSize} <= size) {
    width = static_cast<std::int32_t>(U32(data + 18));
    height = static_cast<std::int32_t>(U32(data + 22));
    bpp = U16(data + 28);
    compression = U32(data + 30);
    colorsUsed = U32(data + 46);
    if (compression == 3 || compression == 6) {
      // the masks follow a 40-byte header, or lie inside a longer one
      const std::size_t at = 54;
      if (at + 12 > size) return none;
      for (int i = 0; i < 3; ++i) masks[i] = U32(data + at + 4 * i);
      if (headerSize == 40) paletteAt += compression == 6 ? 16 : 12;
    }
  } else {
    return none;
  }
  const bool topDown = height < 0;
  height = std::abs(height);
  if (width <= 0 || height <= 0 || width > 1000000 || height > 1000000) return none;
  if (compression == 3 || compression == 6) {
    if (bpp != 16 && bpp != 32) return none;
  } else if (compression != 0) {
    return none;  // run-length and embedded JPEG/PNG bitmaps are not read
  } else if (bpp == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return none;

  std::vector<std::array<std::uint8_t, 3>> palette;
  if (bpp <= 8) {
    std::size_t count = colorsUsed ? std::min<std::size_t>(colorsUsed, 256) : std::size_t{1} << bpp;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = paletteAt + i * paletteEntry;
      if (at + 3 > size) break;
      palette.push_back({data[at + 2], data[at + 1], data[at]});
    }
    if (palette.empty()) return none;
  }
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bpp + 31) / 32) * 4;
  if (offset > size || stride * static_cast<std::uint64_t>(height) > size - offset) return none;

  // sampled down so that at most maxPixels remain
  const double pixels = static_cast<double>(width) * static_cast<double>(height);
  const double scale = pixels > static_cast<double>(maxPixels) ? std::sqrt(static_cast<double>(maxPixels) / pixels) : 1.0;
  const int w = std::max(1, static_cast<int>(std::floor(static_cast<double>(width) * scale)));
  const int h = std::max(1, static_cast<int>(std::floor(static_cast<double>(height) * scale)));
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = w;
  bitmap->height = h;
  bitmap->rgb.resize(static_cast<std::size_t>(w) * h * 3);
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int ty = 0; ty < h; ++ty) {
    const std::int64_t sy = static_cast<std::int64_t>(ty) * height / h;
    const std::int64_t fileRow = topDown ? sy : height - 1 - sy;
    const std::uint8_t* row = data + offset + static_cast<std::uint64_t>(fileRow) * stride;
    std::uint8_t* out = &bitmap->rgb[static_cast<std::size_t>(ty) * w * 3];
    for (int tx = 0; tx < w; ++tx, out += 3) {
      const std::int64_t sx = static_cast<std::int64_t>(tx) * width / w;
      if (bpp <= 8) {
        const std::uint64_t bit = static_cast<std::uint64_t>(sx) * bpp;
        const std::uint32_t index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        const auto& c = palette[index < palette.size() ? index : 0];
        out[0] = c[0], out[1] = c[1], out[2] = c[2];
      } else if (bpp == 24) {
        const std::uint8_t* p = row + sx * 3;
        out[0] = p[2], out[1] = p[1], out[2] = p[0];
      } else {
        const std::uint32_t v = bpp == 16 ? U16(row + sx * 2) : U32(row + sx * 4);
        out[0] = red.Of(v), out[1] = green.Of(v), out[2] = blue.Of(v);
      }
    }
  }
  return {bitmap, static_cast<int>(width), static_cast<int>(height)};
}

std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap) {
  const std::size_t rowBytes = static_cast<std::size_t>(bitmap.width) * 3;
  // each row filtered by its difference to the pixel on its left
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * bitmap.height);
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row = &bitmap.rgb[y * rowBytes];
    raw.push_back(1);
    for (std::size_t i = 0; i < rowBytes; ++i) raw.push_back(static_cast<std::uint8_t>(row[i] - (i >= 3 ? row[i - 3] : 0)));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  // the fastest level: line drawings pack well at any
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 1) != Z_OK) return {};
  packed.resize(packedSize);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(bitmap.width));
  PutBigEndian(header, static_cast<std::uint32_t>(bitmap.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  return png;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

}  // namespace render
