// Command 2: one operation on layer images, chosen by the first operation
// slot given. Preparation (layers, values, rectangle) and dispatch; the
// operations live in cg_effect*, cg_scale*, cg_blit and cg_canvas.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/cg_op_internal.h"
#include "base/base.h"
#include "platform/text.h"

CgOpHooks g_CgOpHooks;

void Cg_SetFrameScalers(decltype(CgOpHooks::scaleNearest) nearest,
                        decltype(CgOpHooks::scaleFiltered) filtered,
                        decltype(CgOpHooks::scaleFilteredShared) shared) {
  g_CgOpHooks.scaleNearest = nearest;
  g_CgOpHooks.scaleFiltered = filtered;
  g_CgOpHooks.scaleFilteredShared = shared;
}

namespace cgop {

const char* CmdName() { return Flow_CmdName(kCmdCgOperate); }
const char* ArgName(int id) {
  const CmdArgSchema* a = CmdSchema_Arg(kCmdCgOperate, id);
  return a ? a->name : "";
}
void ReportSlot(int32_t code, int slot) { Err_ScriptF(code, 1, CmdName(), ArgName(slot)); }

uint8_t* NewPixels(int64_t w, int64_t h, const char* name) {
  return Img_AllocPixels(nullptr, w, h, name && *name ? name : "cg");
}

void SetPixels(ObjNode* node, uint8_t* pixels, int64_t w, int64_t h) {
  LayerImage* rec = Layer_Record(node);
  Layer_MarkDirty(node);
  std::free(rec->pixels);
  rec->pixels = pixels;
  rec->width = uint32_t(w), rec->height = uint32_t(h);
  Layer_MarkDirty(node);
}

const char* NodeName(const ObjNode* node) { return node && node->name ? node->name : ""; }

}  // namespace cgop

using namespace cgop;
namespace a = oparg;

namespace {

// What one operation row of the dispatch does.
enum class OpKind : uint8_t {
  Scale, Rotate, Effect, FontSlot, Text, CopyRect, BlitCopy, BlitOpacity, CrossFade, KeepDiff,
  KeepEqual, Crop, Extend, Move, SwapNames, Paste, Grab,
};

struct OpRow {
  uint8_t slot;
  OpKind kind;
  int16_t effect;     // effect number, scale base, rotation and swap mode
  int32_t min, max;   // guard on V1 (min > max: none)
  int32_t needSecond; // error when there is no second layer (0: none)
  int32_t noRect;     // error when a rectangle slot is given (0: none)
};
constexpr int32_t kNoMin = 1, kNoMax = 0;

// In dispatch order: the first row whose slot is given runs.
constexpr OpRow kOps[] = {
    {a::kScaleNearest, OpKind::Scale, 10, kNoMin, kNoMax, 0, 0},
    {a::kScaleFiltered, OpKind::Scale, 20, kNoMin, kNoMax, 0, 0},
    {a::kScaleBicubic, OpKind::Scale, 30, kNoMin, kNoMax, 0, 0},
    {a::kScaleSuper, OpKind::Scale, 40, kNoMin, kNoMax, 0, 0},
    {a::kScaleLanczos, OpKind::Scale, 50, kNoMin, kNoMax, 0, 0},
    {a::kRotate, OpKind::Rotate, 10, kNoMin, kNoMax, 0, 101282},
    {a::kMono, OpKind::Effect, 29, 0, 256, 0, 0},
    {a::kBalance, OpKind::Effect, 12, 0, 0xFFFFFF, 0, 0},
    {a::kSepia, OpKind::Effect, 38, 0, 0xFFFFFF, 0, 0},
    {a::kBright, OpKind::Effect, 1, 0, 256, 0, 0},
    {a::kThreshold, OpKind::Effect, 19, 0, 256, 0, 0},
    {a::kFlip, OpKind::Effect, 37, 0, 1, 0, 0},
    {a::kMirror, OpKind::Effect, 11, 0, 1, 0, 0},
    {a::kMosaic, OpKind::Effect, 20, 0, 256, 0, 101283},
    {a::kBlur, OpKind::Effect, 2, 0, 256, 0, 0},
    {a::kAverageRows, OpKind::Effect, 3, 0, 256, 0, 0},
    {a::kAverageCols, OpKind::Effect, 4, 0, 256, 0, 0},
    {a::kAlphaBlur, OpKind::Effect, 6, 0, 256, 0, 0},
    {a::kAlphaBlurSums, OpKind::Effect, 7, 0, 256, 0, 0},
    {a::kBlurSums, OpKind::Effect, 5, 0, 256, 0, 0},
    {a::kScatter, OpKind::Effect, 10, 0, 256, 0, 101284},
    {a::kWaveRows, OpKind::Effect, 21, kNoMin, kNoMax, 0, 0},
    {a::kWaveCols, OpKind::Effect, 22, kNoMin, kNoMax, 0, 0},
    {a::kWaveBoth, OpKind::Effect, 23, kNoMin, kNoMax, 0, 0},
    {a::kSwirl, OpKind::Effect, 39, kNoMin, kNoMax, 0, 0},
    {a::kNegative, OpKind::Effect, 27, 0, 1, 0, 0},
    {a::kFillColour, OpKind::Effect, 24, kNoMin, kNoMax, 0, 0},
    {a::kFillAlpha, OpKind::Effect, 24, kNoMin, kNoMax, 0, 0},
    {a::kFillPixel, OpKind::Effect, 24, kNoMin, kNoMax, 0, 0},
    {a::kFontSlot, OpKind::FontSlot, 0, kNoMin, kNoMax, 0, 0},
    {a::kDrawText, OpKind::Text, 0, kNoMin, kNoMax, 0, 0},
    {a::kCopyRect, OpKind::CopyRect, 0, kNoMin, kNoMax, 101298, 0},
    {a::kBlitCopy, OpKind::BlitCopy, 0, kNoMin, kNoMax, 101298, 0},
    {a::kBlitOpacity, OpKind::BlitOpacity, 0, kNoMin, kNoMax, 101298, 0},
    {a::kCrossFade, OpKind::CrossFade, 0, kNoMin, kNoMax, 101298, 0},
    {a::kKeepDiff, OpKind::KeepDiff, 0, kNoMin, kNoMax, 101298, 0},
    {a::kKeepEqual, OpKind::KeepEqual, 0, kNoMin, kNoMax, 101298, 0},
    {a::kCrop, OpKind::Crop, 0, 0, 15, 0, 0},
    {a::kExtend, OpKind::Extend, 0, kNoMin, kNoMax, 0, 0},
    {a::kMove, OpKind::Move, 8, 0, 15, 101296, 0},
    {a::kCopyPixels, OpKind::Move, 9, kNoMin, kNoMax, 101296, 0},
    {a::kSwapPlace, OpKind::SwapNames, 1, kNoMin, kNoMax, 101297, 101281},
    {a::kSwapLooks, OpKind::SwapNames, 2, kNoMin, kNoMax, 101297, 101281},
    {a::kPaste, OpKind::Paste, 0, kNoMin, kNoMax, 0, 0},
    {a::kGrab, OpKind::Grab, 0, kNoMin, kNoMax, 0, 0},
};

bool AnyRectSlot() {
  return Given(a::kLeft) || Given(a::kTop) || Given(a::kRight) || Given(a::kBottom);
}

// The operations whose rectangle is passed as given (offsets, margins,
// scaling edges) instead of being limited to the first layer.
bool RectUnclamped() {
  for (int s = a::kScaleNearest; s <= a::kScaleLanczos; s++)
    if (Given(s)) return true;
  for (int s = a::kCopyRect; s <= a::kKeepEqual; s++)
    if (Given(s)) return true;
  return Given(a::kExtend);
}

int32_t Clamp32(int64_t v, int64_t lo, int64_t hi) {
  return int32_t(v < lo ? lo : v > hi ? hi : v);
}
int32_t Narrow(int64_t v) { return Clamp32(v, INT32_MIN, INT32_MAX); }

// The path of slot `path` with the suffix of slot `num`, resolved: 1 group,
// 0 leaf, -1 after the resolver's report.
int BuildPath(char* out, int path, int num) {
  char raw[kCgPathMax];
  if (Given(num))
    std::snprintf(raw, sizeof raw, "%s.%lld", Str(path), (long long)Val(num));
  else
    std::snprintf(raw, sizeof raw, "%s", Str(path));
  int mode = Obj_ResolvePath(out, raw, g_TreeRoots[kTreeLayer].curPath, false);
  if (mode == 1 && Given(num)) mode = 0;  // a number always names a leaf
  return mode;
}

// 1 go on, 0 nothing to do (no first layer), -1 after an error.
int FindFirst(CgOp& op) {
  char path[kObjPathMax];
  int mode = BuildPath(path, a::kPath0, a::kNum0);
  if (mode < 0) return -1;
  ObjNode* root = g_TreeRoots[kTreeLayer].root;
  ObjNode* node = Obj_FindByPath(root, path, mode == 1 ? kObjFindGroup : kObjFindLeaf);
  LayerImage* rec = Layer_Record(node);
  if (!rec) return 0;
  if (mode == 1) {
    // A group's pixels are its composed children: bring them up to date.
    rec->wholeImage = rec->dirty = 1;
    rec->dirtyBox[0] = rec->dirtyBox[1] = 0;
    rec->dirtyBox[2] = int64_t(rec->width) - 1, rec->dirtyBox[3] = int64_t(rec->height) - 1;
    Cg_CommitPendingState(root->first);
    Comp_RedrawLayer(node, 1);
  }
  op.layers[0] = node;
  std::snprintf(op.names[0], sizeof op.names[0], "%s", path);
  return 1;
}

int FindFurther(CgOp& op) {
  static constexpr int kPaths[3][2] = {{a::kPath1, a::kNum1}, {a::kPath2, a::kNum2}, {a::kPath3, a::kNum3}};
  for (int i = 2; i >= 0; i--)
    if (Given(kPaths[i][0])) {
      op.count = i + 1;
      break;
    }
  ObjNode* root = g_TreeRoots[kTreeLayer].root;
  for (int i = 0; i < op.count; i++) {
    char* path = op.names[i + 1];
    int mode = BuildPath(path, kPaths[i][0], kPaths[i][1]);
    if (mode < 0) return -1;
    if (mode == 1) {
      Err_ScriptF(101291, 1, CmdName(), path);
      return -1;
    }
    ObjNode* node = Obj_FindByPath(root, path, kObjFindLeaf);
    if (!node) {
      node = Cg_CreateNode(root, path, 0, 1);
      if (!node) return -1;
      if (!Obj_GetImageRecord(node)) {
        Obj_Release(node);
        return -1;
      }
    } else if (!Obj_GetImageRecord(node)) {
      return -1;
    }
    Layer_MarkDirty(node);
    op.layers[i + 1] = node;
  }
  return 1;
}

// V1 and V2: expressions evaluated now; 0 when not given.
bool EvalValues(CgOp& op) {
  int ids[2] = {a::kV1, a::kV2};
  int32_t* out[2] = {&op.v1, &op.v2};
  for (int i = 0; i < 2; i++) {
    *out[i] = 0;
    if (!Given(ids[i])) continue;
    const ArgSlot& s = g_ArgSlot[g_ArgGiven[ids[i]]];
    uint8_t t = uint8_t(s.type >= 1 && s.type <= 4 ? s.type : 1);
    *out[i] = Narrow(g_ExprEvalInt[t](s.raw, s.length));
    if (g_Expr.status != 0) return false;
  }
  return true;
}

void TakeRect(CgOp& op) {
  const LayerImage* rec = Layer_Record(op.layers[0]);
  int64_t w = rec->width, h = rec->height;
  int64_t px[4] = {0, 0, w - 1, h - 1};
  const int ids[4] = {a::kLeft, a::kTop, a::kRight, a::kBottom};
  const int ids100[4] = {a::kLeft100, a::kTop100, a::kRight100, a::kBottom100};
  const int64_t hi[4] = {w - 1, h - 1, w - 1, h - 1};
  bool clamp = !RectUnclamped();
  for (int i = 0; i < 4; i++) {
    if (Given(ids[i])) px[i] = Val(ids[i]);
    if (clamp) px[i] = px[i] < 0 ? 0 : px[i] > hi[i] ? hi[i] : px[i];
    op.rect[i] = Narrow(px[i]);
    int64_t v100 = Given(ids100[i]) ? Val(ids100[i]) : px[i] * 100;
    if (clamp) v100 = v100 < 0 ? 0 : v100 > hi[i] * 100 ? hi[i] * 100 : v100;
    op.rect100[i] = Narrow(v100);
  }
  op.out100[0] = Narrow(Given(a::kOutW100) ? Val(a::kOutW100) : Arg_Int(a::kOutW, 0) * 100);
  op.out100[1] = Narrow(Given(a::kOutH100) ? Val(a::kOutH100) : Arg_Int(a::kOutH, 0) * 100);
}

bool Guard(const OpRow& row, int32_t v) {
  if (row.min > row.max || (v >= row.min && v <= row.max)) return true;
  Err_ScriptF(101000, 1, CmdName(), ArgName(a::kV1), v, row.min, row.max);
  return false;
}

int RunScale(const CgOp& op, const OpRow& row) {
  int method = row.effect == 10 ? 10 : row.effect + int(Val(row.slot));
  if (!Cg_IsScaleMethod(method)) {
    // Only value 1 names a scaler for slots 25 to 28.
    Err_ScriptF(101000, 1, CmdName(), ArgName(row.slot), Val(row.slot), 1, 1);
    return -1;
  }
  const int ids[2] = {a::kOutW, a::kOutH};
  for (int i = 0; i < 2; i++) {
    int32_t px = op.out100[i] / 100;
    if (op.out100[i] < 100 || px > kImageMaxSide) {
      Err_ScriptF(101000, 1, CmdName(), ArgName(ids[i]), px, 1, kImageMaxSide);
      return -1;
    }
  }
  return Cg_Scale(op.layers[0], op.layers[1], op.rect100[0], op.rect100[1], op.rect100[2],
                  op.rect100[3], op.out100[0], op.out100[1], op.count, method);
}

// Draws slot 11's text from the rectangle's top-left corner, one character
// at a time; without a text there is nothing to draw.
void DrawText(const CgOp& op) {
  const char* text = Arg_Str(a::kText);
  if (!text || !g_CgOpHooks.drawChar) return;
  int x = op.rect[0];
  for (const char* p = text; *p;) {
    char ch[3] = {p[0], 0, 0};
    size_t n = Sjis_IsLead(uint8_t(p[0])) && p[1] ? 2 : 1;
    if (n == 2) ch[1] = p[1];
    x += g_CgOpHooks.drawChar(ch, op.v1, x, op.rect[1], op.layers[0]);
    p += n;
  }
}

int RunEffect(const CgOp& op, const OpRow& row) {
  int mode = 0;
  if (row.effect == 24) {
    mode = row.slot == a::kFillColour ? 1 : row.slot == a::kFillAlpha ? 2 : 3;
    if (mode == 1 && Val(row.slot) >= 2) {
      ObjNode* target = op.count > 0 ? op.layers[1] : op.layers[0];
      Layer_Record(target)->alphaMode = 1;
    }
  }
  return Cg_ApplyEffect(row.effect, op.layers[0], op.count > 0 ? op.layers[1] : nullptr, op.rect[0],
                        op.rect[1], op.rect[2], op.rect[3], op.v1, op.v2, op.count, mode);
}

// Runs one row; 0 or -1.
int Run(const CgOp& op, const OpRow& row) {
  ObjNode* const* L = op.layers;
  int32_t dx = op.rect[0], dy = op.rect[1];
  switch (row.kind) {
    case OpKind::Scale: return RunScale(op, row);
    case OpKind::Rotate:
      return Cg_Rotate(L[0], L[1], op.v1, op.count, 10 + int(Val(row.slot)));
    case OpKind::Effect: return RunEffect(op, row);
    case OpKind::CopyRect: return Cg_CopyRect(L[0], L[1], dx, dy);
    case OpKind::BlitCopy: return Cg_BlitCopy(L[0], L[1], dx, dy);
    case OpKind::BlitOpacity:
      if (op.count < 2) break;
      return Cg_BlitOpacity(L[0], L[1], L[2], dx, dy, op.v1);
    case OpKind::CrossFade:
      if (op.count < 3) break;
      return Cg_BlitCrossFade(L[0], L[1], L[2], L[3], dx, dy, op.v1, op.v2);
    case OpKind::KeepDiff: return Cg_KeepDifferent(L[0], L[1], dx, dy, op.v1);
    case OpKind::KeepEqual: return Cg_KeepEqual(L[0], L[1], dx, dy, op.v1);
    case OpKind::Crop: return Cg_CropCanvas(L[0], L[1], op.count, op.v1);
    case OpKind::Extend:
      return Cg_ExtendCanvas(L[0], L[1], op.count, int32_t(Arg_Int(a::kLeft, 0)),
                             int32_t(Arg_Int(a::kRight, 0)), int32_t(Arg_Int(a::kTop, 0)),
                             int32_t(Arg_Int(a::kBottom, 0)));
    case OpKind::Move:
      return Cg_ApplyEffect(row.effect, L[0], L[1], op.rect[0], op.rect[1], op.rect[2], op.rect[3],
                            op.v1, op.v2, op.count, 0);
    case OpKind::SwapNames: return Cg_SwapNames(L[0], L[1], row.effect);
    case OpKind::Paste:
      Cg_PasteSprite(L[0], L[1]);
      g_FullRedraw = 1;
      return 0;
    case OpKind::Grab:
      Cg_GrabScreen(L[0], L[1]);
      return 0;
    case OpKind::FontSlot:
    case OpKind::Text: return 0;  // handled by the dispatch loop
  }
  // The blits that read a third or fourth layer name it in slot 2 or 3.
  ReportSlot(101298, row.slot);
  return -1;
}

}  // namespace

int32_t Cmd_CgOperate() {
  if (Cmd_FetchArgs(kCmdCgOperate) != 0) return -1;
  CgOp op;
  int r = FindFirst(op);
  if (r <= 0) return r;
  if (FindFurther(op) < 0) return -1;
  if (!EvalValues(op)) return -1;
  TakeRect(op);
  size_t i = 0;
  for (; i < std::size(kOps); i++)
    if (Given(kOps[i].slot)) break;
  if (i == std::size(kOps)) {
    if (g_CgOpHooks.setFontSlot) g_CgOpHooks.setFontSlot(0);
    return 0;
  }
  const OpRow* row = &kOps[i];
  if (row->kind == OpKind::FontSlot || row->kind == OpKind::Text) {
    if (row->kind == OpKind::FontSlot && g_CgOpHooks.setFontSlot)
      g_CgOpHooks.setFontSlot(int(Val(row->slot)));
    DrawText(op);
    // The text goes on with the blits and what follows them.
    while (i < std::size(kOps) && kOps[i].slot != a::kCopyRect) i++;
    for (; i < std::size(kOps); i++)
      if (Given(kOps[i].slot)) break;
    if (i == std::size(kOps)) {
      if (g_CgOpHooks.setFontSlot) g_CgOpHooks.setFontSlot(0);
      return 0;
    }
    row = &kOps[i];
  }
  if (!Guard(*row, op.v1)) return -1;
  if (row->needSecond && op.count < 1) {
    ReportSlot(row->needSecond, row->slot);
    return -1;
  }
  if (row->noRect && AnyRectSlot()) {
    ReportSlot(row->noRect, row->slot);
    return -1;
  }
  return Run(op, *row) == 0 ? 0 : -1;
}
