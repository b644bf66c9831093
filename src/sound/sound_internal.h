// Helpers shared by the sound files (not part of the public face).
#pragma once
// The library's own static callbacks are not used.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "sound/sound.h"

// An Ogg file image read through vorbisfile's callbacks: the data and the
// read position (each open starts at 0).
struct SndOggSource {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t pos = 0;
};
const ov_callbacks& Snd_OggCallbacks();

// The seek steps shared by Ogg and WAV: a position at or past the length
// lands 10 ms before the end; a negative one queues that much silence; the
// decoded bytes start at the position. `ms` is updated.
void Snd_SeekCommon(SoundRec* rec, int32_t* ms);
