#include "InterpretSupport.h"

#include "translator/Scanner.h"
#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <string>

using namespace test;

namespace {

using InterpretTest = InterpretFixture;

// An error deep in the argument passes through without the function being applied, and
// fails the application (tests/golden/cases/dispatch.tvn); a typed value is not looked into.
TEST_F(InterpretTest, ErrorsPassThroughAsACopyOfTheArgumentButNotFromATypedValue) {
    CNode* never = Node("never", [](CValue*, CValue**) -> bool { throw "applied"; });
    CValue* typed = new CTypedValue(TypeRef(never), Err(kIErrZeroDivision));
    const Applied r = Apply(typed, Sign(kTokDot));
    EXPECT_EQ(r.text, "(never,Zero division!)");
    EXPECT_TRUE(r.ok);
    EXPECT_NE(r.value, typed);
}

// How delayed terms and delay lists are forced is in tests/golden/cases/dispatch.tvn and
// failures.tvn; a delay list element that is no delayed term no program makes.
TEST_F(InterpretTest, ADelayListElementThatIsNoDelayedTermIsTakenAsItIs) {
    const Applied taken =
        Apply(List(kKindDelayList, {Int(3), Delayed(Yields(Int(4)))}), Sign(kTokMinus));
    EXPECT_EQ(taken.text, "[-3,-4]");
}

// Those a program can write as functions are in dispatch.tvn and builtins.tvn.
TEST_F(InterpretTest, FunctionKindsWithoutAnOperationFail) {
    const std::pair<const char*, CValue*> cases[] = {
        {"keyword block", Sign(kKwBlock)},
        {"keyword nil", Sign(kKwNil)},
        {"arrow", Sign(kTokLeftArrow)},
    };
    for (auto [name, func] : cases) {
        const Applied r = Apply(Int(5), func);
        EXPECT_EQ(r.text, "Interpretation error!") << name;
        EXPECT_FALSE(r.ok) << name;
    }
}

TEST_F(InterpretTest, AFunctionCallTakesTheArgumentAsInputAndGivesItsStatus) {
    CNode* half = Node("half", [](CValue* input, CValue** out) {
        const int v = AsInt(input)->value;
        *out = new CIntValue(v / 2);
        return v % 2 == 0;
    });
    const Applied even = Apply(Int(8), FuncRef(half));
    EXPECT_EQ(even.text, "4");
    EXPECT_TRUE(even.ok);
    const Applied odd = Apply(Int(7), FuncRef(half));
    EXPECT_EQ(odd.text, "3");
    EXPECT_FALSE(odd.ok);
    // Over a parallel list: one element's failure fails the whole application.
    EXPECT_TRUE(Apply(Par({Int(8), Int(6)}), FuncRef(half)).ok);
    const Applied spread = Apply(Par({Int(8), Int(7)}), FuncRef(half));
    EXPECT_EQ(spread.text, "[4,3]");
    EXPECT_FALSE(spread.ok);
}

TEST_F(InterpretTest, ExceptionsOfEvaluationPassThroughUntouched) {
    CNode* stop =
        Node("stop", [](CValue*, CValue**) -> bool { throw CExeption(nullptr, "", kErrUserStop); });
    try {
        Apply(Par({Int(1), Int(2)}), FuncRef(stop));
        FAIL() << "the exception was swallowed";
    } catch (const CExeption& e) {
        EXPECT_EQ(e.m_nCode, kErrUserStop);
    }
}

} // namespace
