// The expression evaluator and the VM core on arithmetic, side by side with
// the same work as plain C++ and as Lua 5.4 (run as a separate process and
// timed here):
//   Expr/*      one compiled expression evaluated again and again
//   Cpp/*       the same arithmetic in C++ over volatile inputs
//   VmLoop      a fixture game's LOOP of v = v + 1 (three instructions a
//               round: assignment, loop end, and the body's jump back),
//               loaded through the compiler store like a real game
//   Lua/*       lua5.4 running the same loop and the same expression
// Each reports ns per round in the counter "ns/round".
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/files.h"
#include "shell/shell.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

#include "support/script_writer.h"

namespace {

constexpr int64_t kLoopRounds = 10000000;
constexpr int64_t kLuaExprRounds = 10000000;

void SetVars() {
  static bool done = [] {
    Var_AllocTable(1010);
    for (uint32_t n : {1000u, 1001u, 1002u}) Var_AllocInt(n, 0);
    Var_SetIntElement(1000, 0, 123);
    Var_SetIntElement(1001, 0, 45);
    Var_SetIntElement(1002, 0, 6);
    return true;
  }();
  (void)done;
}

// (a * 3 + b) % 7 - c / 2 over variables 1000, 1001, 1002.
const fx::Expr& ArithExpr() {
  static fx::Expr e = fx::Asm("H$1000 L3 * H$1001 + L7 % H$1002 L2 / -");
  return e;
}

void ReportPerRound(benchmark::State& state, int64_t rounds) {
  state.counters["ns/round"] =
      benchmark::Counter(double(rounds), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ExprArith(benchmark::State& state) {
  SetVars();
  const fx::Expr& e = ArithExpr();
  auto* p = reinterpret_cast<const uint8_t*>(e.bytes.data());
  uint32_t len = uint32_t(e.bytes.size());
  int64_t sum = 0;
  for (auto _ : state) sum += g_ExprEvalInt[1](p, len);
  benchmark::DoNotOptimize(sum);
  ReportPerRound(state, int64_t(state.iterations()));
  state.counters["ns/token"] = benchmark::Counter(double(state.iterations()) * 11,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ExprArith);

void BM_CppArith(benchmark::State& state) {
  volatile int64_t a = 123, b = 45, c = 6;
  int64_t sum = 0;
  for (auto _ : state) sum += (a * 3 + b) % 7 - c / 2;
  benchmark::DoNotOptimize(sum);
  ReportPerRound(state, int64_t(state.iterations()));
}
BENCHMARK(BM_CppArith);

// The same arithmetic through one indirect call per token, the shape of any
// table-driven interpreter.
int64_t g_Stack[16];
int g_Sp;
volatile int64_t g_A = 123, g_B = 45, g_C = 6;
void PushA() { g_Stack[g_Sp++] = g_A; }
void PushB() { g_Stack[g_Sp++] = g_B; }
void PushC() { g_Stack[g_Sp++] = g_C; }
void Push3() { g_Stack[g_Sp++] = 3; }
void Push7() { g_Stack[g_Sp++] = 7; }
void Push2() { g_Stack[g_Sp++] = 2; }
void Mul() { --g_Sp, g_Stack[g_Sp - 1] *= g_Stack[g_Sp]; }
void Add() { --g_Sp, g_Stack[g_Sp - 1] += g_Stack[g_Sp]; }
void Mod() { --g_Sp, g_Stack[g_Sp - 1] %= g_Stack[g_Sp]; }
void Div() { --g_Sp, g_Stack[g_Sp - 1] /= g_Stack[g_Sp]; }
void Sub() { --g_Sp, g_Stack[g_Sp - 1] -= g_Stack[g_Sp]; }
using Op = void (*)();
Op volatile g_Prog[11] = {PushA, Push3, Mul, PushB, Add, Push7, Mod, PushC, Push2, Div, Sub};

void BM_CppArithIndirect(benchmark::State& state) {
  int64_t sum = 0;
  for (auto _ : state) {
    g_Sp = 0;
    for (int i = 0; i < 11; ++i) g_Prog[i]();
    sum += g_Stack[0];
  }
  benchmark::DoNotOptimize(sum);
  ReportPerRound(state, int64_t(state.iterations()));
}
BENCHMARK(BM_CppArithIndirect);

// The system task runs LOOP(kLoopRounds) { v = v + 1 } in one frame.
void BM_VmLoop(benchmark::State& state) {
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Loop(fx::Int(kLoopRounds));
  s.Let(fx::Var(1000), fx::Asm("H$1000 L1 +"));
  s.EndLoop();
  s.Label("idle");
  s.Raw(102, {{0, fx::kTypeInt, 0, fx::Int(1), {}, {}}});
  s.Jump("idle");
  Pack_InitNameTable();
  if (!fx::UseStore(g.Build()) || Obj_CreateSystemRoots() != 0 || Script_LoadConfig() != 0 ||
      Script_LoadAll() != 0) {
    state.SkipWithError("fixture game did not load");
    return;
  }
  TaskRec* task = static_cast<TaskRec*>(Task_SystemNode()->record);
  for (auto _ : state) {
    Var_SetIntElement(1000, 0, 0);
    task->pc = 0;
    task->ifDepth = task->loopDepth = 0;
    task->frameWait = 0;
    Vm_RunFramePasses();
  }
  if (Var_GetIntElement(1000, 0) != kLoopRounds) state.SkipWithError("loop did not run to its end");
  ReportPerRound(state, int64_t(state.iterations()) * kLoopRounds);
  // A round runs two instructions: the assignment and the loop end.
  state.counters["ns/instr"] = benchmark::Counter(double(state.iterations()) * kLoopRounds * 2,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_VmLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

// Runs a Lua chunk in lua5.4 and times the whole process.
double RunLua(const std::string& chunk) {
  std::string cmd = "lua5.4 -e '" + chunk + "' > /dev/null 2>&1";
  auto t0 = std::chrono::steady_clock::now();
  int rc = std::system(cmd.c_str());
  auto t1 = std::chrono::steady_clock::now();
  return rc == 0 ? std::chrono::duration<double>(t1 - t0).count() : -1.0;
}

void LuaBench(benchmark::State& state, const std::string& chunk, int64_t rounds) {
  double startup = RunLua("local x = 0");
  for (auto _ : state) {
    double t = RunLua(chunk);
    if (t < 0) {
      state.SkipWithError("lua5.4 is not installed");
      return;
    }
    state.SetIterationTime(t - startup > 0 ? t - startup : t);
  }
  ReportPerRound(state, int64_t(state.iterations()) * rounds);
}

void BM_LuaLoop(benchmark::State& state) {
  LuaBench(state, "local v = 0 for i = 1, " + std::to_string(kLoopRounds) + " do v = v + 1 end print(v)",
           kLoopRounds);
}
BENCHMARK(BM_LuaLoop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LuaArith(benchmark::State& state) {
  LuaBench(state,
           "local a, b, c, s = 123, 45, 6, 0 for i = 1, " + std::to_string(kLuaExprRounds) +
               " do s = s + ((a * 3 + b) % 7 - c // 2) end print(s)",
           kLuaExprRounds);
}
BENCHMARK(BM_LuaArith)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
