// Fixed limits of the script VM. Every one is checked where data enter (a
// scene file, a variable definition, an expression payload) and reported with
// its error number; the inner loops then trust them.
#pragma once
#include <cstdint>

#include "files/files_limits.h"

// Command numbers 0..118 index g_CmdHandlers.
constexpr int kCmdCount = 119;

// Argument ids and slots are bytes in a descriptor, so both tables cover all
// 256 values (an instruction holds at most 255 descriptors; slot 0 is unused).
constexpr int kArgIdMax = 256;
constexpr int kArgSlotMax = 256;
// Each text argument slot is one buffer of this size (text + NUL).
constexpr int kArgTextSize = 4096;

// Expression evaluator: one value stack shared by the integer, double and
// tag arrays; texts live in one 4096-byte buffer per stack slot, so a text
// value is at most 4095 bytes (longer results are cut at a character edge).
constexpr int kExprStackMax = 256;
constexpr int kExprTextSize = 4096;
// Open element accesses (V ... ) nested inside one another.
constexpr int kExprAccessMax = 16;

// Variables.
constexpr int kVarMaxDims = 8;
constexpr int64_t kVarMaxElements = 4000000;
constexpr uint32_t kVarFirstUser = 1000;
// Records in g_VarTable (qvt.qbn's count + 1) at most.
constexpr uint32_t kVarTableMax = 1u << 20;

// Labels: first-candidate index per top byte of the name hash.
constexpr int kLabelBuckets = 256;
// A jump's descriptor length field holds label index + this bit once the
// label is resolved at scene load.
constexpr uint32_t kJumpResolvedBit = 0x10000000u;
constexpr uint32_t kJumpIndexMask = 0x0FFFFFFFu;
// Label and block depths: at most 63 open IF, LOOP and call frames.
constexpr int kVmMaxOpenDepth = 63;

// Text sizes in the compiled data files.
constexpr int kErrnoTextCount = 37;
constexpr int kCmdTableTailBytes = 256;
