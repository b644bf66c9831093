// JPEG reader on libjpeg (6b interface, libjpeg-turbo's BGRA output), from
// memory, with a long-jump error manager.
#include <cstdio>
#include <csetjmp>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "graphics/graphics.h"
#include "graphics/jpeg_common.h"
#include "base/base.h"

namespace {

// The whole file is handed over at once. When libjpeg asks for more, the
// file ended early: that is a damaged file, and the decode fails (no read
// or skip ever goes past the file's end, and no partial picture is kept).
void Img_JpegInitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr cinfo) {
  cinfo->err->msg_code = JERR_INPUT_EOF;
  cinfo->err->error_exit(j_common_ptr(cinfo));
  return FALSE;  // not reached: error_exit jumps back into the decoder
}
void Img_JpegSkipInput(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  if (size_t(n) > src->bytes_in_buffer) {
    FillInput(cinfo);
    return;
  }
  src->next_input_byte += n;
  src->bytes_in_buffer -= size_t(n);
}
void TermSource(j_decompress_ptr) {}

// CMYK (Adobe files store it inverted) to BGRA.
void CmykRow(uint8_t* out, const uint8_t* in, JDIMENSION w, bool inverted) {
  for (JDIMENSION x = 0; x < w; x++, in += 4, out += 4) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    out[0] = uint8_t(y * k / 255), out[1] = uint8_t(m * k / 255), out[2] = uint8_t(c * k / 255);
    out[3] = 255;
  }
}

// Runs under the error manager's long jump: nothing here needs a destructor;
// the CMYK row buffer is owned by libjpeg's pool.
int Decode(jpeg_decompress_struct* cinfo, LayerImage* rec, const char* name) {
  jpeg_read_header(cinfo, TRUE);
  if (cinfo->image_width > JDIMENSION(kImageMaxSide) || cinfo->image_height > JDIMENSION(kImageMaxSide)) {
    Err_ScriptF(100091, 1, name);
    return -1;
  }
  bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(cinfo);
  JDIMENSION w = cinfo->output_width, h = cinfo->output_height;
  if (Img_SetSize(rec, w, h, name) != 0) return -1;
  JSAMPARRAY tmp = cmyk ? (*cinfo->mem->alloc_sarray)(j_common_ptr(cinfo), JPOOL_IMAGE, w * 4, 1) : nullptr;
  while (cinfo->output_scanline < h) {
    uint8_t* row = rec->pixels + size_t(cinfo->output_scanline) * w * 4;
    JSAMPROW target = cmyk ? tmp[0] : row;
    if (jpeg_read_scanlines(cinfo, &target, 1) != 1) break;
    if (cmyk) CmykRow(row, tmp[0], w, cinfo->saw_Adobe_marker);
  }
  jpeg_finish_decompress(cinfo);
  return 0;
}

}  // namespace

void Jpeg_ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorMgr*>(cinfo->err);
  std::longjmp(err->jump, 1);
}
void Jpeg_SilentMessage(j_common_ptr) {}

int Img_DecodeJpeg(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  jpeg_decompress_struct cinfo;
  JpegErrorMgr err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = Jpeg_ErrorExit;
  err.pub.output_message = Jpeg_SilentMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    if (rec->pixels) std::memset(rec->pixels, 0, size_t(rec->width) * rec->height * 4);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_source_mgr src;
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  src.init_source = Img_JpegInitSource;
  src.fill_input_buffer = FillInput;
  src.skip_input_data = Img_JpegSkipInput;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = TermSource;
  cinfo.src = &src;
  int r = Decode(&cinfo, rec, name);
  jpeg_destroy_decompress(&cinfo);
  return r;
}
