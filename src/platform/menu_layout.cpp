// Layout of the engine's menus: item rectangles of a popup and of a bar,
// hit tests and keyboard stepping over the selectable items.
#include <algorithm>

#include "platform/menu.h"
#include "platform/ui_window.h"

namespace {

int32_t MeasureWithUiFace(const std::string& sjis) { return UiText_Width(sjis, kMenuTextPixels); }

}  // namespace

PlatMenuMeasureFn g_PlatMenuMeasure = MeasureWithUiFace;

int32_t PlatMenu_TextWidth(const std::string& sjis) {
  return g_PlatMenuMeasure ? std::max(0, g_PlatMenuMeasure(sjis)) : 0;
}

PlatMenuLayout PlatMenu_LayoutPopup(const PlatMenu& menu) {
  PlatMenuLayout out;
  int32_t widest = 0;
  for (const PlatMenuItem& it : menu.items)
    if (!it.separator) widest = std::max(widest, PlatMenu_TextWidth(it.text));
  int32_t inner = std::max(kMenuMinWidth, kMenuPadLeft + widest + kMenuPadRight);
  int32_t y = kMenuBorder;
  out.items.reserve(menu.items.size());
  for (const PlatMenuItem& it : menu.items) {
    int32_t h = it.separator ? kMenuSeparatorHeight : kMenuItemHeight;
    out.items.push_back({kMenuBorder, y, inner, h});
    y += h;
  }
  out.width = inner + 2 * kMenuBorder;
  // An empty menu still shows as a small frame that can be dismissed.
  out.height = std::max(y, kMenuBorder + kMenuSeparatorHeight) + kMenuBorder;
  return out;
}

PlatMenuLayout PlatMenu_LayoutBar(const PlatMenu& menu, int32_t width) {
  PlatMenuLayout out;
  out.width = std::max(0, width);
  out.height = kMenuBarHeight;
  int32_t x = 0;
  for (const PlatMenuItem& it : menu.items) {
    int32_t w = it.separator ? kMenuBarItemPad : PlatMenu_TextWidth(it.text) + 2 * kMenuBarItemPad;
    if (x + w > out.width) {
      out.items.push_back({x, 0, 0, 0});
      x = out.width;
      continue;
    }
    out.items.push_back({x, 0, w, kMenuBarHeight});
    x += w;
  }
  return out;
}

int32_t PlatMenu_HitTest(const PlatMenuLayout& layout, int32_t x, int32_t y) {
  for (size_t i = 0; i < layout.items.size(); ++i) {
    const PlatMenuBox& b = layout.items[i];
    if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return int32_t(i);
  }
  return -1;
}

bool PlatMenu_Selectable(const PlatMenuItem& item) { return !item.separator && !item.grayed; }

int32_t PlatMenu_NextSelectable(const PlatMenu& menu, int32_t from, int32_t step) {
  int32_t n = int32_t(menu.items.size());
  if (n == 0 || (step != 1 && step != -1)) return -1;
  int32_t i = from;
  if (i < 0 || i >= n) i = step > 0 ? -1 : n;
  for (int32_t k = 0; k < n; ++k) {
    i = ((i + step) % n + n) % n;
    if (PlatMenu_Selectable(menu.items[size_t(i)])) return i;
  }
  return -1;
}
