// The error reporter: text precedence, the place prefix, the quit flag,
// first dialog only, the dialog's buttons and the editor it opens.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/msgbox.h"
#include "platform/text.h"
#include "shell/shell.h"
#include "support/test_env.h"

namespace {

std::string Sjis(const char* utf8) { return Text_Utf8ToSjis(utf8); }

// Records every box instead of showing it, answering with a queue of ids
// (then the close button).
struct Recorder {
  std::vector<MsgBoxRequest> seen;
  std::vector<int> answers;
  Recorder() {
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      seen.push_back(r);
      if (answers.empty()) return kErrDlgCloseButton;
      int a = answers.front();
      answers.erase(answers.begin());
      return a;
    });
  }
  ~Recorder() { MsgBox_SetRecorder(nullptr); }
};

const char* g_HookScene = nullptr;
int32_t g_HookLine = 0;
bool PlaceHook(const char** scene, int32_t* line) {
  if (!g_HookScene) return false;
  *scene = g_HookScene;
  *line = g_HookLine;
  return true;
}

void LoadTable(std::vector<std::pair<uint32_t, std::string>>& rows) {
  g_ErrTextTable.count = int32_t(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    g_ErrTextTable.numbers[i] = rows[i].first;
    g_ErrTextTable.texts[i] = rows[i].second.c_str();
  }
}

TEST(ErrGetText, BuiltInsBeforeAndAfterTableLoad) {
  const std::string fileMissing = Sjis("[%s]ファイルが\n存在しません。");
  const std::string internal =
      Sjis("[内部エラー]\n\nエラー文字列の指定ミスです。\nシステム開発者までお問い合わせください。");
  EXPECT_EQ(Err_GetText(104060), fileMissing);
  EXPECT_EQ(Err_GetText(108000), internal);
  EXPECT_EQ(std::string(Err_GetText(100000)).rfind(Sjis("■ライセンスについて"), 0), 0u);

  std::vector<std::pair<uint32_t, std::string>> rows = {
      {104060, "table text"}, {108000, "first"}, {108000, "second"}, {100010, "no"}};
  LoadTable(rows);
  EXPECT_EQ(Err_GetText(104060), fileMissing);  // built-in wins over the table
  EXPECT_EQ(Err_GetText(100010), Sjis("メモリ不足です。"));
  EXPECT_EQ(std::string(Err_GetText(108000)), "first");  // first entry wins
  EXPECT_EQ(Err_GetText(108001), internal);
  // A corrupt count never reads past the table.
  g_ErrTextTable.count = 100000;
  EXPECT_EQ(std::string(Err_GetText(108000)), "first");
}

TEST(ErrGetText, FifteenBuiltInNumbers) {
  const std::string internal = Err_GetText(999999);
  const int32_t numbers[] = {100000, 100010, 104010, 104030, 104060, 104100, 104110, 104111,
                             104120, 104130, 104140, 104150, 106010, 900040, 901040};
  for (int32_t n : numbers) EXPECT_NE(Err_GetText(n), internal) << n;
  for (int32_t n : {100001, 104061, 104112, 901041}) EXPECT_EQ(Err_GetText(n), internal) << n;
  EXPECT_EQ(Text_SjisToUtf8(Err_GetText(104100)),
            "パックファイル中に破損ファイルが見つかりました。\n\nPacFile = %s\nFile = %s");
  // The notices fit the text buffer and name the libraries and the product.
  const std::string notices = Text_SjisToUtf8(Err_GetText(100000));
  EXPECT_LT(std::string(Err_GetText(100000)).size(), kErrTextBufferSize);
  for (const char* word : {"zlib", "libpng", "libjpeg", "Ogg Vorbis", "SDL2", "TAVREN"})
    EXPECT_NE(notices.find(word), std::string::npos) << word;
  EXPECT_EQ(notices.find('%'), std::string::npos);
}

TEST(ErrReport, PrefixWithAndWithoutPlace) {
  Recorder rec;
  g_ErrPlaceHook = PlaceHook;
  g_HookScene = nullptr;
  EXPECT_EQ(Err_FormatScript(100010, 0), Sjis("メモリ不足です。"));
  EXPECT_EQ(g_ErrFile, nullptr);
  EXPECT_EQ(g_ErrLine, 1);

  g_HookScene = "scene\\100%s.qvs";
  g_HookLine = 12;
  Err_ScriptF(104060, 1, "bg.png");
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(Text_SjisToUtf8(rec.seen[0].text),
            "[対象ファイル]\nscene\\100%s.qvs\n\n[場所]\n12 行目\n\n[内容]\n\n"
            "[bg.png]ファイルが\n存在しません。");
  EXPECT_STREQ(g_ErrFile, "scene\\100%s.qvs");
  EXPECT_EQ(g_ErrLine, 12);

  // The plain forms never carry the place, even with a task running.
  EXPECT_EQ(Err_FormatPlain(100010, 1), Sjis("メモリ不足です。"));
  EXPECT_EQ(g_ErrFile, nullptr);
  g_ErrPlaceHook = nullptr;
}

TEST(ErrReport, QuitFlagSetClearedAndShutdownSticky) {
  Recorder rec;
  Err_Show(100010, 1);
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(g_ShutdownRequested.load(), 1);
  Err_ShowF(104060, 0, "x");
  EXPECT_EQ(g_QuitRequested.load(), 0);     // a quit-0 report clears the request
  EXPECT_EQ(g_ShutdownRequested.load(), 1);  // but the shut-down stays asked for
  EXPECT_EQ(rec.seen.size(), 1u);            // and only the first was shown
  EXPECT_EQ(g_ErrDialogShown.load(), 1);
}

TEST(ErrReport, OnlyFirstDialogOfTheRun) {
  Recorder rec;
  Err_ShowF(104060, 0, "first.png");
  Err_ShowF(104060, 1, "second.png");
  Err_Script(100010, 0);
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_NE(Text_SjisToUtf8(rec.seen[0].text).find("first.png"), std::string::npos);
  EXPECT_EQ(rec.seen[0].caption, "TAVREN Debug Info.");
  EXPECT_EQ(g_QuitRequested.load(), 0);
}

TEST(ErrReport, HostileTableTextsAndLongTexts) {
  Recorder rec;
  std::string longText;
  for (int i = 0; i < 700; ++i) longText += "\x82\xA0";  // 1400 bytes
  std::vector<std::pair<uint32_t, std::string>> rows = {
      {108000, "%s %s %s %d %n %p %I64d %lld %x"}, {108001, longText + "%d"}};
  LoadTable(rows);
  Err_ShowF(108000, 1, "only");
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(rec.seen[0].text, "only    %n %p   ");
  g_ErrDialogShown = 0;  // let the next report show, to see its text
  Err_ShowF(108001, 1, 5);
  ASSERT_EQ(rec.seen.size(), 2u);
  EXPECT_EQ(rec.seen[1].text.size(), 1022u);
  EXPECT_EQ(Text_SjisToUtf8(rec.seen[1].text).find('?'), std::string::npos);
}

TEST(ErrDialog, ButtonsFollowDebugModeAndPlace) {
  struct Case {
    uint8_t debug;
    const char* scene;
    bool editorShown, editorEnabled;
  } cases[] = {
      {0, "a.qvs", false, false},
      {1, nullptr, true, false},
      {1, "a.qvs", true, true},
  };
  g_ErrPlaceHook = PlaceHook;
  for (const Case& c : cases) {
    Recorder rec;
    g_ErrDialogShown = 0;
    g_DebugMode = c.debug;
    g_HookScene = c.scene;
    g_HookLine = 3;
    Err_Script(100010, 1);
    ASSERT_EQ(rec.seen.size(), 1u);
    const MsgBoxRequest& r = rec.seen[0];
    bool shown = false, enabled = false;
    for (const MsgBoxButton& b : r.buttons) {
      if (b.id == kErrDlgEditButton) {
        shown = true;
        enabled = b.enabled;
      }
      if (b.id == kErrDlgCloseButton) {
        EXPECT_TRUE(b.isCancel);
      }
    }
    EXPECT_EQ(shown, c.editorShown);
    EXPECT_EQ(enabled, c.editorEnabled);
    // Without a screen the dialog closes; it never starts the editor itself.
    EXPECT_EQ(MsgBox_DefaultAnswer(r), kErrDlgCloseButton);
  }
  g_ErrPlaceHook = nullptr;
  g_DebugMode = 0;
}

TEST(ErrDialog, EditorArgumentTable) {
  const std::string p = "/games/my game/scene/a.qvs";
  struct Case {
    const char* editor;
    std::vector<std::string> args;
  } cases[] = {
      {"C:\\Tools\\sakura.exe", {p, "-Y=7"}},
      {"TERAPAD.EXE", {"/jl=7", p}},
      {"/opt/MIW.exe", {p + "+7"}},
      {"hidemaru.exe", {"/j7", p}},
      {"EmEditor.exe", {p, "/l", "7"}},
      {"/usr/bin/vim", {"+7", p}},
      {"kate", {"-l", "7", p}},
      {"code", {"-g", p + ":7"}},
      {"/usr/bin/unknown-editor", {p}},  // any other: the path alone, unquoted
      {"", {p}},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrDlg_EditorArgs(c.editor, p, 7), c.args) << c.editor;
}

TEST(ErrDialog, EditorButtonStartsTheEditorAtTheLine) {
  TempDir dir;
  const std::string log = dir.path() + "/args.txt";
  const std::string script = dir.path() + "/fake-editor";
  {
    std::ofstream s(script);
    s << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << log << ".tmp'\nmv '" << log
      << ".tmp' '" << log << "'\n";
  }
  ASSERT_EQ(std::system(("chmod +x '" + script + "'").c_str()), 0);
  setenv("VISUAL", script.c_str(), 1);
  Boot_InitPathsFrom(dir.path() + "/game");
  g_ErrPlaceHook = PlaceHook;
  g_HookScene = "main scene.qvs";
  g_HookLine = 42;
  g_DebugMode = 1;
  Recorder rec;
  rec.answers = {kErrDlgEditButton};  // press "open", then close
  Err_Script(100010, 1);
  EXPECT_EQ(rec.seen.size(), 2u);      // the dialog came back after the editor
  std::string text;
  for (int i = 0; i < 500 && text.empty(); ++i) {
    std::ifstream in(log);
    std::stringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    if (text.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // fake-editor is not in the table: the path alone, spaces intact.
  EXPECT_EQ(text, dir.path() + "/main scene.qvs\n");
  g_ErrPlaceHook = nullptr;
}

TEST(SysMessageBoxF, FormatsCaptionAndTextAndAnswersOk) {
  Recorder rec;
  EXPECT_EQ(Sys_MessageBoxF("cap", "n=%d s=%s", 3, "x"), kErrDlgCloseButton);
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(rec.seen[0].caption, "cap");
  EXPECT_EQ(rec.seen[0].text, "n=3 s=x");
  MsgBox_SetRecorder(nullptr);
  // Without a recorder and without on-screen boxes: stderr and OK.
  std::string big(1500, 'a');
  big[1022] = '\x82';  // a lead byte the cut would split
  testing::internal::CaptureStderr();
  EXPECT_EQ(Sys_MessageBoxF(nullptr, "%s", big.c_str()), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[Error] aaaa"), std::string::npos);
  EXPECT_EQ(err.find('?'), std::string::npos);  // no half character shown
}

TEST(SysTrace, HookReceivesTextsAndDefaultDoesNothing) {
  Sys_Trace("nothing %d", 1);  // no hook: nothing happens
  static std::string got;
  g_TraceHook = [](const char* t) { got = t; };
  Sys_Trace("D3D Clear Error. %d", 5);
  EXPECT_EQ(got, "D3D Clear Error. 5");
  g_TraceHook = nullptr;
}

// The observer sees each report once, with its number and quit flag, after
// the trace line and before the dialog; trace text alone never reaches it.
TEST(ErrObserver, SeesEveryReportBetweenTraceAndDialog) {
  static std::vector<std::string> events;
  events.clear();
  g_TraceHook = [](const char* t) { events.push_back(std::string("trace ") + t); };
  g_ErrObserver = [](int32_t n, int quit) {
    events.push_back("report " + std::to_string(n) + " " + std::to_string(quit));
  };
  MsgBox_SetRecorder([](const MsgBoxRequest&) {
    events.push_back("dialog");
    return kErrDlgCloseButton;
  });
  Sys_Trace("error 5: not a report");
  Err_ShowF(104060, 1, "a.png");
  Err_Script(100010, 0);
  g_ErrObserver = nullptr;
  Err_Show(104010, 1);  // no observer: reported as usual, seen by nobody
  MsgBox_SetRecorder(nullptr);
  g_TraceHook = nullptr;
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0], "trace error 5: not a report");
  EXPECT_EQ(events[1].rfind("trace error 104060: ", 0), 0u) << events[1];
  EXPECT_EQ(events[2], "report 104060 1");
  EXPECT_EQ(events[3], "dialog");  // the first report of the run only
  EXPECT_EQ(events[4].rfind("trace error 100010: ", 0), 0u) << events[4];
  EXPECT_EQ(events[5], "report 100010 0");
  EXPECT_EQ(events[6].rfind("trace error 104010: ", 0), 0u) << events[6];
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

}  // namespace
