// Between the movie commands (movie_cmd.cpp) and the player's state
// (movie_player.cpp).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where a movie's bytes are: a loose file on disk, or a copy of a pack,
// compiler-store or cache entry in memory.
struct MovieSource {
  std::string hostPath;
  std::vector<uint8_t> bytes;
};
// Looks an engine-form name up over the file sources; with `load` a file
// that is not loose is read into memory. 0 found, 1 found nowhere, -1 the
// pack source failed, -2 the entry failed to load (reported by the loader).
int Movie_FindSource(const char* engineName, bool load, MovieSource* out);

// The movie file name in the engine's form ("" when none).
const char* Movie_File();
void Movie_SetFile(const char* engineName);
// Starts the stored movie from its beginning: 0, or -1 after the failure
// was reported (nothing plays then).
int Movie_Start();
// Holds the movie; the player stays open.
void Movie_Stop();
// g_MovieVolume to the player.
void Movie_ApplyVolume();
