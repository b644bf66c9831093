// The audio device and its sound buffers, with the meanings the engine's
// sound code was written for: each buffer is a ring of bytes in its source
// format (8- or 16-bit PCM, one or two channels) with a play cursor, a
// frequency in Hz, a volume and a pan in hundredths of a decibel (volume
// -10000..0, pan -10000 full left .. +10000 full right, the far side
// attenuated), played looping or once, and written through lock and unlock.
//
// Our own mixer sums every playing buffer (and any extra streams, such as a
// movie's sound) into 16-bit stereo at the device rate. On SDL the mixer
// runs in SDL's audio callback; the null device has no thread and mixes
// only when PlatAudio_Render is called, so tests drive the output sample by
// sample. The mixer takes only its own lock, never an engine lock; every
// call here may come from any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// ---- Limits and codes ---------------------------------------------------
constexpr int32_t kAudioVolumeMin = -10000;  // silence
constexpr int32_t kAudioVolumeMax = 0;
constexpr int32_t kAudioPanLeft = -10000;
constexpr int32_t kAudioPanRight = 10000;
constexpr uint32_t kAudioFreqMin = 100;      // Hz
constexpr uint32_t kAudioFreqMax = 200000;
constexpr uint32_t kAudioDeviceRate = 44100;  // asked of the device
constexpr uint32_t kAudioBufferMaxBytes = 0x0FFFFFFF;

// Results of the calls below (0 = done).
enum PlatAudioResult : int32_t {
  kAudioOk = 0,
  kAudioErrNoDriver = 1,    // no usable output device
  kAudioErrAllocated = 2,   // the device is held by another program
  kAudioErrOutOfMemory = 3,
  kAudioErrInvalidArg = 4,  // a value out of its range, a bad format
  kAudioErrNoBuffer = 5,    // null buffer
};

enum class PlatAudioBackend : uint8_t {
  Sdl,   // SDL's audio (honours SDL_AUDIODRIVER: "dummy", "disk", ...)
  Null,  // no thread, no output: PlatAudio_Render mixes on request
};

// PCM format of a buffer (the mixer reads 8-bit unsigned and 16-bit signed
// little-endian samples, one or two channels).
struct PlatAudioFormat {
  uint16_t channels = 0;
  uint16_t bits = 0;
  uint32_t rate = 0;
  uint16_t blockAlign = 0;  // channels x bits / 8
};
// True for the formats the mixer reads.
bool PlatAudio_FormatValid(const PlatAudioFormat& f);

// ---- Device ---------------------------------------------------------------
struct PlatSoundDevice;
// Opens the one device; null with *result set when it cannot be opened (a
// second open while one is open gives kAudioErrAllocated).
PlatSoundDevice* PlatAudio_Open(PlatAudioBackend backend, int32_t* result);
// Closes the device; its buffers and streams stay valid objects but are no
// longer heard.
void PlatAudio_Close(PlatSoundDevice* dev);
// Output rate of the device in Hz.
uint32_t PlatAudio_Rate(const PlatSoundDevice* dev);
// The backend chosen at start-up: Null when the environment variable
// TAVREN_AUDIO is "null", else Sdl.
PlatAudioBackend PlatAudio_DefaultBackend();
// Mixes the next `frames` stereo frames into `out` (2 x frames samples),
// moving every play cursor. For the null device (tests, tools); on an SDL
// device the callback calls the same mixer.
void PlatAudio_Render(PlatSoundDevice* dev, int16_t* out, size_t frames);
// Frames mixed since the device opened.
uint64_t PlatAudio_FramesMixed(const PlatSoundDevice* dev);

// ---- Sound buffers --------------------------------------------------------
struct PlatAudioBuffer;
// A stopped buffer of `bytes` bytes (a whole number of blocks) filled with
// silence, at the format's own rate, volume 0, pan 0. Null for a bad format
// or size (kAudioErrInvalidArg) or without memory.
PlatAudioBuffer* PlatAudioBuf_Create(PlatSoundDevice* dev, const PlatAudioFormat& f,
                                     uint32_t bytes, int32_t* result);
// Stops the buffer and frees it.
void PlatAudioBuf_Release(PlatAudioBuffer* b);
struct PlatAudioBufDeleter {
  void operator()(PlatAudioBuffer* b) const { PlatAudioBuf_Release(b); }
};
using PlatAudioBufPtr = std::unique_ptr<PlatAudioBuffer, PlatAudioBufDeleter>;

int32_t PlatAudioBuf_SetVolume(PlatAudioBuffer* b, int32_t mB);  // -10000..0
int32_t PlatAudioBuf_SetPan(PlatAudioBuffer* b, int32_t mB);     // -10000..10000
// Playback rate in Hz (kAudioFreqMin..kAudioFreqMax); 0 = the format's rate.
int32_t PlatAudioBuf_SetFrequency(PlatAudioBuffer* b, uint32_t hz);
int32_t PlatAudioBuf_GetVolume(const PlatAudioBuffer* b, int32_t* mB);
int32_t PlatAudioBuf_GetPan(const PlatAudioBuffer* b, int32_t* mB);
int32_t PlatAudioBuf_GetFrequency(const PlatAudioBuffer* b, uint32_t* hz);
// Plays from the play cursor; looping wraps at the end, else the buffer
// stops there.
int32_t PlatAudioBuf_Play(PlatAudioBuffer* b, bool looping);
int32_t PlatAudioBuf_Stop(PlatAudioBuffer* b);
bool PlatAudioBuf_IsPlaying(const PlatAudioBuffer* b);
// Play cursor (the next byte the mixer reads) and write cursor (the first
// byte that is safe to write), both block-aligned byte offsets.
int32_t PlatAudioBuf_GetPosition(const PlatAudioBuffer* b, uint32_t* play, uint32_t* write);
// Moves the play cursor; the played count below starts again from there.
int32_t PlatAudioBuf_SetPosition(PlatAudioBuffer* b, uint32_t play);
// Bytes the play cursor has moved through since the buffer was made (or
// last positioned), every wrap included: the mixer counts the wraps, so a
// caller may read it as seldom as it likes.
int32_t PlatAudioBuf_GetPlayed(const PlatAudioBuffer* b, uint64_t* bytes);

// A locked region of a buffer: up to two parts (the second where the region
// wraps past the end). The mixer waits while a region is locked; unlock it
// (or let it go) promptly.
class PlatAudioLock {
 public:
  PlatAudioLock() = default;
  PlatAudioLock(const PlatAudioLock&) = delete;
  PlatAudioLock& operator=(const PlatAudioLock&) = delete;
  ~PlatAudioLock() { Unlock(); }
  void Unlock() {
    if (hold_.owns_lock()) hold_.unlock();
    part1 = part2 = nullptr;
    bytes1 = bytes2 = 0;
  }
  uint8_t* part1 = nullptr;
  uint32_t bytes1 = 0;
  uint8_t* part2 = nullptr;
  uint32_t bytes2 = 0;

 private:
  friend int32_t PlatAudioBuf_Lock(PlatAudioBuffer*, uint32_t, uint32_t, PlatAudioLock*);
  std::unique_lock<std::mutex> hold_;
};
// Locks `bytes` from `offset` (offset below the size, bytes at most the
// size); kAudioErrInvalidArg otherwise.
int32_t PlatAudioBuf_Lock(PlatAudioBuffer* b, uint32_t offset, uint32_t bytes, PlatAudioLock* out);

// ---- Extra streams (movie sound and the like) -----------------------------
// A stream is a queue of 16-bit frames at its own rate, filled by its
// producer and drained by the mixer in step with the device; an empty
// queue plays silence. The producer paces itself by PlatAudioStream_Queued
// and may use PlatAudioStream_Played as its clock.
struct PlatAudioStream;
// Null for a bad channel count (1 or 2) or rate, or without memory.
PlatAudioStream* PlatAudioStream_Create(PlatSoundDevice* dev, uint16_t channels, uint32_t rate,
                                        uint32_t capacityFrames);
void PlatAudioStream_Release(PlatAudioStream* s);
struct PlatAudioStreamDeleter {
  void operator()(PlatAudioStream* s) const { PlatAudioStream_Release(s); }
};
using PlatAudioStreamPtr = std::unique_ptr<PlatAudioStream, PlatAudioStreamDeleter>;
// Appends up to `frames` interleaved frames; returns how many were taken
// (fewer when the queue is full).
size_t PlatAudioStream_Push(PlatAudioStream* s, const int16_t* data, size_t frames);
size_t PlatAudioStream_Queued(const PlatAudioStream* s);
// Source frames the mixer has consumed since the stream was made.
uint64_t PlatAudioStream_Played(const PlatAudioStream* s);
void PlatAudioStream_SetVolume(PlatAudioStream* s, int32_t mB);
void PlatAudioStream_SetPaused(PlatAudioStream* s, bool paused);
void PlatAudioStream_Clear(PlatAudioStream* s);
