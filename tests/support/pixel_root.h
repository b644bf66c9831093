// A layer root over its own BGRA pixels, for the presentation tests that
// show a picture without the compositor: the record draws its whole box.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/graphics.h"

struct PixelRoot {
  LayerImage img;
  ObjNode node{};
  // A spare row and word past the picture, for scalers that read a
  // neighbour beyond the last pixel they write from.
  std::vector<uint8_t> buf;

  // `fill(x, y, p)` writes the four bytes of pixel (x, y) at p.
  template <class Fill>
  PixelRoot(uint32_t w, uint32_t h, Fill fill) : buf((w * 4) * (h + 1) + 4, 0) {
    img.width = w;
    img.height = h;
    img.pixels = buf.data();
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) fill(x, y, buf.data() + (y * w + x) * 4);
    img.drawBox[0] = img.drawBox[1] = 0;
    img.drawBox[2] = w - 1;
    img.drawBox[3] = h - 1;
    img.subtreeDirty = 1;
    node.record = &img;
  }
  // The pixels belong to `buf`, not to the record.
  ~PixelRoot() { img.pixels = nullptr; }
  PixelRoot(const PixelRoot&) = delete;
  PixelRoot& operator=(const PixelRoot&) = delete;
};
