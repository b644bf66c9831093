// The program-side command schema: its own consistency, the handler table it
// fills, and the check of a game's command table against it.
#include <gtest/gtest.h>

#include <set>

#include "files/script_data.h"
#include "scene_testutil.h"

namespace {

int ParseTable(const std::string& f) {
  auto* data = static_cast<uint8_t*>(std::malloc(f.size() ? f.size() : 1));
  std::memcpy(data, f.data(), f.size());
  return Script_ParseCommandTable(data, f.size(), "qvc");
}

TEST(Schema, EntriesAreConsistent) {
  std::set<std::string> names;
  for (int n = 0; n < kCmdCount; ++n) {
    const CmdSchemaEntry* e = CmdSchema_Get(n);
    if (!e) continue;
    EXPECT_EQ(e->number, n);
    EXPECT_TRUE(names.insert(e->name).second) << "duplicate name " << e->name;
    std::set<int> ids;
    std::set<std::string> argNames;
    for (int i = 0; i < e->nargs; ++i) {
      const CmdArgSchema& a = e->args[i];
      EXPECT_LT(a.id, e->argCount) << e->name << " " << a.name;
      EXPECT_LE(a.kind, kArgRaw);
      EXPECT_LE(a.check, 28);
      EXPECT_TRUE(ids.insert(a.id).second) << e->name;
      EXPECT_TRUE(argNames.insert(a.name).second) << e->name << " " << a.name;
    }
  }
}

// Descriptors whose length field carries data are raw whatever the file says.
TEST(Schema, DataCarryingArgumentsAreRaw) {
  struct Want {
    int cmd, id;
  } wants[] = {{43, kJumpArgLabel}, {45, kIfArgNext}, {45, kIfArgEnd}, {11, kIfArgNext},
               {56, kLoopArgEnd},   {54, kLetArgTarget}, {54, kLetArgValue}, {51, kDimArgTarget},
               {26, kDimArgTarget}, {90, kDimArgTarget}};
  for (const Want& w : wants) {
    const CmdArgSchema* a = CmdSchema_Arg(w.cmd, w.id);
    ASSERT_NE(a, nullptr) << w.cmd;
    EXPECT_EQ(a->forceRaw, 1) << w.cmd << " " << w.id;
  }
}

TEST(Schema, HandlersComeFromTheProgram) {
  ASSERT_EQ(ParseTable(fx::CommandTableFile()), 0);
  EXPECT_EQ(g_CmdHandlers[17], Cmd_Unknown);
  EXPECT_EQ(g_CmdHandlers[118], Cmd_Unknown);
  for (int n : {9, 52, 75, 78, 80, 81, 82}) EXPECT_EQ(g_CmdHandlers[n], Cmd_Empty) << n;
  EXPECT_EQ(g_CmdHandlers[54], Cmd_Let);
  EXPECT_EQ(g_CmdHandlers[0], Cmd_Nop);
  EXPECT_EQ(g_CmdHandlers[45], Cmd_If);
  EXPECT_EQ(g_CmdTable.fileCount, uint32_t(kCmdCount));
  EXPECT_STREQ(Cmd_Name(54), "let");
  EXPECT_STREQ(Cmd_ArgName(54, kLetArgValue), "value");
  EXPECT_STREQ(Cmd_ArgName(54, 200), "?");
}

// A game table with its own names and wrong kinds: names are kept, data
// descriptors are forced raw, kinds and checks out of range are tamed.
TEST(Schema, GameTableIsCheckedAgainstTheSchema) {
  std::string f = "QVC";
  f.resize(8);
  fx::PutU32(f, kCmdCount);
  fx::PutU32(f, 0);
  for (int n = 0; n < kCmdCount; ++n) {
    f += "c" + std::to_string(n);
    f.push_back('\0');
    fx::PutU8(f, 4);
    for (int id = 0; id < 4; ++id) {
      f += "x";
      f.push_back('\0');
      fx::PutU8(f, id == 3 ? 7 : 0);   // kind 7 does not exist
      fx::PutU8(f, id == 3 ? 40 : 1);  // check 40 does not exist
    }
  }
  for (int i = 0; i < kErrnoTextCount; ++i) f += std::string("e") + char('0' + i % 10) + std::string(1, '\0');
  f.append(256, 'z');
  ASSERT_EQ(ParseTable(f), 0);
  EXPECT_STREQ(Cmd_Name(54), "c54");
  EXPECT_EQ(g_CmdTable.argKinds[43][kJumpArgLabel], kArgRaw);
  EXPECT_EQ(g_CmdTable.argKinds[45][kIfArgNext], kArgRaw);
  EXPECT_EQ(g_CmdTable.argKinds[45][kIfArgEnd], kArgRaw);
  EXPECT_EQ(g_CmdTable.argKinds[56][kLoopArgEnd], kArgRaw);
  EXPECT_EQ(g_CmdTable.argKinds[54][kLetArgTarget], kArgRaw);
  EXPECT_EQ(g_CmdTable.argKinds[0][0], kArgInt);
  EXPECT_EQ(g_CmdTable.argKinds[0][3], kArgRaw);
  EXPECT_EQ(g_CmdTable.argChecks[0][3], 0);
  EXPECT_EQ(g_CmdTable.argChecks[0][1], 1);
  EXPECT_EQ(g_CmdTable.argKinds[0][4], kArgInt);  // beyond A: defaults
  EXPECT_STREQ(Cmd_ArgName(0, 4), "?");
  EXPECT_STREQ(g_CmdTable.errnoTexts[36], "e6");
  EXPECT_EQ(g_CmdTable.tail[255], 'z');
}

TEST(Schema, ShortOrTruncatedTablesAreRefused) {
  std::string good = fx::CommandTableFile();
  std::string fewer = good;
  fx::PatchU32(fewer, 8, kCmdCount - 1);
  ErrCapture log;
  EXPECT_NE(ParseTable(fewer), 0);
  EXPECT_EQ(log.First(), 104010);
  // Every cut of the file fails cleanly with 104010.
  for (size_t cut = 0; cut < good.size(); cut += (cut < 64 ? 1 : 37)) {
    log.Clear();
    EXPECT_NE(ParseTable(good.substr(0, cut)), 0) << cut;
    EXPECT_EQ(log.First(), 104010) << cut;
  }
  log.Clear();
  EXPECT_EQ(ParseTable(good), 0);
  EXPECT_TRUE(log.Empty());
  Script_FreeAll();
}

TEST(Schema, WriterFindsCommandsAndArgumentsByName) {
  EXPECT_EQ(CmdSchema_Find("let"), 54);
  EXPECT_EQ(CmdSchema_Find("nonesuch"), -1);
  EXPECT_EQ(CmdSchema_ArgId(54, "value"), kLetArgValue);
  EXPECT_EQ(CmdSchema_ArgId(54, "nonesuch"), -1);
  char buf[16];
  EXPECT_STREQ(CmdSchema_Name(17, buf, sizeof buf), "cmd17");
}

}  // namespace
