// Canvas drawing of engine-drawn windows: rectangles, frames, the focus
// frame and discs, clipped to the canvas.
#include <algorithm>

#include "platform/ui_window.h"

void UiCanvas::Resize(int32_t width, int32_t height, uint32_t fill) {
  w = std::max(0, width);
  h = std::max(0, height);
  px.assign(size_t(w) * size_t(h), fill);
}

namespace {

// The part of r inside the canvas.
PlatRect Clip(const UiCanvas& c, const PlatRect& r) {
  int32_t x0 = std::max(0, r.x), y0 = std::max(0, r.y);
  int32_t x1 = std::min(c.w, r.x + r.w), y1 = std::min(c.h, r.y + r.h);
  return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void Put(UiCanvas& c, int32_t x, int32_t y, uint32_t rgb) {
  if (x >= 0 && y >= 0 && x < c.w && y < c.h) c.px[size_t(y) * c.w + x] = rgb;
}

}  // namespace

void UiDraw_Fill(UiCanvas& c, const PlatRect& r, uint32_t rgb) {
  PlatRect k = Clip(c, r);
  for (int32_t y = k.y; y < k.y + k.h; ++y)
    std::fill_n(c.px.begin() + ptrdiff_t(size_t(y) * c.w + k.x), k.w, rgb);
}

void UiDraw_Frame(UiCanvas& c, const PlatRect& r, uint32_t rgb, int32_t thickness) {
  int32_t t = std::max(1, std::min({thickness, r.w / 2 + 1, r.h / 2 + 1}));
  UiDraw_Fill(c, {r.x, r.y, r.w, t}, rgb);
  UiDraw_Fill(c, {r.x, r.y + r.h - t, r.w, t}, rgb);
  UiDraw_Fill(c, {r.x, r.y, t, r.h}, rgb);
  UiDraw_Fill(c, {r.x + r.w - t, r.y, t, r.h}, rgb);
}

void UiDraw_FocusFrame(UiCanvas& c, const PlatRect& r, uint32_t rgb) {
  for (int32_t x = r.x; x < r.x + r.w; x += 2) {
    Put(c, x, r.y, rgb);
    Put(c, x, r.y + r.h - 1, rgb);
  }
  for (int32_t y = r.y; y < r.y + r.h; y += 2) {
    Put(c, r.x, y, rgb);
    Put(c, r.x + r.w - 1, y, rgb);
  }
}

void UiDraw_Disc(UiCanvas& c, int32_t x, int32_t y, int32_t d, uint32_t rgb) {
  // Edge pixels are blended by the share of 4x4 samples inside the circle.
  int64_t r4 = int64_t(d) * 4;  // diameter in quarter pixels
  for (int32_t py = 0; py < d; ++py) {
    for (int32_t px = 0; px < d; ++px) {
      int in = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          int64_t qx = int64_t(px) * 8 + sx * 2 + 1 - r4, qy = int64_t(py) * 8 + sy * 2 + 1 - r4;
          if (qx * qx + qy * qy <= r4 * r4) ++in;
        }
      if (!in) continue;
      int32_t cx = x + px, cy = y + py;
      if (cx < 0 || cy < 0 || cx >= c.w || cy >= c.h) continue;
      uint32_t& dst = c.px[size_t(cy) * c.w + cx];
      uint32_t out = 0;
      for (int sh = 0; sh <= 16; sh += 8) {
        uint32_t dc = (dst >> sh) & 0xFF, sc = (rgb >> sh) & 0xFF;
        out |= ((dc * uint32_t(16 - in) + sc * uint32_t(in) + 8) / 16) << sh;
      }
      dst = out;
    }
  }
}
