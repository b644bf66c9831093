// Drawing the engine's menus with the engine-drawn window toolkit: the
// canvas rectangles and the UI face's text, in the colours of its dialogs.
#include <algorithm>

#include "platform/menu.h"
#include "platform/ui_window.h"

namespace {

constexpr uint32_t kFace = 0xF0F0F0;      // menu background
constexpr uint32_t kFrame = 0x808080;     // popup border
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kGreyText = 0x8C8C8C;
constexpr uint32_t kHotFace = 0x3070C8;   // highlighted item
constexpr uint32_t kHotText = 0xFFFFFF;
constexpr uint32_t kRule = 0xC0C0C0;      // separator line and the bar's lower edge

// Vertical offset that centres a text cell in a box of height h.
int32_t TextTop(int32_t boxY, int32_t h) {
  UiTextMetrics m = UiText_Metrics(kMenuTextPixels);
  int32_t cell = m.height > 0 ? m.height : kMenuTextPixels;
  return boxY + (h - cell) / 2;
}

// A tick of two strokes, 8 x 7 pixels, with its box's top left at (x, y):
// down to the right for three steps, then up to the right for five.
void DrawCheck(UiCanvas& c, int32_t x, int32_t y, uint32_t rgb) {
  for (int32_t k = 0; k < 3; ++k) UiDraw_Fill(c, {x + k, y + 2 + k, 2, 2}, rgb);
  for (int32_t k = 0; k < 5; ++k) UiDraw_Fill(c, {x + 2 + k, y + 4 - k, 2, 2}, rgb);
}

// A right-pointing triangle 4 pixels wide and 7 high.
void DrawArrow(UiCanvas& c, int32_t x, int32_t y, uint32_t rgb) {
  for (int32_t r = 0; r < 7; ++r) {
    int32_t len = 4 - std::abs(r - 3);
    UiDraw_Fill(c, {x, y + r, len, 1}, rgb);
  }
}

void Export(const UiCanvas& c, std::vector<uint32_t>* bgra) {
  if (bgra) *bgra = c.px;
}

}  // namespace

void PlatMenu_DrawPopup(const PlatMenu& menu, const PlatMenuLayout& layout, int32_t hot,
                        std::vector<uint32_t>* bgra) {
  UiCanvas c;
  c.Resize(layout.width, layout.height, kFace);
  UiDraw_Frame(c, {0, 0, layout.width, layout.height}, kFrame, kMenuBorder);
  for (size_t i = 0; i < menu.items.size() && i < layout.items.size(); ++i) {
    const PlatMenuItem& it = menu.items[i];
    const PlatMenuBox& b = layout.items[i];
    PlatRect box{b.x, b.y, b.w, b.h};
    if (it.separator) {
      UiDraw_Fill(c, {b.x + 2, b.y + b.h / 2, b.w - 4, 1}, kRule);
      continue;
    }
    bool lit = int32_t(i) == hot && PlatMenu_Selectable(it);
    if (lit) UiDraw_Fill(c, box, kHotFace);
    uint32_t ink = lit ? kHotText : it.grayed ? kGreyText : kText;
    if (it.checked) DrawCheck(c, b.x + 7, b.y + (b.h - 7) / 2, ink);
    UiDraw_Text(c, b.x + kMenuPadLeft, TextTop(b.y, b.h), it.text, ink, kMenuTextPixels, &box);
    if (it.submenu) DrawArrow(c, b.x + b.w - kMenuPadRight / 2 - 2, b.y + (b.h - 7) / 2, ink);
  }
  Export(c, bgra);
}

void PlatMenu_DrawBar(const PlatMenu& menu, const PlatMenuLayout& layout, int32_t hot,
                      std::vector<uint32_t>* bgra) {
  UiCanvas c;
  c.Resize(layout.width, kMenuBarHeight, kFace);
  UiDraw_Fill(c, {0, kMenuBarHeight - 1, layout.width, 1}, kRule);
  for (size_t i = 0; i < menu.items.size() && i < layout.items.size(); ++i) {
    const PlatMenuItem& it = menu.items[i];
    const PlatMenuBox& b = layout.items[i];
    if (it.separator || b.w <= 0) continue;
    PlatRect box{b.x, b.y, b.w, b.h - 1};
    bool lit = int32_t(i) == hot && PlatMenu_Selectable(it);
    if (lit) UiDraw_Fill(c, box, kHotFace);
    uint32_t ink = lit ? kHotText : it.grayed ? kGreyText : kText;
    UiDraw_Text(c, b.x + kMenuBarItemPad, TextTop(b.y, b.h - 1), it.text, ink, kMenuTextPixels,
                &box);
  }
  Export(c, bgra);
}
