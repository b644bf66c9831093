// Compressed WAV data to 16-bit PCM through libavcodec. Block codecs get one
// block per packet; MPEG audio is cut into frames by libavcodec's parser.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "platform/audio_wavdec.h"

namespace {

constexpr size_t kPcmMaxBytes = 0x7FFFFFFF;  // the sound records count in u32
constexpr size_t kRawPacketBytes = 4096;      // A-law and mu-law, per packet

struct CodecCtxFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ParserFree {
  void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};

AVCodecID CodecFor(uint16_t tag) {
  switch (tag) {
    case kWavTagMsAdpcm: return AV_CODEC_ID_ADPCM_MS;
    case kWavTagImaAdpcm: return AV_CODEC_ID_ADPCM_IMA_WAV;
    case kWavTagALaw: return AV_CODEC_ID_PCM_ALAW;
    case kWavTagMuLaw: return AV_CODEC_ID_PCM_MULAW;
    case kWavTagGsm610: return AV_CODEC_ID_GSM_MS;
    case kWavTagMp3: return AV_CODEC_ID_MP3;
    default: return AV_CODEC_ID_NONE;
  }
}

inline int16_t FromFloat(float v) {
  float s = std::nearbyint(v * 32768.0f);
  return int16_t(std::clamp(s, -32768.0f, 32767.0f));
}

// One sample of a decoded frame as s16, any of the sample formats the
// decoders above produce.
int16_t SampleOf(const AVFrame* f, int ch, int channels, int i) {
  auto fmt = AVSampleFormat(f->format);
  bool planar = av_sample_fmt_is_planar(fmt);
  const uint8_t* base = planar ? f->extended_data[ch] : f->extended_data[0];
  int at = planar ? i : i * channels + ch;
  switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_U8: return int16_t((int(base[at]) - 128) * 256);
    case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(base)[at];
    case AV_SAMPLE_FMT_S32: return int16_t(reinterpret_cast<const int32_t*>(base)[at] >> 16);
    case AV_SAMPLE_FMT_FLT: return FromFloat(reinterpret_cast<const float*>(base)[at]);
    case AV_SAMPLE_FMT_DBL: return FromFloat(float(reinterpret_cast<const double*>(base)[at]));
    default: return 0;
  }
}

struct Decoder {
  std::unique_ptr<AVCodecContext, CodecCtxFree> ctx;
  std::unique_ptr<AVPacket, PacketFree> pkt;
  std::unique_ptr<AVFrame, FrameFree> frame;
  std::vector<uint8_t>* pcm = nullptr;
  uint16_t channels = 0;
  uint32_t rate = 0;
  PlatWavResult error = PlatWavResult::Ok;

  // Appends every frame the decoder has ready.
  bool Drain() {
    for (;;) {
      int r = avcodec_receive_frame(ctx.get(), frame.get());
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return Fail(PlatWavResult::Failed);
      int ch = frame->ch_layout.nb_channels;
      if (ch < 1 || ch > 2 || frame->sample_rate <= 0) return Fail(PlatWavResult::Failed);
      if (channels == 0) {
        channels = uint16_t(ch);
        rate = uint32_t(frame->sample_rate);
      } else if (ch != channels) {
        return Fail(PlatWavResult::Failed);
      }
      size_t bytes = size_t(frame->nb_samples) * size_t(ch) * 2;
      if (pcm->size() + bytes > kPcmMaxBytes) return Fail(PlatWavResult::NoMemory);
      size_t at = pcm->size();
      try {
        pcm->resize(at + bytes);
      } catch (const std::bad_alloc&) {
        return Fail(PlatWavResult::NoMemory);
      }
      uint8_t* out = pcm->data() + at;
      for (int i = 0; i < frame->nb_samples; ++i) {
        for (int c = 0; c < ch; ++c) {
          auto v = uint16_t(SampleOf(frame.get(), c, ch, i));
          *out++ = uint8_t(v);
          *out++ = uint8_t(v >> 8);
        }
      }
      av_frame_unref(frame.get());
    }
  }
  bool Fail(PlatWavResult r) {
    error = r;
    return false;
  }
  bool Send(const uint8_t* data, size_t size) {
    pkt->data = const_cast<uint8_t*>(data);
    pkt->size = int(size);
    int r = avcodec_send_packet(ctx.get(), size ? pkt.get() : nullptr);
    pkt->data = nullptr;
    pkt->size = 0;
    // A damaged packet is skipped, as a player would; only a decoder that
    // refuses everything fails the file (no output at the end).
    if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF && r != AVERROR_INVALIDDATA)
      return Fail(PlatWavResult::Failed);
    return Drain();
  }
};

bool Open(Decoder& d, const PlatWavSource& src, AVCodecID id) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (!codec) return d.Fail(PlatWavResult::UnknownFormat);
  d.ctx.reset(avcodec_alloc_context3(codec));
  d.pkt.reset(av_packet_alloc());
  d.frame.reset(av_frame_alloc());
  if (!d.ctx || !d.pkt || !d.frame) return d.Fail(PlatWavResult::NoMemory);
  AVCodecContext* c = d.ctx.get();
  av_channel_layout_default(&c->ch_layout, src.channels);
  c->sample_rate = int(src.rate);
  c->block_align = src.blockAlign;
  c->bit_rate = int64_t(src.avgBytes) * 8;
  c->bits_per_coded_sample = src.bits;
  if (!src.extra.empty()) {
    c->extradata = static_cast<uint8_t*>(av_mallocz(src.extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!c->extradata) return d.Fail(PlatWavResult::NoMemory);
    std::memcpy(c->extradata, src.extra.data(), src.extra.size());
    c->extradata_size = int(src.extra.size());
  }
  if (avcodec_open2(c, codec, nullptr) < 0) return d.Fail(PlatWavResult::UnknownFormat);
  return true;
}

// Feeds `data` in packets: whole blocks, or MPEG frames found by the parser.
bool Feed(Decoder& d, const PlatWavSource& src, AVCodecID id, std::span<const uint8_t> data) {
  // Packets are copied into a padded buffer: the decoders may read past the
  // end of a packet by the padding size.
  std::vector<uint8_t> padded;
  auto send = [&](const uint8_t* p, size_t n) {
    padded.assign(p, p + n);
    padded.resize(n + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return d.Send(padded.data(), n);
  };
  if (id == AV_CODEC_ID_MP3) {
    std::unique_ptr<AVCodecParserContext, ParserFree> parser(av_parser_init(id));
    if (!parser) return d.Fail(PlatWavResult::NoMemory);
    std::vector<uint8_t> in(data.begin(), data.end());
    in.resize(data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const uint8_t* p = in.data();
    int left = int(std::min<size_t>(data.size(), INT32_MAX / 2));
    // The last call, with no input, hands over the frame the parser holds.
    for (bool last = false; !last;) {
      last = left == 0;
      uint8_t* out = nullptr;
      int outSize = 0;
      int used = av_parser_parse2(parser.get(), d.ctx.get(), &out, &outSize, p, left,
                                  AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
      if (used < 0) return d.Fail(PlatWavResult::Failed);
      p += used;
      left -= used;
      if (outSize > 0 && !send(out, size_t(outSize))) return false;
      if (!last && used == 0 && outSize == 0) left = 0;
    }
    return true;
  }
  size_t block = src.blockAlign;
  if (id == AV_CODEC_ID_PCM_ALAW || id == AV_CODEC_ID_PCM_MULAW)
    block = std::max<size_t>(block, 1) * std::max<size_t>(1, kRawPacketBytes / std::max<size_t>(block, 1));
  for (size_t at = 0; at < data.size(); at += block) {
    size_t n = std::min(block, data.size() - at);
    if (!send(data.data() + at, n)) return false;
  }
  return true;
}

}  // namespace

bool PlatWav_CanDecode(uint16_t formatTag) {
  AVCodecID id = CodecFor(formatTag);
  return id != AV_CODEC_ID_NONE && avcodec_find_decoder(id) != nullptr;
}

PlatWavResult PlatWav_DecodeToPcm16(const PlatWavSource& src, std::span<const uint8_t> data,
                                    std::vector<uint8_t>* pcm, uint16_t* channels,
                                    uint32_t* rate) {
  AVCodecID id = CodecFor(src.formatTag);
  if (id == AV_CODEC_ID_NONE || src.channels < 1 || src.channels > 2 || src.rate == 0)
    return PlatWavResult::UnknownFormat;
  // Block codecs need their block size: without it no packet can be cut.
  if (id != AV_CODEC_ID_MP3 && src.blockAlign == 0) return PlatWavResult::UnknownFormat;
  pcm->clear();
  if (data.empty()) {  // no samples: an empty sound, not a failure
    *channels = src.channels;
    *rate = src.rate;
    return PlatWavResult::Ok;
  }
  Decoder d;
  d.pcm = pcm;
  if (!Open(d, src, id)) return d.error;
  if (!Feed(d, src, id, data)) return d.error;
  if (!d.Send(nullptr, 0)) return d.error;
  if (d.channels == 0) return PlatWavResult::Failed;  // nothing decoded
  *channels = d.channels;
  *rate = d.rate;
  return PlatWavResult::Ok;
}
