// Writes seed files for fuzz_frame into the folder argv[1]: frame files
// with and without alpha images, from the fixture writer.
#include <cstdio>
#include <string>

#include "support/frame_writer.h"

namespace {

void Put(const std::string& dir, const std::string& name, const std::string& bytes) {
  std::FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 1;
  }
  std::vector<framefix::Frame> frames;
  for (uint32_t i = 0; i < 3; i++)
    frames.push_back({imgfix::Pattern(9 + i, 7, false), imgfix::Pattern(9 + i, 7, true)});
  framefix::FrameFileOptions alpha;
  alpha.withAlpha = true;
  alpha.quality = 50;
  framefix::FrameFileOptions plain;
  plain.quality = 50;
  Put(argv[1], "alpha", framefix::WriteFrameFile(frames, alpha));
  Put(argv[1], "plain", framefix::WriteFrameFile({frames[0]}, plain));
  return 0;
}
