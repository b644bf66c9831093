// GIF reader: the logical screen and the first frame, drawn at its place.
// Every read is bounded by the file; later frames are not decoded.
#include <cstring>
#include <vector>

#include "graphics/graphics.h"
#include "base/base.h"

namespace {

// Bounded reader over the file: a read past the end sets `bad` and gives 0.
struct GifReader {
  const uint8_t* d;
  size_t size, pos = 0;
  bool bad = false;
  uint32_t U8() {
    if (pos >= size) return bad = true, 0;
    return d[pos++];
  }
  uint32_t U16() { uint32_t lo = U8(); return lo | U8() << 8; }
  void Skip(size_t n) {
    if (n > size - pos) bad = true, pos = size;
    else pos += n;
  }
  // Skips a chain of data sub-blocks up to and including the terminator.
  void SkipSubBlocks() {
    for (uint32_t n = U8(); n && !bad; n = U8()) Skip(n);
  }
};

struct GifFrame {
  uint32_t left, top, width, height;
  bool interlaced, transparent;
  uint32_t transIndex;
  uint8_t palette[256][3];
};

uint32_t InterlacedRow(uint32_t y, uint32_t h);

// Where decoded indices go: straight into the layer, clipped to it, so a
// frame larger than the screen costs no memory of its own.
struct FrameSink {
  LayerImage* rec;
  const GifFrame* f;
  size_t count, pos = 0;
  void Put(uint8_t i) {
    if (pos >= count) return;
    uint32_t y = uint32_t(pos / f->width), x = uint32_t(pos % f->width);
    pos++;
    uint32_t fy = f->interlaced ? InterlacedRow(y, f->height) : y;
    uint64_t ty = uint64_t(f->top) + fy, tx = uint64_t(f->left) + x;
    if (ty >= rec->height || tx >= rec->width) return;
    uint8_t* p = rec->pixels + (size_t(ty) * rec->width + size_t(tx)) * 4;
    p[0] = f->palette[i][2], p[1] = f->palette[i][1], p[2] = f->palette[i][0];
    p[3] = (f->transparent && i == f->transIndex) ? 0 : 255;
  }
};

// LZW decode of one frame's sub-blocks into the sink. The frame is whole
// only when the stream gives every one of its pixels: data that stops early
// (the file cut short, an early end code, or the block terminator before the
// end code) fails, so a damaged frame is never shown in part.
bool DecodeLzw(GifReader& r, FrameSink& out) {
  uint32_t minSize = r.U8();
  if (r.bad || minSize < 1 || minSize > 11) return false;
  uint32_t clear = 1u << minSize, end = clear + 1;
  std::vector<uint16_t> prefix(kGifCodeMax);
  std::vector<uint8_t> suffix(kGifCodeMax), stack(kGifCodeMax + 1);
  for (uint32_t i = 0; i < clear; i++) suffix[i] = uint8_t(i);
  uint32_t width = minSize + 1, next = clear + 2, prev = UINT32_MAX;
  uint8_t first = 0;
  uint32_t bits = 0, acc = 0, blockLeft = 0;
  for (;;) {
    while (bits < width) {
      if (blockLeft == 0) {
        blockLeft = r.U8();
        if (r.bad) return false;  // the file ends inside the image data
        if (blockLeft == 0) return out.pos == out.count;  // no end code: whole only if complete
      }
      acc |= r.U8() << bits;
      bits += 8;
      blockLeft--;
      if (r.bad) return false;
    }
    uint32_t code = acc & ((1u << width) - 1);
    acc >>= width;
    bits -= width;
    if (code == clear) {
      width = minSize + 1, next = clear + 2, prev = UINT32_MAX;
      continue;
    }
    if (code == end) break;
    if (prev == UINT32_MAX) {
      if (code >= clear) return false;
      first = uint8_t(code);
      out.Put(first);
      prev = code;
      continue;
    }
    if (code > next || code >= uint32_t(kGifCodeMax)) return false;
    uint32_t sp = 0, c = code;
    if (code == next) stack[sp++] = first, c = prev;
    while (c >= clear) {
      if (sp >= uint32_t(kGifCodeMax)) return false;
      stack[sp++] = suffix[c];
      c = prefix[c];
    }
    stack[sp++] = uint8_t(c);
    first = uint8_t(c);
    while (sp) {
      out.Put(stack[--sp]);
    }
    if (next < uint32_t(kGifCodeMax)) {
      prefix[next] = uint16_t(prev);
      suffix[next] = first;
      next++;
      if (next == (1u << width) && width < 12) width++;
    }
    prev = code;
  }
  // Skip what is left of the sub-blocks after the end code.
  if (blockLeft) r.Skip(blockLeft);
  r.SkipSubBlocks();
  return !r.bad && out.pos == out.count;
}

// Row of the frame where index row y lands.
uint32_t InterlacedRow(uint32_t y, uint32_t h) {
  const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; pass++) {
    uint32_t rows = h > start[pass] ? (h - start[pass] + step[pass] - 1) / step[pass] : 0;
    if (y < rows) return start[pass] + y * step[pass];
    y -= rows;
  }
  return 0;
}

void ReadTable(GifReader& r, uint8_t (*pal)[3], uint32_t packed) {
  uint32_t n = 1u << ((packed & 7) + 1);
  for (uint32_t i = 0; i < n; i++) pal[i][0] = uint8_t(r.U8()), pal[i][1] = uint8_t(r.U8()), pal[i][2] = uint8_t(r.U8());
}

}  // namespace

int Img_DecodeGif(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  GifReader r{data, size};
  r.Skip(6);
  uint32_t sw = r.U16(), sh = r.U16(), packed = r.U8();
  r.Skip(2);
  if (r.bad) return -1;
  if (sw == 0 || sh == 0 || sw > uint32_t(kImageMaxSide) || sh > uint32_t(kImageMaxSide)) {
    Err_ScriptF(100091, 1, name);
    return -1;
  }
  GifFrame f{};
  if (packed & 0x80) ReadTable(r, f.palette, packed);
  bool transparent = false;
  uint32_t transIndex = 0;
  while (!r.bad) {
    uint32_t block = r.U8();
    if (block == 0x21) {
      uint32_t label = r.U8();
      if (label == 0xF9) {
        uint32_t len = r.U8();
        uint32_t p = r.U8();
        r.U16();  // delay
        transIndex = r.U8();
        transparent = p & 1;
        if (len > 4) r.Skip(len - 4);
        r.SkipSubBlocks();
      } else {
        if (label == 0x01 || label == 0xFF) r.Skip(r.U8());  // the fixed header block
        r.SkipSubBlocks();
      }
    } else if (block == 0x2C) {
      f.left = r.U16(), f.top = r.U16(), f.width = r.U16(), f.height = r.U16();
      uint32_t fp = r.U8();
      f.interlaced = fp & 0x40;
      if (fp & 0x80) ReadTable(r, f.palette, fp);
      f.transparent = transparent;
      f.transIndex = transIndex;
      if (r.bad || f.width == 0 || f.height == 0) return -1;
      if (Img_SetSize(rec, sw, sh, name) != 0) return -1;
      std::memset(rec->pixels, 0, size_t(sw) * sh * 4);  // outside the frame: transparent
      FrameSink sink{rec, &f, size_t(f.width) * f.height};
      if (!DecodeLzw(r, sink)) {
        std::memset(rec->pixels, 0, size_t(sw) * sh * 4);  // no partial picture
        return -1;
      }
      if (f.transparent) rec->alphaMode = 1;
      return 0;  // only the first frame is drawn
    } else {
      return -1;  // the trailer before any image, or an unknown block
    }
  }
  return -1;
}
