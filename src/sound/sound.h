// Sound: sound records in the fourth object tree, the request ring from the
// script side to the sound thread, the sound commands, the sound thread and
// its streaming buffers. The public face of src/sound/.
//
// The script side (the thread that runs the frame) never touches a device
// buffer: commands 87-89 post numbered requests into g_SoundRing and the
// sound thread runs them once per pass. Both sides share the tree, the
// records and the ring under g_SoundLock; the waits of the script side
// read only a record's state and a slot's done flag, outside the lock.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio.h"
#include "vm/objtree.h"

// ---- Limits -------------------------------------------------------------
constexpr int kSndRingSize = 1024;       // slots; at most 1023 requests wait
constexpr size_t kSndSlotNameSize = 256; // name buffer of a slot, with the NUL
constexpr size_t kSndNameSize = 261;     // file name of a record, with the NUL
constexpr int kSndRequestCount = 15;     // codes 1..14 (0 has no handler)
constexpr int32_t kSndVolumeFull = 256;
constexpr int32_t kSndPanCentre = 256;
constexpr int32_t kSndPanMax = 512;
constexpr int64_t kSndKeepAliveKey = 999999999;  // order key of "ROOT"
constexpr uint32_t kSndCarryBytes = 4096;
constexpr uint32_t kSndChunkBytes = 4096;
constexpr uint32_t kSndChunkMin = 32;    // a shorter read counts as the end
constexpr int kSndEmptyWrapsMax = 2;     // wraps without data before a sound ends

// Request codes.
enum SndRequest : uint8_t {
  kSndReqLoad = 1, kSndReqStart = 2, kSndReqPause = 3, kSndReqFadeOutStop = 4,
  kSndReqSetVolume = 5, kSndReqSetTarget = 6, kSndReqSetPlayCount = 7, kSndReqSetEnd = 8,
  kSndReqSetStart = 9, kSndReqSetLoop = 10, kSndReqSetPan = 11, kSndReqSetFrequency = 12,
  kSndReqExists = 13, kSndReqStop = 14,
};

// Record states.
enum SndState : int8_t {
  kSndStopped = 0, kSndLoaded = 1, kSndRamping = 2, kSndSteady = 3, kSndFadingOut = 4,
};
// Kinds and source encodings.
constexpr uint8_t kSndKindOgg = 1, kSndKindWav = 2;
constexpr uint8_t kSndEncPcm = 0, kSndEncOgg = 1, kSndEncConverted = 2;

struct SndFree {
  void operator()(uint8_t* p) const { std::free(p); }
};
using SndBytes = std::unique_ptr<uint8_t, SndFree>;

// PCM format of a sound's buffer.
struct SndFormat {
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint32_t avgBytes = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
};

// ---- Sound records --------------------------------------------------------
// One per sound node (groups too). Written by the sound thread once the
// command has posted; read and written by the script side only under
// g_SoundLock, except `state`, which the waits read alone.
struct SoundRec {
  char fileName[kSndNameSize] = {};  // resolved name; " " for the keep-alive
  uint8_t kind = 0;          // kSndKindOgg, kSndKindWav, 0 none yet
  int8_t enabled = 1;        // 0: this node and its subtree count as silent
  uint8_t encoding = 0;      // kSndEnc*
  std::atomic<int8_t> state{kSndStopped};
  int8_t paused = 0;         // set by request 3
  int32_t totalPlays = 0;    // 0 = endless
  int32_t playsDone = 0;     // counted by the position tracker
  int32_t playsLeft = 0;     // counted down by the decoder at each wrap
  int64_t playedBytes = 0;   // since the current start or wrap
  int64_t lengthMs = 0;
  int32_t startPos = 0, loopPos = 0;  // ms
  uint32_t pausedTick = 0;   // 0 = not paused
  int32_t endPos = 0;        // ms
  int32_t latchedLoop = 0, latchedEnd = 0;  // at the last wrap, 0 = none
  int32_t pan = kSndPanCentre;
  int32_t freq = kSndPanCentre;
  int32_t volume = kSndVolumeFull, rampStart = 0, target = kSndVolumeFull,
          prevTarget = kSndVolumeFull;
  int32_t rampDuration = 0;  // ms
  int32_t rampStep = 0;      // volume x 1024 per ms
  uint32_t rampTick = 0;

  // Streaming state (the sound thread only).
  SndBytes image;            // the whole file (or the converted PCM)
  uint32_t imageSize = 0;
  SndBytes half;             // H + 4096 bytes
  SndBytes carry;            // 4096 bytes
  uint32_t writeOffset = 0;  // 0 or H
  uint64_t lastPlayed = 0;   // the buffer's played bytes at the last read
  int64_t decodedBytes = 0;  // since the last seek
  uint8_t halfLast = 1;      // 1 first half written last, 2 second
  uint32_t decoderPos = 0;   // PCM sample (Ogg) or byte offset (WAV)
  int32_t carried = 0;
  int64_t pendingSilence = 0;
  int64_t avgBytes = 0;
  PlatAudioBufPtr buffer;
  const uint8_t* pcmData = nullptr;
  uint32_t pcmSize = 0;
  uint32_t bufferBytes = 0;  // 2 x half
  uint32_t halfBytes = 0;    // H: half a second, whole blocks
  SndFormat format;
  uint8_t emptyWraps = 0;    // wraps in a row that found no data
  uint8_t exhausted = 0;     // the data gave out: end at the end position
  // An Ogg seek to seekMs that the next refill makes before it decodes (a
  // start or a resume does only the arithmetic of the seek itself).
  uint8_t seekPending = 0;
  int32_t seekMs = 0;
  // A refill of this pass: kSndRefillQueued until the pass leaves the lock
  // to decode, kSndRefillDecoding until it has taken the lock back.
  uint8_t refill = 0;
  // Freed by the script side while its half was decoding: the thread frees
  // it when it takes the lock back.
  uint8_t orphaned = 0;
};
constexpr uint8_t kSndRefillNone = 0, kSndRefillQueued = 1, kSndRefillDecoding = 2;

// New record with the defaults (volume 256, pan and frequency 256, enabled)
// stored as the node's record; null for a null node, or after 100010.
SoundRec* Snd_NewRecord(ObjNode* node);
// The record of a sound node, or null.
inline SoundRec* Snd_Record(const ObjNode* node) {
  return node ? static_cast<SoundRec*>(node->record) : nullptr;
}
// Frees a node's record after releasing its buffers (the sound tree's
// release hook).
void Snd_FreeRecord(ObjNode* node);
// Makes the sound tree's first nodes (root record, group "S0", current
// path "S0"); the tree maker registered with the object trees.
int32_t Snd_MakeSystemRoot(ObjTreeRoot& tree);

// Volume, pan and frequency arithmetic (sound_volume.cpp). The buffer calls
// do nothing without a device.
int32_t Snd_GetEffectiveVolume(const ObjNode* node);
void Snd_ApplyVolume(ObjNode* node, int32_t v);
void Snd_ApplyVolumeTree(ObjNode* first);
// Sets a leaf's buffer volume from a scale 0..256 (values outside clamped).
void Snd_SetBufferVolume(SoundRec* rec, int32_t s);
// Buffer volume in hundredths of a decibel for a scale (40 dB a decade).
int32_t Snd_VolumeToMb(int32_t s);
// DirectSound-style pan for 0..512 (outside counts as 256).
int32_t Snd_PanToMb(int32_t p);
// Playback rate for a frequency 0..512 (outside counts as 256).
uint32_t Snd_FrequencyToHz(int32_t f, uint32_t rate);
void Snd_ApplyPan(SoundRec* rec);
void Snd_ApplyFrequency(SoundRec* rec);
void Snd_SilenceNode(ObjNode* node);

// ---- Request ring (sound_ring.cpp) ---------------------------------------
struct SoundRing {
  ObjNode* node[kSndRingSize] = {};
  uint8_t code[kSndRingSize] = {};
  char* name[kSndRingSize] = {};  // kSndSlotNameSize bytes each
  uint32_t value[kSndRingSize] = {};
  std::atomic<uint32_t> done[kSndRingSize] = {};
  std::atomic<int> read{0};   // advanced by the sound thread
  std::atomic<int> write{0};  // advanced by the posters
};
extern SoundRing g_SoundRing;

// A handler gets the slot index: > 0 done, 0 not yet (the slot stays at the
// head and popping stops for this pass), < 0 an error the thread shows.
using SndHandler = int32_t (*)(int slot);
extern SndHandler g_SoundHandlers[kSndRequestCount];

// Allocates the name buffers and fills the handler table; 0, or -1 after
// 100010. A second call only empties the ring.
int32_t Snd_InitCommandRing();
// Posts a request under g_SoundLock. Returns the slot, or -1 when the post
// was refused: a full ring (110200, quit 0) or a thread that has ended
// (silently). `name` is copied (at most 255 bytes).
int Snd_Post(ObjNode* node, uint8_t code, uint32_t value, const char* name = nullptr);
// The same with g_SoundLock already held by the caller.
int Snd_PostLocked(ObjNode* node, uint8_t code, uint32_t value, const char* name = nullptr);
// Waits (1 ms a turn, outside the lock) until the slot is done; gives up when
// the thread is not running or the engine is quitting. True when done.
bool Snd_WaitDone(int slot);
// Waits until the record's state is 0, with the same way out.
bool Snd_WaitStopped(const SoundRec* rec);
// Forgets every waiting request for `node` (its slots count as done when
// popped). Under g_SoundLock.
void Snd_ForgetNodeLocked(const ObjNode* node);
// Stops the node (request 14, then the wait), unlinks it and frees it with
// its record.
void Snd_PostStopAndWait(ObjNode* node);
// Runs the handlers of the waiting requests in order (sound thread, lock
// held): 0, or the first negative result.
int32_t Snd_PopCommands();
// Called for each turn of a script-side wait in place of the 1 ms sleep
// (tests run a sound pass there). Null: sleep.
using SndWaitFn = void (*)();
extern SndWaitFn g_SndWaitHook;

// ---- Request handlers and ramps (sound_requests.cpp, sound_ramp.cpp) -------
int32_t Snd_CmdLoad(int slot);
int32_t Snd_CmdStart(int slot);
int32_t Snd_CmdPause(int slot);
int32_t Snd_CmdFadeOutStop(int slot);
int32_t Snd_CmdSetVolume(int slot);
int32_t Snd_CmdSetTargetVolume(int slot);
int32_t Snd_CmdSetPlayCount(int slot);
int32_t Snd_CmdSetEndPos(int slot);
int32_t Snd_CmdSetStartPos(int slot);
int32_t Snd_CmdSetLoopPos(int slot);
int32_t Snd_CmdSetPan(int slot);
int32_t Snd_CmdSetFrequency(int slot);
int32_t Snd_CmdExists(int slot);
int32_t Snd_CmdStop(int slot);
// The ramp update of every node in state 2 or 4 (sound thread).
void Snd_UpdateFades();
// Step of a ramp over `delta` volume units in D ms (x1024, truncated).
int32_t Snd_RampStep(int32_t delta, int32_t d);

// ---- Commands (sound_cmd.cpp, sound_query.cpp) ---------------------------
int32_t Cmd_SoundLoad();    // 87
int32_t Cmd_SoundDelete();  // 88
int32_t Cmd_SoundQuery();   // 89
void CmdSchema_RegisterSound();
// Installs the sound's system-variable getter (number 4) in the VM's hooks.
void Snd_InstallSysVars();
// The sound node a path names (null when missing) and the group it lives or
// would live under: 1 group path, 0 leaf path, -1 after a reported path
// error. Quiet: a missing group component is no error (null parent).
int32_t Snd_FindNode(const char* pathArg, char* resolved, ObjNode** parent, ObjNode** node,
                     bool quiet);

// Argument ids of command 87 and 89, fixed here for the engine and the
// fixture writer alike.
namespace sndarg {
constexpr uint8_t kPath = 0, kEnabled = 1, kFile = 2, kFade = 3, kPause = 4, kFadeMs = 5,
                  kStart = 6, kLoop = 7, kEnd = 8, kCount = 9, kVolume = 10, kPan = 11,
                  kFreq = 12, kExists = 13, kArgCount = 14;
}
namespace sndq {
constexpr uint8_t kPath = 0, kHasKind = 1, kEnabled = 2, kSounding = 3, kPaused = 4,
                  kVolume = 5, kPan = 6, kFreq = 7, kName = 8, kKind = 9, kStart = 10,
                  kLoop = 11, kEnd = 12, kTotal = 13, kDone = 14, kPosition = 15,
                  kLength = 16, kChannels = 17, kBits = 18, kRate = 19, kLevelL = 20,
                  kLevelR = 21, kEncoding = 22, kOut = 23, kArgCount = 24;
}

// ---- Thread and device (sound_thread.cpp, sound_focus.cpp) ---------------
// The device, null while sound is off.
extern PlatSoundDevice* g_DirectSound;
// 1 while the whole tree is paused for the focus (sound thread).
extern uint8_t g_SoundFocusPaused;
// What the focus pause follows, asked by the thread each pass: the
// run-when-inactive option, the engine's inactive pause and window 0's
// active byte. Installed by the shell at start-up; null: always active.
struct SndFocusInputs {
  bool runWhenInactive = true;
  bool inactivePaused = false;
  bool mainActive = true;
};
using SndFocusFn = SndFocusInputs (*)();
extern SndFocusFn g_SndFocusHook;

// Opens the device: 1, or 0 after the box that tells why (start-up).
int Snd_Init();
int Snd_InitWith(PlatAudioBackend backend);
// The ring, the thread, then the keep-alive sound: 0, or -1.
int Snd_Start();
// The ring and the keep-alive sound without a thread (tests drive the passes).
int Snd_StartWithoutThread();
// Joins the ended thread (or leaves a stuck one running, detached), then
// closes the device.
void Snd_ReleaseDevice(bool threadEnded);
// One pass of the thread (focus, requests, ramps, tracking, refill) under
// g_SoundLock: 0 go on, 1 the engine quits, < 0 the error that ends the
// thread (not yet shown).
int32_t Snd_RunPass();
void Snd_ThreadLoop();
// Shows a thread error as the thread does and sets the sticky quit.
void Snd_ShowThreadError(int32_t err);
// The message for a thread error (Shift-JIS).
std::string Snd_ErrorText(int32_t err);
// Releases every node's buffers and images (thread end), then marks the
// thread ended so that later posts are refused.
void Snd_ReleaseAll();
void Snd_CreateRootTree();

// ---- Tree passes (sound_tree.cpp) -----------------------------------------
int32_t Snd_PauseTree(ObjNode* first, int mode);
int32_t Snd_PauseOrResumeNode(ObjNode* node, int mode);
int32_t Snd_PauseNode(ObjNode* node);
int32_t Snd_ResumeNode(ObjNode* node);
bool Snd_IsEnabledChain(const ObjNode* node);
bool Snd_IsPausedChain(const ObjNode* node);
int32_t Snd_UpdateTree(ObjNode* first);
int32_t Snd_RefillTree(ObjNode* first);
// Follows the focus: pauses or resumes the whole tree.
int32_t Snd_FollowFocus();

// ---- Streaming (sound_stream.cpp, sound_load.cpp, sound_wav.cpp) ---------
int32_t Snd_LoadSource(SoundRec* rec, int64_t orderKey);
int32_t Snd_OpenBuffer(SoundRec* rec);
int32_t Snd_OpenOgg(SoundRec* rec);
int32_t Snd_OpenWav(SoundRec* rec);
int32_t Snd_CreateDsBuffer(SoundRec* rec, const SndFormat& f);
// Fills the half at the write offset and writes it to the buffer. Within
// a batch (a pass of the thread) it is queued instead, decoded with
// g_SoundLock left and written when the pass takes the lock back.
int32_t Snd_Refill(SoundRec* rec);
// Plays the buffer looping: now, or right after the queued half is written
// (0, or `failure` when the buffer cannot play).
int32_t Snd_PlayBuffer(SoundRec* rec, int32_t failure);
int32_t Snd_SeekStart(SoundRec* rec, int32_t ms);
int32_t Snd_WriteHalf(SoundRec* rec);

// A pass's refills: opened with the lock held; run hands the queued halves
// over to the decoder with `lock` left, then takes it back to write them,
// start the buffers that wait for them and free the records that the
// script side deleted meanwhile (0, or the first error).
void Snd_BeginRefillBatch();
int32_t Snd_RunRefillBatch(std::unique_lock<std::mutex>& lock);
// Drops the batch without decoding (a pass that failed).
void Snd_CancelRefillBatch();
// Called once per half decoded in a batch, with g_SoundLock left (tests).
using SndDecodeHookFn = void (*)();
extern SndDecodeHookFn g_SndDecodeHook;
// Stops the buffer; frees buffer, half and carry; frees also the image and
// clears start and loop (Snd_ReleaseBuffer).
void Snd_StopBuffer(SoundRec* rec);
void Snd_ReleaseDsBuffer(SoundRec* rec);
void Snd_ReleaseBuffer(SoundRec* rec);
// The silent placeholder image of the keep-alive sound (4044 bytes).
SndBytes Snd_MakePlaceholder(uint32_t* size);
// Reads the play cursor: 0, 1 no buffer, 2 failure.
int Snd_ReadCursor(SoundRec* rec, uint32_t* p);
// Adds what the buffer played since the last read to the played bytes,
// however long ago that was: 0, 1 no buffer, 2 failure.
int Snd_TrackPlayed(SoundRec* rec);

// The chunks of a RIFF WAVE image, every size checked against the image.
struct WavChunks {
  const uint8_t* fmt = nullptr;
  uint32_t fmtSize = 0;
  const uint8_t* data = nullptr;
  uint32_t dataSize = 0;  // cut to what the image holds
};
// 0, or the error: -10040 no RIFF, -10050 not WAVE, -10060 no (whole) fmt
// chunk, -10080 no data chunk, -10090 a fmt chunk under 14 bytes.
int32_t Snd_FindWavChunks(const uint8_t* image, uint32_t size, WavChunks* out);
// The fields of a fmt chunk (zero past its end).
struct WavFmt {
  uint16_t tag = 0, channels = 0;
  uint32_t rate = 0, avgBytes = 0;
  uint16_t blockAlign = 0, bits = 0, extraSize = 0;
};
WavFmt Snd_ReadWavFmt(const uint8_t* fmt, uint32_t size);
