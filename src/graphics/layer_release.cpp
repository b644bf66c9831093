// Releasing layers: a node goes at once, its record when the last node that
// shows it goes.
#include <cstdlib>
#include <cstring>

#include "graphics/graphics.h"
#include "base/base.h"

namespace {

void FreeGifFrames(LayerImage* rec) {
  if (!rec->gifFrames) return;
  for (int i = 0; i < kGifFrameMax; i++) std::free(rec->gifFrames[i]);
  std::free(rec->gifFrames);
  rec->gifFrames = nullptr;
}

void FreeRecord(LayerImage* rec) {
  if (g_LayerHooks.releasePlayer) g_LayerHooks.releasePlayer(rec);  // animated character
  if (g_LayerHooks.releaseRecord) g_LayerHooks.releaseRecord(rec);  // tiles
  std::free(rec->pixels);
  rec->pixels = nullptr;
  Obj_FreeExtraData(rec);
  FreeGifFrames(rec);
  delete rec;
}

}  // namespace

void Layer_ReleaseNodeRecord(ObjNode* node) {
  LayerImage* rec = Layer_Record(node);
  if (g_GpuDrawLayer == node) g_GpuDrawLayer = nullptr;
  if (!rec) return;
  // Window roots and the message layer point at this node, which goes now,
  // whether or not other nodes keep the record. The windows are asked
  // whatever the shown byte says: the byte belongs to the record, and a
  // window that moves to another root clears it even while a second window
  // still shows this one; the drag layer (a leaf) never carries it at all.
  if (g_LayerHooks.clearShownRoot) g_LayerHooks.clearShownRoot(node);
  if (rec->messageLayer && g_LayerHooks.clearMessageLayer) g_LayerHooks.clearMessageLayer(node);
  auto& s = rec->sharers;
  for (size_t i = 0; i < s.size(); i++)
    if (s[i] == node) {
      s.erase(s.begin() + long(i));
      break;
    }
  if (s.empty()) rec->shown = rec->messageLayer = 0;
  node->record = nullptr;
  if (rec->refCount > 0) rec->refCount--;
  if (rec->refCount == 0) FreeRecord(rec);
}

void Layer_InstallTreeHooks() {
  // Set every time: a restarted engine (or a test) may have replaced it.
  Obj_SetReleaseHook(kTreeLayer, Layer_ReleaseNodeRecord);
}

void Obj_Release(ObjNode* node) {
  if (!node) return;
  Obj_Unlink(node);
  Layer_ReleaseNodeRecord(node);
  Obj_FreeNode(node);
}

void Obj_DeleteChildren(ObjNode* node) {
  ObjNode* child = node ? node->first : nullptr;
  while (child) {
    ObjNode* next = child->next;
    if (child->kind == kObjKindGroup) Obj_DeleteChildren(child);
    Obj_Release(child);
    child = next;
  }
}

void Obj_DeleteTree(ObjNode* node) {
  Obj_DeleteChildren(node);
  Obj_Release(node);
}
