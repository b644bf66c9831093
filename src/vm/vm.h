// Script VM (layer 4 of 10: above platform, base and files): object trees,
// the readers that fill its tables from the compiled data, scenes, tasks,
// arguments, expressions, variables, flow control and the general
// commands. Subsystems above it reach in through hooks they install
// (system variables, message typing, the inactive pause). The public face of
// src/vm/.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "vm/scene.h"
#include "vm/sysvar_hooks.h"
#include "vm/vm_limits.h"

#include "vm/objtree.h"
#include "vm/script_load.h"
#include "vm/task.h"

// ---- Command dispatch (args.cpp) ---------------------------------------
// Handlers by command number, filled by Script_LoadCommandTable from the
// program's command schema (never from the file).
extern CmdHandler g_CmdHandlers[kCmdCount];
int32_t Cmd_Unknown();  // 900050, quit 1
int32_t Cmd_Empty();    // does nothing, not even a fetch
int32_t Cmd_Nop();      // command 0: fetches (so its checks apply), goes on

// What one argument slot holds after a fetch (slots 1..argc, descriptor
// order). Written by Cmd_FetchArgs, read by the running handler.
struct ArgSlot {
  uint32_t id, type, op, length, offset;
  const uint8_t* raw;   // start of the expression (kind 2 and every kind)
  uint32_t var;         // last variable the expression named (kinds 0, 1)
  int64_t varIndex;     // its flat element index
  uint8_t varWhole;     // named as a whole variable
  uint8_t varNamed;     // a variable token was met at all
};
extern uint8_t g_ArgGiven[kArgIdMax];   // id -> slot, 0 = not given
extern int64_t g_ArgInt[kArgSlotMax];   // integer value per slot
extern char* g_ArgStr[kArgSlotMax];     // text per slot (kArgTextSize bytes)
extern ArgSlot g_ArgSlot[kArgSlotMax];
extern uint8_t g_ArgCount;              // descriptors of the instruction

// Evaluates the running instruction's arguments into the slots by the
// command table's kinds and range-checks them. 0, or -1 after the first
// failure (reported, quit 1).
int Cmd_FetchArgs(int cmd);
// The same over an explicit descriptor list; `textAsType3` evaluates every
// text argument with value type 3 (the call command's descriptors reuse the
// type byte of its label argument).
int Cmd_FetchArgsFrom(int cmd, const ArgDesc* desc, uint8_t argc,
                      const uint8_t* expr, bool textAsType3);
// Range check of one value by check kind 1..28 (0 and others pass): 0, or
// -1 after reporting with the command and argument names.
int Cmd_CheckArg(int cmd, int id, uint8_t check, int64_t v);
// Slot of an argument id and its value, with a default when not given.
inline int64_t Arg_Int(int id, int64_t def) {
  return g_ArgGiven[id] ? g_ArgInt[g_ArgGiven[id]] : def;
}
inline bool Arg_Given(int id) { return g_ArgGiven[id] != 0; }
// The variable element the argument named last: its number and flat index.
// False (nothing written) when the argument was not given or named no
// variable.
inline bool Arg_Target(int id, uint32_t* var, int64_t* index) {
  int s = g_ArgGiven[id];
  if (!s || !g_ArgSlot[s].varNamed) return false;
  *var = g_ArgSlot[s].var;
  *index = g_ArgSlot[s].varIndex;
  return true;
}
inline const char* Arg_Str(int id) {
  return g_ArgGiven[id] && g_ArgStr[g_ArgGiven[id]] ? g_ArgStr[g_ArgGiven[id]] : nullptr;
}

// The layer named by a path argument and an optional number argument
// (joined with "."), resolved against the layer tree's current path and
// looked up from its root; null when missing, with *badPath set when the
// path itself was refused (reported). `path` receives the joined path.
ObjNode* Cmd_FindLayerArg(int pathId, int numberId, std::string* path, bool* badPath);

// Commands of this area.
int32_t Cmd_Let();          // 54
// Command 54 run from its LetPlan (installed by the scene loader in place of
// Cmd_Let); falls back to Cmd_Let whenever the plan does not fit.
int32_t Cmd_LetPlanned();
// Builds the plan of one assignment instruction from its descriptors (argc
// >= 2, ranges already checked by the loader); false when its shape is not
// one a plan covers.
bool Let_MakePlan(const ArgDesc* desc, const uint8_t* expr, LetPlan* out);
int32_t Cmd_DimInt();       // 51
int32_t Cmd_DimFloat();     // 26
int32_t Cmd_DimStr();       // 90
int32_t Cmd_ScriptInfo();   // 92
int32_t Cmd_InputOptions(); // 50

// ---- Expression evaluator (expr*.cpp) ----------------------------------
using ExprIntFn = int64_t (*)(const uint8_t* p, uint32_t len);
using ExprFloatFn = double (*)(const uint8_t* p, uint32_t len);
// Writes the text result NUL-terminated into `out` (kExprTextSize bytes);
// returns its length, 0 when the result is not a text.
using ExprStrFn = int32_t (*)(const uint8_t* p, uint32_t len, char* out);

// Evaluators by descriptor value type 1..4 (entry 0 and types above 4 are
// never used: the scene loader refuses such types).
extern ExprIntFn g_ExprEvalInt[5];
extern ExprFloatFn g_ExprEvalFloat[5];
extern ExprStrFn g_ExprEvalStr[5];
extern ExprFloatFn g_ExprEvalDouble[5];  // always double arithmetic

int64_t Expr_EvalInt(const uint8_t* p, uint32_t len);
int64_t Expr_EvalFloatToInt(const uint8_t* p, uint32_t len);
double Expr_EvalIntToFloat(const uint8_t* p, uint32_t len);
double Expr_EvalFloat(const uint8_t* p, uint32_t len);
int32_t Expr_EvalToVar(const uint8_t* p, uint32_t len, char* out);
int32_t Expr_EvalToVarMode4(const uint8_t* p, uint32_t len, char* out);

// Decodes a short integer expression (see ShortIntExpr); false for any
// other shape.
bool Expr_DecodeShortInt(const uint8_t* p, uint32_t len, ShortIntExpr* out);
// Its value in integer arithmetic; false (nothing changed) when a variable
// is not a declared number variable, for the general evaluator to report.
bool Expr_RunShortInt(const ShortIntExpr& e, int64_t* out);

// Runs one expression in the current mode: 0, or -1 when a token failed
// (reported) or the load-mode stop was hit.
int Expr_Run(const uint8_t* p, uint32_t len);
// flag 1: normal run; flag 0: load mode (variable tokens only mark the
// expression not constant and stop it).
void Expr_InitOpTable(int flag);

using ExprOpFn = int (*)();
extern ExprOpFn g_ExprOpHandlers[256];

// Engine-wide evaluator state (one evaluation at a time, frame thread).
struct ExprState {
  uint8_t mode = 1;      // 1 int, 2 double, 3 text/int, 4 text/double
  uint16_t sp = 0;       // entries in use
  int64_t ints[kExprStackMax];
  double dbls[kExprStackMax];
  uint16_t tags[kExprStackMax];  // 0 number, else text in texts[tag - 1]
  char* texts[kExprStackMax];    // allocated on first use
  uint16_t textLen[kExprStackMax];
  uint8_t depth = 0;     // open element accesses
  struct Access { uint16_t pos; int32_t var; uint8_t sigil; } access[kExprAccessMax];
  // Last-variable outputs, copied by the fetcher into the argument slot.
  uint32_t lastVar = 0;
  int64_t lastIndex = 0;
  uint8_t lastWhole = 0;
  uint8_t lastSigil = 0;
  uint8_t lastNamed = 0;
  uint8_t lastVia = 0;   // 50 or 51 when the last element was named through it
  // Reference-only evaluation (declarations): the outermost access records
  // its index values instead of reading the element.
  uint8_t refOnly = 0;
  uint8_t refDimCount = 0;
  int64_t refDims[kVarMaxDims];
  uint8_t notConst = 0;  // set by variable tokens in load mode
  uint8_t quiet = 0;     // load mode: failures stop without a report
  int status = 0;        // result of the last Expr_Run: 0 or -1
  const uint8_t* tok = nullptr;  // payload of the running token
  uint16_t plen = 0;             // its length
};
extern ExprState g_Expr;

// double -> int64 toward zero; out-of-range values saturate, NaN gives 0.
int64_t Expr_DoubleToInt(double d);

// ---- Variables (var*.cpp) ----------------------------------------------
struct Variable {
  uint8_t group = 0;     // 1..4
  uint8_t type = 0;      // 0 undeclared, 1 int64, 2 double, 3 text
  uint8_t dimCount = 0;  // 0..8
  uint32_t dims[kVarMaxDims] = {};
  int64_t count = 0;     // elements, 1..4000000 once built
  int64_t* ints = nullptr;
  double* dbls = nullptr;
  char** strs = nullptr;  // null element = empty text
  size_t* caps = nullptr; // allocated size of each text element
};
// All variables by number (count = n + 1 from qvt.qbn). Written by
// Script_LoadVarCounts, the definitions and the declaration commands.
struct VarTable {
  uint32_t count = 0;
  Variable* vars = nullptr;
};
extern VarTable g_VarTable;

int Var_AllocTable(uint32_t count);  // count records, all undeclared
void Var_FreeTable();

int Var_SetIntElement(uint32_t number, int64_t index, int64_t v);
int Var_SetDoubleElement(uint32_t number, int64_t index, double v);
int64_t Var_GetIntElement(uint32_t number, int64_t index);
double Var_ReadFloatElement(uint32_t number, int64_t index);
int Var_SetStringElement(uint32_t number, int64_t index, const char* text);
int Var_SetStringElementN(uint32_t number, int64_t index, const char* bytes, size_t len);
// The element's text ("" for an empty element), or null for a wrong type or
// index. A system text variable is computed into its element first.
const char* Var_GetStringElement(uint32_t number, int64_t index);

int Var_ComputeSize(uint32_t number);
int Var_AllocInt(uint32_t number, int64_t init);
int Var_AllocDouble(uint32_t number, double init);
int Var_RebuildStringStorage(uint32_t number, const char* text, size_t len);
int Var_Resize(uint32_t number, int64_t n);
int Var_InitScope(int32_t scope);
int Var_ResetGroups(uint32_t intMask, uint32_t dblMask, uint32_t strMask);

// Element operators by operator code 0..8: set, add, subtract, multiply,
// divide, remainder, and, or, xor (division and remainder by 0 keep x).
constexpr int kVarOpCount = 9;
using VarOpIntFn = void (*)(int64_t* x, int64_t v);
using VarOpDblFn = void (*)(double* x, double v);
extern VarOpIntFn VarOp_IntTable[kVarOpCount];
extern VarOpDblFn VarOp_DblTable[kVarOpCount];
void VarOp_InitTable();
// Applies operator `op` to one element of an int or double variable; 0, or
// -1 after 101140 (bad operator or type). A bad index does nothing.
int VarOp_ApplyInt(uint32_t number, int64_t index, uint8_t op, int64_t v);
int VarOp_ApplyDouble(uint32_t number, int64_t index, uint8_t op, double v);

// ---- Assignment operators of keyword arguments (cmd_ops.cpp) -------------
// Shared by the commands of every subsystem that take `+=`-style values.
// op 0 v; 1 old+v; 2 old-v; 3 old*v; 4 old/v (old when v is 0); else old.
int64_t Cmd_ApplyOp(int op, int64_t old, int64_t v);
// As Cmd_ApplyOp; op 1 limited to <= max, op 2 to >= min, ops 3, 4 to both.
int64_t Cmd_ApplyOpClampMax(int op, int64_t old, int64_t v, int64_t min, int64_t max);
// As Cmd_ApplyOp; ops 2..4 limited to >= min.
int64_t Cmd_ApplyOpClampMin(int op, int64_t old, int64_t v, int64_t min);

// ---- Command 14 (cmd_end.cpp) -------------------------------------------
// Ends the game: the restart byte from id 0 when given, then the quit.
int32_t Cmd_End();

// ---- System variables (sysvar.cpp) -------------------------------------
int64_t SysVar_Get(uint32_t number, int64_t index);
double SysVar_GetDouble(uint32_t number, int64_t index);
// Copies the text of system variable `number` into `out` (kExprTextSize
// bytes; emptied first) and returns its length.
int32_t Expr_GetSystemString(uint32_t number, char* out, int64_t index);
// Assignment to a writable system variable by the assignment command.
// Returns 1 when handled (0 ok is in *result), 0 when the number is read-only.
int SysVar_Assign(uint32_t number, int64_t index, uint8_t op, int64_t v, int* result);
// The value kept from qvt.qbn for system variable 124.
extern uint32_t g_SysVarCountValue;
// The getters of the higher subsystems: vm/sysvar_hooks.h.
