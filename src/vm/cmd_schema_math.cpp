// Command schema entries of the maths command, the string and array
// command, and the variable information and array formula commands.
#include <iterator>

#include "vm/cmd_schema.h"
#include "vm/math.h"

namespace {

using namespace matharg;

// The operands are evaluated by the handler itself, by their descriptor's
// value type; the function ids only count by whether they are given.
constexpr CmdArgSchema kMathArgs[] = {
    {kTarget, "target", kArgInt, 0, 0}, {kA, "a", kArgRaw, 0, 1},
    {kB, "b", kArgRaw, 0, 1},           {kText, "text", kArgText, 0, 0},
    {kSin, "sin", kArgRaw, 0, 1},       {kAsin, "asin", kArgRaw, 0, 1},
    {kSinh, "sinh", kArgRaw, 0, 1},     {kCos, "cos", kArgRaw, 0, 1},
    {kAcos, "acos", kArgRaw, 0, 1},     {kCosh, "cosh", kArgRaw, 0, 1},
    {kTan, "tan", kArgRaw, 0, 1},       {kAtan, "atan", kArgRaw, 0, 1},
    {kAtan2, "atan2", kArgRaw, 0, 1},   {kTanh, "tanh", kArgRaw, 0, 1},
    {kSqrt, "sqrt", kArgRaw, 0, 1},     {kAbs, "abs", kArgRaw, 0, 1},
    {kExp, "exp", kArgRaw, 0, 1},       {kLog, "log", kArgRaw, 0, 1},
    {kLog10, "log10", kArgRaw, 0, 1},   {kPow, "pow", kArgRaw, 0, 1},
    {kRand, "rand", kArgRaw, 0, 1},     {kCrc, "crc", kArgRaw, 0, 1},
};

// Command 101: source and target are variable references; the key of a
// double search is evaluated by the handler in double arithmetic.
constexpr CmdArgSchema kVarInfoArgs[] = {
    {varinfoarg::kSource, "source", kArgInt, 0, 0},
    {varinfoarg::kTarget, "target", kArgInt, 0, 0},
    {varinfoarg::kType, "type", kArgRaw, 0, 1},
    {varinfoarg::kCharWidth, "charwidth", kArgRaw, 0, 1},
    {varinfoarg::kDimCount, "dims", kArgRaw, 0, 1},
    {5, "dim1", kArgRaw, 0, 1}, {6, "dim2", kArgRaw, 0, 1}, {7, "dim3", kArgRaw, 0, 1},
    {8, "dim4", kArgRaw, 0, 1}, {9, "dim5", kArgRaw, 0, 1}, {10, "dim6", kArgRaw, 0, 1},
    {11, "dim7", kArgRaw, 0, 1}, {12, "dim8", kArgRaw, 0, 1},
    {varinfoarg::kLength, "length", kArgRaw, 0, 1},
    {varinfoarg::kSearch, "search", kArgRaw, 0, 1},
    {varinfoarg::kKeyInt, "keyint", kArgInt, 0, 0},
    {varinfoarg::kKeyDouble, "keydouble", kArgRaw, 0, 1},
    {varinfoarg::kKeyText, "keytext", kArgText, 0, 0},
    {varinfoarg::kStart, "start", kArgInt, 0, 0},
};

// Command 62: only the variable numbers of the two references are used.
constexpr CmdArgSchema kFormulaArgs[] = {
    {formulaarg::kInts, "ints", kArgInt, 0, 0},
    {formulaarg::kDoubles, "doubles", kArgInt, 0, 0},
};

// Command 100: source and target are variable references; the operation
// ids count by whether they are given.
constexpr CmdArgSchema kStrArrayArgs[] = {
    {strarg::kSource, "source", kArgInt, 0, 0},   {strarg::kTarget, "target", kArgInt, 0, 0},
    {strarg::kRemove, "remove", kArgRaw, 0, 1},   {strarg::kSub, "sub", kArgRaw, 0, 1},
    {strarg::kStart, "start", kArgInt, 0, 0},     {strarg::kLength, "length", kArgInt, 0, 0},
    {strarg::kConvert, "convert", kArgRaw, 0, 1}, {strarg::kUpper, "upper", kArgRaw, 0, 1},
    {strarg::kUpperMb, "uppermb", kArgRaw, 0, 1}, {strarg::kLower, "lower", kArgRaw, 0, 1},
    {strarg::kLowerMb, "lowermb", kArgRaw, 0, 1}, {strarg::kToFull, "tofull", kArgRaw, 0, 1},
    {strarg::kToHalf, "tohalf", kArgRaw, 0, 1},   {strarg::kResize, "resize", kArgInt, 0, 0},
    {strarg::kInsert, "insert", kArgInt, 0, 0},   {strarg::kDelete, "delete", kArgInt, 0, 0},
    {strarg::kReset, "reset", kArgRaw, 0, 1},
    {17, "int1", kArgRaw, 0, 1},  {18, "int2", kArgRaw, 0, 1},  {19, "int3", kArgRaw, 0, 1},
    {20, "int4", kArgRaw, 0, 1},  {21, "dbl1", kArgRaw, 0, 1},  {22, "dbl2", kArgRaw, 0, 1},
    {23, "dbl3", kArgRaw, 0, 1},  {24, "dbl4", kArgRaw, 0, 1},  {25, "text1", kArgRaw, 0, 1},
    {26, "text2", kArgRaw, 0, 1}, {27, "text3", kArgRaw, 0, 1}, {28, "text4", kArgRaw, 0, 1},
};

constexpr CmdSchemaEntry kMathCmds[] = {
    {61, "math", Cmd_Math, kCount, kMathArgs, uint8_t(std::size(kMathArgs))},
    {62, "arrayformula", Cmd_ArrayFormula, formulaarg::kCount, kFormulaArgs,
     uint8_t(std::size(kFormulaArgs))},
    {100, "strarray", Cmd_StrArray, strarg::kCount, kStrArrayArgs, uint8_t(std::size(kStrArrayArgs))},
    {101, "varinfo", Cmd_VarInfo, varinfoarg::kCount, kVarInfoArgs, uint8_t(std::size(kVarInfoArgs))},
};

}  // namespace

void CmdSchema_RegisterMath() { CmdSchema_Add(kMathCmds, std::size(kMathCmds)); }
