// The UI face of engine-drawn windows: its own FreeType library and face
// (the glyph rasteriser of the text subsystem keeps its own, used only by
// the script thread), grey-scale glyphs cached per size, guarded by one
// lock so that any thread may measure and draw.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/fonts.h"
#include "platform/text.h"
#include "platform/ui_window.h"

namespace {

struct UiGlyph {
  bool found = false;  // the face has a glyph for the character
  int32_t left = 0, top = 0, w = 0, h = 0, advance = 0;
  std::vector<uint8_t> coverage;  // w x h, 0..255
};

struct UiSize {
  FT_Size size = nullptr;
  UiTextMetrics metrics;
  std::unordered_map<uint32_t, UiGlyph> glyphs;  // by Shift-JIS code
};

struct UiFace {
  std::mutex lock;
  bool tried = false;
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  std::map<int32_t, UiSize> sizes;
};

// Never destroyed: a box may still be drawn while the process ends.
UiFace& Face() {
  static UiFace* f = new UiFace;
  return *f;
}

bool OpenLocked(UiFace& f) {
  if (f.tried) return f.face != nullptr;
  f.tried = true;
  std::string file;
  int index = 0;
  if (!Fonts_LocateUiFace(&file, &index)) return false;
  if (FT_Init_FreeType(&f.lib) != 0) {
    f.lib = nullptr;
    return false;
  }
  if (FT_New_Face(f.lib, file.c_str(), index, &f.face) != 0) {
    f.face = nullptr;
    return false;
  }
  FT_Select_Charmap(f.face, FT_ENCODING_UNICODE);
  return true;
}

// The face at a cell height of `px` (ascent plus descent, from the OS/2
// table where there is one, as the glyph rasteriser sizes its fonts).
UiSize* SizeLocked(UiFace& f, int32_t px) {
  if (px <= 0 || px > 256 || !OpenLocked(f)) return nullptr;
  auto it = f.sizes.find(px);
  if (it != f.sizes.end()) return &it->second;
  FT_Face face = f.face;
  long asc = face->ascender, desc = -face->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  if (asc + desc <= 0 || face->units_per_EM == 0) return nullptr;
  UiSize s;
  if (FT_New_Size(face, &s.size) != 0) return nullptr;
  FT_Activate_Size(s.size);
  FT_Size_RequestRec req{};
  req.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
  req.height = std::max<FT_Long>(64, FT_Long(int64_t(px) * 64 * face->units_per_EM / (asc + desc)));
  if (FT_Request_Size(face, &req) != 0) {
    FT_Done_Size(s.size);
    return nullptr;
  }
  s.metrics.height = px;
  s.metrics.ascent = int32_t(int64_t(px) * asc / (asc + desc));
  s.metrics.descent = px - s.metrics.ascent;
  return &f.sizes.emplace(px, std::move(s)).first->second;
}

uint32_t CodePoint(std::string_view ch) {
  std::u16string u = Text_SjisToUtf16(ch);
  if (u.empty()) return '?';
  if (u.size() >= 2 && u[0] >= 0xD800 && u[0] < 0xDC00)
    return 0x10000 + ((uint32_t(u[0]) - 0xD800) << 10) + (uint32_t(u[1]) - 0xDC00);
  return u[0];
}

const UiGlyph& GlyphLocked(UiFace& f, UiSize& s, std::string_view ch) {
  const auto* b = reinterpret_cast<const unsigned char*>(ch.data());
  uint32_t key = ch.size() >= 2 ? (uint32_t(b[0]) << 8 | b[1]) : b[0];
  auto it = s.glyphs.find(key);
  if (it != s.glyphs.end()) return it->second;
  UiGlyph g;
  uint32_t cp = ch[0] == '\t' ? ' ' : CodePoint(ch);
  FT_UInt gi = FT_Get_Char_Index(f.face, cp);
  g.found = gi != 0;
  FT_Activate_Size(s.size);
  // A character the face lacks shows the face's own missing-glyph box.
  if (FT_Load_Glyph(f.face, gi, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
    FT_GlyphSlot slot = f.face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = int32_t((slot->advance.x + 32) >> 6);
    if (ch[0] == '\t') g.advance *= 4;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && ch[0] != '\t') {
      g.w = int32_t(bm.width);
      g.h = int32_t(bm.rows);
      g.coverage.resize(size_t(g.w) * size_t(g.h));
      for (int32_t r = 0; r < g.h; ++r)
        std::copy_n(bm.buffer + r * bm.pitch, g.w, g.coverage.data() + size_t(r) * g.w);
    }
  }
  return s.glyphs.emplace(key, std::move(g)).first->second;
}

// Calls fn(glyph) for each character of a line, control characters other
// than the tab left out.
template <class Fn>
void ForEachChar(std::string_view sjis, Fn fn) {
  for (size_t i = 0; i < sjis.size();) {
    size_t n = (Sjis_IsLead(uint8_t(sjis[i])) && i + 1 < sjis.size()) ? 2 : 1;
    unsigned char c = uint8_t(sjis[i]);
    if (n == 2 || c >= 0x20 || c == '\t') fn(sjis.substr(i, n));
    i += n;
  }
}

}  // namespace

bool UiText_Ready() {
  UiFace& f = Face();
  std::lock_guard<std::mutex> lock(f.lock);
  return OpenLocked(f);
}

UiTextMetrics UiText_Metrics(int32_t px) {
  UiFace& f = Face();
  std::lock_guard<std::mutex> lock(f.lock);
  UiSize* s = SizeLocked(f, px);
  return s ? s->metrics : UiTextMetrics{};
}

int32_t UiText_Width(std::string_view sjis, int32_t px) {
  UiFace& f = Face();
  std::lock_guard<std::mutex> lock(f.lock);
  UiSize* s = SizeLocked(f, px);
  if (!s) return 0;
  int32_t w = 0;
  ForEachChar(sjis, [&](std::string_view ch) { w += GlyphLocked(f, *s, ch).advance; });
  return w;
}

bool UiText_HasGlyphs(std::string_view sjis, int32_t px) {
  UiFace& f = Face();
  std::lock_guard<std::mutex> lock(f.lock);
  UiSize* s = SizeLocked(f, px);
  if (!s) return false;
  bool all = true;
  ForEachChar(sjis, [&](std::string_view ch) { all = all && GlyphLocked(f, *s, ch).found; });
  return all;
}

int32_t UiDraw_Text(UiCanvas& c, int32_t x, int32_t y, std::string_view sjis, uint32_t rgb,
                    int32_t px, const PlatRect* clip) {
  UiFace& f = Face();
  std::lock_guard<std::mutex> lock(f.lock);
  UiSize* s = SizeLocked(f, px);
  if (!s) return 0;
  PlatRect box{0, 0, c.w, c.h};
  if (clip) {
    int32_t x0 = std::max(0, clip->x), y0 = std::max(0, clip->y);
    int32_t x1 = std::min(c.w, clip->x + clip->w), y1 = std::min(c.h, clip->y + clip->h);
    box = {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
  }
  int32_t pen = x;
  ForEachChar(sjis, [&](std::string_view ch) {
    const UiGlyph& g = GlyphLocked(f, *s, ch);
    int32_t gx = pen + g.left, gy = y + s->metrics.ascent - g.top;
    for (int32_t r = 0; r < g.h; ++r) {
      int32_t py = gy + r;
      if (py < box.y || py >= box.y + box.h) continue;
      for (int32_t k = 0; k < g.w; ++k) {
        int32_t pxl = gx + k;
        uint32_t a = g.coverage[size_t(r) * g.w + k];
        if (!a || pxl < box.x || pxl >= box.x + box.w) continue;
        uint32_t& d = c.px[size_t(py) * c.w + pxl];
        uint32_t out = 0;
        for (int sh = 0; sh <= 16; sh += 8) {
          uint32_t dc = (d >> sh) & 0xFF, sc = (rgb >> sh) & 0xFF;
          out |= ((dc * (255 - a) + sc * a + 127) / 255) << sh;
        }
        d = out;
      }
    }
    pen += g.advance;
  });
  return pen - x;
}
