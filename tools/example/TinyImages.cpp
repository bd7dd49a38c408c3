#include "TinyImages.h"

#include <zlib.h>

#include <cmath>
#include <string>

namespace example {
namespace {

void U16le(std::vector<unsigned char>& b, std::uint32_t v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
void U32le(std::vector<unsigned char>& b, std::uint32_t v) {
  U16le(b, v & 0xFFFF);
  U16le(b, v >> 16);
}
void U16be(std::vector<unsigned char>& b, std::uint32_t v) {
  b.push_back(static_cast<unsigned char>(v >> 8));
  b.push_back(static_cast<unsigned char>(v));
}
void U32be(std::vector<unsigned char>& b, std::uint32_t v) {
  U16be(b, v >> 16);
  U16be(b, v & 0xFFFF);
}
void Bytes(std::vector<unsigned char>& b, std::initializer_list<int> bytes) {
  for (int v : bytes) b.push_back(static_cast<unsigned char>(v));
}

// Bits written most significant first, as JPEG's entropy-coded data takes them.
class JpegBits {
 public:
  explicit JpegBits(std::vector<unsigned char>& out) : out_(out) {}
  void Put(std::uint32_t bits, int count) {
    for (int i = count - 1; i >= 0; --i) {
      byte_ = static_cast<unsigned char>((byte_ << 1) | ((bits >> i) & 1));
      if (++filled_ == 8) Emit();
    }
  }
  // pads the last byte with one bits
  void Flush() {
    while (filled_ != 0) Put(1, 1);
  }

 private:
  void Emit() {
    out_.push_back(byte_);
    if (byte_ == 0xFF) out_.push_back(0x00);  // a data byte 0xFF is followed by a stuffed zero
    byte_ = 0;
    filled_ = 0;
  }
  std::vector<unsigned char>& out_;
  unsigned char byte_ = 0;
  int filled_ = 0;
};

}  // namespace

std::vector<unsigned char> TinyBitmap(Colour c) {
  std::vector<unsigned char> b;
  constexpr std::uint32_t kRowBytes = 8;  // two pixels of three bytes, padded to four
  constexpr std::uint32_t kPixelOffset = 14 + 40;
  Bytes(b, {'B', 'M'});
  U32le(b, kPixelOffset + 2 * kRowBytes);  // file size
  U32le(b, 0);                             // reserved
  U32le(b, kPixelOffset);                  // offset of the pixels
  U32le(b, 40);                            // info header size
  U32le(b, 2);                             // width
  U32le(b, 2);                             // height
  U16le(b, 1);                             // planes
  U16le(b, 24);                            // bits per pixel
  U32le(b, 0);                             // no compression
  U32le(b, 2 * kRowBytes);                 // pixel bytes
  U32le(b, 2835);                          // 72 dots per inch, horizontally
  U32le(b, 2835);                          // and vertically
  U32le(b, 0);                             // colours used
  U32le(b, 0);                             // important colours
  for (int row = 0; row < 2; ++row) {
    for (int pixel = 0; pixel < 2; ++pixel) Bytes(b, {c.blue, c.green, c.red});
    Bytes(b, {0, 0});
  }
  return b;
}

std::vector<unsigned char> TinyPng(Colour c) {
  std::vector<unsigned char> b;
  Bytes(b, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
  auto chunk = [&b](const char* type, const std::vector<unsigned char>& data) {
    U32be(b, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    U32be(b, static_cast<std::uint32_t>(crc32(0, b.data() + start, static_cast<uInt>(b.size() - start))));
  };
  std::vector<unsigned char> header;
  U32be(header, 2);                // width
  U32be(header, 2);                // height
  Bytes(header, {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, not interlaced
  chunk("IHDR", header);
  std::vector<unsigned char> rows;
  for (int row = 0; row < 2; ++row) Bytes(rows, {0, c.red, c.green, c.blue, c.red, c.green, c.blue});  // filter none
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::vector<unsigned char> packed(packedSize);
  compress(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()));
  packed.resize(packedSize);
  chunk("IDAT", packed);
  chunk("IEND", {});
  return b;
}

std::vector<unsigned char> TinyGif(Colour c) {
  std::vector<unsigned char> b;
  Bytes(b, {'G', 'I', 'F', '8', '9', 'a'});
  U16le(b, 2);                             // width
  U16le(b, 2);                             // height
  Bytes(b, {0x80, 0, 0});                  // a global table of two colours; background 0; no aspect
  Bytes(b, {c.red, c.green, c.blue, 0, 0, 0});
  Bytes(b, {0x2C});                        // image descriptor
  U16le(b, 0);                             // left
  U16le(b, 0);                             // top
  U16le(b, 2);                             // width
  U16le(b, 2);                             // height
  Bytes(b, {0});                           // no local table, not interlaced
  Bytes(b, {2});                           // LZW minimum code size: clear 4, end 5
  // each pixel after a clear code, so the code table never grows past three bits
  const int codes[] = {4, 0, 4, 0, 4, 0, 4, 0, 5};
  std::vector<unsigned char> data;
  std::uint32_t bits = 0;
  int filled = 0;
  for (int code : codes) {
    bits |= static_cast<std::uint32_t>(code) << filled;
    filled += 3;
    while (filled >= 8) {
      data.push_back(static_cast<unsigned char>(bits));
      bits >>= 8;
      filled -= 8;
    }
  }
  if (filled > 0) data.push_back(static_cast<unsigned char>(bits));
  b.push_back(static_cast<unsigned char>(data.size()));  // one sub-block
  b.insert(b.end(), data.begin(), data.end());
  Bytes(b, {0, 0x3B});                     // block terminator, trailer
  return b;
}

std::vector<unsigned char> TinyJpeg(Colour c) {
  const double r = c.red, g = c.green, bl = c.blue;
  const int components[3] = {
      static_cast<int>(std::lround(0.299 * r + 0.587 * g + 0.114 * bl)),
      static_cast<int>(std::lround(-0.168736 * r - 0.331264 * g + 0.5 * bl + 128)),
      static_cast<int>(std::lround(0.5 * r - 0.418688 * g - 0.081312 * bl + 128)),
  };
  std::vector<unsigned char> b;
  Bytes(b, {0xFF, 0xD8});                                            // start of image
  Bytes(b, {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});  // JFIF 1.1, no thumbnail
  Bytes(b, {0xFF, 0xDB, 0, 67, 0});                                  // one quantisation table, 8-bit
  for (int i = 0; i < 64; ++i) b.push_back(1);                       // every step 1: the mean is kept exactly
  Bytes(b, {0xFF, 0xC0, 0, 17, 8, 0, 8, 0, 8, 3});                   // baseline, 8 bits, 8 x 8, three components
  for (int id = 1; id <= 3; ++id) Bytes(b, {id, 0x11, 0});           // no subsampling, table 0
  // the usual luminance DC table: categories 0-11
  Bytes(b, {0xFF, 0xC4, 0, 31, 0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
  for (int i = 0; i < 12; ++i) b.push_back(static_cast<unsigned char>(i));
  // an AC table with one code, "0": end of block
  Bytes(b, {0xFF, 0xC4, 0, 20, 0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Bytes(b, {0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0, 3, 0, 0, 63, 0});    // start of scan: every component
  // codes of the DC table's categories, as the counts above assign them
  const std::uint32_t dcCodes[12] = {0b00, 0b010, 0b011, 0b100, 0b101, 0b110,
                                     0b1110, 0b11110, 0b111110, 0b1111110, 0b11111110, 0b111111110};
  const int dcLengths[12] = {2, 3, 3, 3, 3, 3, 4, 5, 6, 7, 8, 9};
  JpegBits bits(b);
  for (int value : components) {
    const int dc = 8 * (value - 128);  // the DC coefficient of a block of one value
    int category = 0;
    while ((1 << category) <= std::abs(dc)) ++category;
    bits.Put(dcCodes[category], dcLengths[category]);
    if (category > 0) {
      const int extra = dc >= 0 ? dc : dc + (1 << category) - 1;
      bits.Put(static_cast<std::uint32_t>(extra), category);
    }
    bits.Put(0, 1);  // end of block
  }
  bits.Flush();
  Bytes(b, {0xFF, 0xD9});  // end of image
  return b;
}

}  // namespace example
