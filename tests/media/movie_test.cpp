// Movies end to end: small movies made by FFmpeg's encoders played by a
// headless engine over window 0 (picture, rectangle, end, stop and close),
// the failures that must not leave a movie "playing", the file query of
// command 73, and the volume as the mixer hears it.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "e2e/engine_game.h"
#include "media/movie_internal.h"
#include "media/movie_maker.h"
#include "media/movie_player.h"
#include "platform/audio.h"
#include "platform/video.h"
#include "sound/sound.h"
#include "support/err_capture.h"

using namespace e2e;

namespace {

// Colours as the window shows them (B, G, R; the alpha byte is not looked at).
constexpr uint32_t kBg = 0x326496;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kLime = 0x00FF00;
constexpr int kTol = 24;  // the colours pass through limited-range YUV

std::string MovieDir() { return std::string(TEST_BINARY_DIR) + "/tests/movie_fixtures"; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MovieGame : public EngineGame {
 protected:
  void SetUp() override {
    if (!moviefix::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    EngineGame::SetUp();
    game.IntVar(1000, {8});
    Background();
  }
  void TearDown() override {
    EngineGame::TearDown();
    Movie_Reset();
  }
  void Background() {
    Main().Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
    extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, 0xFF000000u | kBg));
    // The movie starts over a window that has been drawn once.
    Main().Cmd("wait", {{"frames", fx::Int(2)}});
  }
  // A made movie copied into the game folder as `rel`.
  void Loose(const std::string& made, const std::string& rel) {
    ASSERT_FALSE(made.empty()) << "ffmpeg could not make the movie";
    dir.Write(rel, ReadAll(made));
  }
  static int64_t V(int i) { return Var_GetIntElement(1000, i); }
  // Script lines that park until the movie stops playing.
  static void WaitForEnd(fx::Scene& s, const std::string& label) {
    s.Label(label);
    s.Cmd("wait", {{"frames", fx::Int(1)}});
    s.Cmd("movievalue", {{"playing", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(7)})}});
    s.If(fx::Asm("V$1000 L7 ) L1 ="));
    s.Jump(label);
    s.EndIf();
  }
  // Frames until `done`, giving the decoder thread real time between them.
  template <typename P>
  bool RunUntil(P done, int maxTurns = 3000) {
    for (int i = 0; i < maxTurns; ++i) {
      if (done()) return true;
      if (!Turn()) return done();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }
  uint32_t ShownAt(int x, int y) {
    int32_t w = 0, h = 0;
    std::vector<uint32_t> px = Shown(&w, &h);
    if (x >= w || y >= h || px.empty()) return 0;
    return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFFu;
  }
};

TEST_F(MovieGame, PlaysInItsRectangleOverWindow0AndItsEndClearsPlaying) {
  Loose(moviefix::RedMpeg1(MovieDir()), "movie/red.mpg");
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("Movie/RED.mpg")}, {"x", fx::Int(40)}, {"y", fx::Int(30)},
                  {"w", fx::Int(80)}, {"h", fx::Int(60)}, {"play", fx::Int(1)}});
  s.Cmd("movievalue", {{"playing", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(0)})}});
  WaitForEnd(s, "wait");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  Idle(s);
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(RunUntil([&] { return Near(ShownAt(80, 60), kRed, kTol) || V(1) == 1; }));
  EXPECT_EQ(V(0), 1);
  EXPECT_EQ(g_MoviePlaying, 1);
  // The picture fills exactly the rectangle; the rest is the composed
  // picture of before.
  struct Probe { int x, y; uint32_t want; };
  const Probe probes[] = {{40, 30, kRed}, {119, 89, kRed}, {80, 60, kRed},
                          {39, 30, kBg},  {40, 29, kBg},   {120, 89, kBg}, {119, 90, kBg}};
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(ShownAt(p.x, p.y), p.want, kTol))
        << p.x << "," << p.y << ": " << std::hex << ShownAt(p.x, p.y);
  // An end message of another movie ends nothing.
  EXPECT_EQ(g_WndMovieNotify(-7), 0);
  EXPECT_EQ(g_MoviePlaying, 1);

  ASSERT_TRUE(RunUntil([] { return V(1) == 1; }));
  EXPECT_EQ(g_MoviePlaying, 0);
  ASSERT_EQ(Frames(2), 2);
  EXPECT_EQ(g_MovieMciOpen, 0);  // the player went with the end
  // Drawing resumed: the whole window is composed again.
  EXPECT_TRUE(Near(ShownAt(80, 60), kBg, 2)) << std::hex << ShownAt(80, 60);
}

// Other streams and containers, one after another in the default
// rectangle (the whole window); each new play starts after the last end.
TEST_F(MovieGame, MpegTwoAndAviPlayInTurnOverTheWholeWindow) {
  Loose(moviefix::BlueMpeg2(MovieDir()), "movie/blue.mpg");
  Loose(moviefix::GreenAvi(MovieDir()), "movie/green.avi");
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/blue.mpg")}, {"play", fx::Int(1)}});
  WaitForEnd(s, "one");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  s.Cmd("movie", {{"file", fx::Text("movie/green.avi")}, {"play", fx::Int(1)}});
  WaitForEnd(s, "two");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(2));
  Idle(s);
  ASSERT_EQ(Start(), 0);
  bool sawBlue = false, sawLime = false;
  ASSERT_TRUE(RunUntil([&] {
    uint32_t a = ShownAt(2, 2), b = ShownAt(157, 117);
    if (g_MoviePlaying && V(1) == 0 && Near(a, kBlue, kTol) && Near(b, kBlue, kTol)) sawBlue = true;
    if (g_MoviePlaying && V(1) == 1 && Near(a, kLime, kTol) && Near(b, kLime, kTol)) sawLime = true;
    return V(1) == 2;
  }));
  EXPECT_TRUE(sawBlue);
  EXPECT_TRUE(sawLime);
  EXPECT_EQ(g_MovieWidth, 160);
  EXPECT_EQ(g_MovieHeight, 120);
}

TEST_F(MovieGame, AStopHoldsThePlayerAndDrawingResumesACloseResetsEverything) {
  Loose(moviefix::RedMpeg1(MovieDir()), "movie/red.mpg");
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/red.mpg")}, {"play", fx::Int(1)}, {"volume", fx::Int(100)}});
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Cmd("movie", {{"play", fx::Int(0)}});
  s.Cmd("movievalue", {{"playing", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(0)})}});
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  s.Cmd("wait", {{"frames", fx::Int(5)}});
  s.Cmd("movie", {{"play", fx::Int(2)}});  // does nothing
  s.Cmd("movievalue", {{"playing", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(2)})}});
  s.Cmd("movieclose");
  s.Cmd("movievalue", {{"volume", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(3)})}});
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(2));
  s.Cmd("movie", {{"play", fx::Int(1)}});  // no file any more
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(3));
  Idle(s);
  ErrCapture errors;
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(RunUntil([] { return V(1) == 1; }));
  EXPECT_EQ(V(0), 0);
  EXPECT_EQ(g_MovieMciOpen, 1);  // stopped, still open
  EXPECT_EQ(g_MovieVolume, 100);
  ASSERT_EQ(Frames(2), 2);
  EXPECT_TRUE(Near(ShownAt(80, 60), kBg, 2)) << std::hex << ShownAt(80, 60);
  ASSERT_TRUE(RunUntil([] { return V(1) == 3; }));
  EXPECT_EQ(V(2), 0);
  EXPECT_EQ(V(3), 256);
  EXPECT_EQ(g_MovieMciOpen, 0);
  EXPECT_EQ(g_MoviePlaying, 0);
  EXPECT_EQ(errors.Numbers(), std::vector<int32_t>{101510});
}

// Files that cannot play: each reported by number, none left "playing",
// and the screen never left to a movie that will not come.
TEST_F(MovieGame, FilesThatCannotPlayAreReportedAndNeverPlay) {
  std::string red = ReadAll(moviefix::RedMpeg1(MovieDir()));
  ASSERT_GT(red.size(), 400u);
  dir.Write("movie/text.mpg", "this is not a movie at all, only some words\n");
  dir.Write("movie/head.mpg", red.substr(0, 40));  // a pack header and nothing else
  dir.Write("movie/empty.mpg", "");
  const char* names[] = {"movie/text.mpg", "movie/head.mpg", "movie/empty.mpg"};
  fx::Scene& s = Main();
  for (int i = 0; i < 3; ++i) {
    s.Let(fx::Elem(1000, {fx::Int(i)}), fx::Int(9));
    s.Cmd("movie", {{"file", fx::Text(names[i])}, {"play", fx::Int(1)}});
    s.Cmd("movievalue", {{"playing", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(i)})}});
  }
  s.Let(fx::Elem(1000, {fx::Int(6)}), fx::Int(1));
  Idle(s);
  ErrCapture errors;
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(RunUntil([] { return V(6) == 1; }));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(V(i), 0) << names[i];
  EXPECT_EQ(errors.Numbers(), (std::vector<int32_t>{101520, 101520, 101520}));
  EXPECT_EQ(g_MovieMciOpen, 0);
  ASSERT_EQ(Frames(2), 2);
  EXPECT_TRUE(Near(ShownAt(80, 60), kBg, 2));
}

TEST_F(MovieGame, AMissingFileIs104060AndNothingPlays) {
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/none.mpg")}, {"play", fx::Int(1)}});
  Idle(s);
  ErrCapture errors;
  ASSERT_EQ(Start(), 0);
  Frames(3);
  EXPECT_EQ(errors.First(), 104060);
  EXPECT_EQ(g_MoviePlaying, 0);
  EXPECT_EQ(Movie_File()[0], 0);
}

// A movie cut short in its middle still ends, and lifts the gate.
TEST_F(MovieGame, AMovieCutShortEnds) {
  std::string red = ReadAll(moviefix::RedMpeg1(MovieDir()));
  dir.Write("movie/cut.mpg", red.substr(0, red.size() * 6 / 10));
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/cut.mpg")}, {"play", fx::Int(1)}});
  WaitForEnd(s, "w");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  Idle(s);
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(RunUntil([] { return V(1) == 1; }));
  EXPECT_EQ(g_MoviePlaying, 0);
}

// A movie inside the game's pack plays from memory.
TEST_F(MovieGame, AMovieInThePackPlays) {
  std::string made = moviefix::RedMpeg1(MovieDir());
  ASSERT_FALSE(made.empty());
  extra["movie\\packed.mpg"] = ReadAll(made);
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/packed.mpg")}, {"play", fx::Int(1)}});
  WaitForEnd(s, "w");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  Idle(s);
  ErrCapture errors;
  ASSERT_EQ(Start(), 0);
  bool sawRed = false;
  ASSERT_TRUE(RunUntil([&] {
    if (g_MoviePlaying && Near(ShownAt(80, 60), kRed, kTol)) sawRed = true;
    return V(1) == 1;
  }));
  EXPECT_TRUE(sawRed);
  EXPECT_TRUE(errors.Empty());
}

TEST_F(MovieGame, QueriesTheStateAndWhatAFileStartsWith) {
  std::string blue = ReadAll(moviefix::BlueMpeg2(MovieDir()));
  ASSERT_FALSE(blue.empty());
  extra["movie\\inpack.mpg"] = blue;
  const std::string pack("\x00\x00\x01\xBA", 4);
  dir.Write("m1.dat", pack + "\x21");
  dir.Write("m2.dat", pack + "\x44");
  dir.Write("m3.dat", pack + "\x84");
  dir.Write("short.dat", pack);
  dir.Write("riff.dat", "RIFF....AVI ");
  Loose(moviefix::RedMpeg1(MovieDir()), "movie/red.mpg");
  struct Case { std::string name; int64_t want; };
  const Case cases[] = {
      {"m1.dat", 1}, {"M2.DAT", 2}, {"m3.dat", 255}, {"short.dat", 255}, {"riff.dat", 255},
      {"none.dat", 0}, {"movie/red.mpg", 1}, {"movie\\inpack.mpg", 2},
      {std::string(300, 'a') + ".mpg", 0},
  };
  game.IntVar(1001, {16});
  fx::Scene& s = Main();
  for (size_t i = 0; i < std::size(cases); ++i)
    s.Cmd("movievalue", {{"file", fx::Text(cases[i].name)}, {"target", fx::Elem(1001, {fx::Int(int64_t(i))})}});
  // The rectangle: a file resets it, operators combine with what is stored.
  s.Cmd("movie", {{"file", fx::Text("movie/red.mpg")}, {"x", fx::Int(5)}, {"volume", fx::Int(128)}});
  s.Cmd("movie", {{"x", fx::Int(10), fx::kOpAdd}, {"h", fx::Int(2), fx::kOpMul}});
  const char* slots[] = {"playing", "x", "y", "w", "h", "volume"};
  for (int i = 0; i < 6; ++i)
    s.Cmd("movievalue", {{slots[i], fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(i)})}});
  s.Let(fx::Elem(1000, {fx::Int(6)}), fx::Int(1));
  Idle(s);
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(RunUntil([] { return V(6) == 1; }, 10));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Var_GetIntElement(1001, int64_t(i)), cases[i].want) << cases[i].name.substr(0, 20);
  const int64_t want[6] = {0, 15, 0, 160, 240, 128};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(V(i), want[i]) << slots[i];
  EXPECT_STREQ(Movie_File(), "movie\\red.mpg");
}

TEST(MovieVolume, CurvesOfTheTwoPlayers) {
  struct Case { int32_t volume; bool graph; int32_t mB; };
  const Case cases[] = {
      {256, false, 0},      {256, true, 0},        {128, false, -602},  {128, true, -1204},
      {64, false, -1204},   {64, true, -2408},     {1, false, -5046},   {1, true, -9632},
      {0, false, -10000},   {0, true, -10000},     {-5, false, -10000}, {300, true, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Movie_VolumeMb(c.volume, c.graph), c.mB) << c.volume << (c.graph ? " graph" : "");
}

// The movie's sound reaches the mixer, at the default player's linear
// curve: half the volume is half the amplitude.
TEST_F(MovieGame, TheVolumeReachesTheMixerOutput) {
  setenv("TAVREN_AUDIO", "null", 1);
  game.Cfg().soundMode = 1;
  Loose(moviefix::RedMpeg1(MovieDir()), "movie/red.mpg");
  fx::Scene& s = Main();
  s.Cmd("movie", {{"file", fx::Text("movie/red.mpg")}, {"play", fx::Int(1)}});
  WaitForEnd(s, "one");
  s.Cmd("movie", {{"volume", fx::Int(128)}, {"play", fx::Int(1)}});
  WaitForEnd(s, "two");
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Int(1));
  Idle(s);
  ASSERT_EQ(Start(), 0);
  ASSERT_NE(g_DirectSound, nullptr);
  int peak[2] = {0, 0};
  std::vector<int16_t> out(735 * 2);
  ASSERT_TRUE(RunUntil([&] {
    // One frame's worth of output at 44100 Hz per engine frame.
    PlatAudio_Render(g_DirectSound, out.data(), 735);
    int which = g_MovieVolume == 128 ? 1 : 0;
    for (int16_t v : out) peak[which] = std::max(peak[which], std::abs(int(v)));
    return V(1) == 1;
  }));
  unsetenv("TAVREN_AUDIO");
  ASSERT_GT(peak[0], 1000);
  EXPECT_NEAR(double(peak[1]) / peak[0], 0.5, 0.05) << peak[0] << " " << peak[1];
}

}  // namespace

namespace {

// The player alone, without its thread: every picture at the asked size,
// in order on the movie's clock, and the end only once the clock has
// passed the last one.
TEST(MoviePlayer, PicturesComeAtTheAskedSizeOnTheMoviesClock) {
  if (!moviefix::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string made = moviefix::SilentMpeg1(MovieDir());
  ASSERT_FALSE(made.empty());
  PlatVideoOptions opt;
  opt.width = 20;
  opt.height = 10;
  opt.threaded = false;
  PlatVideoError error = PlatVideoError::Undecodable;
  PlatVideoPtr v = PlatVideo_OpenFile(made, opt, &error);
  ASSERT_TRUE(v);
  EXPECT_EQ(error, PlatVideoError::None);
  int32_t sw = 0, sh = 0;
  PlatVideo_SourceSize(v.get(), &sw, &sh);
  EXPECT_EQ(sw, 32);
  EXPECT_EQ(sh, 24);
  while (PlatVideo_Step(v.get())) {
  }
  EXPECT_EQ(PlatVideo_FramesDecoded(v.get()), 6u);
  std::vector<uint32_t> px;
  int32_t w = 0, h = 0;
  // Paused at 0: only the first picture is due, whatever the caller's time.
  ASSERT_TRUE(PlatVideo_TakeFrame(v.get(), 5000, &px, &w, &h));
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  ASSERT_EQ(px.size(), 200u);
  EXPECT_TRUE(Near(px[105] & 0xFFFFFFu, 0xFFFFFF, kTol)) << std::hex << px[105];
  EXPECT_FALSE(PlatVideo_TakeFrame(v.get(), 6000, &px, &w, &h));
  PlatVideo_Play(v.get(), 1000);
  EXPECT_EQ(PlatVideo_StateAt(v.get(), 1000 + 150), PlatVideoState::Playing);
  ASSERT_TRUE(PlatVideo_TakeFrame(v.get(), 1000 + 150, &px, &w, &h));  // pictures 1-3 due
  EXPECT_EQ(PlatVideo_StateAt(v.get(), 1000 + 220), PlatVideoState::Playing);  // 4 and 5 wait
  ASSERT_TRUE(PlatVideo_TakeFrame(v.get(), 1000 + 230, &px, &w, &h));
  EXPECT_EQ(PlatVideo_StateAt(v.get(), 1000 + 230), PlatVideoState::Playing);
  EXPECT_EQ(PlatVideo_StateAt(v.get(), 1000 + 240), PlatVideoState::Ended);  // 6 x 40 ms
}

TEST(MoviePlayer, AFailedOpenSaysWhy) {
  PlatVideoOptions opt;
  opt.threaded = false;
  const std::string text = "plain words, no movie";
  struct Case { std::vector<uint8_t> bytes; PlatVideoError want; };
  const Case cases[] = {
      {{}, PlatVideoError::NotAMovie},
      {std::vector<uint8_t>(text.begin(), text.end()), PlatVideoError::NotAMovie},
  };
  for (const Case& c : cases) {
    PlatVideoError e = PlatVideoError::None;
    EXPECT_FALSE(PlatVideo_OpenMemory(c.bytes, opt, &e));
    EXPECT_EQ(e, c.want) << c.bytes.size();
  }
  PlatVideoError e = PlatVideoError::None;
  EXPECT_FALSE(PlatVideo_OpenFile("/nonexistent/movie.mpg", opt, &e));
  EXPECT_EQ(e, PlatVideoError::NotFound);
}

}  // namespace

namespace {

// Damaged movies, cut short and with bytes changed: every one either fails
// its open with a reason or plays to an end within the bounds.
TEST(MoviePlayer, DamagedMoviesFailOrEndWithinTheirBounds) {
  if (!moviefix::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  std::vector<std::string> made = {ReadAll(moviefix::RedMpeg1(MovieDir())),
                                   ReadAll(moviefix::GreenAvi(MovieDir()))};
  PlatVideoOptions opt;
  opt.width = 16;
  opt.height = 12;
  opt.threaded = false;
  opt.maxFrames = 64;
  opt.maxProbePackets = 256;
  int opened = 0, failed = 0;
  for (const std::string& movie : made) {
    ASSERT_GT(movie.size(), 1000u);
    std::vector<std::vector<uint8_t>> variants;
    for (int k = 1; k < 12; ++k)
      variants.emplace_back(movie.begin(), movie.begin() + long(movie.size() * k / 12));
    for (int k = 0; k < 12; ++k) {
      std::vector<uint8_t> b(movie.begin(), movie.end());
      for (size_t at = size_t(k) * 37; at < b.size(); at += 97 + size_t(k)) b[at] ^= uint8_t(0x5A + k);
      variants.push_back(std::move(b));
    }
    for (std::vector<uint8_t>& bytes : variants) {
      PlatVideoError e = PlatVideoError::None;
      PlatVideoPtr v = PlatVideo_OpenMemory(std::move(bytes), opt, &e);
      if (!v) {
        EXPECT_NE(e, PlatVideoError::None);
        ++failed;
        continue;
      }
      ++opened;
      int steps = 0;
      while (PlatVideo_Step(v.get()) && steps < 1000) ++steps;
      EXPECT_LT(steps, 1000);
      EXPECT_LE(PlatVideo_FramesDecoded(v.get()), 64u);
      PlatVideo_Play(v.get(), 0);
      std::vector<uint32_t> px;
      int32_t w = 0, h = 0;
      if (PlatVideo_TakeFrame(v.get(), 1000000, &px, &w, &h)) {
        EXPECT_EQ(px.size(), size_t(w) * size_t(h));
      }
      EXPECT_NE(PlatVideo_StateAt(v.get(), 1000000), PlatVideoState::Playing);
    }
  }
  EXPECT_GT(opened, 0);
  EXPECT_GT(opened + failed, 40);
}

}  // namespace
