// The fourteen request handlers the sound thread runs for the ring's slots.
// Each reads the node, value and name from its slot; > 0 done, 0 retry on
// the next pass, < 0 an error that ends the thread.
#include <algorithm>
#include <cstring>

#include "base/base.h"
#include "platform/clock.h"
#include "sound/sound.h"

namespace {

struct Slot {
  ObjNode* node;
  SoundRec* rec;
  int32_t value;  // the slot's u32 read as the signed value the script gave
  const char* name;
};

Slot SlotAt(int i) {
  ObjNode* node = g_SoundRing.node[i];
  return {node, Snd_Record(node), int32_t(g_SoundRing.value[i]), g_SoundRing.name[i]};
}

constexpr int32_t kDone = 1;

void SetName(SoundRec* rec, const char* name) {
  size_t n = strnlen(name, kSndNameSize - 1);
  std::memcpy(rec->fileName, name, n);
  rec->fileName[n] = 0;
}

// Stops the sound and frees what it holds; state 0.
void StopAndRelease(ObjNode* node, SoundRec* rec) {
  Snd_SilenceNode(node);
  Snd_ReleaseBuffer(rec);
  rec->state = kSndStopped;
}

// The start shared by a loaded and a freshly loaded sound: seek, fill the
// first half, play looping silenced, then ramp up from 0.
int32_t CommonStart(ObjNode* node, SoundRec* rec, int32_t playFailure) {
  int32_t pos = rec->startPos < rec->endPos ? rec->startPos : 0;
  int32_t r = Snd_SeekStart(rec, pos);
  if (r < 0) return r;
  rec->playedBytes = rec->decodedBytes;
  rec->halfLast = 1;
  rec->writeOffset = 0;
  r = Snd_Refill(rec);
  if (r < 0) return r;
  Snd_SilenceNode(node);
  Snd_ApplyPan(rec);
  Snd_ApplyFrequency(rec);
  if (g_DirectSound && !rec->buffer) return -1;
  if ((r = Snd_PlayBuffer(rec, playFailure)) < 0) return r;
  rec->rampStart = 0;
  rec->rampStep = Snd_RampStep(rec->target, rec->rampDuration);
  rec->state = kSndRamping;
  return kDone;
}

void ResetStartState(SoundRec* rec) {
  rec->lastPlayed = 0;
  rec->carried = 0;
  rec->rampTick = Clock_Ms32();
  rec->pendingSilence = 0;
  rec->emptyWraps = 0;
  rec->exhausted = 0;
}

}  // namespace

int32_t Snd_RampStep(int32_t delta, int32_t d) {
  int64_t p = int64_t(delta) * 1024;
  return int32_t(d == 0 ? p : p / d);
}

int32_t Snd_CmdLoad(int i) {
  Slot s = SlotAt(i);
  if (!s.rec) return kDone;
  if (s.rec->state != kSndStopped) {
    StopAndRelease(s.node, s.rec);
    return 0;
  }
  SoundRec* rec = s.rec;
  SetName(rec, s.name);
  rec->playsLeft = 0;
  rec->halfLast = 1;
  rec->pan = rec->freq = kSndPanCentre;
  rec->startPos = rec->loopPos = rec->endPos = 0;
  rec->playedBytes = rec->lengthMs = 0;
  rec->latchedLoop = rec->latchedEnd = 0;
  int32_t r = Snd_LoadSource(rec, s.node->key);
  if (r < 0) return r;
  rec->state = kSndLoaded;
  return kDone;
}

int32_t Snd_CmdStart(int i) {
  Slot s = SlotAt(i);
  SoundRec* rec = s.rec;
  if (!rec) return kDone;
  rec->rampDuration = s.value;
  int32_t d = s.value;
  switch (rec->state) {
    case kSndStopped: {
      if (rec->fileName[0] == 0) return kDone;
      rec->halfLast = 1;
      rec->startPos = 0;
      rec->playedBytes = 0;
      ResetStartState(rec);
      int32_t r = Snd_LoadSource(rec, s.node->key);
      if (r < 0) return r;
      return CommonStart(s.node, rec, -110);
    }
    case kSndLoaded:
      ResetStartState(rec);
      return CommonStart(s.node, rec, -120);
    case kSndRamping:
      rec->rampTick = Clock_Ms32();
      rec->rampStart = rec->volume;
      rec->rampStep = Snd_RampStep(rec->target - rec->prevTarget, d);
      return kDone;
    case kSndSteady:
      rec->rampTick = Clock_Ms32();
      rec->rampStart = rec->volume;
      rec->rampStep = Snd_RampStep(rec->target - rec->volume, d);
      rec->state = kSndRamping;
      return kDone;
    default:  // fading out: stop now, start afresh on the next pass
      std::swap(rec->rampStart, rec->target);
      StopAndRelease(s.node, rec);
      return 0;
  }
}

int32_t Snd_CmdPause(int i) {
  Slot s = SlotAt(i);
  if (!s.rec) return kDone;
  int mode = s.value == 1 ? 1 : 0;
  s.rec->paused = int8_t(mode);
  // While the focus holds the tree paused, a script resume only clears the
  // byte: the focus resume brings the sound back.
  if (mode == 0 && g_SoundFocusPaused) return kDone;
  int32_t r = Snd_PauseOrResumeNode(s.node, mode);
  if (r >= 0 && s.node->kind == kObjKindGroup) r = Snd_PauseTree(s.node->first, mode);
  return r < 0 ? r : kDone;
}

int32_t Snd_CmdFadeOutStop(int i) {
  Slot s = SlotAt(i);
  SoundRec* rec = s.rec;
  if (!rec || rec->state == kSndStopped || rec->state == kSndLoaded) return kDone;
  int32_t x = rec->state == kSndRamping ? rec->prevTarget : rec->volume;
  rec->rampDuration = s.value;
  rec->rampTick = Clock_Ms32();
  rec->rampStart = rec->volume;
  rec->target = 0;
  rec->rampStep = Snd_RampStep(-x, s.value);
  rec->state = kSndFadingOut;
  return kDone;
}

int32_t Snd_CmdSetVolume(int i) {
  Slot s = SlotAt(i);
  if (!s.rec) return kDone;
  int32_t v = std::clamp(s.value, 0, kSndVolumeFull);
  s.rec->volume = s.rec->target = s.rec->prevTarget = v;
  Snd_ApplyVolume(s.node, v);
  return kDone;
}

int32_t Snd_CmdSetTargetVolume(int i) {
  Slot s = SlotAt(i);
  if (!s.rec) return kDone;
  s.rec->prevTarget = s.rec->target;
  s.rec->target = std::clamp(s.value, 0, kSndVolumeFull);
  return kDone;
}

int32_t Snd_CmdSetPlayCount(int i) {
  Slot s = SlotAt(i);
  if (s.rec && s.rec->state != kSndStopped) s.rec->playsLeft = s.value;
  return kDone;
}

int32_t Snd_CmdSetEndPos(int i) {
  Slot s = SlotAt(i);
  if (!s.rec || s.rec->state == kSndStopped) return kDone;
  int64_t v = std::clamp<int64_t>(s.value, 0, s.rec->lengthMs);
  s.rec->endPos = int32_t(v);
  return kDone;
}

int32_t Snd_CmdSetStartPos(int i) {
  Slot s = SlotAt(i);
  if (s.rec && s.rec->state != kSndStopped) s.rec->startPos = s.value < s.rec->lengthMs ? s.value : 0;
  return kDone;
}

int32_t Snd_CmdSetLoopPos(int i) {
  Slot s = SlotAt(i);
  if (s.rec && s.rec->state != kSndStopped) s.rec->loopPos = s.value < s.rec->lengthMs ? s.value : 0;
  return kDone;
}

int32_t Snd_CmdSetPan(int i) {
  Slot s = SlotAt(i);
  if (!s.rec || s.rec->state == kSndStopped) return kDone;
  s.rec->pan = s.value;
  Snd_ApplyPan(s.rec);
  return kDone;
}

int32_t Snd_CmdSetFrequency(int i) {
  Slot s = SlotAt(i);
  if (!s.rec || s.rec->state == kSndStopped) return kDone;
  s.rec->freq = s.value;
  Snd_ApplyFrequency(s.rec);
  return kDone;
}

int32_t Snd_CmdExists(int) { return kDone; }

int32_t Snd_CmdStop(int i) {
  Slot s = SlotAt(i);
  if (!s.rec || s.rec->state == kSndStopped) return kDone;
  s.rec->fileName[0] = 0;
  StopAndRelease(s.node, s.rec);
  return kDone;
}
