// Fuzz target for the movie player: the bytes are a movie file held in
// memory, opened as command 71 opens one and decoded to its end without
// the thread. The picture count and the packets looked at before the first
// picture are bounded, so damaged data can neither hang nor grow without
// end.
#include <cstdint>
#include <vector>

#include "platform/video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  PlatVideoOptions opt;
  opt.width = 32;
  opt.height = 24;
  opt.threaded = false;
  opt.maxFrames = 64;
  opt.maxProbePackets = 256;
  PlatVideoError error = PlatVideoError::None;
  PlatVideoPtr v = PlatVideo_OpenMemory(std::vector<uint8_t>(data, data + size), opt, &error);
  if (!v) return 0;
  PlatVideo_Play(v.get(), 0);
  std::vector<uint32_t> px;
  int32_t w = 0, h = 0;
  uint64_t now = 0;
  for (int i = 0; i < 256 && PlatVideo_Step(v.get()); ++i) {
    now += 40;
    PlatVideo_TakeFrame(v.get(), now, &px, &w, &h);
    if (!px.empty() && px.size() != size_t(w) * size_t(h)) __builtin_trap();
  }
  PlatVideo_StateAt(v.get(), now + 100000);
  return 0;
}
