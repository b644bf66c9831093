// Writes seed files for fuzz_movie into the folder argv[1]: small movies in
// the containers the engine plays, made by FFmpeg's command-line encoders
// (nothing is written when ffmpeg is not installed).
#include <cstdio>
#include <string>

#include "media/movie_maker.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 1;
  }
  if (!moviefix::HaveFfmpeg()) return 0;
  const std::string dir = argv[1];
  moviefix::RedMpeg1(dir);
  moviefix::BlueMpeg2(dir);
  moviefix::GreenAvi(dir);
  moviefix::SilentMpeg1(dir);
  return 0;
}
