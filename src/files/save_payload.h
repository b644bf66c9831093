// The unpacked variable payload of a save item, checked.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/save.h"

constexpr uint32_t kSaveMaxDims = 8;
constexpr int kSaveErrTooLong = 108070;

// u32 type (1 int64, 2 double, 3 string), u32 dimension count (0..8), the
// dimension sizes, u32 byte length, then the values (8 bytes each) or, for
// strings, u32 length and bytes per element. A single element is stored
// with dimension count 0: u32 8 and the value for a number, u32 length and
// the bytes for a text (no inner length). A whole scalar text variable keeps
// the inner length; the two are told apart by whether the first u32 of the
// data is the byte length minus 4 (four bytes without a zero byte would be
// needed to mistake a text for it, which no element text holds).
struct SaveVarPayload {
  uint32_t type = 0;
  uint32_t dimCount = 0;
  std::vector<uint32_t> dims;
  const uint8_t* data = nullptr;  // points into the parsed bytes
  uint32_t dataLen = 0;
  bool bareText = false;  // type 3, one element: data is the text itself
};

// 0; kSaveErrTooLong for a payload or element count above 40000000; else
// kSaveErrCorrupt (type outside 1..3, more than 8 dimensions, lengths that
// run past the end or do not add up).
int Save_ParseVarPayload(const uint8_t* p, size_t len, SaveVarPayload* out);

// The unpacked layer payload of a save item: u32 1600, u32 pixel byte count,
// the 1600-byte record block (width at 120, height at 124), the pixels.
constexpr int kSaveErrLayerBlock = 108110;
constexpr uint32_t kSaveMaxLayerSide = 8192;
struct SaveLayerPayload {
  uint32_t width = 0, height = 0;
  const uint8_t* pixels = nullptr;  // width * 4 * height bytes, points into the parsed bytes
};
// 0; kSaveErrLayerBlock when the first word is not 1600; kSaveErrNoMemory
// for a side above 8192; kSaveErrCorrupt when the pixel count is not
// width * 4 * height or the pixels are not all there.
int Save_ParseLayerPayload(const uint8_t* p, size_t len, SaveLayerPayload* out);
