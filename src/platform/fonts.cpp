#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <strings.h>

#include "platform/text.h"

// ---- Windows face names ---------------------------------------------------

namespace {

// A Windows face name and the installed family that draws it. The pitch is
// the Windows face's own: the fixed faces draw every double-byte character
// in a full cell and every single-byte one in half a cell.
struct FaceAlias {
  const char* windowsName;  // UTF-8 here, Shift-JIS once listed
  const char* family;       // fontconfig family, UTF-8
  uint8_t pitch;
};

constexpr FaceAlias kFaceAliases[] = {
    {"ＭＳ ゴシック", "IPAGothic", kFontPitchFixed},
    {"ＭＳ Ｐゴシック", "IPAPGothic", kFontPitchVariable},
    {"ＭＳ 明朝", "IPAMincho", kFontPitchFixed},
    {"ＭＳ Ｐ明朝", "IPAPMincho", kFontPitchVariable},
    {"標準ゴシック", "IPAGothic", kFontPitchFixed},
    {"標準明朝", "IPAMincho", kFontPitchFixed},
    {"MS UI Gothic", "IPAPGothic", kFontPitchVariable},
    {"MS Gothic", "IPAGothic", kFontPitchFixed},
    {"MS PGothic", "IPAPGothic", kFontPitchVariable},
    {"MS Mincho", "IPAMincho", kFontPitchFixed},
    {"MS PMincho", "IPAPMincho", kFontPitchVariable},
};

// The Shift-JIS forms of the alias names, converted once.
const std::vector<std::string>& AliasSjisNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const FaceAlias& a : kFaceAliases) v.push_back(Text_Utf8ToSjis(a.windowsName));
    return v;
  }();
  return names;
}

const FaceAlias* FindAlias(const std::string& sjisName) {
  const auto& names = AliasSjisNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == sjisName) return &kFaceAliases[i];
  return nullptr;
}

// ---- fontconfig -----------------------------------------------------------

struct FcPatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FcFontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct FcObjectSetDeleter {
  void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;

// fontconfig keeps its configuration and caches until FcFini; release them
// at exit so that leak checkers see a clean process.
bool FcReady() {
  static const bool ok = [] {
    if (FcInit() != FcTrue) return false;
    std::atexit(FcFini);
    return true;
  }();
  return ok;
}

uint8_t PitchOf(FcPattern* p) {
  int spacing = 0;
  if (FcPatternGetInteger(p, FC_SPACING, 0, &spacing) != FcResultMatch) return kFontPitchVariable;
  if (spacing == FC_PROPORTIONAL) return kFontPitchVariable;
  return kFontPitchFixed;  // mono, dual width, char cell
}

bool CoversLang(FcPattern* p, const char* lang) {
  FcLangSet* ls = nullptr;
  if (FcPatternGetLangSet(p, FC_LANG, 0, &ls) != FcResultMatch) return false;
  return FcLangSetHasLang(ls, reinterpret_cast<const FcChar8*>(lang)) != FcLangDifferentLang;
}

struct FamilyInfo {
  bool japanese = false;
  bool other = false;
  uint8_t pitch = kFontPitchVariable;
};

// Every installed family name (all the names a font carries) with its
// scripts and pitch.
std::map<std::string, FamilyInfo> InstalledFamilies() {
  std::map<std::string, FamilyInfo> out;
  if (!FcReady()) return out;
  FcPatternPtr pat(FcPatternCreate());
  std::unique_ptr<FcObjectSet, FcObjectSetDeleter> os(
      FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_LANG, nullptr));
  std::unique_ptr<FcFontSet, FcFontSetDeleter> set(FcFontList(nullptr, pat.get(), os.get()));
  if (!set) return out;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    bool ja = CoversLang(p, "ja");
    bool en = CoversLang(p, "en");
    uint8_t pitch = PitchOf(p);
    FcChar8* fam = nullptr;
    for (int k = 0; FcPatternGetString(p, FC_FAMILY, k, &fam) == FcResultMatch; ++k) {
      FamilyInfo& info = out[reinterpret_cast<const char*>(fam)];
      info.japanese |= ja;
      info.other |= en || !ja;
      info.pitch = pitch;
    }
  }
  return out;
}

bool FamilyMatches(FcPattern* p, const std::string& family) {
  FcChar8* fam = nullptr;
  for (int k = 0; FcPatternGetString(p, FC_FAMILY, k, &fam) == FcResultMatch; ++k)
    if (strcasecmp(reinterpret_cast<const char*>(fam), family.c_str()) == 0) return true;
  return false;
}

// The file and face index of an installed family; false when fontconfig
// only has a fall-back for it.
bool LocateFamily(const std::string& family, std::string* file, int* index) {
  if (!FcReady() || family.empty()) return false;
  FcPatternPtr pat(FcPatternCreate());
  FcPatternAddString(pat.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pat.get(), FcMatchPattern);
  FcDefaultSubstitute(pat.get());
  FcResult res = FcResultNoMatch;
  FcPatternPtr match(FcFontMatch(nullptr, pat.get(), &res));
  if (!match || !FamilyMatches(match.get(), family)) return false;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch) return false;
  *file = reinterpret_cast<const char*>(path);
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  return true;
}

// ---- FreeType -------------------------------------------------------------

// The library and the opened faces live until the process ends: fonts held
// by engine-wide objects (the font slots) are released during exit, after
// any function-local static would already be gone.
struct FtState {
  FT_Library lib = nullptr;
  std::map<std::string, FT_Face> faces;  // by "file#index"
};

FtState& Ft() {
  static FtState* s = new FtState;
  if (!s->lib && FT_Init_FreeType(&s->lib) != 0) s->lib = nullptr;
  return *s;
}

FT_Face OpenFace(const std::string& file, int index) {
  FtState& ft = Ft();
  if (!ft.lib) return nullptr;
  std::string key = file + "#" + std::to_string(index);
  auto it = ft.faces.find(key);
  if (it != ft.faces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(ft.lib, file.c_str(), index, &face) != 0) return nullptr;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  ft.faces[key] = face;
  return face;
}

// Code points of Shift-JIS characters, converted on first sight and kept:
// a message types the same few thousand characters over and over.
constexpr uint32_t kUnconverted = 0xFFFFFFFFu;
uint32_t CodePointOf(const char* sjis, int len) {
  static std::array<uint32_t, 65536> cache = [] {
    std::array<uint32_t, 65536> a;
    a.fill(kUnconverted);
    return a;
  }();
  const auto* b = reinterpret_cast<const unsigned char*>(sjis);
  uint32_t key = len >= 2 ? (uint32_t(b[0]) << 8 | b[1]) : b[0];
  uint32_t& slot = cache[key];
  if (slot == kUnconverted) {
    std::u16string u = Text_SjisToUtf16(std::string_view(sjis, len >= 2 ? 2 : 1));
    if (u.empty()) slot = 0;
    else if (u.size() >= 2 && u[0] >= 0xD800 && u[0] < 0xDC00)
      slot = 0x10000 + ((uint32_t(u[0]) - 0xD800) << 10) + (uint32_t(u[1]) - 0xDC00);
    else slot = u[0];
  }
  return slot;
}

}  // namespace

// An opened face at one cell height: a FreeType size object of a shared face.
class PlatFont {
 public:
  FT_Face face = nullptr;
  FT_Size size = nullptr;
  FontCellMetrics metrics;
  FT_Pos emboldenX = 0;  // 26.6 extra stroke width for weight 700
  ~PlatFont() {
    if (size) FT_Done_Size(size);
  }
};

void PlatFontDeleter::operator()(PlatFont* f) const { delete f; }

std::vector<FontFaceInfo> Fonts_ListFaces() {
  std::vector<FontFaceInfo> out;
  std::map<std::string, FamilyInfo> families = InstalledFamilies();
  const auto& aliasNames = AliasSjisNames();
  for (size_t i = 0; i < std::size(kFaceAliases); ++i) {
    auto it = families.find(kFaceAliases[i].family);
    if (it == families.end()) continue;
    out.push_back({aliasNames[i], kFontScriptJapanese, kFaceAliases[i].pitch});
  }
  for (const auto& [name, info] : families) {
    std::string sjis = Text_Utf8ToSjis(name);
    // A name with characters outside code page 932 cannot be asked for by a
    // script; leave it out rather than list a mangled name.
    if (sjis.empty() || Text_SjisToUtf8(sjis) != name) continue;
    if (info.japanese) out.push_back({sjis, kFontScriptJapanese, info.pitch});
    if (info.other) out.push_back({sjis, kFontScriptOther, info.pitch});
  }
  return out;
}

std::string Fonts_ResolveFamily(const std::string& sjisName) {
  if (const FaceAlias* a = FindAlias(sjisName)) return a->family;
  return Text_SjisToUtf8(sjisName);
}

// Scales the face so that ascent plus descent (the Windows cell, from the
// OS/2 table where there is one) is `pixelHeight` pixels.
static bool SizeFont(PlatFont* f, int pixelHeight) {
  FT_Face face = f->face;
  long asc = face->ascender, desc = -face->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  long cell = asc + desc;
  if (cell <= 0 || face->units_per_EM == 0) return false;
  FT_Size_RequestRec req{};
  req.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
  req.height = FT_Long((int64_t)pixelHeight * 64 * face->units_per_EM / cell);
  if (req.height < 64) req.height = 64;
  if (FT_Request_Size(face, &req) != 0) return false;
  f->metrics.cellHeight = pixelHeight;
  f->metrics.ascent = int((int64_t)pixelHeight * asc / cell);
  f->metrics.descent = pixelHeight - f->metrics.ascent;
  return true;
}

PlatFontPtr Fonts_Open(const std::string& sjisName, int pixelHeight, bool bold) {
  if (pixelHeight <= 0) return nullptr;
  std::string file;
  int index = 0;
  if (!LocateFamily(Fonts_ResolveFamily(sjisName), &file, &index)) return nullptr;
  FT_Face face = OpenFace(file, index);
  if (!face) return nullptr;
  PlatFontPtr f(new PlatFont);
  f->face = face;
  if (FT_New_Size(face, &f->size) != 0) {
    f->size = nullptr;
    return nullptr;
  }
  FT_Activate_Size(f->size);
  if (!SizeFont(f.get(), pixelHeight)) return nullptr;
  // Weight 700 widens the strokes by about a twenty-fourth of the cell, as a
  // synthesised bold does.
  if (bold) f->emboldenX = std::max<FT_Pos>(64, FT_Pos(pixelHeight) * 64 / 24);
  return f;
}

FontCellMetrics Fonts_Metrics(const PlatFont* font) { return font ? font->metrics : FontCellMetrics{}; }

// Loads and renders the character's glyph in 1-bit form into the face's
// slot; false when the face has no glyph for it.
static bool LoadMono(PlatFont* font, const char* sjis, int len, bool render) {
  uint32_t cp = CodePointOf(sjis, len);
  if (cp == 0) return false;
  FT_UInt gi = FT_Get_Char_Index(font->face, cp);
  if (gi == 0) return false;
  FT_Activate_Size(font->size);
  if (FT_Load_Glyph(font->face, gi, FT_LOAD_TARGET_MONO) != 0) return false;
  FT_GlyphSlot slot = font->face->glyph;
  if (font->emboldenX && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_EmboldenXY(&slot->outline, font->emboldenX, 0);
    slot->advance.x += font->emboldenX;
  }
  if (render && slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
    return false;
  return true;
}

// Clears the destination bits under the ink of one rendered row.
static void InkRow(const FT_Bitmap& bm, int row, int x0, uint8_t* dst, int side) {
  const unsigned char* src = bm.buffer + row * bm.pitch;
  if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
    int bytes = int((bm.width + 7) / 8);
    for (int i = 0; i < bytes; ++i) {
      unsigned b = src[i];
      if (!b) continue;
      if (i == bytes - 1 && (bm.width & 7)) b &= 0xFFu << (8 - (bm.width & 7));
      int dx = x0 + 8 * i;
      if (dx >= 0 && dx + 8 <= side) {
        int sh = dx & 7;
        dst[dx >> 3] &= uint8_t(~(b >> sh));
        if (sh && (dx >> 3) + 1 < side / 8) dst[(dx >> 3) + 1] &= uint8_t(~(b << (8 - sh)));
        continue;
      }
      for (int k = 0; k < 8; ++k) {
        int x = dx + k;
        if ((b & (0x80u >> k)) && x >= 0 && x < side) dst[x >> 3] &= uint8_t(~(0x80u >> (x & 7)));
      }
    }
    return;
  }
  // Embedded grey strikes: ink where coverage reaches half.
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
  for (unsigned c = 0; c < bm.width; ++c) {
    int x = x0 + int(c);
    if (src[c] >= 128 && x >= 0 && x < side) dst[x >> 3] &= uint8_t(~(0x80u >> (x & 7)));
  }
}

int Fonts_DrawChar(PlatFont* font, const char* sjis, int len, uint8_t* bits, int side) {
  if (!font || !sjis || !bits || side <= 0 || (side & 7)) return 0;
  if (!LoadMono(font, sjis, len, true)) return 0;
  FT_GlyphSlot slot = font->face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  int x0 = slot->bitmap_left;
  int y0 = font->metrics.ascent - slot->bitmap_top;
  int stride = side / 8;
  for (int r = 0; r < int(bm.rows); ++r) {
    int y = y0 + r;
    if (y < 0) continue;
    if (y >= side) break;
    InkRow(bm, r, x0, bits + size_t(y) * stride, side);
  }
  return int((slot->advance.x + 32) >> 6);
}

bool Fonts_RenderOnly(PlatFont* font, const char* sjis, int len) {
  return font && sjis && LoadMono(font, sjis, len, true);
}

int Fonts_CharAdvance(PlatFont* font, const char* sjis, int len) {
  if (!font || !sjis || !LoadMono(font, sjis, len, false)) return 0;
  return int((font->face->glyph->advance.x + 32) >> 6);
}

bool Fonts_LocateUiFace(std::string* file, int* index) {
  static const std::string kDialogFace = Text_Utf8ToSjis("ＭＳ Ｐゴシック");
  if (LocateFamily(Fonts_ResolveFamily(kDialogFace), file, index)) return true;
  if (!FcReady()) return false;
  FcPatternPtr pat(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja")));
  if (!pat) return false;
  FcConfigSubstitute(nullptr, pat.get(), FcMatchPattern);
  FcDefaultSubstitute(pat.get());
  FcResult res = FcResultNoMatch;
  FcPatternPtr match(FcFontMatch(nullptr, pat.get(), &res));
  FcChar8* path = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch) return false;
  *file = reinterpret_cast<const char*>(path);
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  return true;
}

std::string Fonts_StandInVersion() {
  std::string file;
  int index = 0;
  if (!LocateFamily("IPAGothic", &file, &index)) return std::string();
  FT_Face face = OpenFace(file, index);
  if (!face) return std::string();
  FT_UInt n = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < n; ++i) {
    FT_SfntName nm;
    if (FT_Get_Sfnt_Name(face, i, &nm) != 0 || nm.name_id != TT_NAME_ID_VERSION_STRING) continue;
    // Keep the ASCII characters: the version record is plain ASCII in
    // either byte order.
    std::string v;
    for (FT_UInt k = 0; k < nm.string_len; ++k)
      if (nm.string[k] >= 0x20 && nm.string[k] < 0x7F) v += char(nm.string[k]);
    if (!v.empty()) return v;
  }
  return std::string();
}
