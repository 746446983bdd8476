#pragma once
// Helpers for the tests of the interpretation operator and the built-ins: a fixture with
// an arena and an interpreter, applications through the public operator, and program
// nodes whose evaluation a test decides.

#include "TestSupport.h"

#include "interpreter/Interpreter.h"
#include "interpreter/RunContext.h"
#include "model/Node.h"
#include "values/TaskPool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace test {

// A node whose evaluation is a test's function of the input value.
class CScriptedNode : public CNode {
public:
    using Body = std::function<bool(CValue* input, CValue** out)>;
    CScriptedNode(std::string name, Body body) : m_name(std::move(name)), m_body(std::move(body)) {
        SetName(m_name);
    }
    bool Eval(CValue* input, CValue** out, CRunContext&, CInterpreter*) override {
        ++evaluations;
        return m_body(input, out);
    }
    int evaluations = 0;

private:
    std::string m_name;
    Body m_body;
};

struct Applied {
    std::string text; // the result's text form
    bool ok;
    CValue* value;
};

class InterpretFixture : public ::testing::Test {
protected:
    // Scripted nodes record what they see in one list: its items stay on one thread.
    void SetUp() override { SetParallelJobs(1); }
    void TearDown() override { SetParallelJobs(0); }

    Applied Apply(CValue* arg, CValue* func) {
        CValue* out = nullptr;
        const bool ok = interp.Interpret(nullptr, arg, func, &out, run);
        return {out ? Printed(out) : std::string("<null>"), ok, out};
    }

    // A node owned by the test.
    CScriptedNode* Node(std::string name, CScriptedNode::Body body) {
        nodes.push_back(std::make_unique<CScriptedNode>(std::move(name), std::move(body)));
        return nodes.back().get();
    }
    // A term that evaluates to the given value.
    CScriptedNode* Yields(CValue* value) {
        return Node("term", [value](CValue*, CValue** out) {
            *out = value;
            return true;
        });
    }
    CValue* FuncRef(CNode* node) { return new CRefValue(kKindFuncRef, node); }
    CValue* TypeRef(CNode* node) { return new CRefValue(kKindTypeRef, node); }
    CValue* Delayed(CNode* node) { return new CRefValue(kKindDelayed, node); }

    CArena arena;
    CArenaScope scope{arena};
    CInterpreter interp;
    CRunContext run; // untraced, in the arena above
    std::vector<std::unique_ptr<CScriptedNode>> nodes;
};

// Waits, briefly sleeping, until cond holds; false after a generous time-out.
inline bool Eventually(const std::function<bool()>& cond) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace test
