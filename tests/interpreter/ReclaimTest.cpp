// Region reclamation at the end of function calls, measured: what calls leave behind no
// longer adds up over a run, and a shared result is copied once. That results survive their
// calls intact is in tests/golden/cases/reclaim.tvn.

#include "TestSupport.h"

#include "interpreter/Interpreter.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "translator/ParserSupport.h"
#include "values/Reclaim.h"
#include "values/StackGuard.h"

#include <gtest/gtest.h>

#include <string>

using namespace test;

namespace {

constexpr const char* kProgram = R"(
funcdef n { ((1, 20000) : .. : |, n) : + >> return } >> waste
funcdef n { ((1, n) : .. : [] : waste) : | >> return } >> manyCalls
typedef v { (v : |, 0) : > >> return } >> nonEmpty
funcdef n { (1, n) : .. >> xs ; (xs, xs, xs : nonEmpty) >> return } >> shared
funcdef n {
  n : shared >> a ;
  (a : 1 : |, a : 2 : n, a : 3 : value : 1, a : 3) >> return
} >> sharedResult
)";

class ReclaimTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Translation translation = TranslateText(m_parser, kProgram);
        ASSERT_TRUE(translation.ok) << translation.report;
        m_module = translation.module;
    }

    // The printed result of a run of function on the integer argument, and the arena's
    // bytes in use after it.
    std::string Run(const std::string& function, int argument, std::size_t* used = nullptr) {
        CArena arena;
        std::string text;
        RunOnLargeStack([&] {
            CArenaScope scope(arena);
            CInterpreter interp;
            CRunContext run(m_module);
            CValue* out = nullptr;
            if (m_module->Run(function, new CIntValue(argument), &out, run, &interp) && out)
                text = Printed(out);
        });
        if (used != nullptr)
            *used = arena.BytesUsed();
        return text;
    }

    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_module = nullptr;
};

TEST_F(ReclaimTest, WhatCallsLeaveBehindIsGivenBackAndASharedResultCopiedOnce) {
    // A hundred calls that allocate about half a megabyte each and return a number.
    std::size_t used = 0;
    ASSERT_EQ(Run("manyCalls", 100, &used), "100");
    EXPECT_LT(used, std::size_t(4) << 20) << used;
    // Three references to one list of 200,000 numbers: one copy survives the call.
    const std::string printed = Run("sharedResult", 200000, &used);
    ASSERT_TRUE(printed.starts_with("(200000,200000,1,(nonEmpty,(1,2,3,")) << printed.substr(0, 80);
    const std::size_t oneList = 200000 * (sizeof(CIntValue) + sizeof(CValue*));
    EXPECT_LT(used, 2 * oneList) << used;
}

} // namespace
