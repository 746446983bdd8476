#include "TestSupport.h"

#include "model/Node.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace test;

namespace {

class ValueTest : public ::testing::Test {
protected:
    CArena arena;
    CArenaScope scope{arena};
};

TEST_F(ValueTest, NormalizeSharesElementsInsteadOfCopying) {
    CValue* five = Int(5);
    EXPECT_EQ(Normalize(Par({five})), five);
    CValue* two = Int(2);
    auto* result = AsList(Normalize(Data({Int(1), Par({two, Int(3)})})));
    EXPECT_EQ(result->elements[1], two);
    CListValue* unchanged = Data({Int(1), Int(2)});
    EXPECT_EQ(Normalize(unchanged), unchanged);
}

TEST_F(ValueTest, CloneCopiesListsAtEveryLevelButSharesNodes) {
    CListValue* inner = Data({Int(1), Int(2)});
    CListValue* outer = Data({inner, Int(3)});
    auto* copy = AsList(CloneValue(outer));
    ASSERT_NE(copy, outer);
    EXPECT_EQ(copy->kind, kKindDataList);
    ASSERT_EQ(copy->count, 2);
    EXPECT_NE(copy->elements[0], inner);
    EXPECT_NE(AsList(copy->elements[0])->elements[0], inner->elements[0]);
    EXPECT_EQ(Printed(copy), "((1,2),3)");

    CNode* node = reinterpret_cast<CNode*>(outer); // any address: references never look into it
    auto* ref = new CRefValue(kKindFuncRef, node);
    auto* refCopy = AsRef(CloneValue(ref));
    EXPECT_NE(refCopy, ref);
    EXPECT_EQ(refCopy->node, node);
    EXPECT_EQ(refCopy->kind, kKindFuncRef);

    CValue* marker = CloneValue(Sign(kTokDot));
    EXPECT_EQ(marker->kind, kTokDot);
    EXPECT_EQ(AsSign(marker)->code, kTokDot);
}

// The text forms a program shows are in tests/golden/cases/values.tvn; these values no
// program makes.
TEST_F(ValueTest, ValuesNoProgramMakesHaveTheirTextForms) {
    const std::pair<CValue*, const char*> cases[] = {
        {Err(kIErrCastReal), "Error type cast(real)!"},
        {Par({Char('x')}), "[\"x\"]"},
        {List(kKindDelayList, {Int(1), Int(2)}), "{1,2}"},
        {Data({}), "(\"\")"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(Printed(value), expected);
}

// Values go to the innermost arena of the thread; one past its limit throws and leaves it
// usable.
TEST(ArenaTest, ValuesGoToTheInnermostArenaAndItsLimitHolds) {
    CArena outer, inner(1024 * 1024);
    CArenaScope outerScope(outer);
    new CIntValue(1);
    const std::size_t outerUsed = outer.BytesUsed();
    {
        CArenaScope innerScope(inner);
        for (int i = 0; i < 1000; ++i)
            new CIntValue(i);
        EXPECT_THROW(new CListValue(kKindDataList, 1 << 20), CMemoryLimitError);
        auto* small = new CListValue(kKindDataList, 4);
        EXPECT_EQ(small->count, 4);
        EXPECT_TRUE(inner.Contains(small));
    }
    EXPECT_EQ(outer.BytesUsed(), outerUsed);
    EXPECT_GT(inner.BytesUsed(), 0u);
    EXPECT_LE(inner.BytesUsed(), inner.Limit());
}

// How deep a large stack takes a run: tests/golden/cases/limits.tvn (100,000 calls deep).
TEST(StackGuardTest, ExceptionsComeBackToTheCaller) {
    EXPECT_THROW(RunOnLargeStack([] { throw std::runtime_error("inside"); }), std::runtime_error);
    CLargeStackThread thread;
    ASSERT_TRUE(thread.Start([] { throw CExeption(nullptr, "x", kErrNone); }, 8u << 20));
    EXPECT_THROW(thread.Join(), CExeption);
    EXPECT_FALSE(thread.Joinable());
}

} // namespace
