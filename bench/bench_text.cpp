// Text benchmarks: the glyph rasteriser (render, measure, 4x4 reduction,
// blit) against FreeType's own 1-bit rendering of the same glyphs at the
// same 4x size, and typing whole pages into a 1280 x 720 message layer.
// Items are characters, so the rates read as characters per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "platform/fonts.h"
#include "platform/text.h"
#include "text/text.h"

namespace {

// Mixed kana and kanji, 40 characters, Shift-JIS.
const std::string& LineText() {
  static const std::string s = Text_Utf8ToSjis(
      "今日は良い天気ですね。明日の予定を確認して、駅前の喫茶店で友達と会う約束をしました。");
  return s;
}
std::vector<std::string> Characters() {
  std::vector<std::string> out;
  const std::string& s = LineText();
  for (size_t i = 0; i + 1 < s.size() && out.size() < 40; i += 2) out.push_back(s.substr(i, 2));
  return out;
}

struct Setup {
  Setup() {
    Msg_CreateRecord();
    Font_EnumFaces();
  }
};
void EnsureSetup() { static Setup s; }

void GlyphRaster(benchmark::State& state, int smooth, const char* face = nullptr) {
  EnsureSetup();
  if (face) Font_SelectByName(Text_Utf8ToSjis(face).c_str());
  std::vector<std::string> chars = Characters();
  std::vector<uint32_t> px(1280 * 720, 0);
  GlyphTarget t{px.data(), 1280, 720};
  GlyphStyle st;
  st.size = st.lineHeight = 24;
  st.smooth = uint8_t(smooth);
  size_t i = 0;
  for (auto _ : state) {
    int x = int(i % 40) * 24;
    benchmark::DoNotOptimize(Msg_DrawGlyphTo(chars[i % chars.size()].c_str(), st, 0, x, 0, t));
    ++i;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  Font_SelectIndex(0);
}

void BM_GlyphSmooth24(benchmark::State& state) { GlyphRaster(state, 1); }
void BM_Glyph1Bit24(benchmark::State& state) { GlyphRaster(state, 0); }
// A proportional face also scans the bitmap for the ink's extent.
void BM_GlyphSmooth24Proportional(benchmark::State& state) { GlyphRaster(state, 1, "ＭＳ Ｐゴシック"); }

// FreeType alone, at the 4x height of a size-24 smoothed glyph.
void BM_FreeTypeMono96(benchmark::State& state) {
  EnsureSetup();
  std::vector<std::string> chars = Characters();
  PlatFontPtr font = Fonts_Open(Font_GetSelectedName(), 96, false);
  if (!font) {
    state.SkipWithError("no face");
    return;
  }
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Fonts_RenderOnly(font.get(), chars[i % chars.size()].c_str(), 2));
    ++i;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}

// Types pages of 20 lines of 40 characters (size 24) into a message layer.
void TypePages(benchmark::State& state, int smooth) {
  EnsureSetup();
  ObjNode* node = Obj_NewNode("msg", 3, kObjKindLeaf, nullptr);
  Img_SetSize(Obj_GetImageRecord(node), 1280, 720, nullptr);
  MessageRec& m = *g_MsgCurrent;
  m.layer = node;
  m.size = m.lineHeight = 24;
  m.smooth = uint8_t(smooth);
  const std::string& line = LineText();
  int64_t chars = 0;
  for (auto _ : state) {
    m.needsReset = 1;
    Msg_ResetRecord();
    m.penX = m.penY = 0;
    for (int l = 0; l < 20; ++l) {
      Msg_AppendChars(line.data(), 80, false);
      Msg_AppendControl('R', true);
    }
    g_MsgShowAll = 1;
    Msg_RenderText();
    chars += m.textPos / 2;
  }
  state.SetItemsProcessed(chars);
  state.counters["chars_per_page"] = benchmark::Counter(double(chars) / double(state.iterations()));
  m.layer = nullptr;
}

void BM_TypePageSmooth(benchmark::State& state) { TypePages(state, 1); }
void BM_TypePage1Bit(benchmark::State& state) { TypePages(state, 0); }

}  // namespace

BENCHMARK(BM_GlyphSmooth24);
BENCHMARK(BM_Glyph1Bit24);
BENCHMARK(BM_GlyphSmooth24Proportional);
BENCHMARK(BM_FreeTypeMono96);
BENCHMARK(BM_TypePageSmooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypePage1Bit)->Unit(benchmark::kMillisecond);
