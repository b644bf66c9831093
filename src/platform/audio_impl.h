// Internal state of the audio device and the mixer (audio*.cpp only).
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio.h"

struct PlatAudioBuffer {
  PlatAudioFormat fmt;
  std::vector<uint8_t> data;  // the ring, `frames` blocks
  uint32_t frames = 0;
  uint32_t freq = 0;          // playback rate in Hz
  int32_t volume = 0, pan = 0;
  int32_t gainL = 65536, gainR = 65536;  // Q16, from volume and pan
  bool playing = false, looping = false;
  uint64_t pos = 0;           // play position in frames, 32.32 fixed point
  uint64_t wraps = 0;         // times the play cursor came back to frame 0
};

struct PlatAudioStream {
  uint16_t channels = 2;
  uint32_t rate = 0;
  std::vector<int16_t> ring;  // capacity x channels samples
  uint32_t capacity = 0;      // frames
  uint32_t head = 0;          // next frame to read
  uint32_t count = 0;         // frames queued
  uint32_t frac = 0;          // position between frame head and head + 1
  uint64_t played = 0;
  int32_t volume = 0;
  int32_t gain = 65536;
  bool paused = false;
};

// The one device. Lives for the process (buffers may outlive an open);
// `lock` guards every buffer's and stream's state and the lists.
struct PlatSoundDevice {
  std::mutex lock;
  bool open = false;
  PlatAudioBackend backend = PlatAudioBackend::Null;
  uint32_t rate = kAudioDeviceRate;
  uint32_t sdlDevice = 0;
  uint64_t mixed = 0;
  std::vector<PlatAudioBuffer*> buffers;
  std::vector<PlatAudioStream*> streams;
  std::vector<int32_t> acc;  // mixing accumulator, 2 x frames
};
PlatSoundDevice& Audio_Device();

// Q16 gain of an attenuation in hundredths of a decibel (-10000 and below
// give silence).
int32_t Audio_GainQ16(int32_t mB);
// Mixes `frames` frames into `out` with the device lock held by the caller.
void Audio_MixLocked(PlatSoundDevice& dev, int16_t* out, size_t frames);

// SDL backend (audio_sdl.cpp): opens SDL's device and starts its callback;
// result code.
int32_t AudioSdl_Open(PlatSoundDevice& dev);
void AudioSdl_Close(PlatSoundDevice& dev);
