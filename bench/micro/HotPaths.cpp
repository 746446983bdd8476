// Micro-benchmarks of the interpreter's hot paths: value allocation, the application of a
// built-in, a user function call, identifier lookup, list normalisation, and one small
// whole run for scale.

#include "MicroSupport.h"

#include "interpreter/Interpreter.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "values/Value.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using bench::CArenaCycle;
using bench::CInputs;
using bench::CProgram;

const char* const kProgram = R"(
funcdef x { (x, 1) : + >> return } >> inc
fib << funcdef n {
  (n, 2) : < >> small ;
  (2, small : int) : - >> branch ;
  ({n}, {((n, 1) : - : fib, (n, 2) : - : fib) : +}) : branch : . >> return
}
const (1, 2, 3) >> k
funcdef x { x >> a ; (a, k, inc) >> return } >> lookups
)";

const CProgram& Program() {
    static const CProgram program(kProgram);
    return program;
}

CListValue* DataOf(const std::vector<CValue*>& elements, int kind = kKindDataList) {
    auto* list = new CListValue(kind, static_cast<std::int32_t>(elements.size()));
    for (std::size_t i = 0; i < elements.size(); ++i)
        list->elements[i] = elements[i];
    return list;
}

CListValue* Numbers(int count, int kind = kKindDataList) {
    std::vector<CValue*> elements;
    for (int i = 0; i < count; ++i)
        elements.push_back(new CIntValue(i + 1));
    return DataOf(elements, kind);
}

void BM_AllocateInt(benchmark::State& state) {
    CArenaCycle arena(state);
    std::int32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(new CIntValue(++i));
        arena.Tick();
    }
}
BENCHMARK(BM_AllocateInt);

void BM_AllocateList8(benchmark::State& state) {
    CArenaCycle arena(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(new CListValue(kKindDataList, 8));
        arena.Tick();
    }
}
BENCHMARK(BM_AllocateList8);

// One application of a built-in to a pair: (2, 3) : + and (2, 3) : <.
void ApplyToPair(benchmark::State& state, int code) {
    CInputs inputs;
    CValue* pair = DataOf({new CIntValue(2), new CIntValue(3)});
    CValue* func = new CSignValue(code);
    CArenaCycle arena(state);
    CInterpreter interp;
    CRunContext run;
    for (auto _ : state) {
        CValue* out = nullptr;
        benchmark::DoNotOptimize(interp.Interpret(nullptr, pair, func, &out, run));
        benchmark::DoNotOptimize(out);
        arena.Tick();
    }
}
void BM_ApplyAdd(benchmark::State& state) {
    ApplyToPair(state, 2);
}
BENCHMARK(BM_ApplyAdd);
void BM_ApplyLess(benchmark::State& state) {
    ApplyToPair(state, 12);
}
BENCHMARK(BM_ApplyLess);

// [1, ..., 16] : "-": the application spreads over a parallel list.
void BM_ApplySpread16(benchmark::State& state) {
    CInputs inputs;
    CValue* numbers = Numbers(16, kKindParList);
    CValue* minus = new CSignValue(kTokMinus);
    CArenaCycle arena(state);
    CInterpreter interp;
    CRunContext run;
    for (auto _ : state) {
        CValue* out = nullptr;
        benchmark::DoNotOptimize(interp.Interpret(nullptr, numbers, minus, &out, run));
        arena.Tick();
    }
}
BENCHMARK(BM_ApplySpread16);

// Selecting one element of a long data list: the argument's size should not matter.
void BM_SelectFromLongList(benchmark::State& state) {
    CInputs inputs;
    CValue* numbers = Numbers(static_cast<int>(state.range(0)));
    CValue* index = new CIntValue(static_cast<std::int32_t>(state.range(0) / 2));
    CArenaCycle arena(state);
    CInterpreter interp;
    CRunContext run;
    for (auto _ : state) {
        CValue* out = nullptr;
        benchmark::DoNotOptimize(interp.Interpret(nullptr, numbers, index, &out, run));
        arena.Tick();
    }
}
BENCHMARK(BM_SelectFromLongList)->Arg(10)->Arg(10000);

// 5 : inc, a call of the user function funcdef x { (x, 1) : + >> return }.
void BM_CallUserFunction(benchmark::State& state) {
    CInputs inputs;
    CValue* five = new CIntValue(5);
    CValue* inc = new CRefValue(kKindFuncRef, Program().Function("inc"));
    CArenaCycle arena(state);
    CInterpreter interp;
    CRunContext run;
    for (auto _ : state) {
        CValue* out = nullptr;
        benchmark::DoNotOptimize(interp.Interpret(nullptr, five, inc, &out, run));
        arena.Tick();
    }
}
BENCHMARK(BM_CallUserFunction);

// An identifier inside the function "lookups" while that function runs: its argument,
// a named value already computed, a function name and a constant already computed.
void BM_IdentifierLookup(benchmark::State& state) {
    static const char* const kNames[] = {"x", "a", "inc", "k"};
    const char* name = kNames[state.range(0)];
    state.SetLabel(name);
    CModuleNode* module = Program().Module();
    auto* function = static_cast<CFunctionNode*>(Program().Function("lookups"));
    CRunContext run(module);
    CFrameGuard moduleFrame(run.frames.Of(*module));
    CFrameGuard functionFrame(run.frames.Of(*function));
    CInputs inputs;
    CValue* input = new CIntValue(7);
    function->StoreValue(run.frames, "a", new CIntValue(8));
    module->StoreValue(run.frames, "k", Numbers(3));
    CIdentifierNode identifier(function, name);
    identifier.Prepare();
    CArenaCycle arena(state);
    CInterpreter interp;
    for (auto _ : state) {
        CValue* out = nullptr;
        benchmark::DoNotOptimize(identifier.Eval(input, &out, run, &interp));
        benchmark::DoNotOptimize(out);
        arena.Tick();
    }
}
BENCHMARK(BM_IdentifierLookup)->DenseRange(0, 3);

// A freshly built data list of 16 numbers that needs nothing, and one with two parallel
// lists to splice and two markers to drop.
void BM_NormalizeUnchanged(benchmark::State& state) {
    CInputs inputs;
    CListValue* list = Numbers(16);
    CArenaCycle arena(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Normalize(list));
        arena.Tick();
    }
}
BENCHMARK(BM_NormalizeUnchanged);

void BM_NormalizeSpliceAndDrop(benchmark::State& state) {
    CInputs inputs;
    std::vector<CValue*> elements;
    for (int i = 0; i < 12; ++i)
        elements.push_back(new CIntValue(i));
    elements.insert(elements.begin() + 3, Numbers(4, kKindParList));
    elements.insert(elements.begin() + 8, Numbers(4, kKindParList));
    elements.insert(elements.begin() + 5, new CSignValue(kTokDot));
    elements.push_back(new CSignValue(kTokDot));
    CListValue* list = DataOf(elements);
    CArenaCycle arena(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Normalize(list));
        arena.Tick();
    }
}
BENCHMARK(BM_NormalizeSpliceAndDrop);

// A whole run for scale: fib 15 (1,973 calls).
void BM_RunFib15(benchmark::State& state) {
    CInterpreter interp;
    CRunContext run(Program().Module());
    CModuleNode* module = Program().Module();
    for (auto _ : state) {
        CArena arena;
        CArenaScope scope(arena);
        CValue* out = nullptr;
        benchmark::DoNotOptimize(module->Run("fib", new CIntValue(15), &out, run, &interp));
    }
}
BENCHMARK(BM_RunFib15)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
