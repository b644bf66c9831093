// Commands 71 (set the movie, play or stop it), 72 (close it) and 73 (ask
// about it or about a movie file).
#include <cstring>

#include "base/base.h"
#include "files/files_limits.h"
#include "media/media.h"
#include "media/movie_internal.h"
#include "media/movie_player.h"
#include "platform/fs.h"
#include "vm/vm.h"

using namespace moviearg;

namespace {

constexpr int kCmdMoviePlay = 71, kCmdMovieStop = 72, kCmdMovieQuery = 73;
constexpr size_t kProbeBytes = 5;

void ApplyRect() { Media_ApplyRectArgs(kX, &g_MovieX, &g_MovieY, &g_MovieWidth, &g_MovieHeight); }

// A new file: it must exist in one of the file sources. The rectangle's
// values not given in this call go back to 0, 0 and the logical size; a
// movie still held by the player goes.
int SetFile(const char* name) {
  char normal[kFilePathMax];
  Media_NormalizeName(name, normal, sizeof normal);
  MovieSource src;
  int found = std::strlen(name) < kFilePathMax ? Movie_FindSource(normal, false, &src) : 1;
  if (found != 0) {
    Err_ScriptF(found == -1 ? 104010 : 104060, 1, normal);
    return -1;
  }
  const MediaWindowInfo w = Media_Window0();
  if (!Arg_Given(kX)) g_MovieX = 0;
  if (!Arg_Given(kY)) g_MovieY = 0;
  if (!Arg_Given(kWidth)) g_MovieWidth = w.logicalW;
  if (!Arg_Given(kHeight)) g_MovieHeight = w.logicalH;
  Movie_ClosePlayer();
  Movie_SetFile(normal);
  return 0;
}

// Slot 6: what kind of MPEG stream a file starts with; 0 when it is found
// nowhere (a name too long for the lookup included).
int64_t ProbeFile(const char* name) {
  if (std::strlen(name) >= kFilePathMax) return 0;
  char normal[kFilePathMax];
  Media_NormalizeName(name, normal, sizeof normal);
  MovieSource src;
  if (Movie_FindSource(normal, true, &src) != 0) return 0;
  std::vector<uint8_t> head;
  if (!src.hostPath.empty()) {
    if (!Fs_ReadBytes(src.hostPath, 0, kProbeBytes, &head)) return 0;
  } else {
    head.assign(src.bytes.begin(), src.bytes.begin() + std::min(src.bytes.size(), kProbeBytes));
  }
  return Movie_ProbeKind(head.data(), head.size());
}

}  // namespace

int32_t Cmd_MoviePlay() {
  if (Cmd_FetchArgs(kCmdMoviePlay) != 0) return -1;
  ApplyRect();
  if (const char* name = Arg_Str(kFile)) {
    if (SetFile(name) != 0) return -1;
  }
  if (Arg_Given(kVolume)) {
    g_MovieVolume = int32_t(Arg_Int(kVolume, kMovieVolumeFull));
    Movie_ApplyVolume();
  }
  if (!Arg_Given(kPlay)) return 0;
  switch (Arg_Int(kPlay, 0)) {
    case 0: Movie_Stop(); return 0;
    case 1: return Movie_Start() == 0 ? 0 : -1;
    default: return 0;  // other values do nothing
  }
}

int32_t Cmd_MovieStop() {
  if (Cmd_FetchArgs(kCmdMovieStop) != 0) return -1;
  Movie_ClosePlayer();
  Movie_SetFile("");
  g_MovieVolume = kMovieVolumeFull;
  g_MovieMciOpen = 0;
  return 0;
}

int32_t Cmd_MovieQuery() {
  if (Cmd_FetchArgs(kCmdMovieQuery) != 0) return -1;
  uint32_t var = 0;
  int64_t index = 0;
  if (!Arg_Target(kQTarget, &var, &index)) return 0;
  int64_t answer;
  if (Arg_Given(kQPlaying)) answer = g_MoviePlaying;
  else if (Arg_Given(kQX)) answer = g_MovieX;
  else if (Arg_Given(kQY)) answer = g_MovieY;
  else if (Arg_Given(kQWidth)) answer = g_MovieWidth;
  else if (Arg_Given(kQHeight)) answer = g_MovieHeight;
  else if (Arg_Given(kQVolume)) answer = g_MovieVolume;
  else if (const char* name = Arg_Str(kQFile)) answer = ProbeFile(name);
  else return 0;
  Var_SetIntElement(var, index, answer);
  return 0;
}
