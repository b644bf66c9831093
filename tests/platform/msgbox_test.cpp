// Message boxes never block without a screen; the recorder sees requests.
#include <gtest/gtest.h>

#include "platform/displays.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/ui_dialog.h"

namespace {

TEST(MsgBox, DefaultAnswerTable) {
  struct Row {
    std::vector<MsgBoxButton> buttons;
    int answer;
  } rows[] = {
      {{}, 1},
      {{{6, "Yes", false}, {7, "No", true}}, 7},
      {{{6, "Yes", false}, {7, "No", false}}, 6},
      {{{6, "Yes", true, false}, {7, "No", false}}, 7},  // a disabled default is skipped
      {{{1033, "Edit", true}, {1034, "Close", false, true, true}}, 1034},  // cancel first
  };
  for (const Row& r : rows) {
    MsgBoxRequest req;
    req.buttons = r.buttons;
    EXPECT_EQ(MsgBox_DefaultAnswer(req), r.answer);
  }
}

TEST(MsgBox, WithoutScreenWritesToStderrAndAnswersDefault) {
  MsgBoxRequest req;
  req.caption = Text_Utf8ToSjis("エラー");
  req.text = Text_Utf8ToSjis("ウィンドウが生成できませんでした。");
  req.buttons = {{6, "Yes", false}, {7, "No", true}};
  testing::internal::CaptureStderr();
  EXPECT_EQ(MsgBox_Show(req), 7);  // boxes are not interactive in a library user
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "[エラー] ウィンドウが生成できませんでした。\n");

  // Interactive but without any display: still stderr.
  MsgBox_SetInteractive(true);
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  std::string display = x ? x : "", wayland = w ? w : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  EXPECT_EQ(MsgBox_Show(req), 7);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  MsgBox_SetInteractive(false);
  if (x) setenv("DISPLAY", display.c_str(), 1);
  if (w) setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
}

TEST(MsgBox, RecorderTakesRequests) {
  std::vector<std::string> seen;
  MsgBox_SetRecorder([&](const MsgBoxRequest& r) {
    seen.push_back(r.caption + "|" + r.text);
    return 42;
  });
  MsgBoxRequest req;
  req.caption = "c";
  req.text = "t";
  EXPECT_EQ(MsgBox_Show(req), 42);
  MsgBox_SetRecorder(nullptr);
  EXPECT_EQ(seen, std::vector<std::string>{"c|t"});
}

TEST(Display, MonitorsWhenADisplayIsPresent) {
  // Without a session bus (as under xvfb-run) the bus library would try to
  // start one and leak doing so; this test needs no bus.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
  std::vector<PlatDisplay> list = PlatDisplay_List();
  const char* d = std::getenv("DISPLAY");
  if (!d || !*d) {
    // SDL may still offer an offscreen driver; whatever it reports is sane.
    for (const PlatDisplay& m : list) EXPECT_GE(m.w, 0);
    return;
  }
  ASSERT_FALSE(list.empty());
  const PlatDisplay& m = list[0];
  EXPECT_GT(m.w, 0);
  EXPECT_GT(m.h, 0);
  EXPECT_LE(m.workW, m.w);
  EXPECT_GT(m.desktop.width, 0);
  EXPECT_TRUE(m.desktop.bpp == 16 || m.desktop.bpp == 32);
}

}  // namespace

namespace {

// The text-input dialogs without a screen give their default answer: the
// prompt form cannot be cancelled (OK with the initial text, bounded to the
// answer buffer on a character boundary), the line form cancels.
TEST(TextInput, DefaultAnswersAndRecorder) {
  TextInputRequest prompt;
  prompt.initial = Text_Utf8ToSjis("太郎");
  testing::internal::CaptureStderr();
  TextInputResult r = TextInput_Show(prompt);  // boxes are not interactive here
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(r.answer, TextInputAnswer::Ok);
  EXPECT_EQ(r.text, prompt.initial);

  prompt.initial = std::string(4094, 'a') + Text_Utf8ToSjis("あ");  // 4096 bytes
  r = TextInput_DefaultAnswer(prompt);
  EXPECT_EQ(r.text, std::string(4094, 'a'));  // never half a character

  TextInputRequest line;
  line.form = TextInputForm::Line;
  line.initial = "abc";
  r = TextInput_DefaultAnswer(line);
  EXPECT_EQ(r.answer, TextInputAnswer::Cancel);
  EXPECT_EQ(r.text, "");

  std::vector<TextInputForm> seen;
  TextInput_SetRecorder([&](const TextInputRequest& q) {
    seen.push_back(q.form);
    return TextInputResult{TextInputAnswer::Ok, q.initial + "!"};
  });
  r = TextInput_Show(line);
  TextInput_SetRecorder(nullptr);
  EXPECT_EQ(seen, std::vector<TextInputForm>{TextInputForm::Line});
  EXPECT_EQ(r.text, "abc!");
}

}  // namespace
