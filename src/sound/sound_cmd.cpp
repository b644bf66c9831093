// Commands 87 (load and control a sound) and 88 (delete sounds): the script
// side of the sound thread, posting requests into the ring.
#include <cstring>
#include <iterator>

#include "base/base.h"
#include "files/files.h"
#include "sound/sound.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {

using namespace sndarg;
constexpr int kCmdLoad = 87, kCmdDelete = 88, kCmdQuery = 89;

const char* CmdName(int cmd) {
  static char buf[16];
  return CmdSchema_Name(cmd, buf, sizeof buf);
}

}  // namespace

int32_t Snd_FindNode(const char* pathArg, char* resolved, ObjNode** parent, ObjNode** node,
                     bool quiet) {
  ObjTreeRoot& tree = g_TreeRoots[kTreeSound];
  int32_t mode = Obj_ResolvePath(resolved, pathArg ? pathArg : "", tree.curPath, false);
  if (mode < 0) return -1;
  *node = nullptr;
  *parent = Obj_FindGroupByPath(resolved, tree.root, quiet);
  if (!*parent) return quiet ? mode : -1;
  *node = Obj_FindByPath(tree.root, resolved, (mode == 1 ? kObjFindGroup : kObjFindLeaf) | kObjFindQuiet);
  return mode;
}

namespace {

ObjNode* NewSoundNode(ObjNode* parent, const char* path, bool group) {
  const char* name = Obj_LastComponent(path);
  ObjNode* node = Obj_NewNode(name, std::strlen(name), group ? kObjKindGroup : kObjKindLeaf, nullptr);
  if (!node) return nullptr;
  if (!Snd_NewRecord(node)) {
    Obj_FreeNode(node);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_SoundLock);
  Obj_LinkChild(parent, node, 1);
  return node;
}

// Step 4 of command 87: stop a busy node, resolve the file, load it.
// 1 go on, 0 end the command with 0, -1 end it with -1.
int32_t LoadFile(ObjNode* node, SoundRec* rec, const char* file) {
  // A refused stop (full ring, ended thread) is not waited for.
  if (rec->state != kSndStopped && Snd_Post(node, kSndReqStop, 0) >= 0) Snd_WaitStopped(rec);
  FileRef ref;
  char tried[kFilePathMax];
  int found = File_Resolve(ref, tried, file, kResolveSound);
  if (found < 0) return -1;
  // A name that does not fit the request's buffer could not be loaded.
  if (found == 1 || strnlen(tried, kSndSlotNameSize) >= kSndSlotNameSize) return 0;
  uint8_t type = ref.type != kFileTypeUnknown ? ref.type : File_TypeFromExt(tried);
  if (type != kFileTypeWav && type != kFileTypeOgg) {
    Err_ScriptF(100030, 1, CmdName(kCmdLoad), file);
    return -1;
  }
  {
    std::lock_guard<std::mutex> lock(g_SoundLock);
    rec->kind = type == kFileTypeWav ? kSndKindWav : kSndKindOgg;
  }
  Snd_WaitDone(Snd_Post(node, kSndReqLoad, 0, tried));
  return 1;
}

void PostValue(ObjNode* node, uint8_t code, int id) {
  if (g_ArgGiven[id]) Snd_Post(node, code, uint32_t(g_ArgInt[g_ArgGiven[id]]));
}

}  // namespace

int32_t Cmd_SoundLoad() {
  if (Cmd_FetchArgs(kCmdLoad)) return -1;
  if (g_SoundMode == 0) return 0;
  char path[kObjPathMax];
  ObjNode *parent = nullptr, *node = nullptr;
  int32_t mode = Snd_FindNode(Arg_Str(kPath), path, &parent, &node, false);
  if (mode < 0) return -1;
  const char* file = Arg_Str(kFile);
  if (!node) {
    if (mode == 1 && file) {
      Err_ScriptF(101292, 1, CmdName(kCmdLoad));
      return -1;
    }
    if (mode == 0 && !file) return 0;
    node = NewSoundNode(parent, path, mode == 1);
    if (!node) return -1;
  }
  SoundRec* rec = Snd_Record(node);
  if (!rec) return 0;
  if (file) {
    int32_t r = LoadFile(node, rec, file);
    if (r <= 0) return r;
  }
  if (g_ArgGiven[kEnabled]) {
    int32_t v;
    {
      std::lock_guard<std::mutex> lock(g_SoundLock);
      rec->enabled = int8_t(g_ArgInt[g_ArgGiven[kEnabled]] & 0xFF);
      v = rec->volume;
    }
    Snd_Post(node, kSndReqSetVolume, uint32_t(v));
  }
  PostValue(node, kSndReqSetStart, kStart);
  PostValue(node, kSndReqSetLoop, kLoop);
  PostValue(node, kSndReqSetEnd, kEnd);
  if (g_ArgGiven[kCount]) {
    {
      std::lock_guard<std::mutex> lock(g_SoundLock);
      rec->totalPlays = int32_t(g_ArgInt[g_ArgGiven[kCount]]);
    }
    PostValue(node, kSndReqSetPlayCount, kCount);
  }
  PostValue(node, kSndReqSetPan, kPan);
  PostValue(node, kSndReqSetFrequency, kFreq);
  PostValue(node, kSndReqExists, kExists);
  PostValue(node, g_ArgGiven[kFade] ? kSndReqSetTarget : kSndReqSetVolume, kVolume);
  uint32_t fadeMs = uint32_t(Arg_Int(kFadeMs, 0));
  if (g_ArgGiven[kFade]) {
    if (g_ArgInt[g_ArgGiven[kFade]] == 1) Snd_WaitDone(Snd_Post(node, kSndReqStart, fadeMs));
    else Snd_Post(node, kSndReqFadeOutStop, fadeMs);
  }
  if (g_ArgGiven[kPause]) {
    uint32_t v = g_ArgInt[g_ArgGiven[kPause]] == 1 ? 1 : 0;
    Snd_WaitDone(Snd_Post(node, kSndReqPause, v));
  }
  return 0;
}

namespace {
// Deletes the children of a group depth first, each group's subtree before
// the group itself.
void DeleteChildren(ObjNode* group) {
  while (ObjNode* c = group->first) {
    if (c->kind == kObjKindGroup) DeleteChildren(c);
    Snd_PostStopAndWait(c);
  }
}
}  // namespace

int32_t Cmd_SoundDelete() {
  if (Cmd_FetchArgs(kCmdDelete)) return -1;
  char path[kObjPathMax];
  ObjNode *parent = nullptr, *node = nullptr;
  if (Snd_FindNode(Arg_Str(kPath), path, &parent, &node, false) < 0) return -1;
  if (!node) return 0;
  if (node->kind == kObjKindGroup) DeleteChildren(node);
  Snd_PostStopAndWait(node);
  return 0;
}

namespace {

constexpr CmdArgSchema kLoadArgs[] = {
    {kPath, "path", kArgText, 0, 0},   {kEnabled, "enable", kArgInt, 0, 0},
    {kFile, "file", kArgText, 0, 0},   {kFade, "fade", kArgInt, 0, 0},
    {kPause, "pause", kArgInt, 0, 0},  {kFadeMs, "time", kArgInt, 0, 0},
    {kStart, "start", kArgInt, 0, 0},  {kLoop, "loop", kArgInt, 0, 0},
    {kEnd, "end", kArgInt, 0, 0},      {kCount, "count", kArgInt, 0, 0},
    {kVolume, "vol", kArgInt, 0, 0},   {kPan, "pan", kArgInt, 0, 0},
    {kFreq, "freq", kArgInt, 0, 0},    {kExists, "exists", kArgInt, 0, 0},
};
constexpr CmdArgSchema kDeleteArgs[] = {{0, "path", kArgText, 0, 0}};
constexpr CmdArgSchema kQueryArgs[] = {
    {sndq::kPath, "path", kArgText, 0, 0},        {sndq::kHasKind, "has", kArgInt, 0, 0},
    {sndq::kEnabled, "enable", kArgInt, 0, 0},    {sndq::kSounding, "playing", kArgInt, 0, 0},
    {sndq::kPaused, "paused", kArgInt, 0, 0},     {sndq::kVolume, "vol", kArgInt, 0, 0},
    {sndq::kPan, "pan", kArgInt, 0, 0},           {sndq::kFreq, "freq", kArgInt, 0, 0},
    {sndq::kName, "file", kArgInt, 0, 0},         {sndq::kKind, "kind", kArgInt, 0, 0},
    {sndq::kStart, "start", kArgInt, 0, 0},       {sndq::kLoop, "loop", kArgInt, 0, 0},
    {sndq::kEnd, "end", kArgInt, 0, 0},           {sndq::kTotal, "count", kArgInt, 0, 0},
    {sndq::kDone, "done", kArgInt, 0, 0},         {sndq::kPosition, "pos", kArgInt, 0, 0},
    {sndq::kLength, "length", kArgInt, 0, 0},     {sndq::kChannels, "channels", kArgInt, 0, 0},
    {sndq::kBits, "bits", kArgInt, 0, 0},         {sndq::kRate, "rate", kArgInt, 0, 0},
    {sndq::kLevelL, "levell", kArgInt, 0, 0},     {sndq::kLevelR, "levelr", kArgInt, 0, 0},
    {sndq::kEncoding, "encoding", kArgInt, 0, 0}, {sndq::kOut, "out", kArgInt, 0, 0},
};
constexpr CmdSchemaEntry kSoundCmds[] = {
    {kCmdLoad, "snd", Cmd_SoundLoad, kArgCount, kLoadArgs, uint8_t(std::size(kLoadArgs))},
    {kCmdDelete, "snddel", Cmd_SoundDelete, 1, kDeleteArgs, uint8_t(std::size(kDeleteArgs))},
    {kCmdQuery, "sndget", Cmd_SoundQuery, sndq::kArgCount, kQueryArgs, uint8_t(std::size(kQueryArgs))},
};

// The sound tree's first nodes are made by this subsystem.
const ObjRootRegistrar kSoundRoots(kTreeSound, Snd_MakeSystemRoot);

}  // namespace

void CmdSchema_RegisterSound() { CmdSchema_Add(kSoundCmds, std::size(kSoundCmds)); }
