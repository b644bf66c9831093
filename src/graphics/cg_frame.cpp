// Frame files: many JPEG frames (each with an optional JPEG alpha image) in
// one file, attached to a layer and decoded one frame at a time.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>

#include "base/base.h"
#include "files/files.h"
#include "graphics/cg_op_internal.h"
#include "graphics/jpeg_common.h"

namespace {

// The engine's own scramble pattern; a game's tools write with the same.
constexpr uint8_t kPattern[16] = {0x5A, 0xC3, 0x1E, 0x96, 0x2D, 0x78, 0xE1, 0x4B,
                                  0xB4, 0x0F, 0x87, 0x69, 0xD2, 0x3C, 0xA5, 0xF0};

constexpr uint32_t kFrameSetMagic = 0x54455346;  // "FSET"

uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

FrameScramble g_FrameScramble = {kPattern, sizeof kPattern};

// The frame set lives in the layer's extra-data buffer, followed by the
// file's bytes, so the record's release frees it with everything else.
struct FrameSet {
  uint32_t magic;
  uint32_t count;
  uint32_t alpha;
  int32_t values[3];
  size_t size;
  const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
  uint32_t Offset(uint32_t i) const { return U32(Data() + framefile::kOffTables + 4 * i); }
  uint32_t ColourSize(uint32_t i) const { return U32(Data() + framefile::kOffTables + 4 * (count + i)); }
  uint32_t AlphaSize(uint32_t i) const { return U32(Data() + framefile::kOffTables + 4 * (2 * count + i)); }
};

void Cg_ScrambleStream(uint8_t* p, size_t n) {
  const FrameScramble& s = g_FrameScramble;
  if (!s.bytes || s.length == 0) return;
  for (size_t i = 0; i < n; i++) p[i] ^= s.bytes[i % s.length];
}

int Cg_CheckFrameFile(const uint8_t* data, size_t size) {
  using namespace framefile;
  if (!data || size < kOffTables) return -1;
  uint32_t n = U32(data + kOffCount);
  if (n < 1 || n > kMaxFrames || kOffTables + 12 * uint64_t(n) > size) return -1;
  bool alpha = U32(data + kOffAlpha) == 1;
  // Streams lie behind the tables: they are unscrambled in place, which
  // must never touch the tables still to be read.
  uint64_t tablesEnd = kOffTables + 12 * uint64_t(n);
  for (uint32_t i = 0; i < n; i++) {
    uint64_t off = U32(data + kOffTables + 4 * i);
    if (off < tablesEnd) return -1;
    uint64_t end = off + U32(data + kOffTables + 4 * (n + i));
    if (alpha) end += U32(data + kOffTables + 4 * (2 * n + i));
    if (end > size) return -1;
  }
  return 0;
}

const FrameSet* Cg_GetFrameSet(const LayerImage* rec) {
  if (!rec || !rec->extraData || !rec->extraData->buffer) return nullptr;
  const FrameSet* fs = static_cast<const FrameSet*>(rec->extraData->buffer);
  return fs->magic == kFrameSetMagic ? fs : nullptr;
}

int64_t Cg_FrameSetValue(const LayerImage* rec, int which) {
  const FrameSet* fs = Cg_GetFrameSet(rec);
  if (!fs) return 0;
  if (which == 0) return fs->count;
  if (which == 1) return fs->alpha;
  return which >= 2 && which <= 4 ? fs->values[which - 2] : 0;
}

int Cg_AttachFrameFile(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  using namespace framefile;
  if (Cg_CheckFrameFile(data, size) != 0) {
    Err_ScriptF(104010, 1, name);
    return -1;
  }
  auto* extra = static_cast<LayerExtraData*>(std::calloc(1, sizeof(LayerExtraData)));
  void* block = std::malloc(sizeof(FrameSet) + size);
  if (!extra || !block) {
    std::free(extra);
    std::free(block);
    Err_ShowF(100010, 1, name);
    return -1;
  }
  Obj_FreeExtraData(rec);
  FrameSet* fs = new (block) FrameSet{};
  fs->magic = kFrameSetMagic;
  fs->count = U32(data + kOffCount);
  fs->alpha = U32(data + kOffAlpha) == 1 ? 1 : 0;
  for (int i = 0; i < 3; i++) fs->values[i] = int32_t(U32(data + kOffValues + 4 * i));
  fs->size = size;
  std::memcpy(fs->Data(), data, size);
  for (uint32_t i = 0; i < fs->count; i++) {
    uint8_t* stream = fs->Data() + fs->Offset(i);
    Cg_ScrambleStream(stream, fs->ColourSize(i));
    if (fs->alpha) Cg_ScrambleStream(stream + fs->ColourSize(i), fs->AlphaSize(i));
  }
  extra->buffer = fs;
  rec->extraData = extra;
  return 0;
}

int Cg_LoadFrameFile(ObjNode* node, const char* name) {
  LayerImage* rec = Obj_GetImageRecord(node);
  if (!rec) return -1;
  char path[kFilePathMax];
  std::snprintf(path, sizeof path, "%s", name ? name : "");
  Str_ToLowerSjis(path);
  Str_ReplaceCharSjis(path, '/', '\\');
  FileRef ref;
  if (File_LoadNeeded(ref, path) != 0) {
    Err_ScriptF(104010, 1, path);
    return -1;
  }
  int r = Cg_AttachFrameFile(rec, ref.data, ref.size, path);
  std::free(ref.data);
  return r;
}

// ---- Decoding a frame --------------------------------------------------

namespace {

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};
void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr cinfo) {
  // The stream ended early: a fake end marker lets libjpeg finish.
  cinfo->src->next_input_byte = kFakeEoi;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}
void SkipInput(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  if (size_t(n) > cinfo->src->bytes_in_buffer) {
    FillInput(cinfo);
    return;
  }
  cinfo->src->next_input_byte += n;
  cinfo->src->bytes_in_buffer -= size_t(n);
}
void TermSource(j_decompress_ptr) {}

// Decodes one stream into the layer: the colour into whole pixels, or the
// first channel into the alpha bytes. 0 decoded, -1 a JPEG error or the
// alpha image's size differs, -2 the layer's buffer could not be made
// (reported). Nothing here needs a destructor: libjpeg's error exit jumps
// back over it.
int DecodeStream(LayerImage* rec, const uint8_t* data, size_t size, bool alpha, const char* name) {
  jpeg_decompress_struct cinfo;
  JpegErrorMgr err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = Jpeg_ErrorExit;
  err.pub.output_message = Jpeg_SilentMessage;
  jpeg_source_mgr src;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  src.init_source = InitSource;
  src.fill_input_buffer = FillInput;
  src.skip_input_data = SkipInput;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = TermSource;
  cinfo.src = &src;
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = alpha ? JCS_GRAYSCALE : JCS_EXT_BGRA;
  jpeg_calc_output_dimensions(&cinfo);
  JDIMENSION w = cinfo.output_width, h = cinfo.output_height;
  if (w != rec->width || h != rec->height || !rec->pixels) {
    if (alpha) {
      jpeg_destroy_decompress(&cinfo);
      return -1;  // an alpha image of another size is left out
    }
    if (Img_SetSize(rec, w, h, name) != 0) {
      jpeg_destroy_decompress(&cinfo);
      return -2;
    }
  }
  jpeg_start_decompress(&cinfo);
  JSAMPARRAY tmp = alpha ? (*cinfo.mem->alloc_sarray)(j_common_ptr(&cinfo), JPOOL_IMAGE, w, 1) : nullptr;
  while (cinfo.output_scanline < h) {
    uint8_t* row = rec->pixels + size_t(cinfo.output_scanline) * w * 4;
    JSAMPROW target = alpha ? tmp[0] : row;
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) break;
    if (alpha)
      for (JDIMENSION x = 0; x < w; x++) row[x * 4 + 3] = tmp[0][x];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

}  // namespace

int Cg_ShowFrame(ObjNode* node, int64_t index) {
  LayerImage* rec = Layer_Record(node);
  const FrameSet* fs = Cg_GetFrameSet(rec);
  if (!fs || fs->count == 0) return 0;
  uint32_t i = uint32_t(index < 0 ? 0 : index >= fs->count ? fs->count - 1 : index);
  rec->alphaMode = fs->alpha ? 1 : 0;
  const uint8_t* stream = fs->Data() + fs->Offset(i);
  const char* name = node->name ? node->name : "";
  int r = DecodeStream(rec, stream, fs->ColourSize(i), false, name);
  if (r == -2) return -1;
  if (r == 0 && fs->alpha) DecodeStream(rec, stream + fs->ColourSize(i), fs->AlphaSize(i), true, name);
  Layer_MarkDirty(node);
  return 0;
}
