// A task's message step: the advance keys, typing, and the end of the
// message (the record is emptied and the task's commands run on).
#include "graphics/graphics.h"
#include "base/base.h"
#include "text/msg_internal.h"
#include "vm/vm.h"

int32_t g_MsgAdvanceKeys[kMsgAdvanceKeyCount] = {
    kMsgDefaultKeys[0], kMsgDefaultKeys[1], kMsgDefaultKeys[2], kMsgDefaultKeys[3],
    kMsgDefaultKeys[4], kMsgDefaultKeys[5], kMsgDefaultKeys[6], kMsgDefaultKeys[7]};

namespace {

int64_t KeyCounter(int32_t key) {
  if (key < 0 || key >= kKeyCount) return 0;
  return g_KeyCounters[size_t(key)].counter;
}

bool SkipHeld() {
  for (int k = kMsgFirstSkipKey; k < kMsgAdvanceKeyCount; ++k)
    if (KeyCounter(g_MsgAdvanceKeys[k]) > 0) return true;
  return false;
}

bool ClickDown() {
  for (int k = 0; k < kMsgFirstSkipKey; ++k)
    if (KeyCounter(g_MsgAdvanceKeys[k]) == 1) return true;
  return false;
}

// Goes on past a click mark, or shows the rest of the block at once.
void Click(MessageRec& m, bool secondPoll) {
  if (m.waiting) {
    m.waiting = 0;
    m.resume = 1;
    m.opPos += 1;
  } else if (!secondPoll || m.opPos < m.opCount) {
    g_MsgShowAll = 1;
  }
}

}  // namespace

void Msg_StepTask(TaskRec* task) {
  if (!task || !task->msgFlag || !g_MsgCurrent) return;
  MessageRec& m = *g_MsgCurrent;
  // Without a layer nothing could ever be typed: such a message ends at
  // once instead of holding its task for good.
  if (m.textMode == 1 && m.layer) {
    if (SkipHeld()) Click(m, false);
    Msg_RenderText();
    if (m.opCount > 0 && (ClickDown() || SkipHeld())) Click(m, true);
    if (m.opPos < m.opCount) return;
    if (m.opPos >= 1) m.needsReset = 1;
  } else {
    m.needsReset = 1;
  }
  Msg_ResetRecord();
  task->msgFlag = 0;
}

namespace {
// The message layer is going: the message has no layer from now on.
void ForgetMessageLayer(ObjNode* node) {
  if (g_MsgCurrent && g_MsgCurrent->layer == node) g_MsgCurrent->layer = nullptr;
}
}  // namespace

void Msg_InstallHooks() {
  g_MsgStepTaskHook = Msg_StepTask;
  g_LayerHooks.clearMessageLayer = ForgetMessageLayer;
}
