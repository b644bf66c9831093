// The demo game, generated: its compiled scripts and its pictures, written
// with the fixture writer. make_demo packs it at build time; the end-to-end
// test runs the same game.
//
// What the demo does: a sky-and-hills background, a glowing sun added with
// the additive blend mode, and a character drawn at 80 % opacity with the
// lighten mode that walks across the screen for four seconds. Enter or a
// left click brightens the sun; the script ends the game two seconds later.
//
// Meanwhile a second task opens a message window (a box at 75 % opacity
// with a transparent text layer over it) and types two messages in it.
// Between them it waits for Enter or a left click, but at most two seconds:
// the message commands' own click mark never times out, so the first
// message closes without one and the task waits on the keys itself, which
// lets the demo show both messages and end when nobody touches it.
//
// Sound: a looping background chord (Ogg Vorbis) fades in at the start and
// out before the end; brightening the sun rings a chime (WAV) once.
#pragma once
#include <cmath>
#include <string>

#include "platform/text.h"
#include "support/image_writer.h"
#include "support/script_writer.h"
#include "support/sound_writer.h"

namespace demo {

constexpr uint32_t kWidth = 640, kHeight = 480;
constexpr int kWalkFrames = 240;  // four seconds at 60 frames a second
constexpr int kRestFrames = 120;
constexpr int kKeyEnter = 13, kKeyLeftButton = 1;
constexpr uint16_t kVarKeys = 144;     // hold counter by key number
constexpr uint16_t kVarReacted = 1000;

// The message window: the box, and the text layer inside it.
constexpr int kBoxX = 20, kBoxY = 352, kBoxW = 600, kBoxH = 112;
constexpr int kBoxOpacity = 192;  // of 256
constexpr int kBoxRim = 3;        // width of its lighter edge
constexpr uint8_t kBoxB = 70, kBoxG = 30, kBoxR = 20;
constexpr int kTextX = kBoxX + 16, kTextY = kBoxY + 12, kTextW = kBoxW - 32, kTextH = kBoxH - 24;
constexpr int kTextSize = 24, kTextLineHeight = 32;
constexpr uint32_t kTextColour = 0xFFFFFF;
constexpr int kCharDelayMs = 40;     // per 2-byte character
constexpr int kAdvanceWaitFrames = 120;  // the longest wait between the messages
// Two lines per message (UTF-8 here; the script holds Shift-JIS).
constexpr const char* kMessage1[2] = {"こんにちは。丘の上のデモへようこそ。",
                                      "クリックかEnterで次へ進みます。"};
constexpr const char* kMessage2[2] = {"二つ目のメッセージです。",
                                      "しばらくすると自動で終わります。"};
// How far the message task has come: 1 the first message is typed, 2 the
// wait is over, 3 the second message is typed. kVarAdvanced is 1 when a
// key ended the wait, 0 when the time did.
constexpr uint16_t kVarStage = 1001, kVarAdvanced = 1002;

inline void Put(imgfix::Picture& p, uint32_t x, uint32_t y, int b, int g, int r, int a) {
  uint8_t* px = p.At(x, y);
  px[0] = uint8_t(b), px[1] = uint8_t(g), px[2] = uint8_t(r), px[3] = uint8_t(a);
}

inline imgfix::Picture Blank(uint32_t w, uint32_t h) {
  imgfix::Picture p;
  p.width = w, p.height = h;
  p.bgra.assign(size_t(w) * h * 4, 0);
  return p;
}

// Sky gradient over two rolling hills.
inline imgfix::Picture Background() {
  imgfix::Picture p = Blank(kWidth, kHeight);
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      double t = double(y) / kHeight;
      int b = int(230 - 60 * t), g = int(150 + 40 * t), r = int(70 + 120 * t);
      double hill1 = 330 + 40 * std::sin(x / 90.0);
      double hill2 = 380 + 25 * std::sin(x / 55.0 + 1.3);
      if (y > hill2) b = 40, g = int(120 - (y - hill2) / 3), r = 50;
      else if (y > hill1) b = 60, g = 150, r = 80;
      Put(p, x, y, b, g, r, 255);
    }
  }
  return p;
}

// A soft round glow, brightest in its centre, transparent at its edge.
inline imgfix::Picture Glow(uint32_t size) {
  imgfix::Picture p = Blank(size, size);
  double c = (size - 1) / 2.0;
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      double d = std::hypot(x - c, y - c) / c;
      int v = d >= 1 ? 0 : int(255 * (1 - d * d));
      Put(p, x, y, v / 3, int(v * 0.8), v, v);
    }
  return p;
}

// A simple figure: head, body and legs on a transparent ground.
inline imgfix::Picture Character() {
  imgfix::Picture p = Blank(96, 160);
  for (uint32_t y = 0; y < 160; ++y)
    for (uint32_t x = 0; x < 96; ++x) {
      bool head = std::hypot(double(x) - 48, double(y) - 28) < 22;
      bool body = y >= 52 && y < 112 && x >= 26 && x < 70;
      bool legs = y >= 112 && y < 158 && ((x >= 30 && x < 44) || (x >= 52 && x < 66));
      if (head) Put(p, x, y, 150, 190, 245, 255);
      else if (body) Put(p, x, y, 200, 80, 60, 255);
      else if (legs) Put(p, x, y, 90, 60, 50, 255);
    }
  return p;
}

// The message window's box: dark blue with a lighter rim, made see-through
// by the layer's opacity.
inline imgfix::Picture WindowBox() {
  imgfix::Picture p = Blank(kBoxW, kBoxH);
  for (uint32_t y = 0; y < uint32_t(kBoxH); ++y)
    for (uint32_t x = 0; x < uint32_t(kBoxW); ++x) {
      const uint32_t r = kBoxRim;
      bool rim = x < r || y < r || x >= uint32_t(kBoxW) - r || y >= uint32_t(kBoxH) - r;
      if (rim) Put(p, x, y, 200, 170, 150, 255);
      else Put(p, x, y, kBoxB, kBoxG, kBoxR, 255);
    }
  return p;
}

// The key's hold counter is 1 in the first frame it is down.
inline fx::Expr Pressed(int key) { return fx::Bin(fx::Elem(kVarKeys, {fx::Int(key)}), fx::Int(1), '='); }
inline fx::Expr AnyPressed() { return fx::Bin(Pressed(kKeyEnter), Pressed(kKeyLeftButton), '|'); }

// One message of two lines, typed as one block. The block closes without a
// click mark, new line or page, so the text stays up and the task goes on
// once it is typed; a page mark in front clears what was there.
inline void TypeMessage(fx::Scene& s, const char* const (&lines)[2], bool newPage) {
  if (newPage) s.Cmd("msg", {{"page", fx::Int(1)}});
  s.Cmd("msgtext", {{"text", fx::Expr{Text_Utf8ToSjis(lines[0]), fx::kTypeText}}});
  s.Cmd("msg", {{"newline", fx::Int(1)}});
  s.Cmd("msgtext", {{"text", fx::Expr{Text_Utf8ToSjis(lines[1]), fx::kTypeText}}});
  s.Cmd("msgend", {{"mark", fx::Int(0)}});
}

// The message task: the window, the first message, the wait for a key or
// the time limit, the second message.
inline void WriteMessageTask(fx::Scene& s) {
  s.Label("talk");
  s.Cmd("cg", {{"path", fx::Text("window")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\window.png")},
               {"x", fx::Int(kBoxX)}, {"y", fx::Int(kBoxY)}, {"order", fx::Int(20)},
               {"alpha", fx::Int(kBoxOpacity)}});
  s.Cmd("cg", {{"path", fx::Text("text")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\text.png")},
               {"x", fx::Int(kTextX)}, {"y", fx::Int(kTextY)}, {"order", fx::Int(30)}});
  s.Cmd("textstyle", {{"size", fx::Int(kTextSize)}, {"lineheight", fx::Int(kTextLineHeight)},
                      {"color", fx::Int(kTextColour)}, {"color2", fx::Int(kTextColour)}});
  s.Cmd("msg", {{"layer", fx::Text("text.0")}, {"delay", fx::Int(kCharDelayMs)},
                {"closenewline", fx::Int(0)}, {"closepage", fx::Int(0)}, {"closeclick", fx::Int(0)}});
  TypeMessage(s, kMessage1, false);
  s.Let(fx::Var(kVarStage), fx::Int(1));
  // The wait looks at the keys from the frame after the typing ended, so
  // the click that showed the rest of the message does not also pass it.
  s.Loop(fx::Int(kAdvanceWaitFrames));
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.If(AnyPressed()).Let(fx::Var(kVarAdvanced), fx::Int(1)).Break().EndIf();
  s.EndLoop();
  s.Let(fx::Var(kVarStage), fx::Int(2));
  TypeMessage(s, kMessage2, true);
  s.Let(fx::Var(kVarStage), fx::Int(3));
  s.Return();  // the task ends; its text stays in the window
}

inline void WriteScript(fx::Game& g) {
  g.Cfg().width = kWidth;
  g.Cfg().height = kHeight;
  g.Cfg().showFirstFrame = 1;
  g.Cfg().title = "TAVREN demo";
  g.Cfg().soundMode = 1;
  g.IntVar(kVarKeys, {1024});
  g.IntVar(kVarReacted).IntVar(kVarStage).IntVar(kVarAdvanced);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  s.Cmd("snd", {{"path", fx::Text("bgm")}, {"file", fx::Text("sound\\bgm.ogg")}, {"vol", fx::Int(160)},
                {"fade", fx::Int(1)}, {"time", fx::Int(1000)}});
  s.Cmd("cg", {{"path", fx::Text("sun")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\glow.png")},
               {"x", fx::Int(440)}, {"y", fx::Int(40)}, {"order", fx::Int(5)},
               {"alpha", fx::Int(140)}, {"blend", fx::Int(1)}});
  s.Cmd("cg", {{"path", fx::Text("chara")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\chara.png")},
               {"x", fx::Int(-60)}, {"y", fx::Int(290)}, {"order", fx::Int(10)},
               {"alpha", fx::Int(205)}, {"blend", fx::Int(6)}});
  s.Cmd("taskstart", {{"path", fx::Text("talk")}, {"label", fx::Text("talk")}});
  s.Loop(fx::Int(kWalkFrames));
  s.Cmd("cg", {{"path", fx::Text("chara")}, {"num", fx::Int(0)}, {"x", fx::Int(2), fx::kOpAdd}});
  // Enter or a left click (first frame pressed) brightens the sun once.
  s.If(fx::Bin(AnyPressed(), fx::Bin(fx::Var(kVarReacted), fx::Int(0), '='), '&'));
  s.Let(fx::Var(kVarReacted), fx::Int(1));
  s.Cmd("cg", {{"path", fx::Text("sun")}, {"num", fx::Int(0)}, {"alpha", fx::Int(256)}});
  s.Cmd("snd", {{"path", fx::Text("se")}, {"file", fx::Text("sound\\chime.wav")}, {"fade", fx::Int(1)},
                {"count", fx::Int(1)}});
  s.EndIf();
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.EndLoop();
  s.Cmd("snd", {{"path", fx::Text("bgm")}, {"fade", fx::Int(0)}, {"time", fx::Int(1500)}});
  s.Cmd("wait", {{"frames", fx::Int(kRestFrames)}});
  s.Cmd("end");
  WriteMessageTask(s);
}

// The background chord: A3 and E4, four seconds, looping without a seam
// (both tones make whole periods in it).
inline std::string BackgroundMusic() {
  sndfix::Pcm a = sndfix::Sine(22050, 2, 220, 5000, 4000);
  sndfix::Pcm e = sndfix::Sine(22050, 2, 330, 3500, 4000);
  for (size_t i = 0; i < a.samples.size(); ++i) a.samples[i] = int16_t(a.samples[i] + e.samples[i]);
  return sndfix::WriteOgg(a);
}
// The chime: 880 Hz dying away over 400 ms.
inline std::string Chime() {
  sndfix::Pcm c = sndfix::Sine(22050, 1, 880, 12000, 400);
  for (size_t i = 0; i < c.samples.size(); ++i)
    c.samples[i] = int16_t(c.samples[i] * std::exp(-double(i) / 2500.0));
  return sndfix::WriteWav(c);
}

// Every file of the game by its engine name. The command schema must hold
// every command (Sys_RegisterCommands) before this runs. `frameThread` runs
// the frames on a thread of their own (the thread checks use it).
inline fx::Files BuildFiles(bool frameThread = false) {
  fx::Game game;
  WriteScript(game);
  game.Cfg().frameThread = frameThread ? 1 : 0;
  fx::Files files = game.Build();
  files["cg\\bg.png"] = imgfix::WritePng(Background());
  files["cg\\glow.png"] = imgfix::WritePng(Glow(160));
  files["cg\\chara.png"] = imgfix::WritePng(Character());
  files["cg\\window.png"] = imgfix::WritePng(WindowBox());
  files["cg\\text.png"] = imgfix::WritePng(Blank(kTextW, kTextH), imgfix::PngKind::Rgba);
  files["sound\\bgm.ogg"] = BackgroundMusic();
  files["sound\\chime.wav"] = Chime();
  return files;
}

}  // namespace demo
