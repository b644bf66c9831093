// Fuzz target for every image decoder: the first byte picks the decoder
// (file type code), the rest is the file.
#include <cstdint>
#include <cstdlib>

#include "graphics/graphics.h"
#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    return true;
  }();
  (void)ready;
  if (size < 1) return 0;
  static const int kTypes[] = {1, 2, 3, 4, 8, 7, 9};
  int type = kTypes[data[0] % 7];
  LayerImage rec;
  Img_DecodeMemory(&rec, type, data + 1, size - 1, "fuzz");
  std::free(rec.pixels);
  g_QuitRequested = 0;
  return 0;
}
