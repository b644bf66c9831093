// Scenes and labels: the loaded form of one compiled scene file and the label
// table. Included by vm.h before the task and tree headers, which use these
// types.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vm/vm_limits.h"

// A command handler: takes nothing, returns 0 to go on with the next
// instruction or a non-zero low byte to end the task's turn (-1 after an
// error it reported).
using CmdHandler = int32_t (*)();

// One instruction of the instruction section.
struct Instruction {
  uint8_t cmd;
  uint8_t argc;    // number of ArgDesc records that belong to it
  uint16_t extra;  // packed value counts for call and return
};
static_assert(sizeof(Instruction) == 4);

// One argument descriptor (12 bytes in the descriptor section).
struct ArgDesc {
  uint8_t id;
  uint8_t unused;
  uint8_t type;      // 1 int, 2 double, 3 text/int, 4 text/double arithmetic
  uint8_t op;        // assignment operator code
  uint32_t length;   // expression length; a pc or a label index for the
                     // data-carrying descriptors of 11, 43, 45 and 56
  uint32_t offset;   // expression offset within the expression section
};
static_assert(sizeof(ArgDesc) == 12);

// Scene file header offsets and size.
constexpr size_t kSceneHeaderSize = 32;

// A short integer expression: "operand" or "operand operand op", where
// each operand is an integer literal or element 0 of a user variable read by
// value, and op one of + - * / % A O ^. Decoded once (at scene load for
// assignments) or per evaluation in place of the token loop.
struct ShortIntExpr {
  uint32_t varA = 0, varB = 0;  // operand variables; 0 = the literal instead
  int64_t litA = 0, litB = 0;
  uint8_t sigilA = 0, sigilB = 0;  // the variable tokens' sigils
  uint8_t binop = 0;               // expression opcode; 0 = one operand only
};

// A pre-decoded integer assignment (command 54): "user variable = short
// integer expression" with the value in integer arithmetic. The loader
// builds one for every such instruction, so the hot assignment neither walks
// tokens nor re-reads descriptors; anything the plan cannot do at run time
// (a variable of another type, an undeclared one) goes the general way.
struct LetPlan {
  uint32_t target = 0;  // user variable, element 0
  uint8_t assign = 0;   // assignment operator (VarOp index)
  ShortIntExpr value;
};

// The scene arrays a task runs from; copied from the SceneRec into the task
// whenever the task enters the scene.
struct SceneCode {
  uint32_t count = 0;                    // instructions
  CmdHandler* handlers[2] = {};          // [0] all Vm_StepGate, [1] commands
  const uint16_t* extra = nullptr;       // per instruction
  const uint8_t* argc = nullptr;         // per instruction
  ArgDesc* const* desc = nullptr;        // per instruction: first descriptor
  const uint8_t* expr = nullptr;         // expression section
  uint32_t exprSize = 0;
  const uint32_t* lines = nullptr;       // per instruction: source line
  const LetPlan* const* letPlan = nullptr;  // per instruction, or null
};

// One scene, loaded on first use and kept for the run. `code` points into
// the arrays below and into the decoded file image.
struct SceneRec {
  SceneCode code;
  uint8_t state = 0;  // 0 not tried, 1 loaded, 2 failed (reported once)
  uint8_t* image = nullptr;  // decoded file image (std::malloc block)
  std::vector<CmdHandler> gate, handlers;
  std::vector<uint16_t> extra;
  std::vector<uint8_t> argc;
  std::vector<ArgDesc*> desc;
  std::vector<uint32_t> lines;
  std::vector<LetPlan> letPlans;
  std::vector<const LetPlan*> letPlanAt;  // per instruction (null: none)
  ~SceneRec();
};

// g_SceneTable: one SceneRec pointer per scene of the scene list (null until
// the scene is first used). Written by Scene_AllocTable and Scene_Load.
struct SceneTable {
  uint32_t count = 0;
  SceneRec** scenes = nullptr;
};
extern SceneTable g_SceneTable;

// Allocates g_SceneTable for `count` scenes; 0, or -1 after 100010.
int Scene_AllocTable(uint32_t count);
// Loads scene n on first use. 1 loaded (now or before); 0 when it could not be
// loaded (reported with quit 1 the first time; later calls answer 0 again).
int Scene_Load(uint16_t n);
// The arrays of a loaded scene, or null when Scene_Load has not succeeded.
const SceneCode* Scene_Code(uint16_t n);
// Descriptor positions (1-based, instruction order) whose length field is a
// pc or a label index instead of an expression length, for a command number:
// bit p set = descriptor p carries data. The fetcher never evaluates them.
uint32_t Scene_DataDescMask(uint8_t cmd);

// A label of qvl.qbn.
struct LabelRec {
  char* name;       // NUL-terminated heap copy
  uint32_t hash;    // MurmurHash2 of the name bytes
  uint32_t pc;
  uint16_t scene;
  uint8_t ifDepth;    // relative to the enclosing call's bases
  uint8_t loopDepth;
};

// g_LabelTable: written once by Script_LoadLabels.
struct LabelTable {
  uint32_t count = 0;
  LabelRec* labels = nullptr;
  uint32_t first[kLabelBuckets] = {};  // first candidate by hash >> 24
};
extern LabelTable g_LabelTable;

// Index of the label named by `len` bytes, or -1.
int32_t Label_Find(const char* name, size_t len);
