// Volume ramps: fades towards a target (state 2) and fades to silence
// before a stop (state 4), advanced by the sound thread every pass.
#include "base/base.h"
#include "platform/clock.h"
#include "sound/sound.h"

namespace {

constexpr int32_t kSndWaitingVolume = 2;  // a ramp that has not begun yet

// Applies a volume to a leaf, or its children's volumes to a group.
void ApplyRampVolume(ObjNode* node, int32_t v) {
  if (node->kind == kObjKindGroup) Snd_ApplyVolumeTree(node->first);
  else Snd_ApplyVolume(node, v);
}

void UpdateNode(ObjNode* node, uint32_t now) {
  SoundRec* rec = Snd_Record(node);
  if (!rec || (rec->state != kSndRamping && rec->state != kSndFadingOut)) return;
  if (rec->paused || g_SoundFocusPaused) {
    // A paused ramp keeps its place: its start moves on with the clock.
    if (rec->pausedTick) {
      rec->rampTick += now - rec->pausedTick;
      rec->pausedTick = now ? now : 1;
    }
    return;
  }
  int32_t elapsed = int32_t(now - rec->rampTick);
  if (rec->state == kSndRamping && elapsed < 0) {
    ApplyRampVolume(node, kSndWaitingVolume);
    return;
  }
  // The product of a long ramp overflows 32 bits: it is taken in 64.
  int64_t v = rec->rampStart + (int64_t(elapsed) * rec->rampStep) / 1024;
  bool reached;
  if (rec->rampStep < 0) {
    if (v < rec->target) v = rec->target;
    reached = v <= rec->target;
  } else {
    if (v > rec->target) v = rec->target;
    reached = v >= rec->target;
  }
  ApplyRampVolume(node, int32_t(v));
  rec->volume = int32_t(v);
  if (!reached) return;
  if (rec->state == kSndRamping) {
    rec->state = kSndSteady;
    return;
  }
  rec->volume = kSndVolumeFull;
  rec->rampStart = 0;
  rec->target = rec->prevTarget = kSndVolumeFull;
  rec->state = kSndStopped;
  Snd_ReleaseBuffer(rec);
}

void UpdateList(ObjNode* first, uint32_t now) {
  for (ObjNode* n = first; n; n = n->next) {
    UpdateNode(n, now);
    if (n->first) UpdateList(n->first, now);
  }
}

}  // namespace

void Snd_UpdateFades() {
  ObjNode* root = g_TreeRoots[kTreeSound].root;
  if (root) UpdateList(root->first, Clock_Ms32());
}
