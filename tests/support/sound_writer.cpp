// Sound fixture writer (see sound_writer.h).
#include "support/sound_writer.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace sndfix {

namespace {

void PutU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char(v >> (8 * i)));
}
void PutU16(std::string& s, uint16_t v) {
  s.push_back(char(v));
  s.push_back(char(v >> 8));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// A private folder for the sox runs, removed with the object.
struct Scratch {
  std::string dir;
  Scratch() {
    char tmpl[] = "/tmp/sndfix-XXXXXX";
    if (mkdtemp(tmpl)) dir = tmpl;
  }
  ~Scratch() {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }
  std::string Path(const char* name) const { return dir + "/" + name; }
};

bool Run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

Pcm Sine(uint32_t rate, uint16_t channels, double hz, int amplitude, uint32_t ms) {
  Pcm p;
  p.channels = channels;
  p.rate = rate;
  size_t frames = size_t(uint64_t(rate) * ms / 1000);
  p.samples.resize(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    auto v = int16_t(std::lround(amplitude * std::sin(2.0 * M_PI * hz * double(i) / rate)));
    for (uint16_t c = 0; c < channels; ++c) p.samples[i * channels + c] = v;
  }
  return p;
}

Pcm Steps(uint32_t rate, uint16_t channels, uint32_t segMs, int segments, int base, int step) {
  Pcm p;
  p.channels = channels;
  p.rate = rate;
  size_t seg = size_t(uint64_t(rate) * segMs / 1000);
  for (int k = 0; k < segments; ++k)
    for (size_t i = 0; i < seg * channels; ++i) p.samples.push_back(int16_t(base + k * step));
  return p;
}

std::string PcmBytes(const Pcm& pcm, uint16_t bits) {
  std::string d;
  for (int16_t s : pcm.samples) {
    if (bits == 8) d.push_back(char(uint8_t((s >> 8) + 128)));
    else PutU16(d, uint16_t(s));
  }
  return d;
}

std::string WriteWav(const Pcm& pcm, const WavOptions& o) {
  uint16_t ch = o.channels.value_or(pcm.channels);
  uint32_t rate = o.rate.value_or(pcm.rate);
  uint16_t align = o.blockAlign.value_or(uint16_t(ch * o.bits / 8));
  std::string data = o.rawData.empty() ? PcmBytes(pcm, o.bits) : o.rawData;
  std::string body = o.noWave ? "WAVX" : "WAVE";
  if (o.oddChunkFirst) {
    body += "LIST";
    PutU32(body, 3);
    body += std::string("abc") + '\0';  // odd size, padded
  }
  if (!o.noFmt) {
    std::string fmt;
    PutU16(fmt, o.tag.value_or(1));
    PutU16(fmt, ch);
    PutU32(fmt, rate);
    PutU32(fmt, uint32_t(align) * rate);
    PutU16(fmt, align);
    PutU16(fmt, o.bits);
    fmt += o.extraFmt;
    fmt.resize(std::max<size_t>(o.fmtSize + o.extraFmt.size(), 0));
    if (o.fmtSize < 16) fmt.resize(o.fmtSize);
    body += "fmt ";
    PutU32(body, uint32_t(fmt.size()));
    body += fmt;
    if (fmt.size() & 1) body.push_back('\0');
  }
  if (!o.noData) {
    body += "data";
    PutU32(body, uint32_t(int64_t(data.size()) + o.dataSizeDelta));
    body += data;
    if (data.size() & 1) body.push_back('\0');
  }
  std::string out = o.noRiff ? "RIFX" : "RIFF";
  PutU32(out, uint32_t(body.size()));
  out += body;
  if (o.truncate && o.truncate < out.size()) out.resize(out.size() - o.truncate);
  return out;
}

std::string WriteOgg(const Pcm& pcm, float q, int serial) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, pcm.channels, long(pcm.rate), q) != 0) {
    vorbis_info_clear(&vi);
    return {};
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  std::string out;
  auto flushPages = [&](bool force) {
    ogg_page og;
    while (force ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
      out.append(reinterpret_cast<const char*>(og.header), size_t(og.header_len));
      out.append(reinterpret_cast<const char*>(og.body), size_t(og.body_len));
    }
  };
  ogg_packet h0, h1, h2;
  vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
  ogg_stream_packetin(&os, &h0);
  ogg_stream_packetin(&os, &h1);
  ogg_stream_packetin(&os, &h2);
  flushPages(true);
  const size_t frames = pcm.Frames();
  size_t at = 0;
  for (;;) {
    size_t n = std::min<size_t>(1024, frames - at);
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < pcm.channels; ++c)
          buf[c][i] = float(pcm.samples[(at + i) * pcm.channels + size_t(c)]) / 32768.0f;
    }
    vorbis_analysis_wrote(&vd, int(n));
    at += n;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        flushPages(false);
      }
    }
    if (n == 0) break;
  }
  flushPages(true);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

bool SoxEncode(const std::string& pcmWav, const std::string& encoding, std::string* wav,
               std::vector<int16_t>* reference) {
  Scratch s;
  if (s.dir.empty()) return false;
  WriteFile(s.Path("in.wav"), pcmWav);
  if (!Run("sox -R " + s.Path("in.wav") + " " + encoding + " " + s.Path("out.wav"))) return false;
  if (!Run("sox -R " + s.Path("out.wav") + " -t raw -e signed -b 16 -L " + s.Path("ref.raw")))
    return false;
  *wav = ReadFile(s.Path("out.wav"));
  std::string raw = ReadFile(s.Path("ref.raw"));
  reference->assign(raw.size() / 2, 0);
  std::memcpy(reference->data(), raw.data(), reference->size() * 2);
  return !wav->empty();
}

bool SoxMp3Wav(const Pcm& pcm, std::string* wav) {
  Scratch s;
  if (s.dir.empty()) return false;
  WriteFile(s.Path("in.wav"), WriteWav(pcm));
  if (!Run("sox -R " + s.Path("in.wav") + " -C 128 " + s.Path("out.mp3"))) return false;
  std::string mp3 = ReadFile(s.Path("out.mp3"));
  if (mp3.empty()) return false;
  // MPEGLAYER3WAVEFORMAT: the 12 bytes after the common fields.
  std::string extra;
  PutU16(extra, 12);    // cbSize
  PutU16(extra, 1);     // id: MPEG
  PutU32(extra, 2);     // flags: padding off
  PutU16(extra, 418);   // block size
  PutU16(extra, 1);     // frames per block
  PutU16(extra, 1393);  // codec delay
  WavOptions o;
  o.tag = 0x55;
  o.blockAlign = 1;
  o.bits = 0;
  o.extraFmt = extra;
  o.rawData = mp3;
  *wav = WriteWav(pcm, o);
  return true;
}

}  // namespace sndfix
