// Passes of the sound thread over the whole tree: pause and resume (by
// request or for the focus), the position tracker and the refill by halves.
#include "base/base.h"
#include "platform/clock.h"
#include "sound/sound.h"

namespace {

constexpr int32_t kSndQuitVolume = 2;

// On the way out every sounding node is turned nearly silent and stopped
// where it stands; the thread frees it after the loop.
void QuitNode(ObjNode* node, SoundRec* rec) {
  if (node->kind == kObjKindGroup) Snd_ApplyVolumeTree(node->first);
  else Snd_ApplyVolume(node, kSndQuitVolume);
  rec->state = kSndStopped;
}

inline bool Sounding(const SoundRec* rec) { return rec->state >= kSndRamping; }

// Tracks one node's play position; stops it at the end of its last play.
int32_t TrackNode(SoundRec* rec) {
  if (int e = Snd_TrackPlayed(rec)) return e == 1 ? -310 : -320;
  int64_t end = rec->latchedEnd ? rec->latchedEnd : rec->endPos;
  int64_t restart = rec->latchedEnd ? rec->latchedLoop : rec->loopPos;
  if (rec->avgBytes <= 0 || rec->playedBytes * 1000 / rec->avgBytes < end) return 0;
  rec->latchedEnd = rec->latchedLoop = 0;
  if (rec->playsDone + 1 == rec->totalPlays || rec->exhausted) {
    rec->totalPlays = rec->playsDone = 0;
    rec->playedBytes = 0;
    Snd_ReleaseBuffer(rec);
    rec->state = kSndStopped;
    return 0;
  }
  rec->playsDone += 1;
  rec->playedBytes = restart * rec->avgBytes / 1000;
  return 0;
}

// Writes the half that the play cursor has left.
int32_t RefillNode(SoundRec* rec) {
  // A half already queued in this pass (a start, a resume) comes first.
  if (rec->refill != kSndRefillNone) return 0;
  uint32_t p = 0;
  if (int e = Snd_ReadCursor(rec, &p)) return e == 1 ? -330 : -340;
  uint32_t h = rec->halfBytes;
  if (rec->halfLast == 1) {
    if (p >= h) return 0;
    rec->writeOffset = h;
    rec->halfLast = 2;
  } else {
    if (p <= h) return 0;
    rec->writeOffset = 0;
    rec->halfLast = 1;
  }
  return Snd_Refill(rec);
}

}  // namespace

bool Snd_IsEnabledChain(const ObjNode* node) {
  for (const ObjNode* n = node; n && n->nameLen > 0; n = n->parent) {
    const SoundRec* rec = Snd_Record(n);
    if (!rec || rec->enabled != 1) return false;
  }
  return true;
}

bool Snd_IsPausedChain(const ObjNode* node) {
  for (const ObjNode* n = node; n && n->nameLen > 0; n = n->parent) {
    const SoundRec* rec = Snd_Record(n);
    if (rec && rec->paused) return true;
  }
  return false;
}

int32_t Snd_PauseNode(ObjNode* node) {
  SoundRec* rec = Snd_Record(node);
  if (!rec || !Sounding(rec) || rec->pausedTick) return 0;
  if (g_QuitRequested) {
    QuitNode(node, rec);
    return 0;
  }
  if (int e = Snd_TrackPlayed(rec)) return e == 1 ? -410 : -420;
  Snd_ReleaseDsBuffer(rec);
  uint32_t now = Clock_Ms32();
  rec->pausedTick = now ? now : 1;
  return 0;
}

int32_t Snd_ResumeNode(ObjNode* node) {
  SoundRec* rec = Snd_Record(node);
  if (!rec || !Sounding(rec) || !rec->pausedTick) return 0;
  // The start position stays the script's: the resume point is a local.
  int32_t at = rec->avgBytes > 0 ? int32_t(rec->playedBytes * 1000 / rec->avgBytes) : 0;
  rec->halfLast = 1;
  rec->playedBytes = 0;
  rec->lastPlayed = 0;
  rec->carried = 0;
  rec->pendingSilence = 0;
  int32_t end = rec->endPos;
  int32_t r = Snd_OpenBuffer(rec);
  rec->endPos = end;
  if (r < 0) return r;
  if (at >= rec->endPos) at = 0;
  if ((r = Snd_SeekStart(rec, at)) < 0) return r;
  rec->playedBytes = rec->decodedBytes;
  rec->halfLast = 1;
  rec->writeOffset = 0;
  if ((r = Snd_Refill(rec)) < 0) return r;
  Snd_ApplyVolume(node, rec->target);
  Snd_ApplyPan(rec);
  Snd_ApplyFrequency(rec);
  if (g_DirectSound && !rec->buffer) return -430;
  if ((r = Snd_PlayBuffer(rec, -440)) < 0) return r;
  rec->pausedTick = 0;
  return 0;
}

int32_t Snd_PauseOrResumeNode(ObjNode* node, int mode) {
  if (mode == 1) return Snd_PauseNode(node);
  if (!Snd_IsEnabledChain(node) || Snd_IsPausedChain(node)) return 0;
  return Snd_ResumeNode(node);
}

int32_t Snd_PauseTree(ObjNode* first, int mode) {
  for (ObjNode* n = first; n; n = n->next) {
    int32_t r = Snd_PauseOrResumeNode(n, mode);
    if (r >= 0 && n->kind == kObjKindGroup) r = Snd_PauseTree(n->first, mode);
    if (r < 0) return r;
  }
  return 0;
}

int32_t Snd_UpdateTree(ObjNode* first) {
  for (ObjNode* n = first; n; n = n->next) {
    SoundRec* rec = Snd_Record(n);
    if (rec && rec->state > kSndStopped) {
      if (g_QuitRequested) {
        QuitNode(n, rec);
      } else if (Sounding(rec) && !rec->paused && !g_SoundFocusPaused) {
        if (int32_t r = TrackNode(rec); r < 0) return r;
      }
    }
    if (n->first) {
      if (int32_t r = Snd_UpdateTree(n->first); r < 0) return r;
    }
  }
  return 0;
}

int32_t Snd_RefillTree(ObjNode* first) {
  for (ObjNode* n = first; n; n = n->next) {
    SoundRec* rec = Snd_Record(n);
    if (rec && Sounding(rec) && !rec->paused && !g_SoundFocusPaused) {
      if (g_QuitRequested) {
        QuitNode(n, rec);
      } else if (int32_t r = RefillNode(rec); r < 0) {
        return r;
      }
    }
    if (n->first) {
      if (int32_t r = Snd_RefillTree(n->first); r < 0) return r;
    }
  }
  return 0;
}

int32_t Snd_FollowFocus() {
  ObjNode* root = g_TreeRoots[kTreeSound].root;
  SndFocusInputs in = g_SndFocusHook ? g_SndFocusHook() : SndFocusInputs{};
  bool runInactive = in.runWhenInactive, inactive = in.inactivePaused, active = in.mainActive;
  bool pause = false, resume = false;
  if (!runInactive) {
    if (inactive || (!active && !g_SoundFocusPaused)) pause = true;
    else if (active && g_SoundFocusPaused) resume = true;
  } else {
    if (inactive && !g_SoundFocusPaused) pause = true;
    else if (!inactive && g_SoundFocusPaused) resume = true;
  }
  if (pause) {
    g_SoundFocusPaused = 1;
    return Snd_PauseTree(root->first, 1);
  }
  if (resume) {
    g_SoundFocusPaused = 0;
    return Snd_PauseTree(root->first, 0);
  }
  return 0;
}
