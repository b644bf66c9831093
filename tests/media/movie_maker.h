// Small movies for the movie tests and the fuzz seeds, made at run time by
// FFmpeg's own command-line encoders: a coloured picture sequence with a
// tone, in the containers the tests need. Made once per build tree and
// kept beside the build (written under a temporary name, then renamed, so
// parallel test processes never see half a file).
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace moviefix {

inline bool HaveFfmpeg() {
  return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

// `args` are the encoder options between the inputs and the output file.
// Pictures: `colour` at w x h, `frames` at 25 per second; a 440 Hz tone of
// the same length at 44100 Hz when `tone`. Empty on failure.
inline std::string Make(const std::string& dir, const std::string& name, const std::string& colour,
                        int w, int h, int frames, bool tone, const std::string& args) {
  std::filesystem::create_directories(dir);
  const std::string out = dir + "/" + name;
  if (std::filesystem::exists(out)) return out;
  const std::string tmp = dir + "/." + std::to_string(getpid()) + "." + name;
  const double secs = frames / 25.0;
  std::string cmd = "ffmpeg -nostdin -v error -y -f lavfi -i color=c=" + colour + ":s=" +
                    std::to_string(w) + "x" + std::to_string(h) + ":r=25:d=" + std::to_string(secs);
  if (tone) cmd += " -f lavfi -i sine=f=440:sample_rate=44100:d=" + std::to_string(secs);
  cmd += " -frames:v " + std::to_string(frames) + " " + args + " '" + tmp + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) {
    std::remove(tmp.c_str());
    return "";
  }
  std::error_code ec;
  std::filesystem::rename(tmp, out, ec);
  return ec ? "" : out;
}

// A red MPEG-1 program stream (the pack header that command 73 knows).
inline std::string RedMpeg1(const std::string& dir) {
  return Make(dir, "red.mpg", "red", 64, 48, 10, true, "-c:v mpeg1video -c:a mp2 -f mpeg");
}
// The same picture as MPEG-2 in a DVD program stream.
inline std::string BlueMpeg2(const std::string& dir) {
  return Make(dir, "blue.mpg", "blue", 64, 48, 10, true, "-c:v mpeg2video -c:a mp2 -f vob");
}
// Another container: MPEG-4 part 2 pictures and PCM sound in AVI.
inline std::string GreenAvi(const std::string& dir) {
  return Make(dir, "green.avi", "lime", 64, 48, 10, true, "-c:v mpeg4 -c:a pcm_s16le -f avi");
}
// Pictures only, no sound.
inline std::string SilentMpeg1(const std::string& dir) {
  return Make(dir, "silent.mpg", "white", 32, 24, 6, false, "-c:v mpeg1video -f mpeg");
}

}  // namespace moviefix
