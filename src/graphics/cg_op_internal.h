// Shared by command 2's files: the prepared operation, argument helpers and
// the buffer helpers the operations have in common.
#pragma once
#include <cstdint>
#include <cstring>

#include "graphics/cg_op.h"
#include "graphics/cg_setup_internal.h"
#include "graphics/graphics.h"

constexpr int kCmdCgOperate = 2;

// Command 2 once its arguments are taken.
struct CgOp {
  ObjNode* layers[4] = {};        // first .. fourth; only `count` + 1 set
  char names[4][kObjPathMax] = {};  // their resolved paths
  int count = 0;                  // further layers given (0..3)
  int32_t v1 = 0, v2 = 0;
  int32_t rect[4] = {};           // left, top, right, bottom in pixels
  int32_t rect100[4] = {};        // the same in 1/100 pixel
  int32_t out100[2] = {};         // output width and height in 1/100 pixel
};

namespace cgop {
using cg::Given;
using cg::Str;
using cg::Val;
const char* CmdName();
const char* ArgName(int id);
void ReportSlot(int32_t code, int slot);

// A pixel buffer of w x h (layer layout, spare row included), or null after
// the size box / 100010 or 104030 naming the layer.
uint8_t* NewPixels(int64_t w, int64_t h, const char* name);
// Hands `pixels` (w x h) to the record, freeing its old buffer, with the
// layer marked before and after.
void SetPixels(ObjNode* node, uint8_t* pixels, int64_t w, int64_t h);
// A node's path for messages ("" without one).
const char* NodeName(const ObjNode* node);

inline uint32_t* Row(uint8_t* p, int64_t w, int64_t y) {
  return reinterpret_cast<uint32_t*>(p) + y * w;
}
inline const uint32_t* Row(const uint8_t* p, int64_t w, int64_t y) {
  return reinterpret_cast<const uint32_t*>(p) + y * w;
}
inline uint8_t ClampByte(int64_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }
}  // namespace cgop
