// The glyph rasteriser: corner colours, the smoothed (4x4 coverage) and the
// 1-bit blits of a slot bitmap into a layer, and the outline copies.
//
// Orientation: 0 upright, 1 turned a quarter clockwise, 2 turned half way,
// 3 turned a quarter anticlockwise; 4..8 draw upright. A turned glyph is
// fitted to the same size x line-height cell, each destination pixel
// sampling the source pixel that maps onto it.
//
// Write mode 0 writes every pixel of the cell (alpha from the coverage,
// also 0 where there is no ink, so earlier ink under the cell is erased);
// write mode 1 lays the ink over what is there (source over destination)
// and leaves inkless pixels alone. Outlines therefore need write mode 1.
#include <cstring>

#include "graphics/graphics.h"
#include "text/text.h"

namespace {

uint32_t Midpoint(uint32_t a, uint32_t b) {
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    int ca = int((a >> sh) & 0xFF), cb = int((b >> sh) & 0xFF);
    out |= uint32_t(ca + (cb - ca) / 2) << sh;
  }
  return out;
}

// Corner pattern per gradient 1..8 over top left, top right, bottom left,
// bottom right: 0 the main colour, 1 the second, 2 their midpoint.
constexpr uint8_t kGradientCorners[9][4] = {
    {0, 0, 0, 0},  // 0 plain
    {0, 0, 1, 1},  // 1 top to bottom
    {1, 1, 0, 0},  // 2 bottom to top
    {0, 1, 0, 1},  // 3 left to right
    {1, 0, 1, 0},  // 4 right to left
    {0, 2, 2, 1},  // 5 top left to bottom right
    {2, 0, 1, 2},  // 6 top right to bottom left
    {2, 1, 0, 2},  // 7 bottom left to top right
    {1, 2, 2, 0},  // 8 bottom right to top left
};

// Destination corner of each source corner for the quarter turns.
// Corners: 0 TL, 1 TR, 2 BL, 3 BR.
constexpr uint8_t kTurnCorner[4][4] = {
    {0, 1, 2, 3},  // upright
    {1, 3, 0, 2},  // quarter clockwise
    {3, 2, 1, 0},  // half
    {2, 0, 3, 1},  // quarter anticlockwise
};

// Source pixel of destination (row r, column c) in an s x h cell.
inline void SourceOf(int orientation, int r, int c, int s, int h, int* sr, int* sc) {
  switch (orientation) {
    case 1: *sc = r * s / h; *sr = (s - 1 - c) * h / s; break;
    case 2: *sr = h - 1 - r; *sc = s - 1 - c; break;
    case 3: *sc = s - 1 - r * s / h; *sr = c * h / s; break;
    default: *sr = r; *sc = c; break;
  }
}

// Per-channel colour interpolation over the cell: down the left and right
// edges for a row, then across it in 16.16 steps.
struct RowColours {
  int ch[3];    // 16.16 value at column 0
  int step[3];  // per column
  uint32_t At(int c) const {
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) out |= uint32_t((ch[k] + step[k] * c) >> 16) << (8 * k);
    return out;
  }
};

int Lerp(int a, int b, int i, int n) { return n <= 0 ? a : a + (b - a) * i / n; }

RowColours ColoursOfRow(const GlyphCorners& k, int r, int s, int h) {
  RowColours rc;
  for (int ch = 0; ch < 3; ++ch) {
    int sh = 8 * ch;
    int l = Lerp(int((k.c[0] >> sh) & 0xFF), int((k.c[2] >> sh) & 0xFF), r, h - 1);
    int rt = Lerp(int((k.c[1] >> sh) & 0xFF), int((k.c[3] >> sh) & 0xFF), r, h - 1);
    rc.ch[ch] = (l << 16) + 0x8000;
    rc.step[ch] = s > 1 ? ((rt - l) << 16) / (s - 1) : 0;
  }
  return rc;
}

// Lays ink of coverage `cov` (1..255) in `colour` over `old`.
inline uint32_t MergeInk(uint32_t old, uint32_t colour, int cov) {
  int a = cov + 1;
  int b = int(old >> 24);
  uint32_t na = uint32_t(a + b - ((a * b) >> 8) - 1);
  int ws = a * 256, wd = b * (256 - a);
  int den = ws + wd;
  uint32_t out = na << 24;
  for (int sh = 0; sh <= 16; sh += 8) {
    int cs = int((colour >> sh) & 0xFF), cd = int((old >> sh) & 0xFF);
    out |= uint32_t((cs * ws + cd * wd + den / 2) / den) << sh;
  }
  return out;
}

inline void WritePixel(uint32_t* p, uint32_t colour, int cov, int writeMode) {
  if (writeMode == 0) *p = uint32_t(cov) << 24 | colour;
  else if (cov) *p = MergeInk(*p, colour, cov);
}

bool CellInside(const GlyphStyle& st, int x, int y, const GlyphTarget& t) {
  if (!t.pixels || st.size <= 0 || st.lineHeight <= 0) return false;
  return x >= 0 && y >= 0 && int64_t(x) + st.size - 1 < t.width &&
         int64_t(y) + st.lineHeight - 1 < t.height;
}

// A white row, standing in for bitmap rows past the bottom: rows outside
// the bitmap have no ink (a line height above the bitmap reads nothing).
const uint8_t* WhiteRow() {
  static uint8_t row[kFontDibSideMax / 8];
  static bool filled = [] {
    std::memset(row, 0xFF, sizeof row);
    return true;
  }();
  (void)filled;
  return row;
}

inline int SmoothCoverage(const uint8_t* bits, int side, int sr, int sc) {
  int stride = side / 8;
  uint32_t sum = 0;
  for (int k = 0; k < 4; ++k) {
    int row = 4 * sr + k;
    if (row >= side) break;
    sum += g_InkCountTable[bits[size_t(row) * stride + size_t(sc >> 1)]];
  }
  uint32_t count = (sc & 1) ? (sum & 0xFF) : (sum >> 8);
  return g_CoverageTable[count];
}

inline bool MonoInk(const uint8_t* bits, int side, int sr, int sc) {
  if (sr >= side || sc >= side) return false;
  return !((bits[size_t(sr) * (side / 8) + size_t(sc >> 3)] >> (7 - (sc & 7))) & 1);
}

}  // namespace

GlyphCorners Msg_ColourPattern(int gradient, int orientation, uint32_t colour, uint32_t colour2) {
  colour &= kFontColourMax;
  colour2 = colour2 == kColourNone ? colour : (colour2 & kFontColourMax);
  uint32_t choice[3] = {colour, colour2, Midpoint(colour, colour2)};
  int g = gradient >= 0 && gradient <= 8 ? gradient : 0;
  int o = orientation >= 1 && orientation <= 3 ? orientation : 0;
  GlyphCorners out{};
  for (int corner = 0; corner < 4; ++corner)
    out.c[kTurnCorner[o][corner]] = choice[kGradientCorners[g][corner]];
  return out;
}

bool Msg_BlitGlyphSmooth(const GlyphStyle& st, int x, int y, const GlyphTarget& t) {
  const FontSlot& slot = Font_CurrentSlot();
  if (!slot.bits || !CellInside(st, x, y, t)) return false;
  const int s = st.size, h = st.lineHeight, side = slot.side, stride = side / 8;
  const uint8_t* bits = slot.bits.get();
  GlyphCorners k = Msg_ColourPattern(st.gradient, st.orientation, st.colour, st.colour2);
  int o = st.orientation >= 1 && st.orientation <= 3 ? st.orientation : 0;
  for (int r = 0; r < h; ++r) {
    uint32_t* dst = t.pixels + size_t(y + r) * size_t(t.width) + size_t(x);
    RowColours rc = ColoursOfRow(k, r, s, h);
    if (o == 0) {
      const uint8_t* rows[4];
      for (int i = 0; i < 4; ++i) {
        int row = 4 * r + i;
        rows[i] = row < side ? bits + size_t(row) * stride : WhiteRow();
      }
      for (int c = 0; c < s; ++c) {
        int b = c >> 1;
        uint32_t sum = g_InkCountTable[rows[0][b]] + g_InkCountTable[rows[1][b]] +
                       g_InkCountTable[rows[2][b]] + g_InkCountTable[rows[3][b]];
        int cov = g_CoverageTable[(c & 1) ? (sum & 0xFF) : (sum >> 8)];
        WritePixel(dst + c, rc.At(c), cov, st.writeMode);
      }
      continue;
    }
    for (int c = 0; c < s; ++c) {
      int sr, sc;
      SourceOf(o, r, c, s, h, &sr, &sc);
      WritePixel(dst + c, rc.At(c), SmoothCoverage(bits, side, sr, sc), st.writeMode);
    }
  }
  return true;
}

bool Msg_BlitGlyphMono(const GlyphStyle& st, int x, int y, const GlyphTarget& t) {
  const FontSlot& slot = Font_CurrentSlot();
  if (!slot.bits || !CellInside(st, x, y, t)) return false;
  const int s = st.size, h = st.lineHeight, side = slot.side;
  const uint8_t* bits = slot.bits.get();
  GlyphCorners k = Msg_ColourPattern(st.gradient, st.orientation, st.colour, st.colour2);
  int o = st.orientation >= 1 && st.orientation <= 3 ? st.orientation : 0;
  for (int r = 0; r < h; ++r) {
    uint32_t* dst = t.pixels + size_t(y + r) * size_t(t.width) + size_t(x);
    RowColours rc = ColoursOfRow(k, r, s, h);
    for (int c = 0; c < s; ++c) {
      int sr, sc;
      SourceOf(o, r, c, s, h, &sr, &sc);
      WritePixel(dst + c, rc.At(c), MonoInk(bits, side, sr, sc) ? 255 : 0, st.writeMode);
    }
  }
  return true;
}

int Msg_DrawGlyphTo(const char* text, const GlyphStyle& st, int d, int x, int y,
                    const GlyphTarget& t, bool* drawn) {
  bool any = false;
  if (drawn) *drawn = false;
  int w = 0, h = 0;
  Font_RenderGlyph(text, st.size, st.lineHeight, st.bold, st.smooth, &w, &h);
  if (!Font_CurrentSlot().bits) return w;
  auto blit = st.smooth == 1 ? Msg_BlitGlyphSmooth : Msg_BlitGlyphMono;
  if (d >= 1 && d <= kGlyphNineCopyMax) {
    const int steps[3] = {d, 0, -d};
    for (int i : steps)
      for (int j : {-d, 0, d}) any |= blit(st, x + i, y + j, t);
  } else if (d > kGlyphNineCopyMax) {
    int e = d - kGlyphNineCopyMax;
    any |= blit(st, x + e, y, t);
    any |= blit(st, x, y + e, t);
    any |= blit(st, x + e, y + e, t);
  }
  any |= blit(st, x, y, t);
  if (drawn) *drawn = any;
  return w;
}

GlyphStyle Font_SlotStyle(const FontSlot& slot) {
  GlyphStyle st;
  st.colour = slot.colour;
  st.colour2 = slot.colour2;
  st.gradient = slot.gradient;
  st.orientation = slot.orientation;
  st.smooth = slot.smooth;
  st.writeMode = slot.writeMode;
  st.size = slot.size;
  st.lineHeight = slot.lineHeight;
  st.bold = slot.bold;
  return st;
}

GlyphTarget Msg_LayerTarget(ObjNode* layer) {
  GlyphTarget t;
  LayerImage* rec = Layer_Record(layer);
  if (!rec || !rec->pixels) return t;
  t.pixels = reinterpret_cast<uint32_t*>(rec->pixels);
  t.width = int32_t(rec->width);
  t.height = int32_t(rec->height);
  return t;
}

int Msg_DrawGlyph(const char* text, const GlyphStyle& st, int d, int x, int y, ObjNode* layer) {
  bool drawn = false;
  int w = Msg_DrawGlyphTo(text, st, d, x, y, Msg_LayerTarget(layer), &drawn);
  if (drawn) Layer_MarkDirty(layer);
  return w;
}
