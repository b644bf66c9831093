// Image writers: JPEG, PNG (8-bit RGBA) and 24-bit BMP from a layer. Each
// writes a temporary file beside the target and renames it into place only
// when every write succeeded.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "graphics/jpeg_common.h"
#include "base/base.h"

namespace {

// The temporary file and its fate: removed unless Commit() succeeded.
struct TempOut {
  std::string target, temp;
  FILE* f = nullptr;
  explicit TempOut(const char* path) : target(path), temp(std::string(path) + ".tmp") {
    f = std::fopen(temp.c_str(), "wb");
    if (!f) Sys_MessageBoxF(nullptr, "File Create Error.");
  }
  ~TempOut() {
    if (f) std::fclose(f);
    if (!temp.empty()) std::remove(temp.c_str());
  }
  // Closes and renames; false when the data did not reach the disk.
  bool Commit() {
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    ok = (std::fclose(f) == 0) && ok;
    f = nullptr;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) return false;
    temp.clear();
    return true;
  }
};

void PutU16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void PutU32(uint8_t* p, uint32_t v) { PutU16(p, v & 0xFFFF), PutU16(p + 2, v >> 16); }

bool HasPixels(const LayerImage* rec) { return rec && rec->pixels && rec->width && rec->height; }

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Runs under libpng's long jump; the row buffer belongs to the caller.
void WritePngRows(png_structp png, png_infop info, const LayerImage* rec, int level, uint8_t* row) {
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, rec->width, rec->height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_gAMA(png, info, 1.0 / (2.2 * 1.0));
  png_write_info(png, info);
  png_set_bgr(png);
  size_t bytes = size_t(rec->width) * 4;
  for (uint32_t y = 0; y < rec->height; y++) {
    std::memcpy(row, rec->pixels + y * bytes, bytes);
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
}

// The long jump lands here, in a frame that owns nothing.
bool WritePngGuarded(png_structp png, png_infop info, FILE* f, const LayerImage* rec, int level, uint8_t* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, f);
  WritePngRows(png, info, rec, level, row);
  return true;
}

}  // namespace

int Img_SaveBmp(const LayerImage* rec, const char* path) {
  if (!HasPixels(rec)) return -2;
  TempOut out(path);
  if (!out.f) return -1;
  size_t stride = (size_t(rec->width) * 3 + 3) & ~size_t(3);
  size_t dataSize = stride * rec->height;
  uint8_t head[54] = {'B', 'M'};
  PutU32(head + 2, uint32_t(54 + dataSize));
  PutU32(head + 10, 54);
  PutU32(head + 14, 40);
  PutU32(head + 18, rec->width);
  PutU32(head + 22, rec->height);
  PutU16(head + 26, 1);
  PutU16(head + 28, 24);
  std::vector<uint8_t> data(dataSize, 0);
  for (uint32_t y = 0; y < rec->height; y++) {
    const uint8_t* src = rec->pixels + size_t(rec->height - 1 - y) * rec->width * 4;
    uint8_t* dst = data.data() + y * stride;
    for (uint32_t x = 0; x < rec->width; x++) std::memcpy(dst + 3 * x, src + 4 * x, 3);
  }
  bool ok = std::fwrite(head, 1, 54, out.f) == 54 && std::fwrite(data.data(), 1, dataSize, out.f) == dataSize;
  return ok && out.Commit() ? 0 : -2;
}

int Img_SavePng(LayerImage* rec, const char* path, int level) {
  if (!HasPixels(rec)) return -2;
  TempOut out(path);
  if (!out.f) return -1;
  // A layer without alpha is written opaque, and keeps the opaque alpha.
  if (rec->alphaMode == 0)
    for (size_t i = 3; i < size_t(rec->width) * rec->height * 4; i += 4) rec->pixels[i] = 255;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(png ? &png : nullptr, nullptr);
    return -2;
  }
  std::vector<uint8_t> row(size_t(rec->width) * 4);
  bool ok = WritePngGuarded(png, info, out.f, rec, level < 0 ? 0 : level > 9 ? 9 : level, row.data());
  png_destroy_write_struct(&png, &info);
  return ok && out.Commit() ? 0 : -2;
}

int Img_SaveJpeg(const LayerImage* rec, const char* path, int quality) {
  if (!HasPixels(rec)) return -2;
  TempOut out(path);
  if (!out.f) return -1;
  jpeg_compress_struct cinfo;
  JpegErrorMgr err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = Jpeg_ErrorExit;
  err.pub.output_message = Jpeg_SilentMessage;
  uint8_t* row = static_cast<uint8_t*>(std::malloc(size_t(rec->width) * 3));
  if (!row) return -2;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(row);
    return -2;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out.f);
  cinfo.image_width = rec->width;
  cinfo.image_height = rec->height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  for (uint32_t y = 0; y < rec->height; y++) {
    const uint8_t* src = rec->pixels + size_t(y) * rec->width * 4;
    for (uint32_t x = 0; x < rec->width; x++) {
      row[3 * x] = src[4 * x + 2], row[3 * x + 1] = src[4 * x + 1], row[3 * x + 2] = src[4 * x];
    }
    JSAMPROW r = row;
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::free(row);
  return out.Commit() ? 0 : -2;
}
