// The script VM on its hot path, side by side with the same work as plain
// C++ and as Lua 5.4 (run as a separate process and timed here):
//   VmLoop          a fixture game's LOOP(10,000,000) { v = v + 1 }, loaded
//                   through the compiler store like a real game and run by
//                   the frame's pass loop (two instructions a round: the
//                   assignment and the loop end)
//   Lua54Loop       lua5.4 running the same loop (its start-up, measured
//                   with an empty loop, is taken off)
//   CppIndirectLoop the same rounds in C++ through two indirect calls a
//                   round, as the runner makes one handler call per
//                   instruction
//   TaskRunnerLoop  the task runner over a hand-built scene whose body is
//                   the planned assignment, the general one, or nothing
//   Expr*, Cpp*, LuaArith  one compiled expression evaluated again and again
//                   (ExprShort: v + 1, decoded without the token loop)
// Counters give ns per round (and per instruction). After the run a summary
// prints the three loop figures and the ratio VM / Lua 5.4 (the target is
// at most 3); it uses the fastest round of each, as the machine is shared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/files.h"
#include "shell/shell.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

#include "support/script_writer.h"

namespace {

constexpr int64_t kLoopRounds = 10000000;
constexpr int64_t kLuaExprRounds = 10000000;
constexpr uint32_t kLoopVar = 1000;

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point t0, Clock::time_point t1) { return std::chrono::duration<double>(t1 - t0).count(); }

// Fastest round of each loop (ns per iteration), for the summary; 0 = not run.
struct Figures {
  double vmRound = 0, vmInstr = 0, luaRound = 0, cppRound = 0;
  double instrPerRound = 0;
} g_Fig;

void KeepFastest(double* slot, double v) {
  if (v > 0 && (*slot == 0 || v < *slot)) *slot = v;
}

void ReportPerRound(benchmark::State& state, int64_t rounds) {
  state.counters["ns/round"] =
      benchmark::Counter(double(rounds), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// ---- The loop: VM, Lua 5.4, C++ through indirect calls -----------------------

// The system task runs LOOP(kLoopRounds) { v = v + 1 } in one frame.
void BM_VmLoop(benchmark::State& state) {
  fx::Game g;
  g.IntVar(kLoopVar);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Loop(fx::Int(kLoopRounds));
  s.Let(fx::Var(kLoopVar), fx::Asm("H$1000 L1 +"));
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
  auto restart = [task] {
    Var_SetIntElement(kLoopVar, 0, 0);
    task->pc = 0;
    task->ifDepth = task->loopDepth = 0;
    task->frameWait = 0;
  };
  // One untimed run counts the instructions (debug mode counts commands).
  restart();
  g_DebugMode = 1;
  uint64_t before = g_DebugCmdCount;
  Vm_RunFramePasses();
  g_DebugMode = 0;
  const double instrs = double(g_DebugCmdCount - before);
  for (auto _ : state) {
    restart();
    auto t0 = Clock::now();
    Vm_RunFramePasses();
    KeepFastest(&g_Fig.vmRound, Seconds(t0, Clock::now()) * 1e9 / double(kLoopRounds));
  }
  if (Var_GetIntElement(kLoopVar, 0) != kLoopRounds) state.SkipWithError("loop did not run to its end");
  g_Fig.instrPerRound = instrs / double(kLoopRounds);
  g_Fig.vmInstr = g_Fig.vmRound / g_Fig.instrPerRound;
  ReportPerRound(state, int64_t(state.iterations()) * kLoopRounds);
  state.counters["ns/instr"] = benchmark::Counter(double(state.iterations()) * instrs,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["instr/round"] = g_Fig.instrPerRound;
}
BENCHMARK(BM_VmLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

// Seconds one lua5.4 process takes for a chunk; negative when it failed.
double RunLua(const std::string& chunk) {
  std::string cmd = "lua5.4 -e '" + chunk + "' > /dev/null 2>&1";
  auto t0 = Clock::now();
  int rc = std::system(cmd.c_str());
  return rc == 0 ? Seconds(t0, Clock::now()) : -1.0;
}

// Times a chunk with `rounds` rounds; the same process with an empty loop
// gives the start-up to take off.
bool LuaBench(benchmark::State& state, const std::string& chunk, int64_t rounds, double* fastest) {
  if (RunLua("local x = 0") < 0) {
    state.SkipWithError("lua5.4 is not installed");
    return false;
  }
  for (auto _ : state) {
    double startup = RunLua("local x = 0");
    double t = RunLua(chunk);
    double net = t > startup ? t - startup : t;
    state.SetIterationTime(net);
    if (fastest) KeepFastest(fastest, net * 1e9 / double(rounds));
  }
  ReportPerRound(state, int64_t(state.iterations()) * rounds);
  return true;
}

void BM_Lua54Loop(benchmark::State& state) {
  LuaBench(state, "local v = 0 for i = 1, " + std::to_string(kLoopRounds) + " do v = v + 1 end print(v)",
           kLoopRounds, &g_Fig.luaRound);
}
BENCHMARK(BM_Lua54Loop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Two indirect calls a round, as the runner's two handlers.
int64_t g_V = 0, g_Counter = 0, g_Rounds = 0;
int32_t AddOne() {
  g_V = g_V + 1;
  return 0;
}
int32_t CountRound() { return ++g_Counter >= g_Rounds; }

void BM_CppIndirectLoop(benchmark::State& state) {
  g_Rounds = kLoopRounds;
  CmdHandler table[2] = {AddOne, CountRound};
  CmdHandler* volatile handlers = table;  // keep the calls indirect
  for (auto _ : state) {
    auto t0 = Clock::now();
    g_V = 0;
    g_Counter = 0;
    for (uint32_t pc = 0;; pc ^= 1) {
      if (handlers[pc]()) break;
    }
    benchmark::DoNotOptimize(g_V);
    KeepFastest(&g_Fig.cppRound, Seconds(t0, Clock::now()) * 1e9 / double(kLoopRounds));
  }
  ReportPerRound(state, int64_t(state.iterations()) * kLoopRounds);
}
BENCHMARK(BM_CppIndirectLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same rounds in plain C++, for scale.
void BM_CppPlainLoop(benchmark::State& state) {
  for (auto _ : state) {
    int64_t v = 0;
    for (int64_t i = 0; i < kLoopRounds; ++i) {
      v = v + 1;
      benchmark::DoNotOptimize(v);
    }
  }
  ReportPerRound(state, int64_t(state.iterations()) * kLoopRounds);
}
BENCHMARK(BM_CppPlainLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- The task runner over a hand-built scene ----------------------------------

std::string Token(char op, const std::string& payload) {
  std::string t(1, op);
  uint16_t n = uint16_t(payload.size());
  t.append(reinterpret_cast<const char*>(&n), 2);
  return t + payload;
}
std::string IntLit(int64_t v) { return Token('L', std::string(reinterpret_cast<const char*>(&v), 8)); }
std::string VarRef(int32_t n) { return Token('H', "$" + std::string(reinterpret_cast<const char*>(&n), 4)); }

int32_t StopHandler() { return 1; }

// Scene: 0 LOOP(rounds, end 2)  1 body  2 LOOP END  3 stop. The body is the
// planned assignment v = v + 1 (as the scene loader installs it), the same
// through the general Cmd_Let, or an empty command (the runner and the loop
// end alone).
enum Body { kBodyEmpty = 0, kBodyGeneral = 1, kBodyPlanned = 2 };
struct LoopScene {
  std::string expr;
  std::vector<ArgDesc> descs;
  std::vector<ArgDesc*> firstDesc;
  std::vector<uint8_t> argc{2, 2, 0, 0};
  std::vector<uint16_t> extra = std::vector<uint16_t>(4, 0);
  std::vector<uint32_t> lines{1, 2, 3, 4};
  std::vector<CmdHandler> cmds{Cmd_Loop, Cmd_Let, Cmd_LoopEnd, StopHandler};
  std::vector<CmdHandler> gates = std::vector<CmdHandler>(4, Vm_StepGate);
  LetPlan plan;
  std::vector<const LetPlan*> plans = std::vector<const LetPlan*>(4, nullptr);
  SceneCode code;

  ArgDesc Desc(uint8_t id, const std::string& e) {
    ArgDesc d{id, 0, 1, 0, uint32_t(e.size()), uint32_t(expr.size())};
    expr += e;
    return d;
  }
  LoopScene(int64_t rounds, Body body) {
    descs.push_back(Desc(kLoopArgCount, IntLit(rounds)));
    descs.push_back(ArgDesc{kLoopArgEnd, 0, 1, 0, 2, 0});  // pc of the loop end
    descs.push_back(Desc(kLetArgTarget, VarRef(kLoopVar)));
    descs.push_back(Desc(kLetArgValue, VarRef(kLoopVar) + IntLit(1) + Token('+', "")));
    firstDesc = {&descs[0], &descs[2], &descs[4], &descs[4]};
    code.expr = reinterpret_cast<const uint8_t*>(expr.data());
    if (body == kBodyEmpty) cmds[1] = Cmd_Empty;
    if (body == kBodyPlanned && Let_MakePlan(&descs[2], code.expr, &plan)) {
      cmds[1] = Cmd_LetPlanned;
      plans[1] = &plan;
      code.letPlan = plans.data();
    }
    code.count = 4;
    code.handlers[0] = gates.data();
    code.handlers[1] = cmds.data();
    code.extra = extra.data();
    code.argc = argc.data();
    code.desc = firstDesc.data();
    code.exprSize = uint32_t(expr.size());
    code.lines = lines.data();
  }
};

// Variables 1000..1002 as int scalars, in the fixture game's table when an
// earlier benchmark loaded one.
void SetUpRunner() {
  if (g_VarTable.count < kLoopVar + 3) Var_AllocTable(kLoopVar + 3);
  for (uint32_t v = kLoopVar; v < kLoopVar + 3; ++v) {
    if (g_VarTable.vars[v].type == 1) continue;
    g_VarTable.vars[v].group = 1;
    Var_AllocInt(v, 0);
  }
  Obj_CreateSystemRoots();
}

void BM_TaskRunnerLoop(benchmark::State& state) {
  SetUpRunner();
  const Body body = Body(state.range(0));
  LoopScene scene(kLoopRounds, body);
  ObjNode* root = g_TreeRoots[kTreeTask].root;
  ObjNode* node = Obj_NewNode("bench", 5, kObjKindLeaf, nullptr);
  TaskRec* t = Task_NewRecord(node);
  t->code = scene.code;
  t->hasScene = 1;
  Obj_LinkChild(root, node, 1000);
  for (auto _ : state) {
    Var_SetIntElement(kLoopVar, 0, 0);
    t->pc = 0;
    t->loopDepth = 0;
    ++g_VmPassCounter;
    Vm_RunTasks(root);
  }
  if (Var_GetIntElement(kLoopVar, 0) != (body == kBodyEmpty ? 0 : kLoopRounds) || g_QuitRequested)
    state.SkipWithError("wrong result");
  ReportPerRound(state, int64_t(state.iterations()) * kLoopRounds);
  state.counters["ns/instr"] = benchmark::Counter(2.0 * double(kLoopRounds) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  Task_End(node);
}
BENCHMARK(BM_TaskRunnerLoop)
    ->ArgName("body")
    ->Arg(kBodyPlanned)
    ->Arg(kBodyGeneral)
    ->Arg(kBodyEmpty)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// ---- One expression -------------------------------------------------------------

void SetExprVars() {
  static bool done = [] {
    SetUpRunner();
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

void BM_ExprArith(benchmark::State& state) {
  SetExprVars();
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

// A short expression (v + 1), which the integer front end decodes itself.
void BM_ExprShort(benchmark::State& state) {
  SetExprVars();
  static const fx::Expr e = fx::Asm("H$1000 L1 +");
  auto* p = reinterpret_cast<const uint8_t*>(e.bytes.data());
  uint32_t len = uint32_t(e.bytes.size());
  int64_t sum = 0;
  for (auto _ : state) sum += g_ExprEvalInt[1](p, len);
  benchmark::DoNotOptimize(sum);
  ReportPerRound(state, int64_t(state.iterations()));
}
BENCHMARK(BM_ExprShort);

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

void BM_LuaArith(benchmark::State& state) {
  LuaBench(state,
           "local a, b, c, s = 123, 45, 6, 0 for i = 1, " + std::to_string(kLuaExprRounds) +
               " do s = s + ((a * 3 + b) % 7 - c // 2) end print(s)",
           kLuaExprRounds, nullptr);
}
BENCHMARK(BM_LuaArith)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintSummary() {
  if (!g_Fig.vmRound && !g_Fig.luaRound && !g_Fig.cppRound) return;
  std::printf("\nLoop of %lld rounds of v = v + 1 (fastest round of each):\n", static_cast<long long>(kLoopRounds));
  if (g_Fig.vmRound)
    std::printf("  VM                 %6.2f ns/iteration  %6.2f ns/instruction  (%.2f instructions/iteration)\n",
                g_Fig.vmRound, g_Fig.vmInstr, g_Fig.instrPerRound);
  if (g_Fig.luaRound) std::printf("  Lua 5.4            %6.2f ns/iteration\n", g_Fig.luaRound);
  if (g_Fig.cppRound) std::printf("  C++ indirect calls %6.2f ns/iteration  (2 calls/iteration)\n", g_Fig.cppRound);
  if (g_Fig.vmRound && g_Fig.luaRound)
    std::printf("  VM / Lua 5.4       %6.2f  (target <= 3: %s)\n", g_Fig.vmRound / g_Fig.luaRound,
                g_Fig.vmRound <= 3 * g_Fig.luaRound ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
