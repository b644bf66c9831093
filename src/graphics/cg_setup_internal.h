// Command 1's steps, shared by cg_setup*.cpp.
#pragma once
#include "graphics/graphics.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

struct CgState {
  char path[kObjPathMax] = {};  // resolved layer path
  bool group = false;           // the path names a group layer
  int64_t key = -1;             // order key (number suffix or slot 6)
  int64_t width = -1, height = -1;
  ObjNode* node = nullptr;
  LayerImage* rec = nullptr;
  bool changed = false;
};

namespace cg {
bool StrictMissingLeaf();
const char* CmdName();
void Report(int32_t code, const char* path);
const char* TooLargeText();
int Resolve(char* out, const char* path);

inline bool Given(int id) { return g_ArgGiven[id] != 0; }
inline int64_t Val(int id) { return g_ArgInt[g_ArgGiven[id]]; }
inline int Op(int id) { return g_ArgSlot[g_ArgGiven[id]].op; }
inline const char* Str(int id) {
  const char* s = Arg_Str(id);
  return s ? s : "";
}
}  // namespace cg

// 1 go on with st.node/st.rec set, 0 nothing to do, -1 after an error.
int Cg_FindOrCreate(CgState& st);
int Cg_ApplyImage(CgState& st);    // slots 27, 33, 35, 38, 39
void Cg_ApplyPending(CgState& st); // slots 2, 3
void Cg_ApplyPosition(CgState& st);  // slots 4, 15, 5, 16
int Cg_ApplySize(CgState& st);     // slots 7, 8
int Cg_ApplyLooks(CgState& st);    // slots 37..41, GPU values, 43, 44
