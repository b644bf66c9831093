// Task state strings: a task's stacks, pc and scene as printable letters,
// written by command 95 and read back by command 93. Every number is
// written as letters 'a' + nibble, most significant nibble first (a byte as
// 2 letters, a 32-bit value as 8), after the 8 bytes 1..8.
#include <cstring>
#include <vector>

#include "base/base.h"
#include "vm/vm.h"

namespace {
constexpr char kStatePrefix[8] = {1, 2, 3, 4, 5, 6, 7, 8};

void PutHex(std::string* out, uint32_t v, int letters) {
  for (int k = letters - 1; k >= 0; --k) out->push_back(char('a' + ((v >> (4 * k)) & 15)));
}
inline void PutByte(std::string* out, uint32_t v) { PutHex(out, v & 0xFF, 2); }
inline void PutU32(std::string* out, uint32_t v) { PutHex(out, v, 8); }

// Bounded reader of the letters; any byte outside 'a'..'p' or a read past
// the end marks the string bad.
struct StateReader {
  const char* s;
  size_t len, pos;
  bool bad = false;
  uint32_t Hex(int letters) {
    uint32_t v = 0;
    for (int k = 0; k < letters; ++k) {
      if (pos >= len || s[pos] < 'a' || s[pos] > 'p') {
        bad = true;
        return 0;
      }
      v = (v << 4) | uint32_t(s[pos++] - 'a');
    }
    return v;
  }
  uint32_t Byte() { return Hex(2); }
  uint32_t U32() { return Hex(8); }
};

// A depth from the string: at most the open-frame limit.
int ReadDepth(StateReader& r) {
  uint32_t d = r.Byte();
  if (d > uint32_t(kVmMaxOpenDepth)) r.bad = true;
  return r.bad ? 0 : int(d);
}

// A depth that a frame restores later (an IF's LOOP depth, a loop's IF
// depth, a call's bases): within the limit too, or the restore would wrap
// the task's signed depth and index outside its frame arrays.
uint8_t ReadInnerDepth(StateReader& r, int* maxSeen) {
  int d = ReadDepth(r);
  if (d > *maxSeen) *maxSeen = d;
  return uint8_t(d);
}

struct DecodedState {
  int ifDepth = 0, callDepth = 0, loopDepth = 0;
  IfFrame ifs[kTaskFrameSlots];
  LoopFrame loops[kTaskFrameSlots];
  uint32_t msgWord = 0, pc = 0;
  int32_t scene = -1;
  // Deepest IF and LOOP depth any frame can restore.
  int maxIf = 0, maxLoop = 0;
};
}  // namespace

void Task_EncodeState(const TaskRec* t, std::string* out) {
  out->assign(kStatePrefix, sizeof kStatePrefix);
  PutByte(out, uint32_t(t->ifDepth));
  for (int k = 0; k < t->ifDepth; ++k) {
    const IfFrame* f = t->ifFrames[k];
    PutByte(out, f->loopDepth);
    PutU32(out, f->ifPc);
    PutU32(out, f->endPc);
  }
  PutByte(out, uint32_t(t->callDepth));
  for (int k = 1; k <= t->callDepth; ++k) {
    const CallFrame* f = t->callFrames[k];
    PutByte(out, f->ifBase);
    PutByte(out, f->loopBase);
    PutU32(out, f->retPc);
    PutU32(out, f->retScene);
  }
  PutByte(out, uint32_t(t->loopDepth));
  for (int k = 0; k < t->loopDepth; ++k) {
    const LoopFrame* f = t->loopFrames[k];
    PutByte(out, f->ifDepth);
    PutU32(out, f->bodyPc);
    PutU32(out, f->exitPc);
    PutU32(out, uint32_t(f->counter));
    PutU32(out, uint32_t(f->count));
  }
  const char* name = Task_SceneFileName(t->scene);
  size_t n = std::strlen(name);
  PutU32(out, t->msgWord[0]);
  PutU32(out, t->pc);
  PutU32(out, uint32_t(n));
  out->append(name, n);
}

namespace {
// Reads the stacks into `d`; false when the string is malformed.
bool ParseState(StateReader& r, DecodedState& d, std::vector<CallFrame>& calls) {
  d.ifDepth = ReadDepth(r);
  for (int k = 0; k < d.ifDepth && !r.bad; ++k) {
    d.ifs[k].loopDepth = ReadInnerDepth(r, &d.maxLoop);
    d.ifs[k].ifPc = r.U32();
    d.ifs[k].endPc = r.U32();
  }
  d.callDepth = ReadDepth(r);
  calls.resize(size_t(d.callDepth) + 1);
  for (int k = 1; k <= d.callDepth && !r.bad; ++k) {
    calls[k].ifBase = ReadInnerDepth(r, &d.maxIf);
    calls[k].loopBase = ReadInnerDepth(r, &d.maxLoop);
    calls[k].retPc = r.U32();
    uint32_t scene = r.U32();
    if (scene > 0xFFFF || scene >= g_SceneTable.count) r.bad = true;
    calls[k].retScene = uint16_t(scene);
  }
  d.loopDepth = ReadDepth(r);
  for (int k = 0; k < d.loopDepth && !r.bad; ++k) {
    d.loops[k].ifDepth = ReadInnerDepth(r, &d.maxIf);
    d.loops[k].bodyPc = r.U32();
    d.loops[k].exitPc = r.U32();
    // The low halves come back sign-extended, so an endless count stays -1.
    d.loops[k].counter = int32_t(r.U32());
    d.loops[k].count = int32_t(r.U32());
  }
  d.msgWord = r.U32();
  d.pc = r.U32();
  return !r.bad;
}

// Frames exist up to every depth the restored frames can bring back, as they
// would had the task got there by running.
bool ApplyState(TaskRec* t, const DecodedState& d, const std::vector<CallFrame>& calls) {
  int ifFrames = d.ifDepth > d.maxIf ? d.ifDepth : d.maxIf;
  int loopFrames = d.loopDepth > d.maxLoop ? d.loopDepth : d.maxLoop;
  if (!Flow_EnsureIfFrames(t, ifFrames) || !Flow_EnsureLoopFrames(t, loopFrames)) return false;
  for (int k = 1; k <= d.callDepth + 1; ++k) {
    if (!Flow_EnsureCallFrame(t, k)) return false;
  }
  for (int k = 0; k < d.ifDepth; ++k) *t->ifFrames[k] = d.ifs[k];
  for (int k = 1; k <= d.callDepth; ++k) {
    CallFrame* f = t->callFrames[k];
    f->ifBase = calls[k].ifBase;
    f->loopBase = calls[k].loopBase;
    f->retPc = calls[k].retPc;
    f->retScene = calls[k].retScene;
  }
  for (int k = 0; k < d.loopDepth; ++k) *t->loopFrames[k] = d.loops[k];
  t->ifDepth = int8_t(d.ifDepth);
  t->callDepth = int8_t(d.callDepth);
  t->loopDepth = int8_t(d.loopDepth);
  t->msgWord[0] = d.msgWord;
  return true;
}
}  // namespace

int32_t Task_DecodeState(TaskRec* t, const char* s, size_t len) {
  if (len < sizeof kStatePrefix || std::memcmp(s, kStatePrefix, sizeof kStatePrefix) != 0) {
    Err_Show(900000, 1);
    return 1;
  }
  StateReader r{s, len, sizeof kStatePrefix};
  DecodedState d;
  std::vector<CallFrame> calls;
  bool ok = ParseState(r, d, calls);
  uint32_t nameLen = ok ? r.U32() : 0;
  if (!ok || r.bad || nameLen > len - r.pos) {
    Err_Show(900000, 1);
    return 1;
  }
  std::string name(s + r.pos, nameLen);
  int32_t scene = Task_SceneByFileName(name.c_str(), name.size());
  if (scene < 0) {
    Err_ShowF(102130, 1, Flow_CmdName(93), name.c_str());
    return 1;
  }
  if (!Task_EnterScene(t, uint16_t(scene))) return -1;
  if (d.pc >= t->code.count) {
    Err_Show(900000, 1);
    return 1;
  }
  if (!ApplyState(t, d, calls)) return -1;
  t->pc = d.pc;
  return 0;
}
