// Loading a sound: the file image through the four file sources (or the
// silent placeholder of the keep-alive sound), opening it as Ogg Vorbis or
// WAV (compressed WAV converted to PCM), and making its buffers.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/base.h"
#include "files/files.h"
#include "platform/audio_wavdec.h"
#include "sound/sound.h"
#include "sound/sound_internal.h"

namespace {

constexpr uint32_t kPlaceholderRate = 8000;
constexpr uint32_t kPlaceholderData = 4000;

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

SndBytes AllocBytes(size_t n) { return SndBytes(static_cast<uint8_t*>(Mem_AllocZeroed(n ? n : 1))); }

// Length in ms of `bytes` of PCM at `align` x `rate` bytes a second.
int64_t PcmLengthMs(uint32_t bytes, uint32_t align, uint32_t rate) {
  double per = double(align) * double(rate);
  return per == 0 ? 0 : int64_t(double(bytes) / per * 1000.0);
}

int32_t ConvertedToError(PlatWavResult r) {
  switch (r) {
    case PlatWavResult::UnknownFormat: return -10200;
    case PlatWavResult::NoMemory: return -10220;
    default: return -10310;
  }
}

// Compressed sample data to PCM: the converted PCM replaces the image.
int32_t ConvertWav(SoundRec* rec, const WavChunks& c, const WavFmt& f) {
  PlatWavSource src;
  src.formatTag = f.tag;
  src.channels = f.channels;
  src.rate = f.rate;
  src.avgBytes = f.avgBytes;
  src.blockAlign = f.blockAlign;
  src.bits = f.bits;
  if (c.fmtSize > 18) src.extra = {c.fmt + 18, std::min<size_t>(f.extraSize, c.fmtSize - 18)};
  std::vector<uint8_t> pcm;
  uint16_t channels = 0;
  uint32_t rate = 0;
  PlatWavResult r = PlatWav_DecodeToPcm16(src, {c.data, c.dataSize}, &pcm, &channels, &rate);
  if (r != PlatWavResult::Ok) return ConvertedToError(r);
  SndBytes out = AllocBytes(pcm.size());
  if (!out) return -10220;
  if (!pcm.empty()) std::memcpy(out.get(), pcm.data(), pcm.size());
  rec->image = std::move(out);
  rec->imageSize = uint32_t(pcm.size());
  rec->pcmData = rec->image.get();
  rec->pcmSize = rec->imageSize;
  rec->encoding = kSndEncConverted;
  rec->format = SndFormat{channels, rate, uint32_t(channels) * 2 * rate, uint16_t(channels * 2), 16};
  return 0;
}

}  // namespace

SndBytes Snd_MakePlaceholder(uint32_t* size) {
  const uint32_t total = 44 + kPlaceholderData;
  SndBytes img = AllocBytes(total);
  if (!img) return img;
  uint8_t* p = img.get();
  std::memcpy(p, "RIFF", 4);
  PutU32(p + 4, total - 8);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  PutU32(p + 16, 16);
  PutU16(p + 20, 1);                 // PCM
  PutU16(p + 22, 1);                 // mono
  PutU32(p + 24, kPlaceholderRate);
  PutU32(p + 28, kPlaceholderRate);  // bytes a second
  PutU16(p + 32, 1);                 // block align
  PutU16(p + 34, 8);                 // bits
  std::memcpy(p + 36, "data", 4);
  PutU32(p + 40, kPlaceholderData);
  std::memset(p + 44, 0x80, kPlaceholderData);
  *size = total;
  return img;
}

int32_t Snd_LoadSource(SoundRec* rec, int64_t orderKey) {
  if (rec->image) return -1010;
  if (orderKey == kSndKeepAliveKey) {
    uint32_t size = 0;
    rec->image = Snd_MakePlaceholder(&size);
    if (!rec->image) return -1020;
    rec->imageSize = size;
  } else {
    FileRef ref;
    if (File_Lookup(ref, rec->fileName, true) <= 0 || File_Load(ref, rec->fileName) != 0) return -1020;
    FileImage img = File_TakeImage(ref);
    rec->image.reset(img.data);
    rec->imageSize = img.size;
  }
  return Snd_OpenBuffer(rec);
}

int32_t Snd_OpenBuffer(SoundRec* rec) {
  if (g_SoundMode == 0) return 0;
  if (rec->kind == kSndKindOgg) return Snd_OpenOgg(rec);
  if (rec->kind == kSndKindWav) return Snd_OpenWav(rec);
  return 0;
}

int32_t Snd_OpenOgg(SoundRec* rec) {
  SndOggSource src{rec->image.get(), rec->imageSize, 0};
  OggVorbis_File vf;
  if (ov_open_callbacks(&src, &vf, nullptr, 0, Snd_OggCallbacks()) != 0) return -1030;
  int32_t r = 0;
  vorbis_info* info = nullptr;
  if (!ov_seekable(&vf)) r = -1040;
  else if (ov_streams(&vf) != 1) r = -1045;
  else if (!(info = ov_info(&vf, -1))) r = -1050;
  if (r == 0) {
    rec->lengthMs = int64_t(ov_time_total(&vf, -1) * 1000.0);
    rec->endPos = int32_t(rec->lengthMs);
    rec->encoding = kSndEncOgg;
    auto ch = uint16_t(info->channels);
    auto rate = uint32_t(info->rate);
    rec->format = SndFormat{ch, rate, uint32_t(ch) * 2 * rate, uint16_t(ch * 2), 16};
  }
  ov_clear(&vf);
  return r < 0 ? r : Snd_CreateDsBuffer(rec, rec->format);
}

int32_t Snd_OpenWav(SoundRec* rec) {
  // Converted PCM has no RIFF header any more: a reopen (resume) makes the
  // buffer from the kept format.
  if (rec->encoding == kSndEncConverted && rec->pcmData && rec->pcmData == rec->image.get()) {
    rec->lengthMs = PcmLengthMs(rec->pcmSize, rec->format.blockAlign, rec->format.rate);
    rec->endPos = int32_t(rec->lengthMs);
    return Snd_CreateDsBuffer(rec, rec->format);
  }
  WavChunks c;
  int32_t r = Snd_FindWavChunks(rec->image.get(), rec->imageSize, &c);
  if (r < 0) return r;
  WavFmt f = Snd_ReadWavFmt(c.fmt, c.fmtSize);
  if (f.tag == 1) {
    // Only formats the buffers can play: every later division relies on a
    // rate and a block size that are not 0.
    bool ok = (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) &&
              f.blockAlign == f.channels * f.bits / 8 && f.rate > 0;
    if (!ok) return -10090;
    rec->pcmData = c.data;
    rec->pcmSize = c.dataSize - c.dataSize % f.blockAlign;
    rec->encoding = kSndEncPcm;
    rec->format = SndFormat{f.channels, f.rate, uint32_t(f.blockAlign) * f.rate, f.blockAlign, f.bits};
  } else {
    r = ConvertWav(rec, c, f);
    if (r < 0) return r;
  }
  rec->lengthMs = PcmLengthMs(rec->pcmSize, rec->format.blockAlign, rec->format.rate);
  rec->endPos = int32_t(rec->lengthMs);
  return Snd_CreateDsBuffer(rec, rec->format);
}

int32_t Snd_CreateDsBuffer(SoundRec* rec, const SndFormat& f) {
  rec->format = f;
  // A format no buffer can play is refused before its half second is
  // allocated (a file's rate may claim gigabytes).
  PlatAudioFormat pf{f.channels, f.bits, f.rate, f.blockAlign};
  if (!PlatAudio_FormatValid(pf)) return -1120;
  rec->avgBytes = int64_t(f.blockAlign) * f.rate;
  // Halves of whole blocks: a half of an odd byte count would put every
  // sample of the second half off its boundary.
  uint32_t align = std::max<uint16_t>(f.blockAlign, 1);
  rec->halfBytes = uint32_t(rec->avgBytes / 2) / align * align;
  rec->bufferBytes = rec->halfBytes * 2;
  if (rec->carry) return -1060;
  rec->carry = AllocBytes(kSndCarryBytes);
  if (!rec->carry) return -1070;
  if (rec->half) return -1080;
  rec->half = AllocBytes(size_t(rec->halfBytes) + kSndCarryBytes);
  if (!rec->half) return -1090;
  if (!g_DirectSound) return 0;
  int32_t res = 0;
  rec->buffer.reset(PlatAudioBuf_Create(g_DirectSound, pf, rec->bufferBytes, &res));
  return rec->buffer ? 0 : -1120;
}
