#include "TestSupport.h"

#include "model/Scope.h"

#include <gtest/gtest.h>

#include <climits>

#include <cmath>
#include <limits>

using namespace test;

namespace {

class ValueTest : public ::testing::Test {
protected:
    CArena arena;
    CArenaScope scope{arena};
};

TEST_F(ValueTest, NormalizeGivesCanonicalShapes) {
    struct Case {
        const char* name;
        CListValue* list;
        const char* expected;
    };
    const Case cases[] = {
        {"one-element parallel list is its element", Par({Int(5)}), "5"},
        {"parallel list inside data list is spliced", Data({Int(1), Par({Int(2), Int(3)}), Int(4)}),
         "(1,2,3,4)"},
        {"parallel list inside parallel list is spliced", Par({Int(1), Par({Int(2), Int(3)})}),
         "[1,2,3]"},
        {"empty markers are dropped from data lists", Data({Dot(), Int(1), Dot()}), "(1)"},
        {"a data list of markers only becomes empty", Data({Dot(), Dot()}), "(\"\")"},
        {"a lone marker stays", Data({Dot()}), "(.)"},
        {"parallel lists keep their markers", Par({Dot(), Int(1)}), "[.,1]"},
        {"splicing is one level deep", Data({Par({Int(1), Data({Int(2)})})}), "(1,(2))"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Printed(Normalize(c.list)), c.expected) << c.name;
}

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

    CValue* marker = CloneValue(Dot());
    EXPECT_EQ(marker->kind, kTokDot);
    EXPECT_EQ(AsSign(marker)->code, kTokDot);
}

TEST_F(ValueTest, RealConversionsRejectValuesOutsideTheIntegerRange) {
    const float cases[] = {3e9f, -3e9f, std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN()};
    for (float real : cases) {
        bool ok = true;
        RealToInt(real, &ok);
        EXPECT_FALSE(ok) << real;
        ok = true;
        RealToChar(real, &ok);
        EXPECT_FALSE(ok) << real;
    }
}

TEST_F(ValueTest, ScalarsHaveTheirTextForms) {
    const std::pair<CValue*, const char*> cases[] = {
        {Int(INT_MIN), "-2147483648"},
        {Bool(false), "false"},
        {Char('a'), "'a'"},
        {Err(kIErrBound), "Bound error!"},
        {Err(kIErrCastReal), "Error type cast(real)!"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(Printed(value), expected);
}

TEST_F(ValueTest, ListsUseTheirBracketsAndNoBlanks) {
    const std::pair<CValue*, const char*> cases[] = {
        {Data({Int(1), Data({Int(2), Int(3)})}), "(1,(2,3))"},
        {Par({Int(1), Int(2)}), "[1,2]"},
        {List(kKindDelayList, {Int(1), Int(2)}), "{1,2}"},
        {Data({Char('a'), Int(1)}), "('a',1)"},
        {Data({Bool(true), Int(1)}), "(true,1)"},
        {Data({Dot()}), "(.)"},
        {Par({Int(1), Data({Int(2), Int(3)})}), "[1,(2,3)]"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(Printed(value), expected);
}

TEST_F(ValueTest, ListsOfCharactersPrintAsStrings) {
    EXPECT_EQ(Printed(Data({Char('a'), Char('b'), Char('c')})), "(\"abc\")");
    EXPECT_EQ(Printed(Data({Char('a')})), "(\"a\")");
    EXPECT_EQ(Printed(Par({Char('x')})), "[\"x\"]");
    EXPECT_EQ(Printed(Data({})), "(\"\")");
    EXPECT_EQ(Printed(Data({Char('"')})), "(\"\"\")"); // nothing is escaped
    EXPECT_EQ(Printed(Data({Char('\xFF'), Char('\xE0')})), "(\"\xFF\xE0\")");
}

TEST_F(ValueTest, ReferencesPrintTheNameOfTheirNode) {
    CModuleNode module;
    CFunctionNode square(&module);
    square.name = "square";
    CFunctionNode even(&module);
    even.name = "even";
    EXPECT_EQ(Printed(new CRefValue(kKindFuncRef, &square)), "square");
    EXPECT_EQ(Printed(new CRefValue(kKindTypeRef, &even)), "even");
    auto* typed = new CTypedValue(new CRefValue(kKindTypeRef, &even), Int(4));
    EXPECT_EQ(Printed(typed), "(even,4)");
}

TEST(ArenaTest, AllocationBeyondTheLimitThrowsAndLeavesTheArenaUsable) {
    CArena arena(1024 * 1024);
    CArenaScope scope(arena);
    EXPECT_THROW(new CListValue(kKindDataList, 1 << 20), CMemoryLimitError);
    auto* small = new CListValue(kKindDataList, 4);
    EXPECT_EQ(small->count, 4);
    EXPECT_LE(arena.BytesUsed(), arena.Limit());
}

TEST(ArenaTest, ValuesGoToTheInnermostScopeArena) {
    CArena outer, inner;
    CArenaScope outerScope(outer);
    new CIntValue(1);
    const std::size_t outerUsed = outer.BytesUsed();
    {
        CArenaScope innerScope(inner);
        for (int i = 0; i < 1000; ++i)
            new CIntValue(i);
    }
    EXPECT_EQ(outer.BytesUsed(), outerUsed);
    EXPECT_GT(inner.BytesUsed(), 0u);
}

} // namespace
