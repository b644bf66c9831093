// Layer images: the record behind a node of the layer tree, its pixel
// buffer, sharing and release, and the dirty marking every subsystem uses to
// report a change to a layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/graphics_limits.h"
#include "vm/objtree.h"

// One block of extra data: a further buffer freed with the record.
struct LayerExtraData {
  void* buffer;
};

// Boxes are x0, y0, x1, y1, inclusive.
struct LayerImage {
  uint8_t shown = 0;         // node is a window's shown root (window command)
  uint8_t messageLayer = 0;  // node is the current message's layer
  uint32_t markCount = 0;    // times the dirty box was started afresh
  int64_t drawBox[4] = {};   // recomposed since the frame driver's last reset
  int64_t dirtyBox[4] = {};  // must be recomposed
  uint8_t dirty = 0;         // the dirty box holds something
  uint8_t wholeImage = 0;    // next composition widens the draw box to all
  uint8_t subtreeDirty = 0;  // this layer or one below must be recomposed
  char maskPath[kLayerPathMax] = {};  // layer whose blue masks this; "" none
  int64_t refCount = 1;      // nodes that show the record
  int64_t extraValues[2] = {};        // command 1 slots 43 and 44
  int64_t x = 0, y = 0;      // top-left in the parent's image, pixels
  uint32_t width = 1, height = 1;
  int16_t opacity = kOpacityFull;     // 0..256
  int16_t maskLevel = kOpacityFull;   // 0..256, 256 = mask off
  int16_t maskGradient = 0;           // 256 = hard threshold
  uint8_t alphaMode = 0;     // 0 plain, 1 blend by source alpha
  uint8_t blendMode = 0;     // 0..18
  uint8_t visible = 1;
  uint8_t pendingVisible = 0, pendingVisibleFlag = 0;
  int16_t pendingOpacity = 0;
  uint8_t pendingOpacityFlag = 0;
  uint8_t* pixels = nullptr;  // BGRA, (width*4)*(height+1)+4 bytes
  uint8_t shrinkInPlace = 0;  // command 1 slot 32
  uint8_t** gifFrames = nullptr;  // kGifFrameMax frame buffers once a GIF loads
  LayerExtraData* extraData = nullptr;
  uint32_t kind = 0;          // 0 image, 1 render texture, 2 E-mote, 3 texture
  int64_t x100 = 0, y100 = 0; // position in 1/100 pixel, kept with x, y
  int64_t zoomX = 10000, zoomY = 10000;
  int64_t gpuValues[5] = {};  // command 1 slots 22..26
  float gpuFloats[3] = {};    // slots 19..21
  uint32_t gpuLevel = 128;    // slot 27
  uint32_t gpuColour = 0x808080;  // slot 28
  uint32_t gpuByte = 0;       // slot 29
  char gpuName[kLayerPathMax] = {};  // slot 30
  uint32_t gpuLevel2 = 0;     // slot 31
  char fileName[kLayerPathMax] = {};  // E-mote file, for re-creation
  void* textureTiles[kTextureTileMax] = {};
  void* emotePlayer = nullptr;
  float playerValues[3] = {1.0f, 1.0f, 1.0f};
  uint32_t playerFlag = 1;
  // Kept by the E-mote host across a device reset: the saved state text
  // (4096 bytes), the current motions of modes 1 and 3 (512 bytes each,
  // made on first use) and the mode-3 ratio.
  char* emoteState = nullptr;
  char* emoteMotion1 = nullptr;
  char* emoteMotion3 = nullptr;
  float emoteRatio3 = 0.0f;
  // Every node that shows this record, so a change reaches all of them.
  std::vector<ObjNode*> sharers;
};

// Things other subsystems keep about layers, dropped when the layer goes.
// Each is optional (null: nothing to do). Set by the owning subsystem at
// start-up; called on the frame thread.
struct LayerHooks {
  void (*clearShownRoot)(ObjNode* node);         // window records showing node
  void (*clearMessageLayer)(ObjNode* node);      // current message's layer
  void (*releaseRecord)(LayerImage* rec);        // textures
  void (*releasePlayer)(LayerImage* rec);        // E-mote player and its stored data
};
extern LayerHooks g_LayerHooks;

// Node named by command 1 as the GPU frame's target; cleared when it goes.
extern ObjNode* g_GpuDrawLayer;
// Byte: the next frame of window 0 redraws everything (GPU). Frame thread.
extern uint8_t g_FullRedraw;
// Time (Clock_Ms32) of the last successful image load, read by the save data.
extern uint32_t g_LastImageLoadTime;

// The record of a node, created with defaults when it has none; null after
// error 100010.
LayerImage* Obj_GetImageRecord(ObjNode* node);
// The node shows `rec` as well; its count goes up by one.
void Obj_AttachRecord(ObjNode* node, LayerImage* rec);
inline LayerImage* Layer_Record(const ObjNode* node) {
  return node ? static_cast<LayerImage*>(node->record) : nullptr;
}

// Bytes of a pixel buffer for width x height: (w*4)*(h+1)+4; 0 when a side
// is outside 1..8192.
size_t Img_PixelBytes(int64_t width, int64_t height);
// Resizes `old` (or allocates) to the buffer of width x height. Both sides
// must be 1..8192 (the box "ＣＧサイズが大きすぎます。X=%d, Y=%d" and 100010
// otherwise); an allocation failure reports 104030 with the name, or 100010
// without one. On failure `old` is untouched and still owned by the caller.
uint8_t* Img_AllocPixels(uint8_t* old, int64_t width, int64_t height, const char* name);
// Gives the record a fresh buffer of width x height and stores the size,
// only once the buffer exists. 0, or -1 after the allocator's report.
int Img_SetSize(LayerImage* rec, int64_t width, int64_t height, const char* name);
int Img_MakeBlank(LayerImage* rec, const char* name);
void Img_KeyTransparent(LayerImage* rec);
void Img_StampLoadTime();

// Marks the whole rectangle of the node (and of every node sharing its
// record) dirty in each ancestor it overlaps. Returns 0.
int Layer_MarkDirty(ObjNode* node);
// Group counterpart: each record from the node up grows its dirty box to its
// own rectangle.
void Layer_InvalidateUp(ObjNode* node);
// The node's own record counts as changed all over (a window's root whose
// picture must be composed again whole); nothing for a node without one.
void Layer_MarkWholeDirty(ObjNode* node);

// Releases the node: unlinks and frees it, and its record when no other node
// shows it (clearing everything that still points at either).
void Obj_Release(ObjNode* node);
void Obj_DeleteChildren(ObjNode* node);
void Obj_DeleteTree(ObjNode* node);
void Obj_FreeExtraData(LayerImage* rec);
// Record part of a release (no unlink, no free of the node); the layer
// tree's release hook for Obj_FreeSubtree.
void Layer_ReleaseNodeRecord(ObjNode* node);
// Installs the layer tree's release hook (idempotent).
void Layer_InstallTreeHooks();

int32_t Cmd_DeleteObject();  // command 3
