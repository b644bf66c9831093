// Helpers shared by the sound files (not part of the public face).
#pragma once
// The library's own static callback sets are not used.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "sound/sound.h"

// The seek steps shared by Ogg and WAV: a position at or past the length
// lands 10 ms before the end; a negative one queues that much silence; the
// decoded bytes start at the position. `ms` is updated.
void Snd_SeekCommon(SoundRec* rec, int32_t* ms);

// The callbacks that read an Ogg file image from memory (datasource = the
// SoundRec, its read position and image).
const ov_callbacks& Snd_OggCallbacks();
