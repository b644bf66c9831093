// The platform font layer and the font slots: the face list with the
// Windows names, opening and drawing, measuring by pitch, the preparation
// cache and its failure.
#include <gtest/gtest.h>

#include "text_testutil.h"

namespace {

bool StandInsInstalled() { return !Fonts_StandInVersion().empty(); }

#define REQUIRE_STAND_INS()                                                 \
  do {                                                                      \
    if (!StandInsInstalled()) GTEST_SKIP() << "IPA fonts are not installed"; \
  } while (0)

const FontFaceInfo* FindFace(const std::vector<FontFaceInfo>& faces, const char* utf8) {
  std::string sj = Sj(utf8);
  for (const FontFaceInfo& f : faces)
    if (f.name == sj) return &f;
  return nullptr;
}

TEST(Fonts, WindowsNamesAreListedWithTheirPitch) {
  REQUIRE_STAND_INS();
  auto faces = Fonts_ListFaces();
  struct Want {
    const char* name;
    uint8_t pitch;
  };
  const Want kWant[] = {{"ＭＳ ゴシック", kFontPitchFixed},  {"ＭＳ Ｐゴシック", kFontPitchVariable},
                        {"ＭＳ 明朝", kFontPitchFixed},      {"ＭＳ Ｐ明朝", kFontPitchVariable},
                        {"標準ゴシック", kFontPitchFixed},   {"標準明朝", kFontPitchFixed},
                        {"IPAPGothic", kFontPitchVariable}, {"IPAGothic", kFontPitchFixed}};
  for (const Want& w : kWant) {
    const FontFaceInfo* f = FindFace(faces, w.name);
    ASSERT_NE(f, nullptr) << w.name;
    EXPECT_EQ(f->pitch, w.pitch) << w.name;
  }
  EXPECT_EQ(FindFace(faces, "ＭＳ ゴシック")->script, kFontScriptJapanese);
  EXPECT_EQ(faces[0].name, Sj("ＭＳ ゴシック"));
  // A face that covers Japanese and Latin appears once per script.
  int ipa = 0;
  for (const FontFaceInfo& f : faces) ipa += f.name == "IPAGothic";
  EXPECT_EQ(ipa, 2);
  EXPECT_EQ(Fonts_ResolveFamily(Sj("ＭＳ Ｐ明朝")), "IPAPMincho");
}

TEST(Fonts, UnknownFaceDoesNotOpen) {
  EXPECT_EQ(Fonts_Open("NoSuchFaceAnywhere", 20, false), nullptr);
  EXPECT_EQ(Fonts_Open(Sj("ＭＳ ゴシック"), 0, false), nullptr);
}

TEST(Fonts, DrawsInkInsideTheBitmapOnly) {
  REQUIRE_STAND_INS();
  auto font = Fonts_Open(Sj("ＭＳ ゴシック"), 80, false);
  ASSERT_NE(font, nullptr);
  FontCellMetrics m = Fonts_Metrics(font.get());
  EXPECT_EQ(m.cellHeight, 80);
  EXPECT_EQ(m.ascent + m.descent, 80);
  // Guard bytes around a 16 x 16 bitmap: the 80-pixel glyph is clipped.
  std::vector<uint8_t> buf(2 + 32 + 2, 0xFF);
  std::string ch = Sj("漢");
  EXPECT_GT(Fonts_DrawChar(font.get(), ch.data(), 2, buf.data() + 2, 16), 0);
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[1], 0xFF);
  EXPECT_EQ(buf[34], 0xFF);
  EXPECT_EQ(buf[35], 0xFF);
  int ink = 0;
  for (int i = 2; i < 34; ++i) ink += 8 - __builtin_popcount(buf[size_t(i)]);
  EXPECT_GT(ink, 0);
}

TEST(Fonts, FixedFaceAdvancesHalfForSingleBytes) {
  REQUIRE_STAND_INS();
  auto font = Fonts_Open(Sj("ＭＳ ゴシック"), 40, false);
  ASSERT_NE(font, nullptr);
  std::string a = Sj("あ");
  int full = Fonts_CharAdvance(font.get(), a.data(), 2);
  int half = Fonts_CharAdvance(font.get(), "A", 1);
  EXPECT_GT(full, 0);
  EXPECT_NEAR(half * 2, full, 1);
}

TEST(FontSlots, DefaultFaceIsTheFirstWindowsName) {
  REQUIRE_STAND_INS();
  Font_EnumFaces();
  for (int s = 0; s < kFontSlotCount; ++s) EXPECT_EQ(g_FontFaces.slotFace[s], 0);
  EXPECT_STREQ(Font_GetSelectedName(), Sj("ＭＳ ゴシック").c_str());
  EXPECT_EQ(g_FontFaces.current, 0);
}

TEST(FontSlots, SelectByNameAndIndex) {
  Font_EnumFaces();
  g_FontFaces.faces = {{"Zeta", 1, 1}, {"Alpha", 1, 1}};
  EXPECT_EQ(Font_SelectByName("Alpha"), 1);
  EXPECT_EQ(Font_GetSelectedIndex(), 1);
  EXPECT_EQ(Font_SelectByName("Missing"), 0);
  EXPECT_EQ(Font_GetSelectedIndex(), 1);
  EXPECT_EQ(Font_SelectIndex(2), 0);
  EXPECT_EQ(Font_SelectIndex(0), 1);
}

struct MeasureCase {
  const char* face;
  const char* ch;
  int smooth, s, h;
  int width, height;  // -1: only checked against the bounds
};

TEST(FontSlots, MeasureByPitch) {
  REQUIRE_STAND_INS();
  Font_EnumFaces();
  const MeasureCase kCases[] = {
      {"ＭＳ ゴシック", "あ", 1, 20, 24, 20, 24}, {"ＭＳ ゴシック", "A", 1, 20, 24, 10, 24},
      {"ＭＳ ゴシック", "A", 0, 21, 24, 10, 24}, {"ＭＳ ゴシック", " ", 1, 20, 20, 10, 20},
      {"ＭＳ Ｐゴシック", " ", 1, 20, 20, 4, 4}, {"ＭＳ Ｐゴシック", "　", 1, 20, 20, 4, 4},
      {"ＭＳ Ｐゴシック", " ", 1, 3, 2, 3, 2},
  };
  for (const MeasureCase& c : kCases) {
    ASSERT_EQ(Font_SelectByName(Sj(c.face).c_str()), 1);
    int w = -2, h = -2;
    Font_RenderGlyph(Sj(c.ch).c_str(), c.s, c.h, 0, c.smooth, &w, &h);
    EXPECT_EQ(w, c.width) << c.face << " " << c.ch;
    EXPECT_EQ(h, c.height) << c.face << " " << c.ch;
  }
}

TEST(FontSlots, ProportionalWidthFollowsTheInk) {
  REQUIRE_STAND_INS();
  Font_EnumFaces();
  ASSERT_EQ(Font_SelectByName(Sj("ＭＳ Ｐゴシック").c_str()), 1);
  int wi[2], wW[2], h;
  for (int smooth : {0, 1}) {
    Font_RenderGlyph("i", 24, 24, 0, smooth, &wi[smooth], &h);
    Font_RenderGlyph("W", 24, 24, 0, smooth, &wW[smooth], &h);
    EXPECT_LT(wi[smooth], wW[smooth]) << smooth;
    EXPECT_LE(wW[smooth], 24);
    EXPECT_GT(h, 4);
  }
  // A 1x glyph is measured at its own scale: about the 4x width.
  EXPECT_NEAR(wW[0], wW[1], 2);
  EXPECT_NEAR(wi[0], wi[1], 2);
}

TEST(FontSlots, PreparationIsCachedUntilSomethingChanges) {
  REQUIRE_STAND_INS();
  Font_EnumFaces();
  int side = Font_DibSide(20);
  EXPECT_EQ(Font_PrepareSlot(20, 20, 0, 80, side), 1);
  EXPECT_EQ(Font_PrepareSlot(20, 20, 0, 80, side), 0);
  EXPECT_EQ(Font_PrepareSlot(20, 22, 0, 80, side), 1);
  EXPECT_EQ(Font_PrepareSlot(20, 22, 1, 80, side), 1);
  Font_SelectIndex(2);
  EXPECT_EQ(Font_PrepareSlot(20, 22, 1, 80, side), 1);
  Font_SetSlot(3);  // another slot has its own cache
  EXPECT_EQ(Font_PrepareSlot(20, 22, 1, 80, side), 1);
}

TEST(FontSlots, FailedPreparationLeavesNoStaleCache) {
  REQUIRE_STAND_INS();
  ErrCapture errors;
  Font_EnumFaces();
  int w = 0, h = 0;
  Font_RenderGlyph(Sj("あ").c_str(), 20, 20, 0, 1, &w, &h);
  ASSERT_EQ(w, 20);
  g_FontFaces.faces.push_back({"NoSuchFaceAnywhere", 1, 1});
  Font_SelectIndex(Font_GetCount() - 1);
  Font_RenderGlyph(Sj("あ").c_str(), 20, 20, 0, 1, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  ASSERT_FALSE(errors.Empty());
  EXPECT_EQ(errors.Last(), kErrFontCreate);
  FontSlot& slot = Font_CurrentSlot();
  EXPECT_FALSE(slot.font);
  EXPECT_FALSE(slot.bits);
  EXPECT_EQ(slot.cacheSize, -1);
  // Drawing after the failure draws nothing and touches nothing.
  std::vector<uint32_t> px(64 * 64, 9);
  GlyphStyle st;
  EXPECT_EQ(Msg_DrawGlyphTo(Sj("あ").c_str(), st, 2, 5, 5, {px.data(), 64, 64}), 0);
  for (uint32_t p : px) ASSERT_EQ(p, 9u);
  // Back on a good face with the very same sizes: prepared afresh.
  Font_SelectIndex(0);
  Font_RenderGlyph(Sj("あ").c_str(), 20, 20, 0, 1, &w, &h);
  EXPECT_EQ(w, 20);
}

TEST(FontSlots, SizeZeroDrawsNothingWithoutAnError) {
  ErrCapture errors;
  Font_EnumFaces();
  int w = 1, h = 1;
  Font_RenderGlyph("A", 0, 20, 0, 1, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_TRUE(errors.Empty());
}

}  // namespace

namespace {

// A glyph drawn before the start-up has listed the faces lists them then,
// without touching the slot's style.
TEST(FontSlots, FirstGlyphWithoutStartUpListsTheFaces) {
  REQUIRE_STAND_INS();
  g_FontSlots[0].colour = 0x010203;
  int w = 0, h = 0;
  Font_RenderGlyph(Sj("あ").c_str(), 20, 20, 0, 1, &w, &h);
  EXPECT_EQ(w, 20);
  EXPECT_TRUE(g_FontFaces.listed);
  EXPECT_EQ(g_FontSlots[0].colour, 0x010203u);
  EXPECT_EQ(g_InkCountTable[0], 0x404u);
}

}  // namespace

namespace {

int InkPixels(const char* utf8, int bold) {
  std::vector<uint32_t> px(64 * 64, 0);
  GlyphStyle st;
  st.size = st.lineHeight = 32;
  st.bold = bold;
  st.smooth = 0;
  Msg_DrawGlyphTo(Sj(utf8).c_str(), st, 0, 0, 0, {px.data(), 64, 64});
  int n = 0;
  for (uint32_t p : px) n += (p >> 24) == 255;
  return n;
}

TEST(FontSlots, BoldDrawsHeavierStrokes) {
  REQUIRE_STAND_INS();
  Font_EnumFaces();
  int regular = InkPixels("漢", 0);
  int bold = InkPixels("漢", 1);
  EXPECT_GT(regular, 50);
  EXPECT_GT(bold, regular * 11 / 10);
}

}  // namespace
