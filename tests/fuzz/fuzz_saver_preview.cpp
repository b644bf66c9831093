// The preview bitmap of the appended block: any bytes are checked before a
// single pixel row is trusted.
#include <cstddef>
#include <cstdint>

#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t w = 0, h = 0;
  if (Saver_ValidatePreview(data, size, &w, &h)) {
    // Every row the blitter would read lies inside the bytes.
    uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
    uint64_t rows = uint64_t(h < 0 ? -int64_t(h) : h);
    volatile uint8_t sink = 0;
    for (uint64_t y = 0; y < rows; ++y) sink = sink ^ data[54 + y * stride + uint64_t(w) * 3 - 1];
  }
  return 0;
}
