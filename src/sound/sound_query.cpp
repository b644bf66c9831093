// Command 89: facts about a sound, stored into the variable element that
// argument 23 names.
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/base.h"
#include "sound/sound.h"
#include "vm/vm.h"

namespace {

using namespace sndq;

struct Answer {
  bool isText = false;
  int64_t num = 0;
  std::string text;
};

Answer Num(int64_t v) {
  Answer a;
  a.num = v;
  return a;
}

// Stores through the target's element setters by the variable's type.
void Store(const Answer& v) {
  uint8_t s = g_ArgGiven[kOut];
  if (!s) return;
  const ArgSlot& a = g_ArgSlot[s];
  uint8_t type = a.var < g_VarTable.count ? g_VarTable.vars[a.var].type : 0;
  if (type == 3) {
    if (v.isText) Var_SetStringElementN(a.var, a.varIndex, v.text.data(), v.text.size());
    else Var_SetStringElement(a.var, a.varIndex, std::to_string(v.num).c_str());
  } else if (!v.isText) {
    if (type == 2) Var_SetDoubleElement(a.var, a.varIndex, double(v.num));
    else Var_SetIntElement(a.var, a.varIndex, v.num);
  }
}

// |sample| at the play cursor of channel `right` (the only channel of a
// mono sound), or -1 without a readable buffer.
int64_t Level(SoundRec* rec, bool right) {
  const SndFormat& f = rec->format;
  if (!rec->buffer || (f.channels != 1 && f.channels != 2) || (f.bits != 8 && f.bits != 16)) return -1;
  uint32_t p = 0;
  if (PlatAudioBuf_GetPosition(rec->buffer.get(), &p, nullptr) != kAudioOk) return -1;
  PlatAudioLock lock;
  if (PlatAudioBuf_Lock(rec->buffer.get(), p, f.blockAlign, &lock) != kAudioOk) return -1;
  if (lock.bytes1 < f.blockAlign) return -1;
  int ch = right && f.channels == 2 ? 1 : 0;
  if (f.bits == 8) return std::abs(int(lock.part1[ch]) - 128);
  const uint8_t* b = lock.part1 + ch * 2;
  return std::abs(int(int16_t(uint16_t(b[0]) | uint16_t(b[1]) << 8)));
}

// The answer of the first given of ids 1..7; false when none is given.
bool FirstOfSeven(SoundRec* rec, Answer* out) {
  const int8_t state = rec->state;
  const int64_t values[8] = {0,          rec->kind ? 1 : 0, rec->enabled, state >= kSndRamping ? 1 : 0,
                             rec->paused, rec->volume,      rec->pan,     rec->freq};
  for (int id = kHasKind; id <= kFreq; ++id) {
    if (!g_ArgGiven[id]) continue;
    *out = Num(values[id]);
    return true;
  }
  return false;
}

// The answer of one of ids 8..22.
Answer Fact(SoundRec* rec, int id) {
  switch (id) {
    case kKind: return Num(rec->kind);
    case kName: {
      Answer a;
      a.isText = true;
      a.text = rec->fileName;
      return a;
    }
    case kStart: return Num(rec->startPos);
    case kLoop: return Num(rec->loopPos);
    case kEnd: return Num(rec->endPos);
    case kTotal: return Num(rec->totalPlays);
    case kDone: return Num(rec->playsDone);
    case kPosition: return Num(rec->avgBytes ? rec->playedBytes * 1000 / rec->avgBytes : 0);
    case kLength: return Num(rec->lengthMs);
    case kChannels: return Num(rec->format.channels);
    case kBits: return Num(rec->format.bits);
    case kRate: return Num(rec->format.rate);
    case kLevelL: return Num(Level(rec, false));
    case kLevelR: return Num(Level(rec, true));
    default: return Num(rec->encoding);
  }
}

}  // namespace

int32_t Cmd_SoundQuery() {
  if (Cmd_FetchArgs(89)) return -1;
  char path[kObjPathMax];
  ObjNode *parent = nullptr, *node = nullptr;
  if (Snd_FindNode(Arg_Str(kPath), path, &parent, &node, true) < 0) return -1;
  SoundRec* rec = Snd_Record(node);
  if (!rec) {
    Answer none;
    uint8_t s = g_ArgGiven[kOut];
    none.isText = s && g_ArgSlot[s].var < g_VarTable.count && g_VarTable.vars[g_ArgSlot[s].var].type == 3;
    Store(none);
    return 0;
  }
  Answer a;
  bool first;
  {
    std::lock_guard<std::mutex> lock(g_SoundLock);
    first = FirstOfSeven(rec, &a);
  }
  if (first) {
    Store(a);
    return 0;
  }
  static constexpr int kOrder[] = {kKind, kName, kStart, kLoop, kEnd, kTotal, kDone, kPosition,
                                   kLength, kChannels, kBits, kRate, kLevelL, kLevelR, kEncoding};
  for (int id : kOrder) {
    if (!g_ArgGiven[id]) continue;
    {
      std::lock_guard<std::mutex> lock(g_SoundLock);
      a = Fact(rec, id);
    }
    Store(a);
  }
  return 0;
}
