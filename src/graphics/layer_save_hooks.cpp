// The layer pictures of the save data commands: read for writing, and put
// back into a layer (size, pixels, load time) when a record is restored.
#include <cstring>

#include "graphics/graphics.h"
#include "graphics/layer_image.h"
#include "vm/save_cmds.h"

namespace {

bool Picture(ObjNode* node, uint32_t* w, uint32_t* h, const uint8_t** pixels) {
  LayerImage* rec = Layer_Record(node);
  if (!rec || !rec->pixels || rec->kind != 0) return false;
  *w = rec->width;
  *h = rec->height;
  *pixels = rec->pixels;
  return true;
}

int Restore(ObjNode* node, uint32_t w, uint32_t h, const uint8_t* pixels) {
  LayerImage* rec = Obj_GetImageRecord(node);
  if (!rec || Img_SetSize(rec, w, h, nullptr) != 0) return -1;
  std::memcpy(rec->pixels, pixels, size_t(w) * 4 * h);
  Img_StampLoadTime();
  Layer_MarkDirty(node);
  return 0;
}

int SaveImage(ObjNode* node, const char* hostPath, int format, int level) {
  LayerImage* rec = Layer_Record(node);
  if (!rec) return -1;
  if (format == 0) return Img_SaveBmp(rec, hostPath);
  if (format == 2) return Img_SaveJpeg(rec, hostPath, level);
  return Img_SavePng(rec, hostPath, level);
}

}  // namespace

void Gfx_InstallSaveHooks() {
  g_SaveLayerHooks.saveImage = SaveImage;
  g_SaveLayerHooks.picture = Picture;
  g_SaveLayerHooks.restore = Restore;
}
