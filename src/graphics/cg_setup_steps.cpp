// Command 1's steps: finding or creating the node, the image, positions,
// sizes and the stored values.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/cg_setup_internal.h"
#include "platform/text.h"
#include "base/base.h"

using namespace cg;
namespace a = cgarg;

namespace {

// Drops a node that could not get a record, so no node without one stays.
int DropNode(ObjNode* node, int32_t code, const char* path) {
  Obj_Release(node);
  Report(code, path);
  return -1;
}

int CreateLeaf(CgState& st) {
  if (!Given(a::kFile) && !Given(a::kShare)) {
    if (!StrictMissingLeaf()) return 0;
    Report(101230, st.path);
    return -1;
  }
  if (st.key == -1) {
    Report(100240, st.path);
    return -1;
  }
  ObjNode* node = Cg_CreateNode(g_TreeRoots[kTreeLayer].root, st.path, 0, st.key);
  if (!node) return -1;
  if (Given(a::kFile)) {
    if (!Obj_GetImageRecord(node)) return DropNode(node, 100010, st.path);
  } else {
    char share[kObjPathMax];
    int mode = Resolve(share, Str(a::kShare));
    if (mode < 0) return DropNode(node, 101250, Str(a::kShare));
    ObjNode* other = *Str(a::kShare) ? Obj_FindByPath(g_TreeRoots[kTreeLayer].root, share, kObjFindLeaf) : nullptr;
    if (!Layer_Record(other)) return DropNode(node, 101250, Str(a::kShare));
    Obj_AttachRecord(node, Layer_Record(other));
  }
  st.node = node;
  return 1;
}

// A new canvas of w x h for a leaf, opaque black, with the old image in its
// top-left corner; size and buffer change together once the buffer exists.
int RemakeLeafCanvas(CgState& st) {
  LayerImage* r = st.rec;
  uint8_t* buf = Img_AllocPixels(nullptr, st.width, st.height, st.path);
  if (!buf) return -1;
  size_t rowBytes = size_t(st.width) * 4;
  for (int64_t y = 0; y < st.height; y++) g_PixelOps.wordFill(buf + size_t(y) * rowBytes, rowBytes, 0xFF000000u);
  if (r->pixels) {
    uint32_t cw = std::min<uint32_t>(r->width, uint32_t(st.width));
    uint32_t ch = std::min<uint32_t>(r->height, uint32_t(st.height));
    for (uint32_t y = 0; y < ch; y++)
      g_PixelOps.copy(buf + y * rowBytes, r->pixels + size_t(y) * r->width * 4, size_t(cw) * 4);
  }
  std::free(r->pixels);
  r->pixels = buf;
  r->width = uint32_t(st.width), r->height = uint32_t(st.height);
  return 0;
}

int ResizeGroup(CgState& st) {
  LayerImage* r = st.rec;
  int64_t w = Given(a::kWidth) ? st.width : r->width;
  int64_t h = Given(a::kHeight) ? st.height : r->height;
  Layer_InvalidateUp(st.node);
  if (w > kImageMaxSide) {
    Sys_MessageBoxF("", TooLargeText(), int(w), int(h));
    Report(100010, st.path);
    return -1;
  }
  uint8_t* buf = Img_AllocPixels(nullptr, w, h, st.path);
  if (!buf) return -1;
  std::free(r->pixels);
  r->pixels = buf;
  r->width = uint32_t(w), r->height = uint32_t(h);
  r->wholeImage = r->dirty = 1;
  r->dirtyBox[0] = r->dirtyBox[1] = 0;
  r->dirtyBox[2] = w - 1, r->dirtyBox[3] = h - 1;
  g_PixelOps.zeroFill(r->pixels, size_t(w) * 4 * size_t(h));
  Layer_InvalidateUp(st.node);
  Cg_CommitPendingState(g_TreeRoots[kTreeLayer].root->first);
  Comp_RedrawLayer(st.node, 1);
  return 0;
}

template <typename T>
void Store(CgState& st, T& field, int64_t v) {
  if (field != T(v)) st.changed = true;
  field = T(v);
}

}  // namespace

int Cg_FindOrCreate(CgState& st) {
  char path[kCgPathMax];
  if (Given(a::kNumber)) {
    std::snprintf(path, sizeof path, "%s.%lld", Str(a::kPath), (long long)Val(a::kNumber));
    st.key = Val(a::kNumber);
  } else {
    std::snprintf(path, sizeof path, "%s", Str(a::kPath));
  }
  int mode = Resolve(st.path, path);
  if (mode < 0) return -1;
  st.group = mode == 1 && !Given(a::kNumber);
  ObjNode* root = g_TreeRoots[kTreeLayer].root;
  st.node = Obj_FindByPath(root, st.path, st.group ? kObjFindGroup : kObjFindLeaf);
  st.width = Given(a::kWidth) ? Val(a::kWidth) : -1;
  st.height = Given(a::kHeight) ? Val(a::kHeight) : -1;
  if (Given(a::kKey)) {
    st.key = Cmd_ApplyOpClampMin(Op(a::kKey), st.node ? st.node->key : 1, Val(a::kKey), 1);
    if (st.node && Cg_Relink(st.node, st.key)) st.changed = true;
  }
  if (!st.node) {
    if (st.group) {
      if (Given(a::kFile) || Given(a::kShare)) {
        Report(101280, st.path);
        return -1;
      }
      if (st.width == -1 || st.height == -1 || st.key == -1) return 0;
      if (!Cg_Create(st.path, st.width, st.height, st.key, 1)) return -1;
      st.node = Obj_FindByPath(root, st.path, kObjFindGroup);
    } else {
      int r = CreateLeaf(st);
      if (r <= 0) return r;
    }
  }
  st.rec = Obj_GetImageRecord(st.node);
  if (!st.rec) return -1;
  return 1;
}

int Cg_ApplyImage(CgState& st) {
  LayerImage* r = st.rec;
  if (Given(a::kGpuLevel))
    Store(st, r->gpuLevel, Cmd_ApplyOpClampMax(Op(a::kGpuLevel), int16_t(r->gpuLevel), Val(a::kGpuLevel), 0, 256));
  if (Given(a::kFile)) {
    if (st.group) {
      Report(101280, st.path);
      return -1;
    }
    Layer_MarkDirty(st.node);
    if (Cg_SetImageFile(r, Str(a::kFile), 1) != 0) {
      g_QuitRequested = 1;
      return -1;
    }
    Layer_MarkDirty(st.node);  // the new image may be larger than the old one
  }
  if (Given(a::kAlphaFrom) && *Str(a::kAlphaFrom)) {
    char src[kObjPathMax];
    int mode = Resolve(src, Str(a::kAlphaFrom));
    if (mode < 0) return -1;
    LayerImage* m = Layer_Record(Obj_FindByPath(g_TreeRoots[kTreeLayer].root, src, mode == 1 ? kObjFindGroup : kObjFindLeaf));
    if (m && m->pixels && r->pixels) {
      if (m->width != r->width || m->height != r->height) {
        static const std::string text = Text_Utf8ToSjis("レイヤ画像とマスクレイヤ画像のサイズが異なります。");
        Sys_MessageBoxF(nullptr, "%s", text.c_str());
        g_QuitRequested = 1;
        return -1;
      }
      size_t n = size_t(r->width) * r->height;
      for (size_t i = 0; i < n; i++) r->pixels[i * 4 + 3] = m->pixels[i * 4];
      r->alphaMode = 1;
    }
  }
  if (Given(a::kMaskPath) || Given(a::kMaskNumber)) {
    // Stored absolute, so the compositor finds the same layer whatever the
    // tree's current path is when it composes.
    char mask[kCgPathMax], resolved[kObjPathMax];
    if (Given(a::kMaskNumber))
      std::snprintf(mask, sizeof mask, "%s.%lld", Str(a::kMaskPath), (long long)Val(a::kMaskNumber));
    else
      std::snprintf(mask, sizeof mask, "%s", Str(a::kMaskPath));
    if (!mask[0]) {
      r->maskPath[0] = 0;
    } else {
      if (Resolve(resolved, mask) < 0) return -1;
      std::snprintf(r->maskPath, sizeof r->maskPath, ":%s", resolved);
    }
  }
  return 0;
}

void Cg_ApplyPending(CgState& st) {
  LayerImage* r = st.rec;
  if (Given(a::kVisible)) {
    r->pendingVisible = uint8_t(Val(a::kVisible));
    r->pendingVisibleFlag = 1;
  }
  if (Given(a::kOpacity)) {
    r->pendingOpacity = int16_t(Cmd_ApplyOpClampMax(Op(a::kOpacity), r->opacity, Val(a::kOpacity), 0, 256));
    r->pendingOpacityFlag = 1;
  }
}

void Cg_ApplyPosition(CgState& st) {
  LayerImage* r = st.rec;
  struct Axis { int id; bool hundredths; int64_t* px; int64_t* h; };
  const Axis axes[] = {{a::kX, false, &r->x, &r->x100}, {a::kX100, true, &r->x, &r->x100},
                       {a::kY, false, &r->y, &r->y100}, {a::kY100, true, &r->y, &r->y100}};
  for (const Axis& ax : axes) {
    if (!Given(ax.id)) continue;
    int64_t* field = ax.hundredths ? ax.h : ax.px;
    int64_t v = Cmd_ApplyOp(Op(ax.id), *field, Val(ax.id));
    if (v == *field) continue;
    if (st.group) Layer_InvalidateUp(st.node);
    else Layer_MarkDirty(st.node);
    *field = v;
    if (ax.hundredths) *ax.px = v / 100;
    else *ax.h = int64_t(uint64_t(v) * 100);
    st.changed = true;
  }
}

int Cg_ApplySize(CgState& st) {
  if (!Given(a::kWidth) && !Given(a::kHeight)) return 0;
  if (st.group) return ResizeGroup(st);
  if (!Given(a::kFile)) {
    Report(100244, st.path);
    return -1;
  }
  if (!Given(a::kWidth) || !Given(a::kHeight)) {
    Report(100243, st.path);
    return -1;
  }
  Layer_MarkDirty(st.node);
  if (st.width > kImageMaxSide) {
    Sys_MessageBoxF("", TooLargeText(), int(st.width), int(st.height));
    Report(100010, st.path);
    return -1;
  }
  if (RemakeLeafCanvas(st) != 0) return -1;
  Layer_MarkDirty(st.node);
  return 0;
}

int Cg_ApplyLooks(CgState& st) {
  LayerImage* r = st.rec;
  if (Given(a::kMaskLevel))
    Store(st, r->maskLevel, Cmd_ApplyOpClampMax(Op(a::kMaskLevel), r->maskLevel, Val(a::kMaskLevel), 0, 256));
  if (Given(a::kMaskGradient)) Store(st, r->maskGradient, int16_t(Val(a::kMaskGradient)));
  if (Given(a::kBlendMode)) Store(st, r->blendMode, uint8_t(Val(a::kBlendMode)));
  bool fullGpu = g_CgGpuHooks.fullGpu && g_CgGpuHooks.fullGpu();
  if (Given(a::kUpload) && Val(a::kUpload) == 1 && fullGpu) {
    if (r->kind == 0) r->kind = 1;
    if (!g_CgGpuHooks.pasteSprite || g_CgGpuHooks.pasteSprite(r) != 0) return -1;
  }
  if (Given(a::kGpuLayer)) {
    if (Val(a::kGpuLayer) == 1) g_GpuDrawLayer = st.node;
    else if (Val(a::kGpuLayer) == 0) g_GpuDrawLayer = nullptr;
  }
  if (Given(a::kZoomX)) Store(st, r->zoomX, Cmd_ApplyOp(Op(a::kZoomX), r->zoomX, Val(a::kZoomX)));
  if (Given(a::kZoomY)) Store(st, r->zoomY, Cmd_ApplyOp(Op(a::kZoomY), r->zoomY, Val(a::kZoomY)));
  for (int i = 0; i < 3; i++)
    if (Given(a::kGpuF0 + i)) {
      float v = float(Cmd_ApplyOp(Op(a::kGpuF0 + i), int64_t(r->gpuFloats[i]), Val(a::kGpuF0 + i)));
      if (v != r->gpuFloats[i]) st.changed = true;
      r->gpuFloats[i] = v;
    }
  for (int i = 0; i < 5; i++)
    if (Given(a::kGpuV0 + i)) Store(st, r->gpuValues[i], Cmd_ApplyOp(Op(a::kGpuV0 + i), r->gpuValues[i], Val(a::kGpuV0 + i)));
  if (Given(a::kGpuColour))
    Store(st, r->gpuColour, Cmd_ApplyOpClampMax(Op(a::kGpuColour), r->gpuColour, Val(a::kGpuColour), 0, 0x1000000));
  if (Given(a::kGpuByte)) Store(st, r->gpuByte, uint8_t(Val(a::kGpuByte)));
  if (Given(a::kGpuName)) {
    std::snprintf(r->gpuName, sizeof r->gpuName, "%s", Str(a::kGpuName));
    st.changed = true;
  }
  if (Given(a::kGpuLevel2))
    Store(st, r->gpuLevel2, Cmd_ApplyOpClampMax(Op(a::kGpuLevel2), int16_t(r->gpuLevel2), Val(a::kGpuLevel2), 0, 256));
  if (Given(a::kShrink)) Store(st, r->shrinkInPlace, Cmd_ApplyOpClampMax(Op(a::kShrink), r->shrinkInPlace, Val(a::kShrink), 0, 1));
  if (Given(a::kGpuPresent) && fullGpu) {
    Cg_CommitPendingState(g_TreeRoots[kTreeLayer].root->first);
    if (g_CgGpuHooks.presentFrame) g_CgGpuHooks.presentFrame();
    st.changed = true;
  }
  if (Given(a::kExtra0)) r->extraValues[0] = Cmd_ApplyOp(Op(a::kExtra0), r->extraValues[0], Val(a::kExtra0));
  if (Given(a::kExtra1)) r->extraValues[1] = Cmd_ApplyOp(Op(a::kExtra1), r->extraValues[1], Val(a::kExtra1));
  return 0;
}
