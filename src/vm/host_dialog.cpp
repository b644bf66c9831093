// Command 10 (message box with answers, or the prompt dialog "IDD_QVI") and
// command 114 (system functions, with the line dialog "IDD_QVC").
#include <cstring>
#include <string>

#include "base/base.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/ui_dialog.h"
#include "vm/host.h"
#include "vm/vm.h"

LineInputState g_LineInput;

using namespace hostarg;

namespace {

const ArgSlot& SlotOf(int id) { return g_ArgSlot[g_ArgGiven[id]]; }
std::string StrOr(int id) {
  const char* s = Arg_Str(id);
  return s ? s : "";
}

// The numeric answer element of id 11: 0 stored, 1 no place to store it,
// -1 after 101140 (the element is not a number).
int StoreAnswer(int64_t answer) {
  if (!Arg_Given(kDlgAnswer)) return 1;
  const ArgSlot& s = SlotOf(kDlgAnswer);
  if (!s.varNamed || s.var >= g_VarTable.count) return 1;
  uint8_t type = g_VarTable.vars[s.var].type;
  if (type != 1 && type != 2) {
    Err_Script(101140, 1);
    return -1;
  }
  Var_SetIntElement(s.var, s.varIndex, answer);
  return 0;
}

// Button sets of the box: 0 OK, 1 OK and Cancel, 4 Yes and No, 3 Yes, No
// and Cancel. The answers are the script's numbers.
MsgBoxRequest BoxRequest(int buttons, int64_t defaultButton, int64_t icon) {
  MsgBoxRequest r;
  r.caption = StrOr(kDlgCaption);
  r.text = StrOr(kDlgMessage);
  struct B {
    int id;
    const char* label;
    bool cancel;
  };
  std::vector<B> set;
  if (buttons == 0) set = {{1, "OK", true}};
  else if (buttons == 1) set = {{1, "OK", false}, {2, "キャンセル", true}};
  else if (buttons == 4) set = {{1, "はい", false}, {2, "いいえ", false}};  // Esc must not answer
  else set = {{1, "はい", false}, {2, "いいえ", false}, {3, "キャンセル", true}};
  size_t def = defaultButton == 2 ? 1 : defaultButton == 3 ? 2 : 0;
  if (def >= set.size()) def = 0;
  for (size_t i = 0; i < set.size(); ++i) {
    MsgBoxButton b;
    b.id = set[i].id;
    b.label = Text_Utf8ToSjis(set[i].label);
    b.isDefault = i == def;
    b.isCancel = set[i].cancel;
    r.buttons.push_back(b);
  }
  switch (icon) {
    case 1: case 2: r.icon = MsgBoxIcon::Info; break;  // a question shows the information icon
    case 3: r.icon = MsgBoxIcon::Warning; break;
    case 4: r.icon = MsgBoxIcon::Error; break;
    default: r.icon = MsgBoxIcon::None; break;
  }
  return r;
}

int32_t PromptDialog() {
  TextInputRequest req;
  req.form = TextInputForm::Prompt;
  req.caption = StrOr(kDlgCaption);
  req.prompt = StrOr(kDlgMessage);
  req.initial = StrOr(kDlgInitial);
  int64_t limit = Arg_Int(kDlgLimit, 0);
  req.maxChars = limit > 0 && limit < kTextInputMaxBytes ? int32_t(limit) : 0;
  TextInputResult res = TextInput_Show(req);
  if (res.answer == TextInputAnswer::Failed) return -1;
  if (StoreAnswer(1) < 0) return 0;
  if (Arg_Given(kDlgText) && SlotOf(kDlgText).varNamed)
    Var_SetStringElementN(SlotOf(kDlgText).var, SlotOf(kDlgText).varIndex, res.text.data(),
                          res.text.size());
  return 0;
}

}  // namespace

int32_t Cmd_InputDialog() {
  if (Cmd_FetchArgs(10)) return -1;
  if (Arg_Given(kDlgNone)) return 0;
  if (g_VmHostHooks.showCursor) g_VmHostHooks.showCursor();
  if (Arg_Given(kDlgInput)) return PromptDialog();
  int buttons = 0;
  if (Arg_Given(kDlgOkCancel)) buttons = 1;
  if (Arg_Given(kDlgYesNo)) buttons = 4;
  if (Arg_Given(kDlgYesNoCancel)) buttons = 3;
  MsgBoxRequest req = BoxRequest(buttons, Arg_Int(kDlgDefault, 0), Arg_Int(kDlgIcon, 0));
  int answer = MsgBox_Show(req);
  if (answer >= 1 && answer <= (buttons == 0 ? 1 : buttons == 1 || buttons == 4 ? 2 : 3))
    StoreAnswer(answer);
  return 0;
}

namespace {

// Function 10201: the line dialog. Its result is kept for function 10205 and
// also given to the script in the target element (1 OK, 0 cancelled); a
// cancel leaves no old text behind.
int32_t LineDialog() {
  TextInputRequest req;
  req.form = TextInputForm::Line;
  req.initial = StrOr(kSysInitial);
  req.maxChars = kTextInputLineChars;
  TextInputResult res = TextInput_Show(req);
  if (res.answer == TextInputAnswer::Failed) return -1;
  bool ok = res.answer == TextInputAnswer::Ok;
  g_LineInput.result = ok ? 1 : 0;
  size_t n = ok ? res.text.size() : 0;
  if (n > sizeof g_LineInput.lastText - 1) n = sizeof g_LineInput.lastText - 1;
  std::memcpy(g_LineInput.lastText, res.text.data(), n);
  g_LineInput.lastText[n] = '\0';
  if (Arg_Given(kSysTarget) && SlotOf(kSysTarget).varNamed) {
    const ArgSlot& t = SlotOf(kSysTarget);
    if (t.var < g_VarTable.count && g_VarTable.vars[t.var].type != 3)
      Var_SetIntElement(t.var, t.varIndex, g_LineInput.result);
  }
  return 0;
}

}  // namespace

int32_t Cmd_SysFunc() {
  if (Cmd_FetchArgs(114)) return -1;
  int64_t fn = Arg_Int(kSysFn, 0);
  if (uint64_t(fn) >> 32) return 0;
  const bool target = Arg_Given(kSysTarget) && SlotOf(kSysTarget).varNamed;
  const ArgSlot* t = target ? &SlotOf(kSysTarget) : nullptr;
  switch (fn) {
    case 1:
      if (t && t->var < g_VarTable.count && g_VarTable.vars[t->var].type != 3)
        Var_SetIntElement(t->var, t->varIndex, 502);
      return 0;
    case 10201: return LineDialog();
    case 10205:
      if (t && t->var < g_VarTable.count && g_VarTable.vars[t->var].type == 3)
        Var_SetStringElement(t->var, t->varIndex, g_LineInput.lastText);
      return 0;
    case 1001:
    case 1002: {
      // The optional library of the original platform has no counterpart
      // here: the calls do nothing (said once).
      static bool s_told = false;
      if (!s_told) Sys_Trace("optional library not available: function %d ignored", int(fn));
      s_told = true;
      return 0;
    }
    default: return 0;
  }
}
