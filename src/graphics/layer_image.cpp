// Layer records: creation with defaults, sharing, the pixel buffer rule and
// the transparent-key pass.
#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "graphics/graphics.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "base/base.h"

LayerHooks g_LayerHooks;
ObjNode* g_GpuDrawLayer = nullptr;
uint8_t g_FullRedraw = 0;
uint32_t g_LastImageLoadTime = 0;

namespace {

const char* TooLargeText() {
  static const std::string text = Text_Utf8ToSjis("ＣＧサイズが大きすぎます。X=%d, Y=%d");
  return text.c_str();
}

}  // namespace

LayerImage* Obj_GetImageRecord(ObjNode* node) {
  if (!node) return nullptr;
  if (node->record) return Layer_Record(node);
  Layer_InstallTreeHooks();
  LayerImage* rec = new (std::nothrow) LayerImage();
  if (!rec) {
    Err_Show(100010, 1);
    return nullptr;
  }
  rec->sharers.push_back(node);
  node->record = rec;
  return rec;
}

void Obj_AttachRecord(ObjNode* node, LayerImage* rec) {
  node->record = rec;
  rec->refCount++;
  rec->sharers.push_back(node);
}

size_t Img_PixelBytes(int64_t width, int64_t height) {
  if (width < 1 || height < 1 || width > kImageMaxSide || height > kImageMaxSide) return 0;
  return size_t(width) * 4 * (size_t(height) + 1) + 4;
}

uint8_t* Img_AllocPixels(uint8_t* old, int64_t width, int64_t height, const char* name) {
  size_t bytes = Img_PixelBytes(width, height);
  if (!bytes) {
    Sys_MessageBoxF("", TooLargeText(), int(width), int(height));
    Err_Show(100010, 1);
    return nullptr;
  }
  void* p = std::realloc(old, bytes);
  if (!p) {
    // The trace hook would take "メモリ確保エラーです。[%s](%d, %d)"; it discards.
    if (name && *name) Err_ShowF(104030, 1, name);
    else Err_Show(100010, 1);
    return nullptr;
  }
  return static_cast<uint8_t*>(p);
}

int Img_SetSize(LayerImage* rec, int64_t width, int64_t height, const char* name) {
  // A buffer of the same size is kept: reloading a picture into a layer
  // then costs no allocation.
  if (rec->pixels && rec->width == width && rec->height == height && Img_PixelBytes(width, height)) return 0;
  uint8_t* buf = Img_AllocPixels(nullptr, width, height, name);
  if (!buf) return -1;
  std::free(rec->pixels);
  rec->pixels = buf;
  rec->width = uint32_t(width);
  rec->height = uint32_t(height);
  return 0;
}

int Img_MakeBlank(LayerImage* rec, const char* name) {
  rec->alphaMode = 0;
  if (Img_SetSize(rec, 1, 1, name) != 0) return -1;
  std::fill(rec->pixels, rec->pixels + Img_PixelBytes(1, 1), uint8_t(0));
  Img_KeyTransparent(rec);
  Img_StampLoadTime();
  return 0;
}

void Img_KeyTransparent(LayerImage* rec) {
  if (!rec->pixels) return;
  size_t count = size_t(rec->width) * rec->height;
  uint8_t* p = rec->pixels;
  for (size_t i = 0; i < count; i++, p += 4)
    if (p[3] == 0) p[0] = p[1] = p[2] = 0x80;
}

void Img_StampLoadTime() { g_LastImageLoadTime = Clock_Ms32(); }

void Obj_FreeExtraData(LayerImage* rec) {
  if (!rec->extraData) return;
  std::free(rec->extraData->buffer);
  std::free(rec->extraData);
  rec->extraData = nullptr;
}
