// Movie playback on FFmpeg: one file (on disk or in memory) demuxed and
// decoded on a thread of its own; the picture converted to 32-bit BGRA at
// the size the caller asks for, the sound converted to 16-bit stereo at the
// mixer's rate and queued on one of the mixer's streams.
//
// The caller owns the clock: it hands in its millisecond time on every call
// that looks at the picture, so a movie runs on the engine's clock (the
// manual clock of the tests included). Every call here may come from any
// one thread; the decoder thread is private.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PlatSoundDevice;

// Why an open or a playback failed (0 = no failure).
enum class PlatVideoError : int32_t {
  None = 0,
  NotFound = 1,      // the file cannot be opened for reading
  NotAMovie = 2,     // no container format recognised the data
  NoStream = 3,      // neither a picture nor a sound stream to play
  NoDecoder = 4,     // no decoder for its streams, or it refused them
  Undecodable = 5,   // the streams gave no picture and no sound
  OutOfMemory = 6,
  ReadFailed = 7,    // a read error during playback
};

enum class PlatVideoState : uint8_t {
  Playing,  // frames still to come (also while paused)
  Ended,    // the last frame's time has passed
  Failed,   // playback stopped on an error (PlatVideo_Error says which)
};

struct PlatVideoOptions {
  int32_t width = 0, height = 0;     // picture size (0: the movie's own)
  PlatSoundDevice* sound = nullptr;  // null: the sound is not played
  int32_t volumeMb = 0;              // -10000..0, hundredths of a decibel
  // Decoding stops (and the movie ends) after this many pictures, and the
  // open gives up after this many packets without a picture or sound;
  // 0 = no limit. Bounds the work on damaged data.
  uint32_t maxFrames = 0;
  uint32_t maxProbePackets = 2000;
  bool threaded = true;  // false: nothing decodes until PlatVideo_Step
};

struct PlatVideo;
struct PlatVideoDeleter {
  void operator()(PlatVideo* v) const;
};
using PlatVideoPtr = std::unique_ptr<PlatVideo, PlatVideoDeleter>;

// Opens a movie file (host path) or a movie held in memory, and decodes up
// to its first picture (or sound) so that a file that cannot play fails
// here. Null with *error set on failure; nothing is left allocated then.
// Playback starts paused at time 0; PlatVideo_Play starts the clock.
PlatVideoPtr PlatVideo_OpenFile(const std::string& hostPath, const PlatVideoOptions& opt,
                                PlatVideoError* error);
PlatVideoPtr PlatVideo_OpenMemory(std::vector<uint8_t> bytes, const PlatVideoOptions& opt,
                                  PlatVideoError* error);

// The movie's own picture size (0 x 0 for a movie without a picture).
void PlatVideo_SourceSize(const PlatVideo* v, int32_t* w, int32_t* h);
// Starts or resumes the movie's clock at the caller's time `nowMs`.
void PlatVideo_Play(PlatVideo* v, uint64_t nowMs);
// Holds the movie's clock (and its sound) at the caller's time `nowMs`.
void PlatVideo_Pause(PlatVideo* v, uint64_t nowMs);
void PlatVideo_SetVolume(PlatVideo* v, int32_t mB);
// Pictures decoded from now on come at this size (at least 1 x 1).
void PlatVideo_SetSize(PlatVideo* v, int32_t w, int32_t h);

// The picture due at `nowMs`, when it differs from the one last taken:
// swapped into *bgra (w x h words). False when nothing new is due.
bool PlatVideo_TakeFrame(PlatVideo* v, uint64_t nowMs, std::vector<uint32_t>* bgra, int32_t* w,
                         int32_t* h);
// The state at `nowMs`; Ended once the decoder is done, every picture has
// been taken or dropped and the movie's clock has passed its end.
PlatVideoState PlatVideo_StateAt(PlatVideo* v, uint64_t nowMs);
PlatVideoError PlatVideo_Error(const PlatVideo* v);
// Pictures decoded so far.
uint32_t PlatVideo_FramesDecoded(const PlatVideo* v);

// Without the thread (opt.threaded false): decodes until one more picture
// is queued or the data end; false once the decoder is done.
bool PlatVideo_Step(PlatVideo* v);
