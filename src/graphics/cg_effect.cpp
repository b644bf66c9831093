// Command 2's numbered effects: the driver that makes the result image and
// hands it to the right layer, and the per-pixel tone effects.
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "graphics/cg_effect_internal.h"
#include "graphics/cg_op_internal.h"

using namespace cgop;

void* (*g_CgScratchAlloc)(size_t bytes) = [](size_t bytes) { return std::malloc(bytes); };

namespace {

struct FxEntry {
  int16_t effect;
  FxKernel kernel;
};
constexpr FxEntry kEffects[] = {
    {1, Fx_Brightness}, {2, Fx_BoxBlur},      {3, Fx_AverageRows}, {4, Fx_AverageCols},
    {5, Fx_BoxBlur},    {6, Fx_AlphaBlur},    {7, Fx_AlphaBlurSums}, {8, Fx_Copy},
    {9, Fx_Copy},       {10, Fx_Scatter},     {11, Fx_Mirror},     {12, Fx_ColourBalance},
    {19, Fx_Threshold}, {20, Fx_Mosaic},      {21, Fx_WaveRows},   {22, Fx_WaveCols},
    {23, Fx_WaveBoth},  {24, Fx_Fill},        {27, Fx_Negative},   {29, Fx_Saturation},
    {37, Fx_Flip},      {38, Fx_Sepia},       {39, Fx_Swirl},
};

FxKernel KernelOf(int effect) {
  for (const FxEntry& e : kEffects)
    if (e.effect == effect) return e.kernel;
  return nullptr;
}

bool InPlace(int effect) { return effect == 19 || effect == 24; }

// Effect 24 in modes 2 and 3 decides whether the target still needs its
// alpha: only a fill of alpha 255 over the whole image leaves it opaque.
void FillAlphaMode(LayerImage* target, const FxCall& c) {
  if (c.mode != 2 && c.mode != 3) return;
  bool whole = c.left == 0 && c.top == 0 && c.right == c.inW - 1 && c.bottom == c.inH - 1;
  uint32_t alpha = c.mode == 2 ? uint32_t(c.v1) & 0xFF : uint32_t(c.v1) >> 24;
  target->alphaMode = whole && alpha == 255 ? 0 : 1;
}

// Every display property of effect 8 (the pixels and the record's identity
// stay with each record).
void CopyLooks(LayerImage* d, const LayerImage* s) {
  d->visible = s->visible;
  d->opacity = s->opacity;
  d->x = s->x, d->y = s->y, d->x100 = s->x100, d->y100 = s->y100;
  d->maskLevel = s->maskLevel;
  d->maskGradient = s->maskGradient;
  d->blendMode = s->blendMode;
  d->alphaMode = s->alphaMode;
  std::memcpy(d->maskPath, s->maskPath, sizeof d->maskPath);
  d->extraValues[0] = s->extraValues[0], d->extraValues[1] = s->extraValues[1];
  d->zoomX = s->zoomX, d->zoomY = s->zoomY;
  std::memcpy(d->gpuValues, s->gpuValues, sizeof d->gpuValues);
  std::memcpy(d->gpuFloats, s->gpuFloats, sizeof d->gpuFloats);
  d->gpuLevel = s->gpuLevel, d->gpuColour = s->gpuColour, d->gpuByte = s->gpuByte;
  d->gpuLevel2 = s->gpuLevel2;
  std::memcpy(d->gpuName, s->gpuName, sizeof d->gpuName);
}

// An E-mote player follows its pixels to the second layer. The first stays
// a plain processor image, so the compositor still draws what it holds.
void MoveEmote(LayerImage* from, LayerImage* to) {
  if (from->kind != 2 || !from->emotePlayer) return;
  if (to->emotePlayer && g_LayerHooks.releasePlayer) g_LayerHooks.releasePlayer(to);
  to->kind = 2;
  to->emotePlayer = from->emotePlayer;
  std::memcpy(to->fileName, from->fileName, sizeof to->fileName);
  std::memcpy(to->playerValues, from->playerValues, sizeof to->playerValues);
  to->playerFlag = from->playerFlag;
  if (g_CgOpHooks.moveEmote) g_CgOpHooks.moveEmote(from, to);
  from->kind = 0;
  from->emotePlayer = nullptr;
  from->fileName[0] = 0;
  from->playerValues[0] = from->playerValues[1] = from->playerValues[2] = 1.0f;
  from->playerFlag = 1;
}

}  // namespace

int Cg_ApplyEffect(int effect, ObjNode* first, ObjNode* second, int32_t left, int32_t top,
                   int32_t right, int32_t bottom, int32_t v1, int32_t v2, int count, int mode) {
  LayerImage* src = Layer_Record(first);
  FxKernel kernel = KernelOf(effect);
  if (!src || !src->pixels || !kernel) return 0;
  if (count < 1) second = nullptr;
  LayerImage* dst = second ? Layer_Record(second) : src;
  if (!dst) return 0;
  // Moving a layer onto itself would release the player it moves.
  if ((effect == 8 || effect == 9) && dst == src) return 0;
  FxCall c{};
  c.in = reinterpret_cast<const uint32_t*>(src->pixels);
  c.left = left, c.top = top, c.right = right, c.bottom = bottom;
  c.inW = int32_t(src->width), c.inH = int32_t(src->height);
  c.v1 = v1, c.v2 = v2, c.alphaMode = src->alphaMode, c.mode = mode;
  if (InPlace(effect) && !second) {
    c.out = reinterpret_cast<uint32_t*>(src->pixels);
    c.outW = c.inW, c.outH = c.inH;
    kernel(c);
    if (effect == 24) FillAlphaMode(src, c);
    Layer_MarkDirty(first);
    return 0;
  }
  int64_t w = InPlace(effect) ? c.inW : int64_t(right) - left + 1;
  int64_t h = InPlace(effect) ? c.inH : int64_t(bottom) - top + 1;
  uint8_t* buf = NewPixels(w, h, NodeName(first));
  if (!buf) return -1;
  if (InPlace(effect)) std::memcpy(buf, src->pixels, size_t(w) * size_t(h) * 4);
  c.out = reinterpret_cast<uint32_t*>(buf);
  c.outW = int32_t(w), c.outH = int32_t(h);
  if (kernel(c) != 0) {
    std::free(buf);
    Err_ShowF(104030, 1, NodeName(first));
    return -1;
  }
  if (!second) {
    SetPixels(first, buf, w, h);
    return 0;
  }
  if (effect == 8) CopyLooks(dst, src);
  if (effect == 8 || effect == 9) MoveEmote(src, dst);
  std::free(dst->pixels);
  dst->pixels = buf;
  dst->width = uint32_t(w), dst->height = uint32_t(h);
  Layer_MarkDirty(second);
  // The fill decides the target's alpha mode itself (command 2 may have set
  // it for the colour fill); every other result takes the first layer's.
  if (effect == 24) FillAlphaMode(dst, c);
  else dst->alphaMode = src->alphaMode;
  return 0;
}

// ---- Tone effects ------------------------------------------------------

namespace {

// Applies a 256-entry table per colour channel over the rectangle.
int ApplyTables(const FxCall& c, const uint8_t* tb, const uint8_t* tg, const uint8_t* tr) {
  for (int32_t y = c.top; y <= c.bottom; y++) {
    const uint32_t* in = c.in + int64_t(y) * c.inW;
    uint32_t* out = c.out + int64_t(y - c.top) * c.outW;
    for (int32_t x = c.left; x <= c.right; x++) {
      uint32_t p = in[x];
      out[x - c.left] = Fx_Pack(tb[p & 0xFF], tg[(p >> 8) & 0xFF], tr[(p >> 16) & 0xFF], p);
    }
  }
  return 0;
}

}  // namespace

int Fx_Brightness(const FxCall& c) {
  uint8_t t[256];
  int32_t step = c.v1 - 128;
  for (int i = 0; i < 256; i++) t[i] = ClampByte(i + step);
  return ApplyTables(c, t, t, t);
}

int Fx_ColourBalance(const FxCall& c) {
  uint8_t t[3][256];
  for (int ch = 0; ch < 3; ch++) {
    int32_t k = (c.v1 >> (8 * ch)) & 0xFF;
    int32_t up = k > 128 ? k - 128 : 0, dn = k < 128 ? 128 - k : 0;
    for (int i = 0; i < 256; i++) t[ch][i] = ClampByte(i + ((up * (255 - i)) >> 7) - ((dn * i) >> 7));
  }
  return ApplyTables(c, t[0], t[1], t[2]);
}

int Fx_Negative(const FxCall& c) {
  uint8_t t[256];
  for (int i = 0; i < 256; i++) t[i] = uint8_t(255 - i);
  return ApplyTables(c, t, t, t);
}

int Fx_Saturation(const FxCall& c) {
  for (int32_t y = c.top; y <= c.bottom; y++) {
    const uint32_t* in = c.in + int64_t(y) * c.inW;
    uint32_t* out = c.out + int64_t(y - c.top) * c.outW;
    for (int32_t x = c.left; x <= c.right; x++) {
      uint32_t p = in[x];
      int32_t ch[3] = {int32_t(p & 0xFF), int32_t((p >> 8) & 0xFF), int32_t((p >> 16) & 0xFF)};
      int32_t g = (ch[0] + ch[1] + ch[2]) / 3;
      if (c.v1 < 128) {
        for (int32_t& v : ch) v += ((g - v) * (128 - c.v1)) >> 7;
      } else {
        // The strength is lowered for this pixel until no channel leaves
        // 0..255.
        int32_t s = c.v1 - 128;
        for (int32_t v : ch) {
          int32_t d = v - g, next = v + ((d * s) >> 7);
          if (next > 255 && ((255 - v) << 7) / d < s) s = ((255 - v) << 7) / d;
          if (next < 0 && (-v * 128) / d < s) s = (-v * 128) / d;
        }
        for (int32_t& v : ch) v += ((v - g) * s) >> 7;
      }
      out[x - c.left] = Fx_Pack(ClampByte(ch[0]), ClampByte(ch[1]), ClampByte(ch[2]), p);
    }
  }
  return 0;
}

int Fx_Sepia(const FxCall& c) {
  for (int32_t y = c.top; y <= c.bottom; y++) {
    const uint32_t* in = c.in + int64_t(y) * c.inW;
    uint32_t* out = c.out + int64_t(y - c.top) * c.outW;
    for (int32_t x = c.left; x <= c.right; x++) {
      uint32_t p = in[x];
      int32_t Y = (117 * int32_t(p & 0xFF) + 601 * int32_t((p >> 8) & 0xFF) + 306 * int32_t((p >> 16) & 0xFF)) << 10;
      int32_t b = (Y - 46347025) / (1 << 20), g = (Y - 287585) / (1 << 20), r = (Y + 18748416) >> 20;
      out[x - c.left] = Fx_Pack(b < 0 ? 0 : b, g < 0 ? 0 : g, r > 255 ? 255 : r, p);
    }
  }
  return 0;
}

int Fx_Threshold(const FxCall& c) {
  for (int32_t y = c.top; y <= c.bottom; y++) {
    uint32_t* row = c.out + int64_t(y) * c.outW;
    for (int32_t x = c.left; x <= c.right; x++) {
      uint32_t p = row[x];
      int32_t sum = int32_t(p & 0xFF) + int32_t((p >> 8) & 0xFF) + int32_t((p >> 16) & 0xFF);
      row[x] = (p & 0xFF000000u) | (int64_t(sum) >= 3 * int64_t(c.v1) ? 0xFFFFFFu : 0u);
    }
  }
  return 0;
}

int Fx_Fill(const FxCall& c) {
  uint32_t v = uint32_t(c.v1);
  for (int32_t y = c.top; y <= c.bottom; y++) {
    uint32_t* row = c.out + int64_t(y) * c.outW;
    for (int32_t x = c.left; x <= c.right; x++) {
      if (c.mode == 1) row[x] = 0xFF000000u | (v & 0xFFFFFFu);
      else if (c.mode == 2) row[x] = (row[x] & 0xFFFFFFu) | (v & 0xFF) << 24;
      else row[x] = v;
    }
  }
  return 0;
}
