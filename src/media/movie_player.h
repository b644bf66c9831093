// Movies: one at a time, over window 0. Commands 71 (set, play, stop), 72
// (close) and 73 (query); the end reported back through the window
// procedure; the frame driver's question whether a movie covers the screen
// and its call that shows the movie's picture.
//
// Threads: the commands, Movie_PresentFrame and Movie_Close run on the
// thread that runs the frame; Movie_OnNotify runs on the main thread (the
// window procedure) and only clears g_MoviePlaying. The decoding runs on
// the player's own thread (src/platform/video.h).
#pragma once
#include <atomic>
#include <cstdint>

// Argument ids of commands 71 and 73.
namespace moviearg {
enum : uint8_t {
  kFile = 0, kPlay = 1, kX = 2, kY = 3, kWidth = 4, kHeight = 5, kVolume = 6,
  kCount = 7,
};
// Command 73: the first given of 0-5 answers, else 6 tests a file; 7 is the
// answer's element.
enum : uint8_t {
  kQPlaying = 0, kQX = 1, kQY = 2, kQWidth = 3, kQHeight = 4, kQVolume = 5, kQFile = 6,
  kQTarget = 7,
  kQCount = 8,
};
}  // namespace moviearg

constexpr int32_t kMovieVolumeFull = 256;
// The kind of the engine message that carries the movie's end (the window
// procedure's movie kind).
constexpr int32_t kMovieEventKind = 3;

// Set while a movie plays: from a successful start until its end (or a
// failure during playback) is reported or a script stops it. The frame
// driver neither composes nor presents while it is set. Written by the
// frame thread and, at the end, by the window procedure.
extern std::atomic<uint8_t> g_MoviePlaying;
// 1 while a player holds the movie (playing or stopped), until command 72
// or the end. Frame thread.
extern int32_t g_MovieMciOpen;
extern int32_t g_MovieVolume;  // 0..256
extern int32_t g_MovieX, g_MovieY, g_MovieWidth, g_MovieHeight;

int32_t Cmd_MoviePlay();
int32_t Cmd_MovieStop();
int32_t Cmd_MovieQuery();

// The answer of command 73 slot 6 for a file's first five bytes (fewer when
// the file is shorter): 1 MPEG-1 pack header, 2 MPEG-2, 255 anything else.
int32_t Movie_ProbeKind(const uint8_t* head, size_t size);
// The mixer volume (hundredths of a decibel) of a script volume 0..256 by
// the player setting: linear in amplitude (v x 1000 / 256 of full scale) for
// the default player, 4000 x log10(v / 256) for the graph player.
int32_t Movie_VolumeMb(int32_t volume, bool graphPlayer);

// Whether the movie covers the screen now (the frame driver's gate).
inline bool Movie_CoversScreen() { return g_MoviePlaying.load() != 0; }
// Once per frame while it covers the screen: shows the picture that is due
// over window 0 and, when the movie has ended or failed, posts its end to
// the window procedure. Also drops a player whose end was taken.
void Movie_PresentFrame();
// The window procedure's handler of the movie's end message: nonzero when
// it ended the playing movie (a message of an older movie is ignored).
int Movie_OnNotify(int32_t value);

// Stops and drops the player, keeping the file, rectangle and volume.
void Movie_ClosePlayer();
// Everything back to no movie (shut-down, tests).
void Movie_Reset();
