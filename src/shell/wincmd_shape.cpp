// Window shapes made from a layer's pixels, stacking and flashing for the
// window commands.
#include "graphics/graphics.h"
#include "platform/window.h"
#include "platform/window_shape.h"
#include "shell/shell.h"
#include "shell/wincmd.h"

std::vector<RgnRect> Rgn_FromNonBlack(const uint8_t* bgra, int32_t width, int32_t height) {
  std::vector<RgnRect> out;
  if (!bgra || width <= 0 || height <= 0) return out;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = bgra + size_t(y) * size_t(width) * 4;
    int32_t x = 0;
    while (x < width) {
      auto black = [&](int32_t i) {
        const uint8_t* p = row + size_t(i) * 4;
        return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0xFF;
      };
      while (x < width && black(x)) ++x;
      if (x >= width) break;
      int32_t start = x;
      while (x < width && !black(x)) ++x;
      out.push_back(RgnRect{start, y, x, y + 1});
    }
  }
  return out;
}

// The shape is taken from the layer's colours with full alpha, as the
// window system sees an opaque copy of the picture: only black stays out.
int Win_SetShapeFromLayer(WindowRec* rec, const LayerImage* layer) {
  if (!layer || !layer->pixels || layer->width == 0 || layer->height == 0) return -1;
  std::vector<uint8_t> opaque(size_t(layer->width) * layer->height * 4);
  for (size_t i = 0; i < opaque.size(); i += 4) {
    opaque[i] = layer->pixels[i];
    opaque[i + 1] = layer->pixels[i + 1];
    opaque[i + 2] = layer->pixels[i + 2];
    opaque[i + 3] = 0xFF;
  }
  std::vector<RgnRect> runs = Rgn_FromNonBlack(opaque.data(), int32_t(layer->width),
                                               int32_t(layer->height));
  std::vector<PlatShapeRect> rects;
  rects.reserve(runs.size());
  for (const RgnRect& r : runs) rects.push_back(PlatShapeRect{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0});
  if (!rec || !rec->handle || !PlatWin_SetShape(rec->handle, rects)) return 1;
  return 0;
}

void Win_SetZOrder(WindowRec* rec, int32_t order) {
  if (!rec || !rec->handle) return;
  if (order == 1) {
    PlatWin_SetAlwaysOnTop(rec->handle, true);
    return;
  }
  PlatWin_SetAlwaysOnTop(rec->handle, false);
  WindowRec* main = g_WindowRecs[0];
  switch (order) {
    case 0: PlatWin_Restack(rec->handle, PlatStack::Top); break;
    case 2: PlatWin_Restack(rec->handle, PlatStack::Bottom); break;
    case 3:
      if (main && main->handle && main != rec)
        PlatWin_Restack(rec->handle, PlatStack::Below, main->handle);
      break;
    default: break;
  }
}

// The window system flashes a window for as long as it likes: the count and
// the interval have no equivalent here.
int Win_Flash(WindowRec* rec, int64_t /*count*/, int64_t /*intervalMs*/) {
  if (!rec || !rec->handle) return -1;
  return PlatWin_Flash(rec->handle) ? 0 : -1;
}
