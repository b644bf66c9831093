// The one movie: its player, where its picture goes over window 0, its
// volume, and the way its end comes back through the window procedure.
//
// Drawing resumes as soon as a movie stops playing: the end, a failure
// during playback, a stop (slot 1 = 0) and command 72 all clear
// g_MoviePlaying, and the frame driver's gate looks at nothing else.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/base.h"
#include "base/config.h"
#include "files/files.h"
#include "media/media.h"
#include "media/movie_internal.h"
#include "media/movie_player.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/fs.h"
#include "platform/present.h"
#include "platform/video.h"
#include "sound/sound.h"
#include "vm/vm.h"

std::atomic<uint8_t> g_MoviePlaying{0};
int32_t g_MovieMciOpen = 0;
int32_t g_MovieVolume = kMovieVolumeFull;
int32_t g_MovieX = 0, g_MovieY = 0, g_MovieWidth = 0, g_MovieHeight = 0;

namespace {

struct MoviePlayerState {
  char file[kFilePathMax] = {};
  PlatVideoPtr player;
  // Each start gets a new number; the end message carries it, so the end
  // of a movie that was replaced meanwhile ends nothing.
  int32_t generation = 0;
  bool endPosted = false;
  int32_t lastSize[2] = {0, 0};
  std::vector<uint32_t> picture;
};
MoviePlayerState s_Movie;
// Orders the window procedure's end against a new start on the frame
// thread, so an old end can never clear the new movie's playing byte.
std::mutex s_NotifyLock;

// The movie rectangle in window 0's client area. The default player fits
// the logical picture into the screen in screen-mode fit 2 and otherwise
// uses the shown picture; the graph player always uses the shown picture.
void OutputRect(int32_t out[4]) {
  const MediaWindowInfo w = Media_Window0();
  const int32_t logical[4] = {g_MovieX, g_MovieY, g_MovieWidth, g_MovieHeight};
  if (g_MovieUseDirectShow || w.fitMode != 2) {
    Media_ShownRect(w, logical, out);
    return;
  }
  const int64_t lw = w.logicalW ? w.logicalW : 1, lh = w.logicalH;
  const double a = double(w.screenW) * double(lh) / double(lw);
  int64_t areaW, areaH;
  if (double(w.screenH) <= a) {
    areaH = w.screenH;
    areaW = lh ? int64_t(w.screenH) * lw / lh : w.screenW;
  } else {
    areaW = w.screenW;
    areaH = int64_t(w.screenW) * lh / lw;
  }
  out[0] = int32_t((w.screenW - areaW) / 2 + g_MovieX);
  out[1] = int32_t((w.screenH - areaH) / 2 + g_MovieY);
  out[2] = w.logicalW ? int32_t(int64_t(g_MovieWidth) * areaW / w.logicalW) : g_MovieWidth;
  out[3] = w.logicalH ? int32_t(int64_t(g_MovieHeight) * areaH / w.logicalH) : g_MovieHeight;
}

void Show(const std::vector<uint32_t>& px, int32_t w, int32_t h, const int32_t rect[4]) {
  if (px.empty() || rect[2] <= 0 || rect[3] <= 0) return;
  auto windows = PlatPresent_LockWindows();
  PlatWindow* win = Media_Window0().handle;
  if (!win) return;
  PlatPresent_Blit(win, reinterpret_cast<const uint8_t*>(px.data()), w, h, w * 4, rect[0], rect[1],
                   rect[2], rect[3]);
  PlatPresent_Commit(win);
}

// The end goes to the window procedure as the engine's movie message; with
// no window to receive it the movie ends here.
void PostEnd() {
  s_Movie.endPosted = true;
  if (Media_Window0().handle) {
    PlatEvent ev;
    ev.msg = PlatMsg::User;
    ev.window = 0;
    ev.b = kMovieEventKind;
    ev.a = s_Movie.generation;
    Plat_PostEvent(ev);
  } else {
    Movie_OnNotify(s_Movie.generation);
  }
}

const char* ErrorName(PlatVideoError e) {
  switch (e) {
    case PlatVideoError::NotFound: return "not found";
    case PlatVideoError::NotAMovie: return "not a movie";
    case PlatVideoError::NoStream: return "no stream";
    case PlatVideoError::NoDecoder: return "no decoder";
    case PlatVideoError::Undecodable: return "undecodable";
    case PlatVideoError::OutOfMemory: return "out of memory";
    case PlatVideoError::ReadFailed: return "read failed";
    default: return "none";
  }
}

}  // namespace

int32_t Movie_ProbeKind(const uint8_t* head, size_t size) {
  static const uint8_t kPack[4] = {0x00, 0x00, 0x01, 0xBA};
  if (size < 5 || std::memcmp(head, kPack, 4) != 0) return 255;
  if ((head[4] >> 4) == 0x2) return 1;
  if ((head[4] >> 6) == 0x1) return 2;
  return 255;
}

int32_t Movie_VolumeMb(int32_t volume, bool graphPlayer) {
  const int32_t v = std::clamp(volume, 0, kMovieVolumeFull);
  if (v == 0) return kAudioVolumeMin;
  double mB;
  if (graphPlayer) {
    mB = std::trunc(4000.0 * std::log10(double(v) / kMovieVolumeFull));
  } else {
    const int32_t level = v * 1000 / kMovieVolumeFull;  // the device's 0..1000
    if (level == 0) return kAudioVolumeMin;
    mB = std::lround(2000.0 * std::log10(double(level) / 1000.0));
  }
  return std::clamp(int32_t(mB), kAudioVolumeMin, kAudioVolumeMax);
}

int Movie_FindSource(const char* engineName, bool load, MovieSource* out) {
  FileRef ref;
  int kind = File_Lookup(ref, engineName, false);
  if (kind < 0) return -1;
  if (kind == kFileSrcNone) return 1;
  if (kind == kFileSrcLoose) {
    return Fs_Resolve(engineName, &out->hostPath) ? 0 : 1;
  }
  if (!load) return 0;
  if (File_Load(ref, engineName) != 0) return -2;
  out->bytes.assign(ref.data, ref.data + ref.size);
  std::free(ref.data);
  return 0;
}

const char* Movie_File() { return s_Movie.file; }

void Movie_SetFile(const char* engineName) {
  Str_CopySjis(s_Movie.file, sizeof s_Movie.file, engineName);
}

int Movie_Start() {
  if (!s_Movie.file[0]) {
    Err_Script(101510, 0);
    return -1;
  }
  Movie_ClosePlayer();  // a new play starts from the beginning
  MovieSource src;
  int found = Movie_FindSource(s_Movie.file, true, &src);
  if (found == 1) {
    Err_ScriptF(104060, 1, s_Movie.file);
    return -1;
  }
  if (found == -1) {
    Err_ScriptF(104010, 1, s_Movie.file);
    return -1;
  }
  if (found != 0) return -1;  // the loader reported it
  int32_t rect[4];
  OutputRect(rect);
  PlatVideoOptions opt;
  opt.width = std::clamp(rect[2], 1, 8192);
  opt.height = std::clamp(rect[3], 1, 8192);
  opt.sound = g_DirectSound;
  opt.volumeMb = Movie_VolumeMb(g_MovieVolume, g_MovieUseDirectShow);
  PlatVideoError e = PlatVideoError::None;
  PlatVideoPtr player = src.hostPath.empty() ? PlatVideo_OpenMemory(std::move(src.bytes), opt, &e)
                                             : PlatVideo_OpenFile(src.hostPath, opt, &e);
  if (!player) {
    Sys_Trace("Movie %s: %s.", s_Movie.file, ErrorName(e));
    if (e == PlatVideoError::NotFound) Err_ScriptF(104060, 1, s_Movie.file);
    else Err_ScriptF(101520, 0, s_Movie.file);
    return -1;
  }
  s_Movie.player = std::move(player);
  s_Movie.lastSize[0] = opt.width;
  s_Movie.lastSize[1] = opt.height;
  s_Movie.endPosted = false;
  g_MovieMciOpen = 1;
  PlatVideo_Play(s_Movie.player.get(), Clock_Ms64());
  std::lock_guard<std::mutex> hold(s_NotifyLock);
  s_Movie.generation += 1;
  g_MoviePlaying = 1;
  return 0;
}

void Movie_Stop() {
  if (s_Movie.player) PlatVideo_Pause(s_Movie.player.get(), Clock_Ms64());
  std::lock_guard<std::mutex> hold(s_NotifyLock);
  g_MoviePlaying = 0;
}

void Movie_ApplyVolume() {
  if (s_Movie.player)
    PlatVideo_SetVolume(s_Movie.player.get(), Movie_VolumeMb(g_MovieVolume, g_MovieUseDirectShow));
}

void Movie_PresentFrame() {
  if (!s_Movie.player) return;
  // The end was taken: the player goes with it.
  if (s_Movie.endPosted && !g_MoviePlaying) {
    Movie_ClosePlayer();
    return;
  }
  if (!g_MoviePlaying) return;
  PlatVideo* v = s_Movie.player.get();
  const uint64_t now = Clock_Ms64();
  int32_t rect[4];
  OutputRect(rect);
  if (rect[2] > 0 && rect[3] > 0 && (rect[2] != s_Movie.lastSize[0] || rect[3] != s_Movie.lastSize[1])) {
    PlatVideo_SetSize(v, rect[2], rect[3]);
    s_Movie.lastSize[0] = rect[2];
    s_Movie.lastSize[1] = rect[3];
  }
  int32_t w = 0, h = 0;
  if (PlatVideo_TakeFrame(v, now, &s_Movie.picture, &w, &h)) Show(s_Movie.picture, w, h, rect);
  if (s_Movie.endPosted) return;
  PlatVideoState st = PlatVideo_StateAt(v, now);
  if (st == PlatVideoState::Failed)
    Sys_Trace("Movie %s: %s during playback.", s_Movie.file, ErrorName(PlatVideo_Error(v)));
  if (st != PlatVideoState::Playing) PostEnd();
}

int Movie_OnNotify(int32_t value) {
  std::lock_guard<std::mutex> hold(s_NotifyLock);
  if (value != s_Movie.generation || !g_MoviePlaying) return 0;
  g_MoviePlaying = 0;
  return 1;
}

void Movie_ClosePlayer() {
  s_Movie.player.reset();
  s_Movie.endPosted = false;
  s_Movie.picture.clear();
  g_MovieMciOpen = 0;
  std::lock_guard<std::mutex> hold(s_NotifyLock);
  g_MoviePlaying = 0;
}

void Movie_Reset() {
  Movie_ClosePlayer();
  s_Movie.file[0] = 0;
  g_MovieVolume = kMovieVolumeFull;
  g_MovieX = g_MovieY = g_MovieWidth = g_MovieHeight = 0;
}
