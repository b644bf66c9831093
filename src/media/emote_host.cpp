// The engine's side of the player library: the table of held players,
// creating and releasing them, the saturation filter and the per-layer
// values and calls. Every wrapper tests the library, the driver or the
// layer's handle first, so without the library nothing happens.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/base.h"
#include "graphics/graphics.h"
#include "media/emote_internal.h"
#include "media/media.h"
#include "platform/text.h"

LayerImage* g_EmoteObjects[kEmoteObjectMax] = {};
int32_t g_EmoteSaturation = 128;

namespace emote {

void Box(const char* utf8) {
  const std::string text = Text_Utf8ToSjis(utf8);
  Sys_MessageBoxF("", "%s", text.c_str());
}

std::string Utf8(const char* sjis) { return Text_SjisToUtf8(sjis ? sjis : ""); }

int SlotOf(const LayerImage* rec) {
  for (int i = 0; i < kEmoteObjectMax; ++i)
    if (g_EmoteObjects[i] == rec) return i;
  return -1;
}

void* Handle(const LayerImage* rec) {
  return rec && g_EmoteEntry.available ? rec->emotePlayer : nullptr;
}

}  // namespace emote

using namespace emote;

int Emote_InitDevice(void* device) {
  if (!Emote_Available()) return 1;
  if (g_EmoteEntry.driver) return 0;
  const EmoteDeviceBlock block = {device, nullptr, nullptr};
  g_EmoteEntry.driver = Emote_Fn<EmoteFn2>(2)(&block);
  return g_EmoteEntry.driver ? 0 : 1;
}

int Emote_CreatePlayer(LayerImage* rec, const uint8_t* data, size_t size) {
  if (!rec || !Emote_Available()) return 1;
  if (rec->emotePlayer) {
    Box("EmotePlayerがすでに読み込まれています.");
    return 1;
  }
  // The free slot is looked for before the player is made: a player made
  // for a full table would stay in the layer without ever being drawn.
  int slot = SlotOf(nullptr);
  if (slot < 0) {
    Box("EmotePlayer最大読込数をオーバーしました.");
    return 1;
  }
  void* handle = nullptr;
  Emote_Fn<EmoteFn119>(119)(g_EmoteEntry.driver, data, uint32_t(size), &handle);
  if (!handle) {
    Box("EmotePlayer読み込みに失敗しました.");
    return 1;
  }
  rec->emotePlayer = handle;
  g_EmoteObjects[slot] = rec;
  return 0;
}

int Emote_LoadPsb(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  if (!Emote_Available()) return 0;
  Emote_ReleaseObject(rec);
  rec->kind = 2;
  Str_CopySjis(rec->fileName, sizeof rec->fileName, name ? name : "");
  g_EmoteSaturation = int32_t(rec->gpuLevel);
  Emote_Fn<EmoteFn3>(3)(data, uint32_t(size), Emote_SaturationFilter);
  if (Emote_CreatePlayer(rec, data, size) != 0) {
    const std::string text = Text_Utf8ToSjis("E-mote 読込に失敗しました. = %s");
    Sys_MessageBoxF("", text.c_str(), name ? name : "");
    return -1;
  }
  Emote_Fn<EmoteFnHandle>(205)(rec->emotePlayer);  // start the new player
  return 0;
}

void Emote_ReleaseObject(LayerImage* rec) {
  if (!rec || !rec->emotePlayer) return;
  int slot = SlotOf(rec);
  if (slot >= 0) g_EmoteObjects[slot] = nullptr;
  if (Emote_Available()) Emote_Fn<EmoteFnHandle>(202)(rec->emotePlayer);
  rec->emotePlayer = nullptr;
  rec->kind = 1;
}

void Emote_DropLayer(LayerImage* rec) {
  if (!rec) return;
  std::free(rec->emoteState);
  std::free(rec->emoteMotion1);
  std::free(rec->emoteMotion3);
  rec->emoteState = rec->emoteMotion1 = rec->emoteMotion3 = nullptr;
  Emote_ReleaseObject(rec);
  int slot = SlotOf(rec);  // a layer in the table without a handle
  if (slot >= 0) g_EmoteObjects[slot] = nullptr;
}

void Emote_MovePlayer(LayerImage* from, LayerImage* to) {
  if (!from || !to || from == to) return;
  int slot = SlotOf(from);
  if (slot >= 0) g_EmoteObjects[slot] = to;
  // What the host keeps for the player goes with it.
  std::swap(to->emoteState, from->emoteState);
  std::swap(to->emoteMotion1, from->emoteMotion1);
  std::swap(to->emoteMotion3, from->emoteMotion3);
  to->emoteRatio3 = from->emoteRatio3;
}

void emote::ReleasePlayersAndDriver(void (*release)(LayerImage* rec)) {
  for (LayerImage*& rec : g_EmoteObjects) {
    if (rec) release(rec);
    rec = nullptr;
  }
  if (Emote_Available() && g_EmoteEntry.driver) Emote_Fn<EmoteFnDriver>(102)(g_EmoteEntry.driver);
  g_EmoteEntry.driver = nullptr;
}

void Emote_ReleaseAll() { ReleasePlayersAndDriver(Emote_DropLayer); }

// Per pixel B, G, R around their mean m: above 128 the distance to m grows
// by (p - 128) / 128, lowered so that no channel leaves 0..255 (the hue
// stays); below 128 each channel moves towards m.
void Emote_SaturationFilter(uint8_t* pixels, uint32_t bytes) {
  const int32_t p = g_EmoteSaturation;
  for (uint32_t i = 0; i + 4 <= bytes; i += 4) {
    uint8_t* px = pixels + i;
    int32_t c[3] = {px[0], px[1], px[2]};
    int32_t m = (c[0] + c[1] + c[2]) / 3;
    if (p >= 128) {
      int32_t k = p - 128;
      for (int32_t ch : c) {
        int32_t d = ch - m;
        if (d == 0) continue;
        int32_t cand = ch + ((d * k) >> 7);
        if (cand > 255) k = std::min(k, (255 - ch) * 128 / d);
        else if (cand < 0) k = std::min(k, -ch * 128 / d);
      }
      for (int n = 0; n < 3; ++n) px[n] = uint8_t(c[n] + (((c[n] - m) * k) >> 7));
    } else {
      int32_t k = 128 - p;
      for (int n = 0; n < 3; ++n) px[n] = uint8_t(c[n] + (((m - c[n]) * k) >> 7));
    }
  }
}

namespace {
constexpr int kParamEntry[3] = {214, 218, 216};  // A, B, C

void SetParam(LayerImage* rec, int which, float v) {
  if (!rec) return;
  v = std::clamp(v, 0.0f, 1.0f);
  rec->playerValues[which] = v;
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnFloat>(kParamEntry[which])(h, v);
}
}  // namespace

void Emote_SetParamA(LayerImage* rec, float v) { SetParam(rec, 0, v); }
void Emote_SetParamB(LayerImage* rec, float v) { SetParam(rec, 1, v); }
void Emote_SetParamC(LayerImage* rec, float v) { SetParam(rec, 2, v); }
void Emote_SetParamAll(int which, float v) {
  for (LayerImage* rec : g_EmoteObjects)
    if (rec) SetParam(rec, which, v);
}

void Emote_SetFlagAndCall(LayerImage* rec, uint8_t flag) {
  void* h = Handle(rec);
  if (!h) return;
  rec->playerFlag = flag;
  Emote_Fn<EmoteFnByte>(208)(h, flag);
}

void Emote_ForObject(LayerImage* rec, uint8_t flag) {
  if (SlotOf(rec) >= 0) Emote_SetFlagAndCall(rec, flag);
}

void Emote_SetFiveValues(LayerImage* rec, const float v[5]) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFn235>(235)(h, v[0], v[1], v[2], v[3], v[4]);
}
void Emote_FreePlayer(LayerImage* rec) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnHandle>(236)(h);
}
void Emote_Call253(LayerImage* rec) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnHandle>(253)(h);
}
void Emote_Call212(LayerImage* rec, int32_t on) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnInt>(212)(h, on ? 1 : 0);
}
int Emote_Query244(LayerImage* rec, const char* name) {
  void* h = Handle(rec);
  return h && Emote_Fn<EmoteFnNameQuery>(244)(h, Utf8(name).c_str()) != 0 ? 1 : 0;
}
int Emote_Query252(LayerImage* rec) {
  void* h = Handle(rec);
  return h && Emote_Fn<EmoteFnQuery>(252)(h) == 1 ? 1 : 0;
}
int Emote_QueryHandle(LayerImage* rec) {
  void* h = Handle(rec);
  if (h) Emote_Fn<EmoteFnHandle>(256)(h);
  return h ? 1 : 0;
}
void Emote_AdvanceTime(LayerImage* rec, uint32_t elapsedMs) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnFloat>(254)(h, float(elapsedMs) * kEmoteTimeScale);
}
void Emote_DriverCall(uint32_t value) {
  if (Emote_Available() && g_EmoteEntry.driver) Emote_Fn<EmoteFn121>(121)(g_EmoteEntry.driver, value);
}
void Emote_SetDrawParam220(LayerImage* rec, float v, int32_t n) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFn220>(220)(h, v, n, 0, 0);
}
void Emote_SetDrawParam222(LayerImage* rec, float v) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnFloat2>(222)(h, v, 0, 0);
}
void Emote_SetDrawParam224(LayerImage* rec, float v) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFnFloat2>(224)(h, v, 0, 0);
}
void Emote_SetColour226(LayerImage* rec, uint32_t colour) {
  if (void* h = Handle(rec)) Emote_Fn<EmoteFn226>(226)(h, colour * 256 + 255, 0, 0);
}
