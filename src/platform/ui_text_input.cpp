// The text-input dialogs of the script commands, on the engine's dialogs.
#include <cstdio>
#include <mutex>

#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/ui_dialog.h"
#include "platform/ui_edit.h"

namespace {

std::mutex g_InputMutex;
TextInputRecorder g_InputRecorder;

// At most kTextInputMaxBytes, cut on a character boundary.
std::string Bounded(const std::string& s) {
  size_t end = 0;
  while (end < s.size()) {
    size_t n = UiEdit_CharLen(s, end);
    if (end + n > size_t(kTextInputMaxBytes)) break;
    end += n;
  }
  return s.substr(0, end);
}

int32_t LimitOf(const TextInputRequest& r) {
  if (r.maxChars > 0) return r.maxChars;
  return r.form == TextInputForm::Line ? kTextInputLineChars : 0;
}

}  // namespace

TextInputResult TextInput_DefaultAnswer(const TextInputRequest& r) {
  if (r.form == TextInputForm::Line) return {TextInputAnswer::Cancel, std::string()};
  return {TextInputAnswer::Ok, Bounded(r.initial)};
}

TextInputResult TextInput_Show(const TextInputRequest& r) {
  TextInputRecorder recorder;
  {
    std::lock_guard<std::mutex> lock(g_InputMutex);
    recorder = g_InputRecorder;
  }
  if (recorder) return recorder(r);
  if (!MsgBox_OnScreen()) {
    std::fprintf(stderr, "[%s] %s (input: %s)\n", Text_SjisToUtf8(r.caption).c_str(),
                 Text_SjisToUtf8(r.prompt).c_str(), Text_SjisToUtf8(r.initial).c_str());
    return TextInput_DefaultAnswer(r);
  }
  static const std::string kCancel = Text_Utf8ToSjis("キャンセル");
  UiDialogSpec spec;
  spec.caption = r.caption;
  spec.layout = UiDialogLayout::Form;
  spec.hasEdit = true;
  spec.editText = r.initial;
  spec.editMaxChars = LimitOf(r);
  spec.editMaxBytes = kTextInputMaxBytes;
  spec.owner = r.owned ? PlatWin_FromIndex(0) : nullptr;
  spec.buttons.push_back({1, "OK", true, true, false});
  if (r.form == TextInputForm::Line) {
    spec.buttons.push_back({2, kCancel, false, true, false});
    spec.escapeId = 2;
    spec.minClientW = 360;
  } else {
    spec.text = r.prompt;
  }
  UiDialogResult res;
  if (!UiDialog_Run(spec, &res)) return {TextInputAnswer::Failed, std::string()};
  if (res.bySignal) return TextInput_DefaultAnswer(r);
  if (res.id == 1) return {TextInputAnswer::Ok, Bounded(res.editText)};
  return {TextInputAnswer::Cancel, std::string()};
}

void TextInput_SetRecorder(TextInputRecorder recorder) {
  std::lock_guard<std::mutex> lock(g_InputMutex);
  g_InputRecorder = std::move(recorder);
}
