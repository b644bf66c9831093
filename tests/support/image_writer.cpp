// Image fixture writer (see image_writer.h).
#include "image_writer.h"

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>

namespace imgfix {

namespace {

void U16(std::string& s, uint32_t v) { s += char(v & 255), s += char((v >> 8) & 255); }
void U32(std::string& s, uint32_t v) { U16(s, v & 0xFFFF), U16(s, v >> 16); }

std::string Deflate(const uint8_t* p, size_t n) {
  uLongf cap = compressBound(n);
  std::string out(cap, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &cap, p, n, 6);
  out.resize(cap);
  return out;
}

}  // namespace

Picture Pattern(uint32_t w, uint32_t h, bool varyAlpha) {
  Picture p;
  p.width = w, p.height = h;
  p.bgra.resize(size_t(w) * h * 4);
  for (uint32_t y = 0; y < h; y++)
    for (uint32_t x = 0; x < w; x++) {
      uint8_t* q = p.At(x, y);
      q[0] = uint8_t(x * 255 / (w > 1 ? w - 1 : 1));
      q[1] = uint8_t(y * 255 / (h > 1 ? h - 1 : 1));
      q[2] = ((x / 4 + y / 4) & 1) ? 220 : 30;
      q[3] = varyAlpha ? uint8_t((x * 7 + y * 3) % 256) : 255;
    }
  return p;
}

Picture Solid(uint32_t w, uint32_t h, uint32_t bgra) {
  Picture p;
  p.width = w, p.height = h;
  p.bgra.resize(size_t(w) * h * 4);
  for (size_t i = 0; i < size_t(w) * h; i++) std::memcpy(&p.bgra[i * 4], &bgra, 4);
  return p;
}

std::string WriteQcg(const Picture& p, const QcgOptions& o) {
  size_t bytes = p.bgra.size();
  std::string s;
  U32(s, o.magic);
  U32(s, uint32_t(o.widthOverride >= 0 ? o.widthOverride : p.width));
  U32(s, uint32_t(o.heightOverride >= 0 ? o.heightOverride : p.height));
  U32(s, 0);
  U32(s, o.compression != 0xFFFFFFFF ? o.compression : (o.zlib ? 1 : 0));
  s.append(12, '\0');
  if (!o.zlib) {
    s.append(24, '\0');
    s.append(reinterpret_cast<const char*>(p.bgra.data()), bytes);
    return s;
  }
  size_t split = o.split ? o.split : (bytes / 8) * 4;
  std::string s1 = Deflate(p.bgra.data(), split);
  std::string s2 = Deflate(p.bgra.data() + split, bytes - split);
  U32(s, uint32_t(int64_t(split) + o.unpacked1Delta));
  U32(s, uint32_t(s1.size()));
  s.append(8, '\0');
  U32(s, uint32_t(bytes - split));
  U32(s, uint32_t(int64_t(s2.size()) + o.packed2Delta));
  return s + s1 + s2;
}

std::string WriteBmp(const Picture& p, const BmpOptions& o) {
  std::vector<uint32_t> pal;
  std::map<uint32_t, uint32_t> index;
  auto colour = [&](uint32_t x, uint32_t y) {
    const uint8_t* q = &p.bgra[(size_t(y) * p.width + x) * 4];
    return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16;
  };
  uint32_t entries = o.bpp <= 8 ? 1u << o.bpp : 0;
  if (entries)
    for (uint32_t y = 0; y < p.height; y++)
      for (uint32_t x = 0; x < p.width; x++)
        if (!index.count(colour(x, y)) && pal.size() < entries) {
          index[colour(x, y)] = uint32_t(pal.size());
          pal.push_back(colour(x, y));
        }
  size_t stride = ((size_t(p.width) * o.bpp + 31) / 32) * 4;
  std::string pixels(stride * p.height, '\0');
  for (uint32_t y = 0; y < p.height; y++) {
    uint32_t fileRow = o.topDown ? y : p.height - 1 - y;
    uint8_t* row = reinterpret_cast<uint8_t*>(&pixels[stride * fileRow]);
    for (uint32_t x = 0; x < p.width; x++) {
      const uint8_t* q = &p.bgra[(size_t(y) * p.width + x) * 4];
      if (entries) {
        uint32_t i = index.count(colour(x, y)) ? index[colour(x, y)] : 0;
        uint32_t bit = x * o.bpp;
        row[bit / 8] |= uint8_t(i << (8 - o.bpp - bit % 8));
      } else if (o.bpp == 16) {
        uint32_t v = o.bitfields565 ? (q[2] >> 3) << 11 | (q[1] >> 2) << 5 | (q[0] >> 3)
                                    : (q[2] >> 3) << 10 | (q[1] >> 3) << 5 | (q[0] >> 3);
        row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
      } else {
        std::memcpy(row + x * (o.bpp / 8), q, o.bpp / 8);
      }
    }
  }
  bool fields = o.bpp == 16 && o.bitfields565;
  uint32_t palBytes = entries * 4 + (fields ? 12 : 0);
  uint32_t offset = o.offsetOverride >= 0 ? uint32_t(o.offsetOverride) : 54 + palBytes;
  std::string s = "BM";
  U32(s, uint32_t(54 + palBytes + pixels.size()));
  U32(s, 0);
  U32(s, offset);
  U32(s, 40);
  U32(s, p.width);
  U32(s, o.topDown ? uint32_t(-int32_t(p.height)) : p.height);
  U16(s, 1);
  U16(s, uint32_t(o.bpp));
  U32(s, fields ? 3 : o.compression);
  U32(s, uint32_t(pixels.size()));
  U32(s, 2835), U32(s, 2835);
  U32(s, uint32_t(pal.size()));
  U32(s, 0);
  if (fields) U32(s, 0xF800), U32(s, 0x07E0), U32(s, 0x001F);
  for (uint32_t i = 0; i < entries; i++) U32(s, i < pal.size() ? pal[i] : 0);
  return s + pixels;
}

std::string WriteGif(uint32_t w, uint32_t h, const std::vector<uint8_t>& indices,
                     const std::vector<uint8_t>& paletteRgb, const GifOptions& o) {
  std::string s = "GIF89a";
  U16(s, o.screenW ? o.screenW : w);
  U16(s, o.screenH ? o.screenH : h);
  s += char(0xF7);  // global table of 256 entries
  s += '\0', s += '\0';
  for (size_t i = 0; i < 768; i++) s += char(i < paletteRgb.size() ? paletteRgb[i] : 0);
  if (o.commentBlocks) {
    s += "\x21\xFE";
    for (int b = 0; b < 3; b++) s += char(5), s += "hello";
    s += '\0';
  }
  s += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
  U16(s, 0);
  s += '\0';
  for (int frame = 0; frame < o.frames; frame++) {
    if (o.transparentIndex >= 0) {
      s += "\x21\xF9\x04";
      s += char(1);
      U16(s, 10);
      s += char(o.transparentIndex);
      s += '\0';
    }
    s += char(0x2C);
    U16(s, o.left), U16(s, o.top), U16(s, w), U16(s, h);
    s += char(o.interlaced ? 0x40 : 0);
    // Image data: min code size 8, 9-bit codes, a clear code every 254
    // codes so the table never grows past 9 bits.
    const uint32_t clear = 256, end = 257;
    s += char(8);
    std::string codes;
    uint32_t acc = 0, bits = 0;
    auto put = [&](uint32_t code) {
      acc |= code << bits, bits += 9;
      while (bits >= 8) codes += char(acc & 255), acc >>= 8, bits -= 8;
    };
    std::vector<uint8_t> order(indices.size());
    if (o.interlaced) {
      const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      size_t k = 0;
      for (int pass = 0; pass < 4; pass++)
        for (uint32_t y = start[pass]; y < h; y += step[pass])
          for (uint32_t x = 0; x < w; x++) order[k++] = indices[size_t(y) * w + x];
    } else {
      order = indices;
    }
    put(clear);
    size_t pixels = o.stopAfter >= 0 ? std::min(order.size(), size_t(o.stopAfter)) : order.size();
    for (size_t i = 0; i < pixels; i++) {
      if (i && i % 254 == 0) put(clear);
      put(order[i]);
    }
    if (o.endCode) put(end);
    if (bits) codes += char(acc & 255);
    if (o.endCode) codes.append(o.bytesAfterEnd, char(0x5A));
    for (size_t i = 0; i < codes.size(); i += 255) {
      size_t n = std::min<size_t>(255, codes.size() - i);
      if (frame == 0 && o.subBlocks) o.subBlocks->push_back(s.size());
      s += char(n);
      s += codes.substr(i, n);
    }
    if (frame == 0 && o.subBlocks) o.subBlocks->push_back(s.size());
    s += '\0';
  }
  s += char(0x3B);
  return s;
}

namespace {
void PngToString(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), n);
}
void PngFlush(png_structp) {}
}  // namespace

std::string WritePng(const Picture& p, PngKind kind, bool interlaced) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::string();
  }
  png_set_write_fn(png, &out, PngToString, PngFlush);
  int type = kind == PngKind::Rgba ? PNG_COLOR_TYPE_RGBA
             : kind == PngKind::Rgb || kind == PngKind::Rgb16 ? PNG_COLOR_TYPE_RGB
             : kind == PngKind::Grey || kind == PngKind::Grey2 ? PNG_COLOR_TYPE_GRAY
             : kind == PngKind::GreyAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_PALETTE;
  int depth = kind == PngKind::Rgb16 ? 16 : kind == PngKind::Grey2 ? 2 : 8;
  png_set_IHDR(png, info, p.width, p.height, depth, type,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Palette kinds: entry i is grey level i * 17 (16 entries); entry 0 is
  // clear with a transparency chunk.
  if (type == PNG_COLOR_TYPE_PALETTE) {
    png_color pal[16];
    for (int i = 0; i < 16; i++) pal[i].red = pal[i].green = pal[i].blue = png_byte(i * 17);
    png_set_PLTE(png, info, pal, 16);
    if (kind == PngKind::PaletteTrns) {
      png_byte trns[1] = {0};
      png_set_tRNS(png, info, trns, 1, nullptr);
    }
  }
  png_write_info(png, info);
  int passes = png_set_interlace_handling(png);
  size_t channels = type == PNG_COLOR_TYPE_RGBA ? 4 : type == PNG_COLOR_TYPE_RGB ? 3
                    : type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
  std::vector<uint8_t> row(p.width * channels * 2 + 8);
  for (int pass = 0; pass < passes; pass++)
    for (uint32_t y = 0; y < p.height; y++) {
      std::fill(row.begin(), row.end(), 0);
      for (uint32_t x = 0; x < p.width; x++) {
        const uint8_t* q = &p.bgra[(size_t(y) * p.width + x) * 4];
        uint8_t grey = q[1];
        switch (kind) {
          case PngKind::Rgba: row[4 * x] = q[2], row[4 * x + 1] = q[1], row[4 * x + 2] = q[0], row[4 * x + 3] = q[3]; break;
          case PngKind::Rgb: row[3 * x] = q[2], row[3 * x + 1] = q[1], row[3 * x + 2] = q[0]; break;
          case PngKind::Rgb16:
            for (int c = 0; c < 3; c++) row[6 * x + 2 * c] = q[2 - c], row[6 * x + 2 * c + 1] = 0x55;
            break;
          case PngKind::Grey: row[x] = grey; break;
          case PngKind::GreyAlpha: row[2 * x] = grey, row[2 * x + 1] = q[3]; break;
          case PngKind::Grey2: row[x / 4] |= uint8_t((grey >> 6) << (6 - 2 * (x % 4))); break;
          default: row[x] = grey >> 4; break;
        }
      }
      png_write_row(png, row.data());
    }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string WriteJpeg(const Picture& p, int quality, bool grey) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = p.width, c.image_height = p.height;
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(p.width * 3);
  for (uint32_t y = 0; y < p.height; y++) {
    for (uint32_t x = 0; x < p.width; x++) {
      const uint8_t* q = &p.bgra[(size_t(y) * p.width + x) * 4];
      if (grey) row[x] = q[1];
      else row[3 * x] = q[2], row[3 * x + 1] = q[1], row[3 * x + 2] = q[0];
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<char*>(buf), size);
  jpeg_destroy_compress(&c);
  std::free(buf);
  return out;
}

}  // namespace imgfix
