// Sound records and the volume, pan and frequency arithmetic of sound nodes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "base/base.h"
#include "sound/sound.h"

SoundRec* Snd_NewRecord(ObjNode* node) {
  if (!node) return nullptr;
  auto* rec = new (std::nothrow) SoundRec();
  if (!rec) {
    Err_Show(100010, 1);
    return nullptr;
  }
  node->record = rec;
  return rec;
}

void Snd_FreeRecord(ObjNode* node) {
  SoundRec* rec = Snd_Record(node);
  if (!rec) return;
  node->record = nullptr;
  if (rec->refill == kSndRefillDecoding) {
    // The thread is decoding into its buffers with the lock left: it frees
    // the record when it takes the lock back.
    rec->orphaned = 1;
    return;
  }
  Snd_ReleaseBuffer(rec);
  delete rec;
}

int32_t Snd_MakeSystemRoot(ObjTreeRoot& tree) {
  Obj_SetReleaseHook(kTreeSound, Snd_FreeRecord);
  if (!tree.root->record) {
    // The root's record stays zeroed: it is never played or counted.
    SoundRec* rec = Snd_NewRecord(tree.root);
    if (!rec) return -1;
    rec->enabled = 0;
    rec->volume = rec->target = rec->prevTarget = 0;
    rec->pan = rec->freq = 0;
  }
  std::strcpy(tree.curPath, "S0");
  ObjNode* s0 = Obj_NewNode("S0", 2, kObjKindGroup, nullptr);
  if (!s0) return -1;
  if (!Snd_NewRecord(s0)) {
    Obj_FreeNode(s0);
    return -1;
  }
  std::lock_guard<std::mutex> lock(g_SoundLock);
  Obj_LinkChild(tree.root, s0, 1);
  return 0;
}

namespace {
// Nodes whose parent has a name take part in their ancestors' volumes; the
// tree's unnamed root does not.
inline bool ParentNamed(const ObjNode* node) { return node->parent && node->parent->nameLen > 0; }
}  // namespace

int32_t Snd_GetEffectiveVolume(const ObjNode* node) {
  const SoundRec* rec = Snd_Record(node);
  if (!rec) return 0;
  int32_t own = rec->enabled == 1 ? rec->volume : 0;
  if (!ParentNamed(node)) return own;
  return int32_t((int64_t(own) * Snd_GetEffectiveVolume(node->parent)) >> 8);
}

int32_t Snd_VolumeToMb(int32_t s) {
  s = std::clamp(s, 0, kSndVolumeFull);
  if (s == 0) return kAudioVolumeMin;
  int32_t mb = int32_t(4000.0 * std::log10(double(s) / 256.0));
  return std::clamp(mb, kAudioVolumeMin, 0);
}

void Snd_SetBufferVolume(SoundRec* rec, int32_t s) {
  if (rec && rec->buffer) PlatAudioBuf_SetVolume(rec->buffer.get(), Snd_VolumeToMb(s));
}

void Snd_ApplyVolumeTree(ObjNode* first) {
  for (ObjNode* c = first; c; c = c->next) {
    if (c->kind == kObjKindGroup) Snd_ApplyVolumeTree(c->first);
    else Snd_SetBufferVolume(Snd_Record(c), Snd_GetEffectiveVolume(c));
  }
}

void Snd_ApplyVolume(ObjNode* node, int32_t v) {
  if (!g_DirectSound || !node) return;
  if (node->kind == kObjKindGroup) {
    Snd_ApplyVolumeTree(node->first);
    return;
  }
  int32_t s = ParentNamed(node) ? int32_t((int64_t(v) * Snd_GetEffectiveVolume(node->parent)) >> 8) : v;
  Snd_SetBufferVolume(Snd_Record(node), s);
}

void Snd_SilenceNode(ObjNode* node) {
  if (!g_DirectSound || !node) return;
  if (node->kind == kObjKindGroup) {
    Snd_ApplyVolumeTree(node->first);
    return;
  }
  SoundRec* rec = Snd_Record(node);
  if (rec && rec->buffer) PlatAudioBuf_SetVolume(rec->buffer.get(), kAudioVolumeMin);
}

int32_t Snd_PanToMb(int32_t p) {
  if (p < 0 || p > kSndPanMax) p = kSndPanCentre;
  bool right = p > kSndPanCentre;
  int32_t v = right ? kSndPanMax - p : p;
  int32_t mb = v == 0 ? kAudioVolumeMin
                      : std::clamp(int32_t(4000.0 * std::log10(double(v) / 256.0)), kAudioVolumeMin, 0);
  return right ? -mb : mb;
}

uint32_t Snd_FrequencyToHz(int32_t f, uint32_t rate) {
  if (f < 0 || f > kSndPanMax) f = kSndPanCentre;
  int64_t r = int64_t(rate);
  return uint32_t(r + ((int64_t(f) - 256) * (r / 2)) / 256);
}

void Snd_ApplyPan(SoundRec* rec) {
  if (!g_DirectSound || !rec || !rec->buffer) return;
  PlatAudioBuf_SetPan(rec->buffer.get(), Snd_PanToMb(rec->pan));
}

void Snd_ApplyFrequency(SoundRec* rec) {
  if (!g_DirectSound || !rec || !rec->buffer) return;
  PlatAudioBuf_SetFrequency(rec->buffer.get(), Snd_FrequencyToHz(rec->freq, rec->format.rate));
}
