// Fixtures of the media tests: a fixture game whose layers can hold
// players of the recording library, the library's own log, and the message
// boxes the engine showed.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/files.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/dynlib.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "shell/startup.h"
#include "support/game_fixture.h"
#include "support/script_writer.h"
#include "vm/vm.h"

namespace mediatest {

// The recording library's test entries.
struct FakeEmote {
  DynLib lib;
  const char* (*log)() = nullptr;
  void (*reset)() = nullptr;
  void (*failLoad)(int) = nullptr;
  void (*failDriver)(int) = nullptr;
  void (*answer)(int, int) = nullptr;
  void (*addTimeline)(const char*, float) = nullptr;
  const uint8_t* (*filtered)() = nullptr;

  bool Open() {
    lib = DynLib_Open(std::string(FAKE_EMOTE_DIR) + "/" + kEmotePlayerLibrary);
    log = reinterpret_cast<const char* (*)()>(DynLib_Symbol(lib, "fake_emote_log"));
    reset = reinterpret_cast<void (*)()>(DynLib_Symbol(lib, "fake_emote_reset"));
    failLoad = reinterpret_cast<void (*)(int)>(DynLib_Symbol(lib, "fake_emote_fail_load"));
    failDriver = reinterpret_cast<void (*)(int)>(DynLib_Symbol(lib, "fake_emote_fail_driver"));
    answer = reinterpret_cast<void (*)(int, int)>(DynLib_Symbol(lib, "fake_emote_answer"));
    addTimeline =
        reinterpret_cast<void (*)(const char*, float)>(DynLib_Symbol(lib, "fake_emote_add_timeline"));
    filtered = reinterpret_cast<const uint8_t* (*)()>(DynLib_Symbol(lib, "fake_emote_filtered"));
    return log && reset && failLoad && failDriver && answer && addTimeline && filtered;
  }
  // The log's lines since the last Clear().
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    std::string all = log(), line;
    for (char c : all) {
      if (c == '\n') out.push_back(line), line.clear();
      else line += c;
    }
    return out;
  }
  void Clear() { reset(); }
};

// Records every message box as UTF-8 and answers its default.
struct BoxLog {
  std::vector<std::string> texts;
  BoxLog() {
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      texts.push_back(Text_SjisToUtf8(r.text));
      return MsgBox_DefaultAnswer(r);
    });
  }
  ~BoxLog() { MsgBox_SetRecorder({}); }
};

class MediaGame : public fx::GameTest {
 protected:
  void SetUp() override {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    Sys_RegisterCommands();
    g_QuitRequested = 0;
    Media_InstallHooks();
  }
  void TearDown() override {
    Emote_ReleaseAll();
    Emote_UnloadLibrary();
    Media_InstallHooks();
    Flash_Reset();
    g_FlashBackend = Flash_NullBackend();
  }
  // Loads the game with the extra files and gives the layer root a canvas.
  bool Load(const fx::Files& extra = {}) { return LoadGameWithCanvas(extra, 8, 8); }
  void Frames(int n) { RunGameFrames(n); }
  LayerImage* Layer(const char* path) {
    return Layer_Record(Obj_FindByPath(g_TreeRoots[kTreeLayer].root, path, kObjFindLeaf));
  }
};

}  // namespace mediatest
