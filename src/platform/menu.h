// Menus drawn by the platform layer itself: the model of one menu (items in
// order, each a text, a separator or the opening of a submenu, with grey and
// check marks), its layout, and the popup that lets the user choose an item.
//
// A menu does not own its submenus: whoever builds menus keeps every menu of
// a tree and destroys each once (the engine keeps them in its menu sets).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

struct PlatMenu;

struct PlatMenuItem {
  std::string text;            // Shift-JIS; '&' is shown as it is
  uint32_t id = 0;             // the answer when the item is chosen
  bool separator = false;
  bool grayed = false;         // shown, but cannot be chosen
  bool checked = false;
  PlatMenu* submenu = nullptr; // opened by the item, never chosen itself
};

struct PlatMenu {
  std::vector<PlatMenuItem> items;
};

// ---- Layout (menu_layout.cpp) ---------------------------------------------
// Fixed metrics of the engine's menus, in pixels.
constexpr int32_t kMenuBarHeight = 20;     // the bar strip, also the system's menu height
constexpr int32_t kMenuItemHeight = 20;
constexpr int32_t kMenuSeparatorHeight = 8;
constexpr int32_t kMenuTextPixels = 16;    // glyph cell height (the UI text size)
constexpr int32_t kMenuPadLeft = 22;       // room for the check mark
constexpr int32_t kMenuPadRight = 22;      // room for the submenu arrow
constexpr int32_t kMenuBarItemPad = 8;     // either side of a bar entry's text
constexpr int32_t kMenuMinWidth = 80;
constexpr int32_t kMenuBorder = 1;

// Measures the advance of a Shift-JIS text in the menu face; set by the
// drawing code once its face is open (tests may set their own).
using PlatMenuMeasureFn = int32_t (*)(const std::string& sjis);
extern PlatMenuMeasureFn g_PlatMenuMeasure;
int32_t PlatMenu_TextWidth(const std::string& sjis);

struct PlatMenuBox {
  int32_t x = 0, y = 0, w = 0, h = 0;
};
// Rectangles of a popup's items (relative to its top-left) and its size.
struct PlatMenuLayout {
  int32_t width = 0, height = 0;
  std::vector<PlatMenuBox> items;
};
PlatMenuLayout PlatMenu_LayoutPopup(const PlatMenu& menu);
// The bar: one box per item along a strip `width` pixels wide (items that do
// not fit are left with empty boxes).
PlatMenuLayout PlatMenu_LayoutBar(const PlatMenu& menu, int32_t width);
// The item under a point of a layout, -1 for none.
int32_t PlatMenu_HitTest(const PlatMenuLayout& layout, int32_t x, int32_t y);
// Whether an item can be highlighted and chosen (not a separator, not grey).
bool PlatMenu_Selectable(const PlatMenuItem& item);
// The next selectable item after `from` in direction +1 or -1, wrapping;
// -1 when there is none.
int32_t PlatMenu_NextSelectable(const PlatMenu& menu, int32_t from, int32_t step);

// ---- Drawing (menu_draw.cpp) ----------------------------------------------
// Draws a popup or a bar into a BGRA image of the layout's size (the bar:
// `width` x kMenuBarHeight), `hot` highlighted (-1 none).
void PlatMenu_DrawPopup(const PlatMenu& menu, const PlatMenuLayout& layout, int32_t hot,
                        std::vector<uint32_t>* bgra);
void PlatMenu_DrawBar(const PlatMenu& menu, const PlatMenuLayout& layout, int32_t hot,
                      std::vector<uint32_t>* bgra);

// ---- Popups (menu_popup.cpp) ----------------------------------------------
// Shows `menu` as a popup at the desktop position (x, y) and runs its own
// modal loop until an item is chosen (its id) or the popup is dismissed (0)
// by a press outside it, Escape or the close request. Submenus open beside
// their item. Keyboard: the arrows move and open or close submenus, Enter
// and Space choose; mouse: hovering opens a submenu, a release of the left
// or right button on an item chooses it. Headless (no display): 0 at once.
// Runs on the main thread (another thread waits for it there).
uint32_t PlatMenu_TrackPopup(const PlatMenu& menu, int32_t x, int32_t y, PlatWindow* owner);
// Tests: the screen rectangles of the popup windows open now, the innermost
// last (empty outside a popup's loop), and a hook called on each event the
// loop takes.
std::vector<PlatRect> PlatMenu_OpenPopups();
using PlatMenuTurnFn = void (*)();
extern PlatMenuTurnFn g_PlatMenuTurnHook;

// ---- The menu bar of a window (menu_bar.cpp) --------------------------------
// Attaches a copy of `menu` (with its submenus) as the window's menu bar, a
// strip of kMenuBarHeight above the client area (the window grows by it;
// the client keeps its size and the frame's top includes the strip); null
// removes it. Any thread; the window changes on the main thread.
void PlatMenuBar_Attach(PlatWindow* w, const PlatMenu* menu);
// The bar's copy attached to the window, null for none.
const PlatMenu* PlatMenuBar_Get(const PlatWindow* w);
// Told of each item chosen from a bar (main thread), with the window.
using PlatMenuChosenFn = void (*)(PlatWindow* w, uint32_t id);
extern PlatMenuChosenFn g_PlatMenuBarChosen;
// A borderless window on top of the others that is nothing but a menu bar
// strip `width` pixels wide at (x, y), hidden; its events carry `index`.
// Destroy it with PlatWin_Destroy. Main thread.
PlatWindow* PlatMenuBar_CreateStrip(int32_t index, int32_t x, int32_t y, int32_t width);
// Tests: the strip as the window shows it now (main thread); false without.
bool PlatMenuBar_ReadStrip(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width);
