// Named object trees (layers, menus, tasks, sounds) and their paths.
//
// Every named thing a script creates is an ObjNode in one of four trees.
// Paths are '/'-separated, relative to the tree's current path or absolute
// with a leading ':'. Names are matched without regard to ASCII case (the
// hash is taken over the case-folded name), so script names, which arrive
// lower-cased, still reach the system nodes "SYSTEM", "W0", "S0" and "M0".
// All of it runs on the frame thread; the sound tree is shared with the
// sound thread under g_SoundLock, which the callers take.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/helpers.h"

// ---- Limits -------------------------------------------------------------
constexpr uint8_t kObjKindLeaf = 0;
constexpr uint8_t kObjKindGroup = 1;
constexpr uint32_t kObjHashGroupBit = 0x80000000u;

// ---- Nodes --------------------------------------------------------------
// One layout for all four trees. Children ascend by `key`; nodes with equal
// keys keep the order in which they were linked. Allocate with Obj_NewNode
// (zeroed, name copied) and free with Obj_FreeNode / Obj_FreeSubtree.
struct ObjNode {
  ObjNode* first;       // first child, null when none
  ObjNode* last;        // last child
  ObjNode* prev;        // previous sibling, null for the first child
  ObjNode* next;        // next sibling, null for the last child
  ObjNode* parent;      // null for a root and for an unlinked node
  char* name;           // last path component, NUL-terminated Shift-JIS
  uint32_t nameLen;     // bytes, without the NUL
  uint32_t hash;        // Obj_NameHash of the name, bit 31 set for a group
  uint32_t childCount;  // number of direct children
  int64_t key;          // order key among the siblings
  uint8_t kind;         // kObjKindGroup or kObjKindLeaf
  void* record;         // LayerImage, menu record, TaskRec or SoundRec
};

// The four trees, in this order everywhere.
enum ObjTree : int { kTreeLayer = 0, kTreeMenu = 1, kTreeTask = 2, kTreeSound = 3, kTreeCount = 4 };

struct ObjTreeRoot {
  ObjNode* root;              // unnamed node, never run, drawn or deleted
  char curPath[kObjPathMax];  // the tree's current path
};
// Written by Obj_CreateSystemRoots and by the commands that change a tree's
// current path; frame thread only.
extern ObjTreeRoot g_TreeRoots[kTreeCount];

// ---- Names --------------------------------------------------------------
// Hash of a node name: MurmurHash2 of the case-folded bytes, masked to 31
// bits, with kObjHashGroupBit added for a group.
uint32_t Obj_NameHash(const char* name, size_t len, bool group);
// Case-insensitive (ASCII letters only, Shift-JIS pairs compared as they
// are) equality of two names of the given lengths.
bool Obj_NameEqual(const char* a, size_t alen, const char* b, size_t blen);

// A zeroed node with its own copy of the name, its length, hash and kind;
// null after error 100010 (quit 1).
ObjNode* Obj_NewNode(const char* name, size_t len, uint8_t kind, void* record);
// Frees one node and its name (not its record, not its children). The node
// must be unlinked.
void Obj_FreeNode(ObjNode* node);

// Record release hook of a tree: frees the record of one node. Obj_FreeSubtree
// calls it for every node it frees. Each subsystem sets its own tree's hook.
using ObjReleaseFn = void (*)(ObjNode* node);
void Obj_SetReleaseHook(int tree, ObjReleaseFn fn);
ObjReleaseFn Obj_ReleaseHook(int tree);
// Unlinks the node and frees it with all its descendants, records through
// the tree's release hook (children first).
void Obj_FreeSubtree(int tree, ObjNode* node);

// ---- Paths --------------------------------------------------------------
// Lookup modes of Obj_FindByPath; kObjFindQuiet may be or-ed in so that a
// missing group component answers null without error 100230 (queries).
constexpr int kObjFindLeaf = 0;
constexpr int kObjFindGroup = 1;
constexpr int kObjFindEither = 2;
constexpr int kObjFindQuiet = 0x100;

// Walks a resolved path from `root`. A missing group component is error
// 100230 (quit 1) unless kObjFindQuiet; a missing last component is null
// without an error.
ObjNode* Obj_FindByPath(ObjNode* root, const char* path, int mode);
// The node under which the last component of `path` lives, walking only the
// group components from `start`; an empty path gives `start`. Error 100230
// on a missing component unless quiet.
ObjNode* Obj_FindGroupByPath(const char* path, ObjNode* start, bool quiet = false);
// The group child of `node` with that name, or null.
ObjNode* Obj_FindChild(ObjNode* node, const char* name, size_t len);

// ---- Links --------------------------------------------------------------
// Links `node` under `parent` before the first child with a strictly greater
// key, and stores the key in it.
void Obj_LinkChild(ObjNode* parent, ObjNode* node, int64_t key);
// Takes the node out of its parent's list and clears its sibling and parent
// links; returns the former parent. A node that is not linked gives null.
ObjNode* Obj_Unlink(ObjNode* node);
// Moves a linked node to the place of `key` among its siblings.
void Obj_Relink(ObjNode* node, int64_t key);
// The n-th child counted from 1; any n below 2 gives the first; null when the
// list is shorter.
ObjNode* Obj_GetChild(ObjNode* parent, int64_t n);

// ---- System roots -------------------------------------------------------
// Makes a tree's first nodes once its root exists: sets the root's record,
// the current path and the system nodes. Returns 0, or nonzero after it
// reported the failure. Subsystems register theirs (layers, menus, sounds)
// before start-up calls Obj_CreateSystemRoots; the task tree's is built in.
using ObjRootMakerFn = int32_t (*)(ObjTreeRoot& tree);
void Obj_RegisterRootMaker(int tree, ObjRootMakerFn fn);
ObjRootMakerFn Obj_RootMaker(int tree);
// Registers at static initialisation; put it in a file that is otherwise
// linked (a static library drops unreferenced objects).
struct ObjRootRegistrar {
  ObjRootRegistrar(int tree, ObjRootMakerFn fn) { Obj_RegisterRootMaker(tree, fn); }
};

// Creates the four root nodes and runs each tree's maker. Returns 0, or
// nonzero after error 100010 / 900020 (quit 1). Called once at start-up
// after window 0 exists; a second call does nothing.
int32_t Obj_CreateSystemRoots();
// Frees the four trees with every record (each tree's release hook, task
// records by the task code) and clears their roots and current paths, so
// that Obj_CreateSystemRoots builds them anew (tests start from here).
void Obj_FreeSystemRoots();
