// The bundled demo game run headless by the end-to-end tests: its pack in a
// fresh folder, helpers that run it up to a stage of its message task, press
// keys through the platform's injected events, and check the message
// window's glyphs in the presented frame.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "../../examples/demo/demo_game.h"
#include "e2e/engine_game.h"
#include "platform/fonts.h"
#include "platform/window.h"
#include "text/text.h"

namespace e2e {

constexpr int32_t kScReturn = 40;  // SDL_SCANCODE_RETURN
constexpr int32_t kButtonLeft = 1;

class E2eDemo : public EngineGame {
 protected:
  void InstallDemo() {
    dir.Write("data.qpf", fx::PackImage(demo::BuildFiles(), true));
    ASSERT_TRUE(Fs_SetCurrentDir(dir.path()));
    Boot_InitPathsFrom(dir.path() + "/tavren");
    started = true;
  }
  static int64_t Stage() { return Var_GetIntElement(demo::kVarStage, 0); }
  // Runs frames until the message task reaches `stage`; the frames run, or
  // -1 when it did not within `limit` frames.
  int RunToStage(int64_t stage, int limit) {
    for (int n = 0; n <= limit; ++n) {
      if (Stage() >= stage) return n;
      if (!Turn()) return -1;
    }
    return -1;
  }
  // Focuses the main window, with the cursor inside it.
  static void FocusMain() {
    PlatEvent focus;
    focus.msg = PlatMsg::Activate;
    focus.window = 0;
    focus.a = 1;
    Plat_PostEvent(focus);
    PlatRect c;
    if (g_WindowRecs[0] && PlatWin_GetClientRect(g_WindowRecs[0]->handle, &c))
      PlatMouse_SetFake(true, c.x + 100, c.y + 100);
  }
  // One press of Enter (or the left button): down for one frame, then up.
  void Press(bool enter) {
    FocusMain();
    if (enter) Plat_InjectKey(kScReturn, true, 0);
    else Plat_InjectButton(kButtonLeft, true, 0, 100, 100);
    ASSERT_TRUE(Turn());
    if (enter) Plat_InjectKey(kScReturn, false, 0);
    else Plat_InjectButton(kButtonLeft, false, 0, 100, 100);
  }
  void TearDown() override {
    PlatMouse_SetFake(false);
    EngineGame::TearDown();
  }
};

// The fonts the glyph checks are made with; without them the demo still
// runs, but which pixels are ink is up to whatever face is installed.
inline bool StandInFontsInstalled() { return !Fonts_StandInVersion().empty(); }

// Where a message's glyphs go in the text layer: each character drawn as
// the typing draws it (pen from the layer's top left, one line height per
// line, advancing by each glyph's width), alpha = coverage.
struct TextMask {
  std::vector<uint32_t> px = std::vector<uint32_t>(size_t(demo::kTextW) * demo::kTextH, 0);
  struct Cell { int x, y, w; };
  std::vector<Cell> cells;  // one per character with ink
  uint8_t Alpha(int x, int y) const { return uint8_t(px[size_t(y) * demo::kTextW + size_t(x)] >> 24); }
};

inline bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Renders the lines with the demo's text style through the engine's own
// rasteriser (its fonts must be listed: call while the engine runs).
inline TextMask MaskOf(const char* const (&lines)[2]) {
  TextMask m;
  GlyphTarget t{m.px.data(), demo::kTextW, demo::kTextH};
  GlyphStyle st;
  st.colour = st.colour2 = demo::kTextColour;
  st.gradient = 1;
  st.size = demo::kTextSize;
  st.lineHeight = demo::kTextLineHeight;
  for (int line = 0; line < 2; ++line) {
    std::string sj = Text_Utf8ToSjis(lines[line]);
    int x = 0, y = line * demo::kTextLineHeight;
    for (size_t i = 0; i < sj.size();) {
      size_t len = IsLeadByte(uint8_t(sj[i])) && i + 1 < sj.size() ? 2 : 1;
      std::string ch = sj.substr(i, len);
      bool drawn = false;
      int adv = Msg_DrawGlyphTo(ch.c_str(), st, 0, x, y, t, &drawn);
      if (drawn && ch != " ") m.cells.push_back({x, y, adv});
      x += adv;
      i += len;
    }
  }
  return m;
}

// What the presented frame shows of a message in the window. Full-coverage
// glyph pixels are the text's white; pixels no glyph touches are the box's
// dark blue over whatever lies under it, never brighter than the box at its
// opacity over white.
struct GlyphCheck {
  int inkWrong = 0;     // full-coverage pixels not white
  int strayInk = 0;     // pixels of the box no glyph covers, brighter than the box allows
  int inkPixels = 0;    // full-coverage pixels
  int emptyCells = 0;   // characters without one pixel of visible ink
};

inline int BoxCeiling(uint8_t c) { return 255 - (255 - c) * demo::kBoxOpacity / 256 + 2; }

inline GlyphCheck CheckGlyphs(const std::vector<uint32_t>& shown, int32_t w, const TextMask& m) {
  GlyphCheck r;
  const int ceilB = BoxCeiling(demo::kBoxB), ceilG = BoxCeiling(demo::kBoxG), ceilR = BoxCeiling(demo::kBoxR);
  auto at = [&](int x, int y) { return shown[size_t(demo::kTextY + y) * size_t(w) + size_t(demo::kTextX + x)]; };
  auto stray = [&](uint32_t v) {
    return int(v & 0xFF) > ceilB || int(v >> 8 & 0xFF) > ceilG || int(v >> 16 & 0xFF) > ceilR;
  };
  // Brighter than any pixel of the box without ink (thin strokes such as
  // the long vowel mark have no pixel of full coverage).
  auto bright = [&](uint32_t v) {
    return int(v & 0xFF) > ceilB && int(v >> 8 & 0xFF) > ceilG && int(v >> 16 & 0xFF) > ceilR;
  };
  auto white = [](uint32_t v) { return (v & 0xFF) >= 250 && (v >> 8 & 0xFF) >= 250 && (v >> 16 & 0xFF) >= 250; };
  for (int y = 0; y < demo::kTextH; ++y)
    for (int x = 0; x < demo::kTextW; ++x) {
      uint32_t v = at(x, y);
      uint8_t a = m.Alpha(x, y);
      if (a == 255) {
        ++r.inkPixels;
        r.inkWrong += !white(v);
      } else if (a == 0) {
        r.strayInk += stray(v);
      }
    }
  // The box's margin around the text layer (inside its rim) has no ink.
  constexpr int kRim = demo::kBoxRim;
  for (int y = demo::kBoxY + kRim; y < demo::kBoxY + demo::kBoxH - kRim; ++y)
    for (int x = demo::kBoxX + kRim; x < demo::kBoxX + demo::kBoxW - kRim; ++x) {
      bool inText = x >= demo::kTextX && x < demo::kTextX + demo::kTextW && y >= demo::kTextY &&
                    y < demo::kTextY + demo::kTextH;
      if (!inText) r.strayInk += stray(shown[size_t(y) * size_t(w) + size_t(x)]);
    }
  for (const TextMask::Cell& c : m.cells) {
    bool any = false;
    for (int y = c.y; y < c.y + demo::kTextLineHeight && y < demo::kTextH && !any; ++y)
      for (int x = c.x; x < c.x + c.w && x < demo::kTextW && !any; ++x) any = m.Alpha(x, y) != 0 && bright(at(x, y));
    r.emptyCells += !any;
  }
  return r;
}

}  // namespace e2e
