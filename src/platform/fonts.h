// Installed font faces and 1-bit glyph output, on fontconfig and FreeType.
//
// Stands in for the platform's font list and its black-on-white text output
// into a 1-bit bitmap: the glyph rasteriser measures and reduces the bitmap
// itself, so this layer only has to put the ink where the platform would.
// Face names are Shift-JIS, like every string the engine handles. The
// Windows face names that games ask for ("ＭＳ ゴシック", "ＭＳ Ｐ明朝", ...)
// are listed as faces of their own and drawn with an installed Japanese face
// of the same pitch.
//
// Script thread only: the FreeType library and the face cache are not locked.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Script flag of a face entry: 0 for the Japanese script, 1 for any other.
constexpr uint8_t kFontScriptJapanese = 0;
constexpr uint8_t kFontScriptOther = 1;
// Pitch flag of a face entry: 1 default or variable, 0 fixed, 255 other.
constexpr uint8_t kFontPitchVariable = 1;
constexpr uint8_t kFontPitchFixed = 0;
constexpr uint8_t kFontPitchOther = 255;

struct FontFaceInfo {
  std::string name;   // Shift-JIS
  uint8_t script = kFontScriptOther;
  uint8_t pitch = kFontPitchVariable;
};

// One entry per face and script, as the engine lists them at start-up: the
// mapped Windows names first (only those whose stand-in face is installed),
// then every installed family name once per script it covers (Japanese when
// it covers "ja", other when it covers "en"), sorted by name. A face may
// appear more than once.
std::vector<FontFaceInfo> Fonts_ListFaces();

// The installed family (UTF-8) that a face name (Shift-JIS) is drawn with:
// the mapped stand-in for a Windows name, else the name itself. Empty when
// no installed face matches at all.
std::string Fonts_ResolveFamily(const std::string& sjisName);

// Vertical metrics of an opened font, in pixels: `cellHeight` equals the
// requested pixel height (ascent + descent), like a positive font height.
struct FontCellMetrics {
  int ascent = 0;
  int descent = 0;
  int cellHeight = 0;
};

class PlatFont;
struct PlatFontDeleter {
  void operator()(PlatFont* f) const;
};
using PlatFontPtr = std::unique_ptr<PlatFont, PlatFontDeleter>;

// Opens the face named `sjisName` at a cell height of `pixelHeight` pixels,
// weight 700 when `bold`. Null when the name matches no installed face or
// FreeType refuses it (the caller reports the error).
PlatFontPtr Fonts_Open(const std::string& sjisName, int pixelHeight, bool bold);

FontCellMetrics Fonts_Metrics(const PlatFont* font);

// Draws one character (`len` 1 or 2 Shift-JIS bytes) with its cell's top
// left at (0, 0) into a top-down 1-bit bitmap `side` x `side` pixels whose
// rows are side/8 bytes, most significant bit leftmost: ink clears bits,
// everything else is left as it is (the caller fills white first). Ink
// outside the bitmap is clipped. Returns the advance in pixels, 0 when the
// face has no glyph for the character (nothing is drawn then).
int Fonts_DrawChar(PlatFont* font, const char* sjis, int len, uint8_t* bits, int side);

// FreeType's own work for one character (load and 1-bit render into its
// glyph slot) without copying it anywhere: the reference the glyph
// rasteriser's benchmark compares against. False without a glyph.
bool Fonts_RenderOnly(PlatFont* font, const char* sjis, int len);

// The advance of one character in pixels without drawing it.
int Fonts_CharAdvance(PlatFont* font, const char* sjis, int len);

// The font file and face index of the engine's own dialogs and menus: the
// stand-in of "ＭＳ Ｐゴシック", else fontconfig's best Japanese sans-serif
// face. False when neither is installed. Safe from any thread.
bool Fonts_LocateUiFace(std::string* file, int* index);

// Version string of the installed Japanese stand-in fonts ("Version 003.03"
// for the IPA fonts of Debian 12), empty when they are missing. Golden glyph images are
// tied to it.
std::string Fonts_StandInVersion();
