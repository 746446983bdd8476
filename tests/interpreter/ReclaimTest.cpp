// Region reclamation at the end of function calls: results stay intact and keep their
// sharing, values that escape into older frames are never given back, and what a call
// leaves behind no longer adds up over a run. Each call here allocates well above the
// reclamation threshold, so that its region is actually reclaimed, or is one of a spread
// whose elements together do.

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
const (1, 30000) : .. >> big
funcdef x { big : x >> return } >> pick
funcdef n { (n : pick, (n, 1) : + : pick, big : |) >> return } >> constantInCall
funcdef x { ((1, 30000) : .. : |, big : x) : 2 >> return } >> pickAfterWaste
funcdef n { (n : pickAfterWaste, n : pickAfterWaste, big : n) >> return } >> olderValueTwice

funcdef p { p : 1 : . >> return } >> force
funcdef n {
  (({(1, 30000) : .. >> zbig}, 0) : force, zbig) >> a ;
  (a : 1 : |, a : 2 : |, a : 2 : n) >> return
} >> delayedInCall

typedef v { (v : |, 0) : > >> return } >> nonEmpty
funcdef n { (1, n) : .. >> xs ; (xs, xs, xs : nonEmpty) >> return } >> shared
funcdef n {
  n : shared >> a ;
  (a : 1 : |, a : 2 : n, a : 3 : value : 1, a : 3) >> return
} >> sharedResult

funcdef n { ((1, 20000) : .. : |, n) : + >> return } >> waste
funcdef n { ((1, n) : .. : [] : waste) : | >> return } >> manyCalls

funcdef n { ((1, 20000) : .. : [] : -, n) >> return } >> negatives
funcdef n { (n : negatives : 20001, n : negatives : 20000) >> return } >> nested

depth << funcdef n {
  (n, 0) : > : int >> positive ;
  (positive, 1) : + >> branch ;
  ({0}, {((n, 1) : - : depth, 1) : +}) : branch : . >> return
}
funcdef n { (n, 300 : depth) : + >> return } >> deepStep
funcdef p { (p : 1 : deepStep, p : 2) >> return } >> withList
funcdef n {
  (1, n) : .. >> ys ;
  (((1, n) : .., (ys, n) : dup) : # : [] : withList) >> return
} >> sharedAcross
funcdef n { (1, n) : .. >> ys ; (n : deepStep, ys, (ys, ys)) >> return } >> sharing
funcdef n { ((1, n) : .. : [] : sharing) >> return } >> spreadOfSharing
funcdef m { ((1, m) : .. : [] : deepStep) >> return } >> innerLoop
funcdef n { ((1, n) : .. : [] : innerLoop) >> return } >> nestedSpreads
funcdef n {
  [{n : deepStep}, {(1, 30000) : .. >> zbig}, {n : deepStep}] : . >> a ;
  ((a) : 1, (a) : 2 : |, zbig : n, (a) : 3) >> return
} >> delayedInSpread
funcdef n {
  [{n : deepStep}, {big : | : deepStep}, {n : deepStep}] : . >> a ;
  (a, big : n) >> return
} >> constantInSpread
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

TEST_F(ReclaimTest, ResultsSurviveTheirCallsIntact) {
    const struct {
        const char* function;
        int argument;
        const char* printed;
    } cases[] = {
        {"constantInCall", 7, "(7,8,30000)"},
        {"olderValueTwice", 5, "(5,5,5)"}, // a value older than the call is never moved
        {"delayedInCall", 5, "(30000,30000,5)"},
        {"sharedResult", 20000, "(20000,20000,1,(nonEmpty,(1,2,3,4,5,6,7,8,9,10,11,12,13,14,"},
        {"manyCalls", 100, "100"},
        {"nested", 3, "(3,-20000)"},
        // Spreads of calls that each leave about 40 KB behind, given back between elements.
        {"sharedAcross", 5, "((301,(1,2,3,4,5)),(302,(1,2,3,4,5)),(303,(1,2,3,4,5)),"},
        {"spreadOfSharing", 4, "((301,(1),((1),(1))),(302,(1,2),((1,2),(1,2))),(303,"},
        {"nestedSpreads", 4, "((301),(301,302),(301,302,303),(301,302,303,304))"},
        {"delayedInSpread", 5, "(305,30000,5,305)"},
        {"constantInSpread", 7, "(307,30300,307,7)"},
    };
    for (const auto& c : cases) {
        const std::string printed = Run(c.function, c.argument);
        EXPECT_TRUE(printed.starts_with(c.printed)) << c.function << ": " << printed.substr(0, 80);
    }
}

TEST_F(ReclaimTest, WhatCallsLeaveBehindIsGivenBack) {
    // A hundred calls that allocate about half a megabyte each and return a number.
    std::size_t used = 0;
    ASSERT_EQ(Run("manyCalls", 100, &used), "100");
    EXPECT_LT(used, std::size_t(4) << 20) << used;
}

TEST_F(ReclaimTest, ASharedResultIsCopiedOnce) {
    // Three references to one list of 200,000 numbers: one copy survives the call.
    std::size_t used = 0;
    const std::string printed = Run("sharedResult", 200000, &used);
    ASSERT_TRUE(printed.starts_with("(200000,200000,1,(nonEmpty,(1,2,3,")) << printed.substr(0, 80);
    const std::size_t oneList = 200000 * (sizeof(CIntValue) + sizeof(CValue*));
    EXPECT_LT(used, 2 * oneList) << used;
}

} // namespace
