// The task runner over a LOOP of rounds of one assignment (v = v + 1),
// beside the same loop in plain C++ (inline, and through two indirect calls
// per round as the runner makes one handler call per instruction) and in
// Lua 5.4 (run as its own process; its start-up time is measured with an
// empty loop and taken off). Each reports ns_per_round.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {
constexpr int64_t kRounds = 1000000;
constexpr int64_t kLongRounds = 10000000;
constexpr uint32_t kVar = 1000;

// Expression tokens: opcode, u16 payload length, payload.
std::string Token(char op, const std::string& payload) {
  std::string t(1, op);
  uint16_t n = uint16_t(payload.size());
  t.append(reinterpret_cast<const char*>(&n), 2);
  return t + payload;
}
std::string IntLit(int64_t v) { return Token('L', std::string(reinterpret_cast<const char*>(&v), 8)); }
std::string VarRef(int32_t n) { return Token('H', "$" + std::string(reinterpret_cast<const char*>(&n), 4)); }

int32_t StopHandler() { return 1; }

// Scene: 0 LOOP(rounds, end 2)  1 v = v + 1  2 LOOP END  3 stop.
struct LoopScene {
  std::string expr;
  std::vector<ArgDesc> descs;
  std::vector<ArgDesc*> firstDesc;
  std::vector<uint8_t> argc{2, 2, 0, 0};
  std::vector<uint16_t> extra = std::vector<uint16_t>(4, 0);
  std::vector<uint32_t> lines{1, 2, 3, 4};
  std::vector<CmdHandler> cmds{Cmd_Loop, Cmd_Let, Cmd_LoopEnd, StopHandler};
  std::vector<CmdHandler> gates = std::vector<CmdHandler>(4, Vm_StepGate);
  SceneCode code;

  ArgDesc Desc(uint8_t id, const std::string& e) {
    ArgDesc d{id, 0, 1, 0, uint32_t(e.size()), uint32_t(expr.size())};
    expr += e;
    return d;
  }
  // Without the assignment the body is an empty command: what is left is the
  // runner and the loop end alone.
  LoopScene(int64_t rounds, bool assign) {
    if (!assign) cmds[1] = Cmd_Empty;
    descs.push_back(Desc(kLoopArgCount, IntLit(rounds)));
    descs.push_back(ArgDesc{kLoopArgEnd, 0, 1, 0, 2, 0});  // pc of the loop end
    descs.push_back(Desc(kLetArgTarget, VarRef(kVar)));
    descs.push_back(Desc(kLetArgValue, VarRef(kVar) + IntLit(1) + Token('+', "")));
    firstDesc = {&descs[0], &descs[2], &descs[4], &descs[4]};
    code.count = 4;
    code.handlers[0] = gates.data();
    code.handlers[1] = cmds.data();
    code.extra = extra.data();
    code.argc = argc.data();
    code.desc = firstDesc.data();
    code.expr = reinterpret_cast<const uint8_t*>(expr.data());
    code.exprSize = uint32_t(expr.size());
    code.lines = lines.data();
  }
};

void PerRound(benchmark::State& state, int64_t rounds) {
  state.counters["ns_per_round"] = benchmark::Counter(double(rounds) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void SetUpVm() {
  static bool done = false;
  if (done) return;
  done = true;
  VarOp_InitTable();
  Expr_InitOpTable(1);
  Var_AllocTable(kVar + 1);
  g_VarTable.vars[kVar].group = 1;
  Var_AllocInt(kVar, 0);
  Obj_CreateSystemRoots();
}

void BM_TaskRunnerLoop(benchmark::State& state) {
  SetUpVm();
  const int64_t rounds = state.range(0);
  const bool assign = state.range(1) != 0;
  LoopScene scene(rounds, assign);
  ObjNode* root = g_TreeRoots[kTreeTask].root;
  ObjNode* node = Obj_NewNode("bench", 5, kObjKindLeaf, nullptr);
  TaskRec* t = Task_NewRecord(node);
  t->code = scene.code;
  t->hasScene = 1;
  Obj_LinkChild(root, node, 1000);
  for (auto _ : state) {
    Var_SetIntElement(kVar, 0, 0);
    t->pc = 0;
    t->loopDepth = 0;
    ++g_VmPassCounter;
    Vm_RunTasks(root);
  }
  if (Var_GetIntElement(kVar, 0) != (assign ? rounds : 0) || g_QuitRequested) state.SkipWithError("wrong result");
  PerRound(state, rounds);
  // Two instructions run per round (the assignment and the loop end).
  state.counters["ns_per_instruction"] = benchmark::Counter(
      2.0 * double(rounds) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  Task_End(node);
}
BENCHMARK(BM_TaskRunnerLoop)
    ->ArgNames({"rounds", "assign"})
    ->Args({kRounds, 1})
    ->Args({kLongRounds, 1})
    ->Args({kRounds, 0})
    ->Unit(benchmark::kMillisecond);

// The same rounds in plain C++.
void BM_PlainLoop(benchmark::State& state) {
  const int64_t rounds = state.range(0);
  for (auto _ : state) {
    int64_t v = 0;
    for (int64_t i = 0; i < rounds; ++i) {
      v = v + 1;
      benchmark::DoNotOptimize(v);
    }
  }
  PerRound(state, rounds);
}
BENCHMARK(BM_PlainLoop)->Arg(kRounds)->Arg(kLongRounds)->Unit(benchmark::kMillisecond);

// Two indirect calls per round, as the runner's two handlers.
int64_t g_V = 0, g_Counter = 0;
int32_t AddOne() {
  g_V = g_V + 1;
  return 0;
}
int64_t g_Rounds = 0;
int32_t CountRound() { return ++g_Counter >= g_Rounds; }

void BM_IndirectCallLoop(benchmark::State& state) {
  g_Rounds = state.range(0);
  CmdHandler table[2] = {AddOne, CountRound};
  CmdHandler* volatile handlers = table;  // keep the calls indirect
  for (auto _ : state) {
    g_V = 0;
    g_Counter = 0;
    for (uint32_t pc = 0;; pc ^= 1) {
      if (handlers[pc]()) break;
    }
    benchmark::DoNotOptimize(g_V);
  }
  PerRound(state, g_Rounds);
}
BENCHMARK(BM_IndirectCallLoop)->Arg(kRounds)->Arg(kLongRounds)->Unit(benchmark::kMillisecond);

// Seconds one lua5.4 process takes for the loop; negative when it failed.
double LuaSeconds(int64_t rounds) {
  std::string cmd = "lua5.4 -e 'local v = 0 for i = 1, " + std::to_string(rounds) +
                    " do v = v + 1 end' >/dev/null 2>&1";
  auto t0 = std::chrono::steady_clock::now();
  int rc = std::system(cmd.c_str());
  auto t1 = std::chrono::steady_clock::now();
  return rc == 0 ? std::chrono::duration<double>(t1 - t0).count() : -1.0;
}

void BM_Lua54Loop(benchmark::State& state) {
  const int64_t rounds = state.range(0);
  if (LuaSeconds(0) < 0) {
    state.SkipWithError("lua5.4 not found");
    return;
  }
  for (auto _ : state) {
    // The same process with an empty loop gives the start-up to take off.
    double startup = LuaSeconds(0);
    double total = LuaSeconds(rounds);
    state.SetIterationTime(total > startup ? total - startup : 0.0);
  }
  PerRound(state, rounds);
}
BENCHMARK(BM_Lua54Loop)->Arg(kRounds)->Arg(kLongRounds)->UseManualTime()->Unit(benchmark::kMillisecond);
}  // namespace
