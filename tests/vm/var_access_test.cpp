// Variable records: accessors by type, silent bad indices, sizes and their
// limits, the 18 element operators, long texts, resizing, definitions and
// group resets.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "files/script_data.h"
#include "scene_testutil.h"

namespace {

class Vars : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Var_AllocTable(1100), 0); }
  void TearDown() override { Var_FreeTable(); }
  static void Shape(uint32_t n, std::vector<uint32_t> dims) {
    Variable& v = g_VarTable.vars[n];
    v.dimCount = uint8_t(dims.size());
    for (size_t k = 0; k < dims.size(); ++k) v.dims[k] = dims[k];
  }
};

TEST_F(Vars, SettersConvertByType) {
  ErrCapture log;
  Shape(1000, {2});
  ASSERT_EQ(Var_AllocInt(1000, 0), 0);
  Shape(1001, {2});
  ASSERT_EQ(Var_AllocDouble(1001, 0), 0);
  Shape(1002, {});
  ASSERT_EQ(Var_RebuildStringStorage(1002, "x", 1), 0);
  EXPECT_EQ(Var_SetDoubleElement(1000, 1, 2.9), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 1), 2);
  EXPECT_EQ(Var_SetDoubleElement(1000, 0, -2.9), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 0), -2);
  EXPECT_EQ(Var_SetIntElement(1001, 0, 5), 0);
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1001, 0), 5.0);
  EXPECT_EQ(Var_SetDoubleElement(1001, 1, 1.5), 0);
  // The integer getter reads a double variable by its type.
  EXPECT_EQ(Var_GetIntElement(1001, 1), 1);
  EXPECT_EQ(Var_GetIntElement(1002, 0), 0);
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1000, 1), 2.0);
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(Var_SetIntElement(1002, 0, 1), -1);
  EXPECT_EQ(log.First(), 101140);
  log.Clear();
  EXPECT_EQ(Var_SetDoubleElement(1002, 0, 1), -1);
  EXPECT_EQ(log.First(), 101140);
  log.Clear();
  EXPECT_EQ(Var_SetStringElement(1000, 0, "a"), -1);
  EXPECT_EQ(log.First(), 101140);
  EXPECT_EQ(Var_GetStringElement(1000, 0), nullptr);
}

TEST_F(Vars, BadIndicesDoNothingSilently) {
  Shape(1000, {3});
  ASSERT_EQ(Var_AllocInt(1000, 4), 0);
  Shape(1001, {3});
  ASSERT_EQ(Var_RebuildStringStorage(1001, "", 0), 0);
  ErrCapture log;
  for (int64_t i : {int64_t(-1), int64_t(3), int64_t(1) << 32, INT64_MIN}) {
    EXPECT_EQ(Var_SetIntElement(1000, i, 9), -1);
    EXPECT_EQ(Var_SetDoubleElement(1000, i, 9), -1);
    EXPECT_EQ(Var_GetIntElement(1000, i), 0);
    EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1000, i), 0.0);
    EXPECT_EQ(Var_SetStringElement(1001, i, "a"), -1);
    EXPECT_EQ(Var_GetStringElement(1001, i), nullptr);
  }
  // Index 2^32 must not read element 0 (the low half alone would).
  EXPECT_EQ(Var_GetIntElement(1000, (int64_t(1) << 32)), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 0), 4);
  EXPECT_EQ(Var_GetIntElement(5000, 0), 0);  // beyond the table
  EXPECT_TRUE(log.Empty());
}

TEST_F(Vars, SizesAreCheckedMultiplyByMultiply) {
  struct Case {
    std::vector<uint32_t> dims;
    int err;
    int64_t count;
  } cases[] = {
      {{}, 0, 1},
      {{2000, 2000}, 0, 4000000},
      {{4000000}, 0, 4000000},
      {{2001, 2000}, 101100, 0},
      {{4000001}, 101100, 0},
      {{65536, 65536, 65536}, 101100, 0},
      {{0xFFFFFFFFu, 0xFFFFFFFFu, 2}, 101100, 0},
      {{3, 0}, 101110, 0},
      {{0}, 101110, 0},
  };
  for (const auto& c : cases) {
    ErrCapture log;
    Shape(1000, c.dims);
    int r = Var_AllocInt(1000, 1);
    if (c.err) {
      EXPECT_EQ(r, -1);
      EXPECT_EQ(log.First(), c.err);
    } else {
      EXPECT_EQ(r, 0);
      EXPECT_EQ(g_VarTable.vars[1000].count, c.count);
      EXPECT_EQ(Var_GetIntElement(1000, c.count - 1), 1);
    }
  }
}

TEST_F(Vars, IntegerOperators) {
  struct Case {
    int64_t x, v;
    uint8_t op;
    int64_t want;
  } cases[] = {
      {5, 3, 0, 3},           {5, 3, 1, 8},
      {INT64_MAX, 1, 1, INT64_MIN},
      {5, 3, 2, 2},           {5, 3, 3, 15},
      {7, 2, 4, 3},           {-7, 2, 4, -3},
      {7, 0, 4, 7},           {INT64_MIN, -1, 4, INT64_MIN},
      {-7, 2, 5, -1},         {7, 0, 5, 7},
      {INT64_MIN, -1, 5, 0},  {6, 3, 6, 2},
      {6, 3, 7, 7},           {6, 3, 8, 5},
  };
  Shape(1000, {});
  ASSERT_EQ(Var_AllocInt(1000, 0), 0);
  for (const auto& c : cases) {
    Var_SetIntElement(1000, 0, c.x);
    EXPECT_EQ(VarOp_ApplyInt(1000, 0, c.op, c.v), 0);
    EXPECT_EQ(Var_GetIntElement(1000, 0), c.want) << c.x << " op" << int(c.op) << " " << c.v;
  }
}

TEST_F(Vars, DoubleOperators) {
  struct Case {
    double x, v;
    uint8_t op;
    double want;
  } cases[] = {
      {5, 3, 0, 3},     {5, 0.5, 1, 5.5}, {5, 0.5, 2, 4.5}, {5, 0.5, 3, 2.5},
      {5, 2, 4, 2.5},   {5, 0, 4, 5},     {7.5, 2, 5, 1},   {7.5, 0.5, 5, 7.5},
      {-7.9, 2.2, 5, -1}, {6.9, 3.2, 6, 2}, {6.9, 3.2, 7, 7}, {6.9, 3.2, 8, 5},
  };
  Shape(1000, {});
  ASSERT_EQ(Var_AllocDouble(1000, 0), 0);
  for (const auto& c : cases) {
    Var_SetDoubleElement(1000, 0, c.x);
    EXPECT_EQ(VarOp_ApplyDouble(1000, 0, c.op, c.v), 0);
    EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1000, 0), c.want) << c.x << " op" << int(c.op) << " " << c.v;
  }
  ErrCapture log;
  EXPECT_EQ(VarOp_ApplyDouble(1000, 0, 9, 1.0), -1);
  EXPECT_EQ(log.First(), 101140);
  log.Clear();
  EXPECT_EQ(VarOp_ApplyInt(1000, 0, 200, 1), -1);
  EXPECT_EQ(log.First(), 101140);
}

TEST_F(Vars, TextsLongerThan64KiBKeepEveryByte) {
  Shape(1000, {2});
  ASSERT_EQ(Var_RebuildStringStorage(1000, "init", 4), 0);
  EXPECT_STREQ(Var_GetStringElement(1000, 1), "init");
  std::string big(70000, 'q');
  ASSERT_EQ(Var_SetStringElement(1000, 0, big.c_str()), 0);
  EXPECT_EQ(std::string(Var_GetStringElement(1000, 0)), big);
  ASSERT_EQ(Var_SetStringElement(1000, 0, "short"), 0);
  EXPECT_STREQ(Var_GetStringElement(1000, 0), "short");
  ASSERT_EQ(Var_SetStringElementN(1000, 1, "abcdef", 3), 0);
  EXPECT_STREQ(Var_GetStringElement(1000, 1), "abc");
}

TEST_F(Vars, ResizeKeepsTheFirstElements) {
  Shape(1000, {3});
  ASSERT_EQ(Var_AllocInt(1000, 7), 0);
  ASSERT_EQ(Var_Resize(1000, 5), 0);
  EXPECT_EQ(g_VarTable.vars[1000].count, 5);
  EXPECT_EQ(Var_GetIntElement(1000, 2), 7);
  EXPECT_EQ(Var_GetIntElement(1000, 4), 0);
  ASSERT_EQ(Var_Resize(1000, 1), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 1), 0);
  Shape(1001, {2});
  ASSERT_EQ(Var_RebuildStringStorage(1001, "ab", 2), 0);
  ASSERT_EQ(Var_Resize(1001, 3), 0);
  EXPECT_STREQ(Var_GetStringElement(1001, 1), "ab");
  EXPECT_STREQ(Var_GetStringElement(1001, 2), "");
  ASSERT_EQ(Var_Resize(1001, 1), 0);
  EXPECT_STREQ(Var_GetStringElement(1001, 0), "ab");
  ErrCapture log;
  EXPECT_EQ(Var_Resize(1001, 0), -1);
  EXPECT_EQ(log.First(), 101110);
  EXPECT_EQ(g_VarTable.vars[1001].count, 1);
  log.Clear();
  EXPECT_EQ(Var_Resize(1001, 4000001), -1);
  EXPECT_EQ(log.First(), 101100);
}

// Definitions through the variable file: scopes, scenes, groups.
TEST(VarDefs, ScopesAndGroupResets) {
  std::vector<fx::VarDef> defs(5);
  defs[0] = {1, 1, 0, 1000, 1, {2}, 11, 0, {}};
  defs[1] = {2, 1, 4, 1001, 1, {}, 22, 0, {}};
  defs[2] = {3, 2, 0, 1002, 2, {}, 0, 1.5, {}};
  defs[3] = {1, 2, 0, 1003, 3, {3}, 0, 0, fx::Add(fx::Text("a"), fx::Text("b"))};
  defs[4] = {1, 2, 0, 1004, 2, {}, 0, 2.5, {}};
  std::string f = fx::VarDefFile(defs);
  auto* data = static_cast<uint8_t*>(std::malloc(f.size()));
  std::memcpy(data, f.data(), f.size());
  ASSERT_EQ(Var_AllocTable(1100), 0);
  ASSERT_EQ(Script_ParseVarFile(data, f.size(), "qvv"), 0);
  ASSERT_EQ(Var_InitScope(-1), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 1), 11);
  EXPECT_EQ(g_VarTable.vars[1001].type, 0);  // scene scope: not yet
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1002, 0), 1.5);
  EXPECT_STREQ(Var_GetStringElement(1003, 2), "ab");
  ASSERT_EQ(Var_InitScope(4), 0);
  EXPECT_EQ(Var_GetIntElement(1001, 0), 22);
  // A group reset rebuilds only global (scope 1) records of the masked
  // groups and types.
  Var_SetIntElement(1000, 0, 99);
  Var_SetDoubleElement(1002, 0, 9.0);
  Var_SetDoubleElement(1004, 0, 9.0);
  ASSERT_EQ(Var_ResetGroups(0, 0x2, 0), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 0), 99);
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1002, 0), 9.0);  // scope 3 kept
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1004, 0), 2.5);
  ASSERT_EQ(Var_ResetGroups(0x1, 0, 0), 0);
  EXPECT_EQ(Var_GetIntElement(1000, 0), 11);
  Script_FreeAll();
}

TEST(VarDefs, RecordBeyondTheCountIs900070) {
  std::vector<fx::VarDef> defs(1);
  defs[0] = {1, 1, 0, 2000, 1, {}, 0, 0, {}};
  std::string f = fx::VarDefFile(defs);
  auto* data = static_cast<uint8_t*>(std::malloc(f.size()));
  std::memcpy(data, f.data(), f.size());
  ASSERT_EQ(Var_AllocTable(1100), 0);
  ASSERT_EQ(Script_ParseVarFile(data, f.size(), "qvv"), 0);
  ErrCapture log;
  EXPECT_EQ(Var_InitScope(-1), -1);
  EXPECT_EQ(log.First(), 900070);
  Script_FreeAll();
}

}  // namespace
