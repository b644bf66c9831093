// The request ring from the script side to the sound thread, the posts,
// the script-side waits, and the deletion of sound nodes.
#include <chrono>
#include <cstring>
#include <thread>

#include "base/base.h"
#include "sound/sound.h"

SoundRing g_SoundRing;
SndHandler g_SoundHandlers[kSndRequestCount];
SndWaitFn g_SndWaitHook = nullptr;

int32_t Snd_InitCommandRing() {
  std::lock_guard<std::mutex> lock(g_SoundLock);
  SoundRing& r = g_SoundRing;
  for (int i = 0; i < kSndRingSize; ++i) {
    if (!r.name[i]) r.name[i] = static_cast<char*>(Mem_AllocZeroed(kSndSlotNameSize));
    if (!r.name[i]) {
      Err_Show(100010, 1);
      return -1;
    }
    r.node[i] = nullptr;
    r.code[i] = 0;
    r.value[i] = 0;
    r.done[i] = 0;
  }
  r.read = r.write = 0;
  static constexpr SndHandler kHandlers[kSndRequestCount] = {
      nullptr,           Snd_CmdLoad,           Snd_CmdStart,           Snd_CmdPause,
      Snd_CmdFadeOutStop, Snd_CmdSetVolume,     Snd_CmdSetTargetVolume, Snd_CmdSetPlayCount,
      Snd_CmdSetEndPos,  Snd_CmdSetStartPos,    Snd_CmdSetLoopPos,      Snd_CmdSetPan,
      Snd_CmdSetFrequency, Snd_CmdExists,       Snd_CmdStop,
  };
  std::memcpy(g_SoundHandlers, kHandlers, sizeof kHandlers);
  return 0;
}

int Snd_PostLocked(ObjNode* node, uint8_t code, uint32_t value, const char* name) {
  SoundRing& r = g_SoundRing;
  // After the thread has ended nobody would take the request (and its
  // records are being freed): refuse it without a report.
  if (g_SoundThreadState == kThreadEnded || !r.name[0]) return -1;
  int next = (r.write + 1) % kSndRingSize;
  if (next == r.read) {
    Err_Script(110200, 0);
    return -1;
  }
  int slot = r.write;
  r.node[slot] = node;
  r.code[slot] = code;
  r.value[slot] = value;
  r.name[slot][0] = 0;
  if (name) {
    size_t n = strnlen(name, kSndSlotNameSize - 1);
    std::memcpy(r.name[slot], name, n);
    r.name[slot][n] = 0;
  }
  r.done[slot] = 0;
  r.write = next;
  return slot;
}

int Snd_Post(ObjNode* node, uint8_t code, uint32_t value, const char* name) {
  std::lock_guard<std::mutex> lock(g_SoundLock);
  return Snd_PostLocked(node, code, value, name);
}

namespace {
// One turn of a wait: false when waiting can no longer end well (the
// thread is not running, or the engine is quitting).
bool WaitTurn() {
  if (g_SoundThreadState != kThreadRunning || g_QuitRequested || g_ShutdownRequested) return false;
  if (g_SndWaitHook) g_SndWaitHook();
  else std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}
}  // namespace

bool Snd_WaitDone(int slot) {
  if (slot < 0) return false;
  while (!g_SoundRing.done[slot]) {
    if (!WaitTurn()) return g_SoundRing.done[slot] != 0;
  }
  return true;
}

bool Snd_WaitStopped(const SoundRec* rec) {
  if (!rec) return true;
  while (rec->state != kSndStopped) {
    if (!WaitTurn()) return rec->state == kSndStopped;
  }
  return true;
}

void Snd_ForgetNodeLocked(const ObjNode* node) {
  SoundRing& r = g_SoundRing;
  for (int i = r.read; i != r.write; i = (i + 1) % kSndRingSize) {
    if (r.node[i] == node) r.node[i] = nullptr;
  }
}

void Snd_PostStopAndWait(ObjNode* node) {
  int slot = Snd_Post(node, kSndReqStop, 0);
  // The done flag of the stop (not only state 0) says that no earlier
  // request for the node is still waiting. A refused stop is not waited
  // for: the node is released here instead.
  if (slot >= 0) Snd_WaitDone(slot);
  std::lock_guard<std::mutex> lock(g_SoundLock);
  // Requests the thread will never take (a refused stop, an ended thread)
  // must not reach the freed node.
  Snd_ForgetNodeLocked(node);
  Obj_Unlink(node);
  Snd_FreeRecord(node);
  Obj_FreeNode(node);
}

int32_t Snd_PopCommands() {
  SoundRing& r = g_SoundRing;
  while (r.read != r.write) {
    int slot = r.read;
    if (r.node[slot]) {
      uint8_t code = r.code[slot];
      SndHandler h = code < kSndRequestCount ? g_SoundHandlers[code] : nullptr;
      int32_t res = h ? h(slot) : 1;
      if (res < 0) return res;
      if (res == 0) return 0;
    }
    r.done[slot] = 1;
    r.read = (slot + 1) % kSndRingSize;
  }
  return 0;
}
