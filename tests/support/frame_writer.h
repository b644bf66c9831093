// Frame-file writer: many JPEG frames, each with an optional JPEG alpha
// image, in the layout and scramble the engine reads (graphics/cg_op.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/image_writer.h"

namespace framefix {

struct Frame {
  imgfix::Picture colour;
  imgfix::Picture alpha;  // its green channel is written as a grey JPEG
};
struct FrameFileOptions {
  bool withAlpha = false;
  int32_t values[3] = {0, 0, 0};
  int quality = 95;
};
// The colour and alpha streams as the engine stores them (scrambled).
std::string WriteFrameFile(const std::vector<Frame>& frames, const FrameFileOptions& o = {});

}  // namespace framefix
