// The expression evaluator over assembled token streams: every opcode
// family by front end, the defined results of the trapping integer cases,
// saturation, the limits, and hostile payloads that must fail cleanly.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "scene_testutil.h"

namespace {

class Expr : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Var_AllocTable(1100), 0);
    // Variables the cases read: 49 (a system number), 1000 int 7,
    // 1001 int[3][4] holding flat index * 10, 1002 double 2.5, 1003 text,
    // 1004 text[2], 1005 double[2].
    Def(49, 1, {});
    ASSERT_EQ(Var_AllocInt(49, 0), 0);
    Def(1000, 1, {});
    ASSERT_EQ(Var_AllocInt(1000, 7), 0);
    Def(1001, 1, {3, 4});
    ASSERT_EQ(Var_AllocInt(1001, 0), 0);
    for (int i = 0; i < 12; ++i) Var_SetIntElement(1001, i, i * 10);
    Def(1002, 2, {});
    ASSERT_EQ(Var_AllocDouble(1002, 2.5), 0);
    Def(1003, 3, {});
    ASSERT_EQ(Var_RebuildStringStorage(1003, "hey", 3), 0);
    Def(1004, 3, {2});
    ASSERT_EQ(Var_RebuildStringStorage(1004, "", 0), 0);
    Var_SetStringElement(1004, 1, "second");
    Def(1005, 2, {2});
    ASSERT_EQ(Var_AllocDouble(1005, 0), 0);
    Var_SetDoubleElement(1005, 1, 0.75);
  }
  void TearDown() override { Var_FreeTable(); }
  static void Def(uint32_t n, uint8_t type, std::vector<uint32_t> dims) {
    Variable& v = g_VarTable.vars[n];
    v.type = type;
    v.dimCount = uint8_t(dims.size());
    for (size_t k = 0; k < dims.size(); ++k) v.dims[k] = dims[k];
  }
  static int64_t I(const std::string& s, uint8_t type = 1) {
    fx::Expr e = fx::Asm(s);
    return g_ExprEvalInt[type](Bytes(e), uint32_t(e.bytes.size()));
  }
  static double D(const std::string& s, uint8_t type = 2) {
    fx::Expr e = fx::Asm(s);
    return g_ExprEvalFloat[type](Bytes(e), uint32_t(e.bytes.size()));
  }
  static std::string S(const std::string& s, uint8_t type = 3) { return SRaw(fx::Asm(s).bytes, type); }
  static std::string SRaw(const std::string& bytes, uint8_t type = 3) {
    static char out[kExprTextSize];
    int32_t n = g_ExprEvalStr[type](reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), out);
    EXPECT_EQ(size_t(n), std::strlen(out));
    return std::string(out, size_t(n));
  }
  static const uint8_t* Bytes(const fx::Expr& e) { return reinterpret_cast<const uint8_t*>(e.bytes.data()); }
};

struct IntCase {
  const char* src;
  int64_t want;
};

TEST_F(Expr, IntegerFrontEnd) {
  const IntCase cases[] = {
      {"L42", 42},
      {"B-5", -5},
      {"W300", 300},
      {"I-70000", -70000},
      {"L7 L2 /", 3},
      {"L-7 L2 /", -3},
      {"L-7 L2 %", -1},
      {"L7 L0 /", 0},
      {"L7 L0 %", 0},
      {"L-9223372036854775807 L1 - L-1 /", INT64_MIN},
      {"L-9223372036854775807 L1 - L-1 %", 0},
      {"L9223372036854775807 L1 +", INT64_MIN},
      {"L6 L3 A", 2},
      {"L6 L3 O", 7},
      {"L6 L3 ^", 5},
      {"L2 L0 &", 0},
      {"L2 L3 &", 1},
      {"L0 L0 |", 0},
      {"L0 L5 |", 1},
      {"L3 L3 =", 1},
      {"L3 L4 =", 0},
      {"L3 L4 !", 1},
      {"L4 L3 >", 1},
      {"L3 L4 <", 1},
      {"L3 L3 Z", 1},
      {"L3 L4 Z", 0},
      {"L3 L4 S", 1},
      {"L4 L3 S", 0},
      {"L5 R", -5},
      {"L1 L2 , +", 3},
      {"F2.9", 2},
      {"F-2.9", -2},
      {"F1e300", INT64_MAX},
      {"F-1e300", INT64_MIN},
      {"Fnan", 0},
      {"H$1000", 7},
      {"H$1000 L1 +", 8},
      {"V$1001 L1 L2 )", 60},
      {"V$1001 L2 )", 80},
      {"V$1001 L1 L1 L1 + )", 60},
      {"H#1000", int64_t(1000) << 32},
      {"V#1001 L1 L2 )", (int64_t(1001) << 32) + 6},
      {"V`1001 L2 L3 )", (int64_t(1001) << 32) + 11},
      {"H#49", 0},
      {"H$49", 999},
      {"H$1002", 2},
      {"M\"123\" i", 123},
      {"M\"0x1F\" i", 31},
      {"M\"0xffffffffffffffff\" i", -1},
      {"M\"-5\" i", -5},
      {"M\"2.5\" i", 2},
      {"M\"ab\" M\"ab\" =", 1},
      {"M\"ab\" M\"abc\" =", 0},
      {"M\"ab\" M\"abc\" !", 1},
      {"", 0},
      {"M\"text\"", 0},
      {"V$50 H#1000 )", 7},
      {"V$50 V#1001 L2 L3 ) )", 110},
      {"V$70 H#1002 )", 2},
      {"V$70 H#1003 )", 3},
  };
  ErrCapture log;
  for (const IntCase& c : cases) {
    EXPECT_EQ(I(c.src), c.want) << c.src;
  }
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST_F(Expr, DoubleFrontEnd) {
  struct Case {
    const char* src;
    double want;
  } cases[] = {
      {"L7 L2 /", 3.5},
      {"L7 L2 %", 7.0},      // % leaves x in double arithmetic
      {"L6 L3 A", 6.0},      // bitwise leaves x
      {"L6 L3 O", 6.0},
      {"F0.5 F0.25 +", 0.75},
      {"F1 F0 /", 0.0},
      {"H$1002", 2.5},
      {"H$1000", 7.0},
      {"V$1001 F1.9 L2 )", 60.0},  // indices are integer arithmetic
      {"V$1005 L1 )", 0.75},
      {"V$51 V#1005 L1 ) )", 0.75},
      {"F2 F3 <", 1.0},
      {"M\"2.25\" i", 2.25},
  };
  ErrCapture log;
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(D(c.src), c.want) << c.src;
  // Value type 1 through the double table runs integer arithmetic.
  EXPECT_DOUBLE_EQ(D("L7 L2 /", 1), 3.0);
  // Value type 2 through the integer table truncates toward zero.
  EXPECT_EQ(I("F2.9", 2), 2);
  EXPECT_EQ(I("F-2.9", 2), -2);
  EXPECT_EQ(I("L7 L2 /", 2), 3);
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST_F(Expr, TextFrontEnd) {
  ErrCapture log;
  EXPECT_EQ(S("M\"ab\" M\"cd\" +"), "abcd");
  EXPECT_EQ(S("L42 s"), "42");
  EXPECT_EQ(S("L-42 s"), "-42");
  EXPECT_EQ(S("F2.5 s", 4), "2.500000");
  EXPECT_EQ(S("H$1003"), "hey");
  EXPECT_EQ(S("V$1004 L1 )"), "second");
  EXPECT_EQ(S("V$52 V#1004 L1 ) )"), "second");
  EXPECT_EQ(S("L5"), "");  // a number is not a text result
  // Escapes: \\ gives a backslash, \n and \t their controls, \q gives q.
  EXPECT_EQ(S("M\"a\\\\b\\nc\\td\\qe\""), "a\\b\nc\td" "qe");
  EXPECT_EQ(S("M\"say \\\"hi\\\"\""), "say \"hi\"");
  // A Shift-JIS character whose trail byte is a backslash stays whole.
  EXPECT_EQ(SRaw(fx::Token('M', "\"\x95\\x\"")), "\x95\\x");
  // The double table's type 2 fetched as text runs integer text mode.
  EXPECT_EQ(S("F2.5 s", 2), "2");
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST_F(Expr, ErrorsStopWithTheirNumbers) {
  struct Case {
    const char* src;
    int err;
  } cases[] = {
      {"M\"a\" L1 +", 160010},
      {"L1 M\"a\" -", 160010},
      {"M\"a\" R", 160010},
      {"M\"a\" L1 =", 160010},
      {"M\"a\" M\"b\" <", 160010},
      {"M\"a\" L1 *", 160010},
      {"M\"a\" M\"b\" &", 160010},
      {"V$1001 M\"1\" L0 )", 160010},
      {"M\"12a\" i", 108210},
      {"M\"1 2\" i", 108210},
      {"H$1050", 108010},
      {"H$5000", 108010},
      {"H$-1", 108010},
      {"V$1050 L0 )", 108010},
      {"V$1001 L3 L0 )", 107010},
      {"V$1001 L0 L4 )", 107010},
      {"V$1001 L-1 L0 )", 107010},
      {"V$1001 L0 L0 L0 )", 107010},
      {"V$1000 L0 )", 107010},
      {"V$50 L1 L2 )", 107020},
      {"V$51 )", 107020},
      {"L1 +", 900030},
      {"+", 900030},
      {"R", 900030},
      {")", 900030},
      {"!7f", 900030},
      {"?", 900030},
      {"L1 L2 Q", 900030},
  };
  for (const auto& c : cases) {
    ErrCapture log;
    I(c.src);
    EXPECT_EQ(g_Expr.status, -1) << c.src;
    EXPECT_EQ(log.First(), c.err) << c.src;
  }
}

// Payloads that lie about their sizes, built token by token.
TEST_F(Expr, HostilePayloadsFailInsideTheExpression) {
  const std::string cases[] = {
      std::string("L"),                                // header cut short
      std::string("L\x08", 2),                         // length byte without its pair
      fx::Token('L', "1234"),                          // payload shorter than an i64
      fx::Token('F', "1"),                             // shorter than a double
      fx::Token('I', "12"),
      fx::Token('H', "$12"),                           // sigil and 2 of 4 number bytes
      fx::Token('V', "$"),
      fx::Token('L', "12345678").substr(0, 7),         // length says 8, 4 bytes there
      std::string("L\xff\xff", 3) + "12345678",        // length 65535 past the end
  };
  for (const std::string& b : cases) {
    ErrCapture log;
    I("");  // reset
    int64_t v = g_ExprEvalInt[1](reinterpret_cast<const uint8_t*>(b.data()), uint32_t(b.size()));
    EXPECT_EQ(v, 0);
    EXPECT_EQ(g_Expr.status, -1);
    EXPECT_EQ(log.First(), 900030);
  }
  // A text literal without its closing quote ends at the payload's end and
  // never reads the bytes after it.
  std::string open = fx::Token('M', "\"abc") + "\"zz";
  EXPECT_EQ(SRaw(open.substr(0, 7)), "abc");
  // A backslash as the payload's last byte is dropped.
  EXPECT_EQ(SRaw(fx::Token('M', "\"ab\\")), "ab");
}

TEST_F(Expr, StackAndAccessLimitsAreReported) {
  std::string deep;
  for (int i = 0; i < kExprStackMax; ++i) deep += "L1 ";
  {
    ErrCapture log;
    EXPECT_EQ(I(deep), 1);  // exactly full works
    EXPECT_TRUE(log.Empty());
  }
  {
    ErrCapture log;
    I(deep + "L1");
    EXPECT_EQ(log.First(), 900030);
  }
  std::string nest;
  for (int i = 0; i < kExprAccessMax + 1; ++i) nest += "V$1001 ";
  ErrCapture log;
  I(nest);
  EXPECT_EQ(log.First(), 900030);
}

TEST_F(Expr, TextsAreCutToTheirBufferOnCharacterEdges) {
  std::string a(3000, 'a'), b(3000, 'b');
  std::string r = S("M\"" + a + "\" M\"" + b + "\" +");
  EXPECT_EQ(r.size(), size_t(kExprTextSize - 1));
  EXPECT_EQ(r.substr(0, 3000), a);
  // A literal longer than a buffer.
  EXPECT_EQ(S("M\"" + std::string(5000, 'x') + "\"").size(), size_t(kExprTextSize - 1));
  // 4094 bytes plus a double-byte character cannot split it.
  std::string j = fx::Token('M', "\"" + std::string(4094, 'a') + "\"") + fx::Token('M', "\"\x82\xa0\"") +
                  fx::Token('+');
  EXPECT_EQ(SRaw(j).size(), size_t(4094));
}

TEST_F(Expr, LoadModeStopsAtVariablesWithoutReport) {
  ErrCapture log;
  Expr_InitOpTable(0);
  g_Expr.notConst = 0;
  I("M\"lab\" H$1000 +");
  EXPECT_EQ(g_Expr.notConst, 1);
  g_Expr.notConst = 0;
  EXPECT_EQ(S("M\"lab\""), "lab");
  EXPECT_EQ(g_Expr.notConst, 0);
  I("L1 +");  // malformed: quiet in load mode
  Expr_InitOpTable(1);
  EXPECT_TRUE(log.Empty());
}

TEST_F(Expr, LastVariableOutputs) {
  I("V$1001 L2 L1 )");
  EXPECT_EQ(g_Expr.lastVar, 1001u);
  EXPECT_EQ(g_Expr.lastIndex, 9);
  EXPECT_EQ(g_Expr.lastWhole, 0);
  I("v$1003");
  EXPECT_EQ(g_Expr.lastVar, 1003u);
  EXPECT_EQ(g_Expr.lastWhole, 1);
  I("L5");
  EXPECT_EQ(g_Expr.lastNamed, 0);
  // Reference-only (declarations) records the indices unchecked.
  g_Expr.refOnly = 1;
  I("V$1001 L40 L50 )");
  g_Expr.refOnly = 0;
  EXPECT_EQ(g_Expr.lastVar, 1001u);
  ASSERT_EQ(g_Expr.refDimCount, 2);
  EXPECT_EQ(g_Expr.refDims[0], 40);
  EXPECT_EQ(g_Expr.refDims[1], 50);
}

TEST(ExprConvert, DoubleToIntSaturates) {
  EXPECT_EQ(Expr_DoubleToInt(2.9), 2);
  EXPECT_EQ(Expr_DoubleToInt(-2.9), -2);
  EXPECT_EQ(Expr_DoubleToInt(NAN), 0);
  EXPECT_EQ(Expr_DoubleToInt(INFINITY), INT64_MAX);
  EXPECT_EQ(Expr_DoubleToInt(-INFINITY), INT64_MIN);
  EXPECT_EQ(Expr_DoubleToInt(9223372036854775808.0), INT64_MAX);
  EXPECT_EQ(Expr_DoubleToInt(-9223372036854775808.0), INT64_MIN);
}

}  // namespace
