// PNG reader on libpng, from memory, rows decoded straight into the layer.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "graphics/graphics.h"
#include "base/base.h"

namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

// Copies the requested bytes from the file in memory; a read past its end
// is a libpng error, so a truncated file fails instead of reading beyond.
void Img_PngReadMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->size - src->pos) png_error(png, "truncated");
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
}
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// How rows reach the layer. Plain 8-bit RGB and RGBA files (the common
// case) are read untransformed and converted by the engine's vector rows,
// several times faster than the library's per-byte filler and swap passes.
// Every other form goes through the library's transforms.
enum class PngRows { kRgb, kRgba, kTransformed };

PngRows ChooseRows(png_structp png, png_infop info, bool* alpha) {
  int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
  bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  // A palette or colour image with a transparency chunk blends by its alpha.
  *alpha = (type & PNG_COLOR_MASK_ALPHA) || hasTrns;
  bool plain = depth == 8 && png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
  if (plain && type == PNG_COLOR_TYPE_RGB && !hasTrns) return PngRows::kRgb;
  if (plain && type == PNG_COLOR_TYPE_RGB_ALPHA) return PngRows::kRgba;
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTrns) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!*alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  return PngRows::kTransformed;
}

// Reads the whole image; runs under libpng's long jump, so it holds nothing
// that needs a destructor. Returns 0, 1 for a too large image, 2 for an
// allocation failure (both already reported).
int ReadImage(png_structp png, png_infop info, LayerImage* rec, const char* name) {
  png_read_info(png, info);
  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w > png_uint_32(kImageMaxSide) || h > png_uint_32(kImageMaxSide)) {
    Err_ScriptF(100091, 1, name);
    return 1;
  }
  bool alpha = false;
  PngRows rows = ChooseRows(png, info, &alpha);
  int passes = rows == PngRows::kTransformed ? png_set_interlace_handling(png) : 1;
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != png_size_t(w) * (rows == PngRows::kRgb ? 3 : 4))
    png_error(png, "unexpected row size");
  if (Img_SetSize(rec, w, h, name) != 0) return 2;
  rec->alphaMode = alpha ? 1 : 0;
  for (int p = 0; p < passes; p++)
    for (png_uint_32 y = 0; y < h; y++) {
      uint8_t* row = rec->pixels + size_t(y) * w * 4;
      // An RGB row lands in the last three quarters of its layer row, from
      // which the expansion runs forward in place.
      png_read_row(png, rows == PngRows::kRgb ? row + w : row, nullptr);
      if (rows == PngRows::kRgb) Pix_ExpandRgbRow(row, w);
      else if (rows == PngRows::kRgba) Pix_SwapRedBlueRow(row, w);
    }
  png_read_end(png, nullptr);
  return 0;
}

}  // namespace

int Img_DecodePng(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
    Err_Show(100200, 1);
    return -1;
  }
  PngSource src{data, size, 0};
  png_set_read_fn(png, &src, Img_PngReadMemory);
  int result;
  if (setjmp(png_jmpbuf(png))) {
    result = -1;
    // A damaged file: the layer keeps no half-decoded rows.
    if (rec->pixels) std::memset(rec->pixels, 0, size_t(rec->width) * rec->height * 4);
    Err_ShowF(100200, 1, name);
  } else {
    result = ReadImage(png, info, rec, name) == 0 ? 0 : -1;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}
