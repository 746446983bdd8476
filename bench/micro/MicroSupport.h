#pragma once
// What the micro-benchmarks share: a program translated from text, and an arena that is
// renewed now and then so that a long benchmark does not grow the process without end.

#include "model/Scope.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "values/Arena.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

namespace bench {

// A translated program; the parser owns its nodes for the object's lifetime.
class CProgram {
public:
    explicit CProgram(const std::string& text);
    CModuleNode* Module() const { return m_pModule; }
    CNode* Function(const std::string& name) const;

private:
    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_pModule = nullptr;
};

// The arena of a benchmark's inputs: current from construction until a CArenaCycle
// made later takes over; the inputs live as long as the object.
class CInputs {
public:
    CInputs() : m_scope(m_arena) {}

private:
    CArena m_arena;
    CArenaScope m_scope;
};

// The current arena of the benchmark's thread. Tick() gives back what the iterations have
// allocated after a fixed number of them, so that the space is reused as a run reuses it.
class CArenaCycle {
public:
    explicit CArenaCycle(benchmark::State& state)
        : m_state(state), m_scope(m_arena), m_pMark(m_arena.Top()) {}
    void Tick() {
        if (++m_nTicks % kReleaseEvery == 0) {
            m_state.PauseTiming();
            m_arena.Release(m_pMark);
            m_state.ResumeTiming();
        }
    }

private:
    static constexpr std::uint64_t kReleaseEvery = 1 << 14;

    benchmark::State& m_state;
    CArena m_arena;
    CArenaScope m_scope;
    std::byte* m_pMark;
    std::uint64_t m_nTicks = 0;
};

} // namespace bench
