// Command schema entries of the save data commands 84, 55 and 85.
#include <iterator>

#include "vm/cmd_schema.h"
#include "vm/save_cmds.h"

namespace {

using namespace savearg;

constexpr CmdArgSchema kSaveArgs[] = {
    {kFile, "file", kArgText, 0, 0},       {kDno, "dno", kArgInt, 0, 0},
    {kLayer, "layer", kArgText, 0, 0},     {kNumber, "number", kArgInt, 0, 0},
    {4, "int1", kArgInt, 0, 0},            {5, "int2", kArgInt, 0, 0},
    {6, "int3", kArgInt, 0, 0},            {7, "int4", kArgInt, 0, 0},
    {8, "dbl1", kArgInt, 0, 0},            {9, "dbl2", kArgInt, 0, 0},
    {10, "dbl3", kArgInt, 0, 0},           {11, "dbl4", kArgInt, 0, 0},
    {12, "str1", kArgInt, 0, 0},           {13, "str2", kArgInt, 0, 0},
    {14, "str3", kArgInt, 0, 0},           {15, "str4", kArgInt, 0, 0},
    {kVar, "var", kArgInt, 0, 0},
};
constexpr CmdArgSchema kReadArgs[] = {
    {kRFile, "file", kArgText, 0, 0},   {kRDno, "dno", kArgInt, 0, 0},
    {kRVar, "var", kArgInt, 0, 0},      {kRLayer, "layer", kArgText, 0, 0},
    {kRNumber, "number", kArgInt, 0, 0},
};
constexpr CmdSchemaEntry kSaveCmds[] = {
    {55, "saveread", Cmd_SaveRead, kRCount, kReadArgs, uint8_t(std::size(kReadArgs))},
    {84, "savedata", Cmd_SaveData, kCount, kSaveArgs, uint8_t(std::size(kSaveArgs))},
    {85, "savefree", Cmd_SaveDataFreeAll, 0, nullptr, 0},
};

}  // namespace

void CmdSchema_RegisterSave() { CmdSchema_Add(kSaveCmds, std::size(kSaveCmds)); }
