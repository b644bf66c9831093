// BMP reader: palette, 16-, 24- and 32-bit images, bottom-up or top-down,
// every read bounded by the file.
#include <cstring>

#include "graphics/graphics.h"
#include "base/base.h"

namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

struct BmpInfo {
  uint32_t offset, headerSize, compression, colours;
  int32_t width, height;
  uint32_t bpp;
  uint32_t masks[4];  // red, green, blue, alpha for 16/32-bit bit fields
  bool topDown;
};

// One channel of a bit-field pixel: where it sits and how wide it is.
struct Field {
  uint32_t mask = 0;  // shifted down to bit 0
  int shift = 0, bits = 0;
};
Field MakeField(uint32_t mask) {
  Field f;
  if (!mask) return f;
  while (!(mask & 1)) mask >>= 1, f.shift++;
  f.mask = mask;
  for (uint32_t m = mask; m & 1; m >>= 1) f.bits++;
  return f;
}
// The channel scaled to 8 bits.
inline uint8_t Channel(uint32_t v, const Field& f) {
  if (!f.mask) return 0;
  uint32_t c = (v >> f.shift) & f.mask;
  return uint8_t(f.bits >= 8 ? c >> (f.bits - 8) : (c * 255 + f.mask / 2) / f.mask);
}

int ReadInfo(const uint8_t* d, size_t size, BmpInfo* bi, const char* name) {
  if (size < 2 || d[0] != 'B' || d[1] != 'M') {
    Err_ScriptF(100070, 1, name);
    return -1;
  }
  if (size < 54) {
    Err_ScriptF(100080, 1, name);
    return -1;
  }
  bi->offset = U32(d + 10);
  bi->headerSize = U32(d + 14);
  if (bi->offset < 11 || bi->offset > size || bi->headerSize < 40 || 14 + uint64_t(bi->headerSize) > size) {
    Err_ScriptF(100080, 1, name);
    return -1;
  }
  bi->width = int32_t(U32(d + 18));
  int32_t h = int32_t(U32(d + 22));
  bi->bpp = U16(d + 28);
  bi->compression = U32(d + 30);
  bi->colours = U32(d + 46);
  bi->topDown = h < 0;
  bi->height = h < 0 ? (h == INT32_MIN ? INT32_MAX : -h) : h;
  if (bi->width < 1 || bi->height < 1 || bi->width > kImageMaxSide || bi->height > kImageMaxSide) {
    Err_ScriptF(100091, 1, name);
    return -1;
  }
  if ((bi->bpp == 4 || bi->bpp == 8) && bi->compression != 0) {
    Err_ShowF(100090, 1, name);
    return -1;
  }
  // Default masks: 16-bit 5-5-5, 32-bit BGRA as stored.
  if (bi->bpp == 16) bi->masks[0] = 0x7C00, bi->masks[1] = 0x03E0, bi->masks[2] = 0x001F, bi->masks[3] = 0;
  else bi->masks[0] = 0xFF0000, bi->masks[1] = 0xFF00, bi->masks[2] = 0xFF, bi->masks[3] = 0xFF000000u;
  if (bi->compression == 3 && (bi->bpp == 16 || bi->bpp == 32)) {
    // Bit fields follow a 40-byte header, or sit inside a larger one.
    if (54 + 12 > size) {
      Err_ScriptF(100080, 1, name);
      return -1;
    }
    for (int i = 0; i < 3; i++) bi->masks[i] = U32(d + 54 + 4 * i);
    bi->masks[3] = bi->headerSize >= 56 && 14 + 56 <= size ? U32(d + 54 + 12) : 0;
  }
  return 0;
}

void DecodeRows(LayerImage* rec, const uint8_t* d, const BmpInfo& bi, const uint8_t (*pal)[4], bool* anyAlpha) {
  size_t stride = ((size_t(bi.width) * bi.bpp + 31) / 32) * 4;
  const Field r = MakeField(bi.masks[0]), g = MakeField(bi.masks[1]), b = MakeField(bi.masks[2]),
              a = MakeField(bi.masks[3]);
  for (int32_t y = 0; y < bi.height; y++) {
    const uint8_t* row = d + bi.offset + stride * size_t(bi.topDown ? y : bi.height - 1 - y);
    uint8_t* out = rec->pixels + size_t(y) * bi.width * 4;
    for (int32_t x = 0; x < bi.width; x++, out += 4) {
      switch (bi.bpp) {
        case 1: case 4: case 8: {
          uint32_t bit = uint32_t(x) * bi.bpp;
          uint32_t idx = (row[bit / 8] >> (8 - bi.bpp - bit % 8)) & ((1u << bi.bpp) - 1);
          std::memcpy(out, pal[idx], 4);
          break;
        }
        case 16: {
          uint32_t v = U16(row + 2 * x);
          out[0] = Channel(v, b), out[1] = Channel(v, g), out[2] = Channel(v, r);
          out[3] = a.mask ? Channel(v, a) : 255;
          break;
        }
        case 24:
          out[0] = row[3 * x], out[1] = row[3 * x + 1], out[2] = row[3 * x + 2], out[3] = 255;
          break;
        case 32: {
          uint32_t v = U32(row + 4 * x);
          out[0] = Channel(v, b), out[1] = Channel(v, g), out[2] = Channel(v, r);
          out[3] = Channel(v, a);
          if (out[3]) *anyAlpha = true;
          break;
        }
      }
    }
  }
}

}  // namespace

int Img_DecodeBmp(LayerImage* rec, const uint8_t* d, size_t size, const char* name) {
  BmpInfo bi{};
  if (ReadInfo(d, size, &bi, name) != 0) return -1;
  bool known = bi.bpp == 1 || bi.bpp == 4 || bi.bpp == 8 || bi.bpp == 16 || bi.bpp == 24 || bi.bpp == 32;
  size_t stride = ((size_t(bi.width) * bi.bpp + 31) / 32) * 4;
  if (known && uint64_t(bi.offset) + uint64_t(stride) * bi.height > size) {
    Err_ScriptF(100080, 1, name);
    return -1;
  }
  // The palette: 2^bpp entries, zero where the file has fewer.
  uint8_t pal[256][4] = {};
  if (bi.bpp <= 8 && known) {
    uint32_t entries = 1u << bi.bpp;
    uint32_t count = bi.colours && bi.colours < entries ? bi.colours : entries;
    size_t palStart = 14 + size_t(bi.headerSize);
    for (uint32_t i = 0; i < count && palStart + 4 * (i + 1) <= bi.offset; i++) {
      std::memcpy(pal[i], d + palStart + 4 * i, 3);
      pal[i][3] = 255;
    }
  }
  if (Img_SetSize(rec, bi.width, bi.height, name) != 0) return -1;
  size_t bytes = size_t(bi.width) * bi.height * 4;
  if (!known) {  // no reader for this depth: a transparent image of its size
    std::memset(rec->pixels, 0, bytes);
    return 0;
  }
  bool anyAlpha = false;
  DecodeRows(rec, d, bi, pal, &anyAlpha);
  if (bi.bpp == 32) {
    if (anyAlpha) {
      rec->alphaMode = 1;
    } else {
      // Files that leave the fourth byte 0 mean an opaque image.
      for (size_t i = 3; i < bytes; i += 4) rec->pixels[i] = 255;
    }
  }
  return 0;
}
