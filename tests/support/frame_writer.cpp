// Frame files for the tests, the fuzz seeds and the fixtures.
#include "support/frame_writer.h"

#include "graphics/cg_op.h"
#include "support/script_writer.h"

namespace framefix {

std::string WriteFrameFile(const std::vector<Frame>& frames, const FrameFileOptions& o) {
  uint32_t n = uint32_t(frames.size());
  std::vector<std::string> colour, alpha;
  for (const Frame& f : frames) {
    colour.push_back(imgfix::WriteJpeg(f.colour, o.quality));
    alpha.push_back(o.withAlpha ? imgfix::WriteJpeg(f.alpha, o.quality, true) : std::string());
  }
  std::string out(8, '\0');
  fx::PutU32(out, n);
  fx::PutU32(out, o.withAlpha ? 1 : 0);
  for (int32_t v : o.values) fx::PutU32(out, uint32_t(v));
  fx::PutU32(out, 0);
  uint32_t at = uint32_t(framefile::kOffTables + 12 * n);
  for (uint32_t i = 0; i < n; i++) {
    fx::PutU32(out, at);
    at += uint32_t(colour[i].size() + alpha[i].size());
  }
  for (uint32_t i = 0; i < n; i++) fx::PutU32(out, uint32_t(colour[i].size()));
  for (uint32_t i = 0; i < n; i++) fx::PutU32(out, uint32_t(alpha[i].size()));
  for (uint32_t i = 0; i < n; i++)
    for (std::string* s : {&colour[i], &alpha[i]}) {
      Cg_ScrambleStream(reinterpret_cast<uint8_t*>(s->data()), s->size());
      out += *s;
    }
  return out;
}

}  // namespace framefix
