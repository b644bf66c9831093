// A fixture game with sound: the null audio device, the manual clock, and
// the sound thread's passes run by the test (10 ms of output rendered, then
// one pass), also from inside the script-side waits, so every sample the
// mixer produces is known.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/base.h"
#include "files/files.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "shell/startup.h"
#include "sound/sound.h"
#include "support/err_capture.h"
#include "support/game_fixture.h"
#include "support/script_writer.h"
#include "support/sound_writer.h"
#include "vm/vm.h"

class SoundRig : public fx::GameTest {
 protected:
  static constexpr uint32_t kRate = kAudioDeviceRate;

  void SetUp() override {
    s_rig = this;
    Clock_SetManual(true, 10000);
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes.push_back(r.text);
      return MsgBox_DefaultAnswer(r);
    });
    Sys_RegisterCommands();
    g_SoundMode = 1;
    g_QuitRequested = 0;
    g_ShutdownRequested = 0;
    g_SoundFocusPaused = 0;
    g_SndFocusHook = nullptr;
    errors.Clear();
    // A sound tree left by an engine run of an earlier test would answer
    // this test's paths with its old records.
    ObjTreeRoot& t = g_TreeRoots[kTreeSound];
    if (t.root) Obj_FreeSubtree(kTreeSound, t.root);
    t.root = nullptr;
    ASSERT_EQ(Snd_InitWith(PlatAudioBackend::Null), 1);
  }
  void TearDown() override {
    Snd_ReleaseAll();
    g_SoundThreadState = kThreadNeverStarted;
    g_SndWaitHook = nullptr;
    g_SndDecodeHook = nullptr;
    g_SndFocusHook = nullptr;
    g_SoundFocusPaused = 0;
    ObjTreeRoot& t = g_TreeRoots[kTreeSound];
    if (t.root) Obj_FreeSubtree(kTreeSound, t.root);
    t.root = nullptr;
    Snd_ReleaseDevice(true);
    File_StoreClear();
    g_SoundMode = 0;
    g_QuitRequested = 0;
    g_ShutdownRequested = 0;
    MsgBox_SetRecorder({});
    Clock_SetManual(false);
    s_rig = nullptr;
  }

  // Loads the game with `files` beside it and starts the sound side without
  // a thread.
  bool Load() {
    LoadGameFiles(files);
    EXPECT_EQ(0, Snd_StartWithoutThread());
    g_SoundThreadState = kThreadRunning;
    g_SndWaitHook = [] { s_rig->Step(); };
    return !::testing::Test::HasFailure();
  }

  // 10 ms: the output is rendered, then the thread's pass runs. A pass
  // error is shown and ends the "thread", as the real one does.
  void Step(uint32_t ms = 10) {
    Clock_Advance(ms);
    size_t frames = size_t(kRate) * ms / 1000;
    size_t at = out.size();
    out.resize(at + frames * 2);
    PlatAudio_Render(g_DirectSound, out.data() + at, frames);
    if (g_SoundThreadState != kThreadRunning) return;
    int32_t r = Snd_RunPass();
    SoundRec* w = Rec(watch);
    if (!startedAt && w && w->state >= kSndRamping) startedAt = Mixed();
    if (r < 0) {
      passError = r;
      Snd_ShowThreadError(r);
      Snd_ReleaseAll();
    }
  }
  // Frames of the script, each followed by a 10 ms step.
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      if (!g_QuitRequested) Vm_RunFramePasses();
      Step();
    }
  }
  void Run(int ms) { for (int t = 0; t < ms; t += 10) Step(); }

  // A scene that loads "bgm" from `file` with the given arguments, then idles.
  void Play(const std::string& file, std::vector<fx::Arg> args) {
    args.insert(args.begin(), {{"path", fx::Text("bgm")}, {"file", fx::Text(file)}});
    fx::Scene& s = Main();
    s.Cmd("snd", args);
    Idle(s);
  }
  // Runs frames until the watched sound began to play: the output frame
  // where it did.
  size_t StartFrame() {
    for (int i = 0; i < 50 && !startedAt; ++i) Frames(1);
    return startedAt;
  }

  // Output frames mixed so far, and the peak |sample| of a channel over
  // the frames [from, to).
  size_t Mixed() const { return out.size() / 2; }
  int Peak(size_t from, size_t to, int ch) const {
    int p = 0;
    for (size_t i = from; i < to && i < Mixed(); ++i) p = std::max(p, std::abs(int(out[i * 2 + size_t(ch)])));
    return p;
  }
  int Crossings(size_t from, size_t to, int ch) const {
    int n = 0;
    for (size_t i = from + 1; i < to && i < Mixed(); ++i)
      n += (out[(i - 1) * 2 + size_t(ch)] < 0) != (out[i * 2 + size_t(ch)] < 0);
    return n;
  }
  static size_t Ms(uint32_t ms) { return size_t(kRate) * ms / 1000; }

  static ObjNode* Node(const char* path) {
    return Obj_FindByPath(g_TreeRoots[kTreeSound].root, path, kObjFindLeaf | kObjFindQuiet);
  }
  static SoundRec* Rec(const char* path) { return Snd_Record(Node(path)); }
  static int64_t I(uint32_t var, int64_t index = 0) { return Var_GetIntElement(var, index); }

  fx::Files files;
  std::vector<int16_t> out;  // stereo frames rendered
  std::vector<std::string> boxes;
  int32_t passError = 0;
  const char* watch = "s0/bgm";  // the sound whose start is noted
  size_t startedAt = 0;          // output frame where it began to play
  ErrCapture errors;
  static inline SoundRig* s_rig = nullptr;
};
