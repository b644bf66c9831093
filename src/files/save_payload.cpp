// Checking an unpacked variable payload before anything is restored from it:
// type, dimensions and every length against the bytes that are there.
#include "files/save_payload.h"

namespace {
uint32_t GetU32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

int Save_ParseVarPayload(const uint8_t* p, size_t len, SaveVarPayload* out) {
  if (len < 8) return kSaveErrCorrupt;
  out->type = GetU32(p);
  out->dimCount = GetU32(p + 4);
  if (out->type < 1 || out->type > 3 || out->dimCount > kSaveMaxDims) return kSaveErrCorrupt;
  size_t pos = 8;
  if (len - pos < 4 * size_t(out->dimCount) + 4) return kSaveErrCorrupt;
  uint64_t elements = 1;
  out->dims.clear();
  for (uint32_t i = 0; i < out->dimCount; ++i, pos += 4) {
    out->dims.push_back(GetU32(p + pos));
    elements *= out->dims.back();
    if (elements > kSaveMaxVarPayload) return kSaveErrTooLong;
  }
  uint32_t bytes = GetU32(p + pos);
  pos += 4;
  if (bytes > kSaveMaxVarPayload) return kSaveErrTooLong;
  if (bytes > len - pos) return kSaveErrCorrupt;
  out->data = p + pos;
  out->dataLen = bytes;
  if (out->type != 3) {
    // A whole variable holds its elements; one element holds exactly one.
    uint64_t want = out->dimCount ? elements * 8 : 8;
    return bytes == want ? 0 : kSaveErrCorrupt;
  }
  out->bareText = false;
  if (out->dimCount == 0 && (bytes < 4 || GetU32(out->data) != bytes - 4)) {
    // One element: its length and bytes, with no per-element length inside.
    out->bareText = true;
    return 0;
  }
  uint64_t want = out->dimCount ? elements : 1;
  size_t q = 0;
  for (uint64_t e = 0; e < want; ++e) {
    if (bytes - q < 4) return kSaveErrCorrupt;
    uint32_t n = GetU32(out->data + q);
    q += 4;
    if (n > bytes - q) return kSaveErrCorrupt;
    q += n;
  }
  return q == bytes ? 0 : kSaveErrCorrupt;
}

int Save_ParseLayerPayload(const uint8_t* p, size_t len, SaveLayerPayload* out) {
  if (len < 8) return kSaveErrCorrupt;
  if (GetU32(p) != kSaveLayerBlockBytes) return kSaveErrLayerBlock;
  if (len < 8 + size_t(kSaveLayerBlockBytes)) return kSaveErrCorrupt;
  uint32_t count = GetU32(p + 4);
  out->width = GetU32(p + 8 + kSaveLayerWidthAt);
  out->height = GetU32(p + 8 + kSaveLayerHeightAt);
  if (out->width > kSaveMaxLayerSide || out->height > kSaveMaxLayerSide) return kSaveErrNoMemory;
  uint64_t want = uint64_t(out->width) * 4 * out->height;
  if (count != want || len - 8 - kSaveLayerBlockBytes != want) return kSaveErrCorrupt;
  out->pixels = p + 8 + kSaveLayerBlockBytes;
  return 0;
}
