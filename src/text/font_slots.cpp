// The eight font slots: the face list, the slots' faces and styles, and the
// preparation, drawing and measuring of one character in a slot's bitmap.
#include <bit>
#include <cstring>
#include <new>

#include "platform/text.h"
#include "base/base.h"
#include "text/text.h"

FontFaceList g_FontFaces;
FontSlot g_FontSlots[kFontSlotCount];
uint32_t g_InkCountTable[256];
uint8_t g_CoverageTable[32];

namespace {

// Faces a slot starts with, the first one installed wins.
constexpr const char* kDefaultFaces[] = {"ＭＳ ゴシック", "標準ゴシック", "ＭＳ Ｐゴシック",
                                         "ＭＳ 明朝", "標準明朝"};

int DefaultFaceIndex() {
  for (const char* utf8 : kDefaultFaces) {
    std::string sjis = Text_Utf8ToSjis(utf8);
    for (size_t i = 0; i < g_FontFaces.faces.size(); ++i)
      if (g_FontFaces.faces[i].name == sjis) return int(i);
  }
  return 0;
}

// Drops the slot's font and bitmap and forgets the preparation, so that a
// later call never takes the cache for objects that are gone.
void DropPreparation(FontSlot& slot) {
  slot.font.reset();
  slot.bits.reset();
  slot.side = 0;
  slot.bitsBytes = 0;
  slot.cacheSize = slot.cacheLineHeight = slot.cacheFontHeight = slot.cacheBold = -1;
  slot.cacheFace = -1;
}

}  // namespace

namespace {

void BuildTables() {
  for (int v = 0; v < 256; ++v)
    g_InkCountTable[v] = uint32_t((4 - std::popcount(unsigned(v >> 4))) << 8) +
                         uint32_t(4 - std::popcount(unsigned(v & 15)));
  for (int i = 0; i < 32; ++i) g_CoverageTable[i] = uint8_t(i * 18 > 255 ? 255 : i * 18);
}
// The tables hold from the start, so glyphs drawn before the start-up's
// Font_EnumFaces (tests, tools) still reduce correctly.
const bool s_tablesBuilt = (BuildTables(), true);

// Lists the faces and gives every slot its default face.
void ListFaces() {
  g_FontFaces.faces = Fonts_ListFaces();
  g_FontFaces.listed = true;
  int def = DefaultFaceIndex();
  for (int32_t& f : g_FontFaces.slotFace) f = def;
}

}  // namespace

void Tbl_InitDrawLuts() {
  BuildTables();
  for (FontSlot& slot : g_FontSlots) {
    DropPreparation(slot);
    slot.size = 20;
    slot.lineHeight = 20;
    slot.bold = 0;
    slot.colour = 0xFFFFFF;
    slot.colour2 = 0xFFFFFF;
    slot.gradient = 1;
    slot.orientation = 0;
    slot.smooth = 1;
    slot.writeMode = 0;
    slot.lastWidth = slot.lastHeight = 0;
    std::memset(slot.lastChar, 0, sizeof slot.lastChar);
  }
}

int Font_EnumFaces() {
  ListFaces();
  g_FontFaces.current = 0;
  Tbl_InitDrawLuts();
  return 0;
}

void Font_SetSlot(int n) {
  if (n >= 0 && n < kFontSlotCount) g_FontFaces.current = n;
}

FontSlot& Font_CurrentSlot() { return g_FontSlots[g_FontFaces.current]; }

int Font_SelectIndex(int i) {
  if (i < 0 || i >= Font_GetCount()) return 0;
  g_FontFaces.slotFace[g_FontFaces.current] = i;
  return 1;
}

int Font_SelectByName(const char* sjisName) {
  if (!sjisName) return 0;
  for (size_t i = 0; i < g_FontFaces.faces.size(); ++i) {
    if (g_FontFaces.faces[i].name == sjisName) {
      g_FontFaces.slotFace[g_FontFaces.current] = int32_t(i);
      return 1;
    }
  }
  return 0;
}

int Font_GetCount() { return int(g_FontFaces.faces.size()); }
int Font_GetSelectedIndex() { return g_FontFaces.slotFace[g_FontFaces.current]; }

const char* Font_GetName(int i) {
  if (i < 0 || i >= Font_GetCount()) return nullptr;
  return g_FontFaces.faces[size_t(i)].name.c_str();
}

int Font_GetScriptFlag(int i) {
  if (i < 0 || i >= Font_GetCount()) return kFontScriptOther;
  return g_FontFaces.faces[size_t(i)].script;
}

const char* Font_GetSelectedName() {
  const char* n = Font_GetName(Font_GetSelectedIndex());
  return n ? n : "";
}

int Font_GetSelectedPitchFlag() {
  int i = Font_GetSelectedIndex();
  if (i < 0 || i >= Font_GetCount()) return kFontPitchVariable;
  return g_FontFaces.faces[size_t(i)].pitch;
}

int Font_PrepareSlot(int size, int lineHeight, int bold, int fontHeight, int side) {
  (void)s_tablesBuilt;
  // A glyph drawn before the start-up listed the faces lists them now,
  // keeping the slots' styles.
  if (!g_FontFaces.listed) ListFaces();
  FontSlot& slot = Font_CurrentSlot();
  int face = Font_GetSelectedIndex();
  if (slot.font && slot.bits && slot.cacheSize == size && slot.cacheLineHeight == lineHeight &&
      slot.cacheFontHeight == fontHeight && slot.cacheBold == bold && slot.cacheFace == face)
    return 0;
  DropPreparation(slot);
  size_t bytes = size_t(side) * size_t(side) / 8;
  slot.bits.reset(new (std::nothrow) uint8_t[bytes]);
  if (!slot.bits) {
    Err_Script(kErrNoMemory, 1);
    return -1;
  }
  slot.font = Fonts_Open(Font_GetSelectedName(), fontHeight, bold != 0);
  if (!slot.font) {
    DropPreparation(slot);
    Err_Script(kErrFontCreate, 1);
    return -1;
  }
  slot.side = side;
  slot.bitsBytes = bytes;
  slot.cacheSize = size;
  slot.cacheLineHeight = lineHeight;
  slot.cacheFontHeight = fontHeight;
  slot.cacheBold = bold;
  slot.cacheFace = face;
  return 1;
}

namespace {

struct InkExtent {
  int right = 0;     // rightmost ink column, 0 when none
  int firstRow = -1; // first row with ink, -1 when none
};

// Rightmost ink column and first ink row of a slot bitmap (ink = 0 bits).
InkExtent MeasureInk(const uint8_t* bits, int side) {
  InkExtent e;
  int stride = side / 8;
  for (int r = 0; r < side; ++r) {
    const uint8_t* row = bits + size_t(r) * stride;
    for (int i = stride - 1; i >= 0; --i) {
      if (row[i] == 0xFF) continue;
      if (e.firstRow < 0) e.firstRow = r;
      unsigned inv = unsigned(~row[i]) & 0xFFu;
      int col = 8 * i + 7 - std::countr_zero(inv);
      if (col > e.right) e.right = col;
      break;
    }
  }
  return e;
}

}  // namespace

int Font_RenderGlyph(const char* text, int s, int h, int bold, int smooth, int* outWidth,
                     int* outHeight) {
  FontSlot& slot = Font_CurrentSlot();
  *outWidth = *outHeight = 0;
  slot.lastWidth = slot.lastHeight = 0;
  if (!text || s <= 0 || s > kFontSizeMax) return 0;
  int fontHeight = smooth == 1 ? 4 * s : s;
  int side = Font_DibSide(s);
  if (Font_PrepareSlot(s, h, bold, fontHeight, side) < 0) return 0;
  std::memset(slot.bits.get(), 0xFF, slot.bitsBytes);
  int len = Sjis_IsLead(uint8_t(text[0])) && text[1] ? 2 : 1;
  Fonts_DrawChar(slot.font.get(), text, len, slot.bits.get(), side);
  std::memset(slot.lastChar, 0, sizeof slot.lastChar);
  std::memcpy(slot.lastChar, text, size_t(len));

  int w, hh;
  switch (Font_GetSelectedPitchFlag()) {
    case kFontPitchVariable: {
      InkExtent e = MeasureInk(slot.bits.get(), side);
      // A 1x glyph is measured at its own scale (its bitmap bottom is a
      // quarter of the side), with the same margin a reduced 4x glyph gets.
      int inkHeight = 0;
      if (e.firstRow >= 0) inkHeight = smooth == 1 ? (side - e.firstRow) / 4 : side / 4 - e.firstRow;
      if (inkHeight < 0) inkHeight = 0;
      w = (smooth == 1 ? e.right / 4 : e.right) + 4;
      hh = inkHeight + 4;
      w = w < s ? w : s;
      hh = hh < h ? hh : h;
      break;
    }
    case kFontPitchFixed:
      w = len == 2 ? s : s / 2;
      hh = h;
      break;
    default:
      w = s < 4 ? s : 4;
      hh = h < 4 ? h : 4;
      break;
  }
  slot.lastWidth = *outWidth = w;
  slot.lastHeight = *outHeight = hh;
  return 0;
}
