// Motions, variables and timelines of a player, and keeping them across a
// device reset. Names are held Shift-JIS in the layer and handed to the
// library as UTF-8; the state text is "name￡value￡" pairs with the values in
// thousandths (milliseconds for times).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/base.h"
#include "graphics/graphics.h"
#include "media/emote_internal.h"
#include "media/media.h"
#include "platform/text.h"

using namespace emote;

namespace {

constexpr unsigned char kSep0 = 0x81, kSep1 = 0x92;  // "￡" in Shift-JIS

// The stored name buffer, made with kEmoteNameBytes on first use; null when
// it cannot be made.
char* NameBuffer(char*& slot) {
  if (!slot) slot = static_cast<char*>(std::calloc(1, kEmoteNameBytes));
  return slot;
}

void StoreName(char*& slot, const char* name) {
  if (char* b = NameBuffer(slot)) Str_CopySjis(b, kEmoteNameBytes, name);
}

bool HasName(const char* slot) { return slot && slot[0]; }

// Next separator at or after `p`, stepping over double-byte characters.
const char* FindSep(const char* p) {
  while (*p) {
    auto c = static_cast<unsigned char>(p[0]);
    if (c == kSep0 && static_cast<unsigned char>(p[1]) == kSep1) return p;
    p += Sjis_IsLead(c) && p[1] ? 2 : 1;
  }
  return nullptr;
}

void Start3(void* h, const char* nameSjis, float ratio, float t) {
  const std::string n = Utf8(nameSjis);
  Emote_Fn<EmoteFn245>(245)(h, n.c_str(), 3);
  Emote_Fn<EmoteFn248>(248)(h, n.c_str(), 0.0f, t, 0, 0);
  Emote_Fn<EmoteFn248>(248)(h, n.c_str(), ratio, t, 0, 0);
}

}  // namespace

void Emote_ApplyMotion(LayerImage* rec, const char* name) {
  void* h = Handle(rec);
  if (!h || !name) return;
  if (HasName(rec->emoteMotion1)) {
    const std::string old = rec->emoteMotion1;  // the stop empties the buffer
    Emote_StopMotion(rec, old.c_str());
  }
  StoreName(rec->emoteMotion1, name);
  Emote_Fn<EmoteFn245>(245)(h, Utf8(name).c_str(), 1);
}

void Emote_StopMotion(LayerImage* rec, const char* name) {
  void* h = Handle(rec);
  if (!h || !name) return;
  Emote_Fn<EmoteFnName>(247)(h, Utf8(name).c_str());
  if (rec->emoteMotion1) rec->emoteMotion1[0] = 0;
}

void Emote_PlayMotionBlend(LayerImage* rec, const char* name, int64_t timeMs, float ratio) {
  void* h = Handle(rec);
  if (!h || !name) return;
  if (HasName(rec->emoteMotion3)) {
    const std::string old = rec->emoteMotion3;
    Emote_StopMotionTimed(rec, old.c_str(), 0);
  }
  StoreName(rec->emoteMotion3, name);
  Start3(h, name, ratio, float(timeMs) * kEmoteTimeScale);
  rec->emoteRatio3 = ratio;
}

void Emote_StopMotionTimed(LayerImage* rec, const char* name, int64_t timeMs) {
  void* h = Handle(rec);
  if (!h || !name) return;
  Emote_Fn<EmoteFn251>(251)(h, Utf8(name).c_str(), float(timeMs) * kEmoteTimeScale, 0);
  if (rec->emoteMotion3) rec->emoteMotion3[0] = 0;
}

int Emote_QueryMotion(LayerImage* rec, const char* name) {
  void* h = Handle(rec);
  return h && Emote_Fn<EmoteFnNameQuery>(246)(h, Utf8(name ? name : "").c_str()) == 1 ? 1 : 0;
}

void Emote_ApplyVariables(LayerImage* rec, const char* text) {
  void* h = Handle(rec);
  if (!h || !text) return;
  const char* p = text;
  while (*p) {
    const char* sep = FindSep(p);
    if (!sep) break;
    const char* value = sep + 2;
    const char* end = FindSep(value);
    if (!end) break;
    const std::string name(p, size_t(sep - p));
    const std::string digits(value, size_t(end - value));
    long long v = std::strtoll(digits.c_str(), nullptr, 10);
    Emote_Fn<EmoteFn233>(233)(h, Utf8(name.c_str()).c_str(), float(double(v) / 1000.0), 0.0f, 0);
    p = end + 2;
  }
}

size_t Emote_ReadTimelines(LayerImage* rec, char* out, size_t cap) {
  if (!out || cap == 0) return 0;
  out[0] = 0;
  void* h = Handle(rec);
  if (!h) return 0;
  size_t len = 0;
  uint32_t n = Emote_Fn<EmoteFn228>(228)(h);
  for (uint32_t i = 0; i < n; ++i) {
    const char* name = Emote_Fn<EmoteFn229>(229)(h, i);
    if (!name) continue;
    float seconds = Emote_Fn<EmoteFn234>(234)(h, name);
    const std::string sjis = Text_Utf8ToSjis(name);
    char value[32];
    std::snprintf(value, sizeof value, "%d", int(seconds * 1000.0f));
    // A pair that does not fit whole is left out: the buffer stays a list
    // of complete pairs.
    size_t need = sjis.size() + 2 + std::strlen(value) + 2;
    if (len + need >= cap) break;
    len += size_t(std::snprintf(out + len, cap - len, "%s\x81\x92%s\x81\x92", sjis.c_str(), value));
  }
  return len;
}

void Emote_SaveStates() {
  for (LayerImage* rec : g_EmoteObjects) {
    if (!Handle(rec)) continue;
    std::free(rec->emoteState);
    rec->emoteState = static_cast<char*>(std::calloc(1, kEmoteStateBytes));
    if (rec->emoteState) Emote_ReadTimelines(rec, rec->emoteState, kEmoteStateBytes);
    if (HasName(rec->emoteMotion1) && !Emote_QueryMotion(rec, rec->emoteMotion1))
      rec->emoteMotion1[0] = 0;
    if (HasName(rec->emoteMotion3) && !Emote_QueryMotion(rec, rec->emoteMotion3))
      rec->emoteMotion3[0] = 0;
  }
}

// The layers keep their stored names and state for the restore.
void Emote_ReleaseForReset() { ReleasePlayersAndDriver(Emote_ReleaseObject); }

void Emote_RestoreAll() {
  for (LayerImage* rec : g_EmoteObjects) {
    void* h = Handle(rec);
    if (!h || !rec->emoteState) continue;
    Emote_ApplyVariables(rec, rec->emoteState);
    std::free(rec->emoteState);
    rec->emoteState = nullptr;
    if (HasName(rec->emoteMotion1)) {
      const std::string m1 = rec->emoteMotion1;
      Emote_ApplyMotion(rec, m1.c_str());
    }
    if (HasName(rec->emoteMotion3)) {
      const std::string m3 = rec->emoteMotion3;
      const float ratio = rec->emoteRatio3;
      Emote_StopMotionTimed(rec, m3.c_str(), 0);
      StoreName(rec->emoteMotion3, m3.c_str());
      rec->emoteRatio3 = ratio;
      // Back at its ratio at once: both steps with time 0.
      Start3(h, m3.c_str(), ratio, 0.0f);
    }
  }
}
