#include "InterpretSupport.h"

#include "translator/Scanner.h"
#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace test;

namespace {

class InterpretTest : public InterpretFixture {
protected:
    // A delayed term that records its evaluation and yields value.
    CValue* DelayedYield(const std::string& tag, CValue* value) {
        CScriptedNode* node = Node(tag, [this, tag, value](CValue*, CValue** out) {
            calls.push_back(tag);
            *out = value;
            return true;
        });
        return Delayed(node);
    }
    CValue* FailingDelayed(const std::string& tag) {
        CScriptedNode* node = Node(tag, [this, tag](CValue*, CValue** out) {
            calls.push_back(tag);
            *out = Int(0);
            return false;
        });
        return Delayed(node);
    }

    std::vector<std::string> calls;
};

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

TEST_F(InterpretTest, DelayedTermsAreForcedUntilTheyAreValues) {
    CValue* inner = DelayedYield("inner", Int(7));
    EXPECT_EQ(Apply(DelayedYield("outer", inner), Sign(kTokMinus)).text, "-7");
    EXPECT_EQ(calls, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(Apply(Int(2), DelayedYield("func", Sign(kTokMinus))).text, "-2");
    const Applied failed = Apply(FailingDelayed("bad"), Sign(kTokMinus));
    EXPECT_EQ(failed.text, "Interpretation error!");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(Apply(Int(1), FailingDelayed("badfunc")).ok);
}

TEST_F(InterpretTest, DelayListsBecomeParallelListsFirstToLast) {
    CValue* delays = List(kKindDelayList, {DelayedYield("a", Int(1)), DelayedYield("b", Int(2))});
    const Applied r = Apply(delays, Sign(kTokMinus));
    EXPECT_EQ(r.text, "[-1,-2]");
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b"}));

    const Applied taken =
        Apply(List(kKindDelayList, {Int(3), DelayedYield("c", Int(4))}), Sign(kTokMinus));
    EXPECT_EQ(taken.text, "[-3,-4]") << "an element that is no delayed term is taken as it is";

    calls.clear(); // a failing element stops the rest
    const Applied failed =
        Apply(List(kKindDelayList, {FailingDelayed("first"), DelayedYield("second", Int(2))}),
              Sign(kTokMinus));
    EXPECT_EQ(failed.text, "Interpretation error!");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(calls, (std::vector<std::string>{"first"}));
}

TEST_F(InterpretTest, FunctionKindsWithoutAnOperationFail) {
    const std::pair<const char*, CValue*> cases[] = {
        {"keyword block", Sign(kKwBlock)},
        {"keyword nil", Sign(kKwNil)},
        {"arrow", Sign(kTokLeftArrow)},
        {"typed value", new CTypedValue(Sign(kKwInt), Int(1))},
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
