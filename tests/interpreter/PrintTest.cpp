#include "TestSupport.h"

#include "model/Scope.h"

#include <gtest/gtest.h>

#include <climits>

using namespace test;

namespace {

class PrintTest : public ::testing::Test {
protected:
    CArena arena;
    CArenaScope scope{arena};
};

TEST_F(PrintTest, ScalarsHaveTheirTextForms) {
    const std::pair<CValue*, const char*> cases[] = {
        {Int(42), "42"},
        {Int(INT_MIN), "-2147483648"},
        {Real(1.5f), "1.500000e+000"},
        {Real(0.0f), "0.000000e+000"},
        {Real(0.1f), "1.000000e-001"},
        {Real(-0.2f), "-2.000000e-001"},
        {Real(1e10f), "1.000000e+010"},
        {Bool(true), "true"},
        {Bool(false), "false"},
        {Char('a'), "'a'"},
        {Err(6), "Bound error!"},
        {Err(4), "Zero division!"},
        {Err(3), "Error type cast (int)!"},
        {Err(2), "Error type cast(real)!"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(Printed(value), expected);
}

TEST_F(PrintTest, OperationValuesPrintTheirSignOrKeyword) {
    const std::pair<int, const char*> cases[] = {
        {2, "+"},   {3, "-"},    {7, "()"},   {8, "[]"},     {9, "{}"},         {10, "."},
        {11, ".."}, {14, "|"},   {15, "#"},   {16, "=<"},    {17, ">="},        {19, "!="},
        {21, "dup"}, {22, "<<"}, {23, ">>"},  {54, "bool"},  {60, "float"},     {62, "int"},
        {63, "nil"}, {68, "type"}, {72, "datalist"}, {74, "delaylist"}, {76, "value"},
        {1, ""},    {30, ""},
    };
    for (auto [code, expected] : cases)
        EXPECT_EQ(Printed(Sign(code)), expected) << code;
}

TEST_F(PrintTest, ListsUseTheirBracketsAndNoBlanks) {
    const std::pair<CValue*, const char*> cases[] = {
        {Data({Int(1), Data({Int(2), Int(3)})}), "(1,(2,3))"},
        {Par({Int(1), Int(2)}), "[1,2]"},
        {List(kKindDelayList, {Int(1), Int(2)}), "{1,2}"},
        {Data({Char('a'), Int(1)}), "('a',1)"},
        {Data({Bool(true), Real(1.0f)}), "(true,1.000000e+000)"},
        {Data({Dot()}), "(.)"},
        {Par({Int(1), Data({Int(2), Int(3)})}), "[1,(2,3)]"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(Printed(value), expected);
}

TEST_F(PrintTest, ListsOfCharactersPrintAsStrings) {
    EXPECT_EQ(Printed(Data({Char('a'), Char('b'), Char('c')})), "(\"abc\")");
    EXPECT_EQ(Printed(Data({Char('a')})), "(\"a\")");
    EXPECT_EQ(Printed(Par({Char('x')})), "[\"x\"]");
    EXPECT_EQ(Printed(Data({})), "(\"\")");
    EXPECT_EQ(Printed(Data({Char('"')})), "(\"\"\")"); // nothing is escaped
    EXPECT_EQ(Printed(Data({Char('\xFF'), Char('\xE0')})), "(\"\xFF\xE0\")");
}

TEST_F(PrintTest, ReferencesPrintTheNameOfTheirNode) {
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

TEST_F(PrintTest, PrintingWritesNoLineBreakAndContinuesTheLine) {
    SinkCapture capture(kChannelResult);
    Int(1)->Print();
    Int(2)->Print();
    EXPECT_EQ(capture.Text(kChannelResult), "12");
}

} // namespace
