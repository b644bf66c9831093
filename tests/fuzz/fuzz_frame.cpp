// Fuzz target for frame files: the header check, the unscramble and the
// decode of the first, a middle and the last frame into a layer.
#include <cstdint>
#include <cstdlib>

#include "base/base.h"
#include "graphics/cg_op.h"
#include "graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    return true;
  }();
  (void)ready;
  LayerImage rec;
  ObjNode* node = Obj_NewNode("fuzz", 4, kObjKindLeaf, &rec);
  rec.sharers.push_back(node);
  if (Cg_AttachFrameFile(&rec, data, size, "fuzz") == 0) {
    int64_t n = Cg_FrameSetValue(&rec, 0);
    for (int64_t i : {int64_t(0), n / 2, n})
      Cg_ShowFrame(node, i);
  }
  node->record = nullptr;
  Obj_FreeNode(node);
  Obj_FreeExtraData(&rec);
  std::free(rec.pixels);
  rec.pixels = nullptr;
  g_QuitRequested = 0;
  return 0;
}
