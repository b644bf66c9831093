// Writes seed files for fuzz_frame into the folder argv[1]: frame files
// with and without alpha images, from the fixture writer.
#include <cstdio>
#include <string>

#include "fuzz/seed_files.h"
#include "support/frame_writer.h"

int main(int argc, char** argv) {
  const char* folder = seed::FolderArg(argc, argv);
  if (!folder) return 1;
  std::vector<framefix::Frame> frames;
  for (uint32_t i = 0; i < 3; i++)
    frames.push_back({imgfix::Pattern(9 + i, 7, false), imgfix::Pattern(9 + i, 7, true)});
  framefix::FrameFileOptions alpha;
  alpha.withAlpha = true;
  alpha.quality = 50;
  framefix::FrameFileOptions plain;
  plain.quality = 50;
  seed::Put(folder, "alpha", framefix::WriteFrameFile(frames, alpha));
  seed::Put(folder, "plain", framefix::WriteFrameFile({frames[0]}, plain));
  return 0;
}
