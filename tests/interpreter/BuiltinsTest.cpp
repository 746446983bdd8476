#include "InterpretSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

using namespace test;

namespace {

constexpr int kPlus = 2, kMinus = 3, kTimes = 4, kSlash = 5, kPercent = 6, kRange = 11;
constexpr int kLess = 12, kGreater = 13, kBar = 14, kHash = 15, kLessEq = 16, kGreaterEq = 17;
constexpr int kEqual = 18, kNotEqual = 19, kQuestion = 20, kDup = 21;
constexpr int kKwBool = 54, kKwFloat = 60, kKwInt = 62, kKwChar = 71;
constexpr int kKwType = 68, kKwIn = 69, kKwOut = 70, kKwDatalist = 72, kKwParlist = 73;
constexpr int kKwValue = 76, kKwSignal = 65;

const char* const kInterp = "Interpretation error!";
const char* const kZero = "Zero division!";
const char* const kBound = "Bound error!";
const char* const kCastInt = "Error type cast (int)!";

struct Case {
    const char* name;
    CValue* arg;
    CValue* func;
    std::string text;
    bool ok;
};

class BuiltinsTest : public InterpretFixture {
protected:
    void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            const Applied r = Apply(c.arg, c.func);
            EXPECT_EQ(r.text, c.text) << c.name;
            EXPECT_EQ(r.ok, c.ok) << c.name;
        }
    }
    CValue* Nan() { return Real(std::numeric_limits<float>::quiet_NaN()); }
};

TEST_F(BuiltinsTest, AdditionCoversNumbersCharactersBooleansAndOtherShapes) {
    Check({
        {"two integers", Data({Int(2), Int(3)}), Sign(kPlus), "5", true},
        {"integer and real", Data({Int(2), Real(0.5f)}), Sign(kPlus), "2.500000e+000", true},
        {"integers wrap", Data({Int(INT_MAX), Int(1)}), Sign(kPlus), "-2147483648", true},
        {"character codes modulo 256", Data({Char('a'), Char('b')}), Sign(kPlus), CharText(195),
         true},
        {"character and number", Data({Char('a'), Int(1)}), Sign(kPlus), kInterp, false},
        {"logical or", Data({Bool(true), Bool(false), Bool(false)}), Sign(kPlus), "true", true},
        {"or of one false", Data({Bool(false)}), Sign(kPlus), "false", true},
        {"non-list is itself", Int(7), Sign(kPlus), "7", true},
        {"three numbers", Data({Int(1), Int(2), Int(3)}), Sign(kPlus), kInterp, false},
        {"number and boolean", Data({Int(1), Bool(true)}), Sign(kPlus), kInterp, false},
        {"empty data list", Data({}), Sign(kPlus), kInterp, false},
    });
}

TEST_F(BuiltinsTest, SubtractionNegatesSingleValuesAndSubtractsPairs) {
    Check({
        {"integer", Int(5), Sign(kMinus), "-5", true},
        {"most negative stays", Int(INT_MIN), Sign(kMinus), "-2147483648", true},
        {"real", Real(2.5f), Sign(kMinus), "-2.500000e+000", true},
        {"boolean not", Bool(true), Sign(kMinus), "false", true},
        {"pair of integers", Data({Int(5), Int(7)}), Sign(kMinus), "-2", true},
        {"integers wrap", Data({Int(INT_MIN), Int(1)}), Sign(kMinus), "2147483647", true},
        {"integer and real", Data({Int(1), Real(0.25f)}), Sign(kMinus), "7.500000e-001", true},
        {"characters wrap", Data({Char('a'), Char('b')}), Sign(kMinus), CharText(255), true},
        {"three numbers", Data({Int(1), Int(2), Int(3)}), Sign(kMinus), kInterp, false},
        {"character alone", Char('a'), Sign(kMinus), kInterp, false},
        {"pair of booleans", Data({Bool(true), Bool(false)}), Sign(kMinus), kInterp, false},
        {"one-element list", Data({Int(5)}), Sign(kMinus), kInterp, false},
    });
}

TEST_F(BuiltinsTest, MultiplicationOfNumbersAndLogicalAnd) {
    Check({
        {"integers", Data({Int(3), Int(4)}), Sign(kTimes), "12", true},
        {"integers wrap", Data({Int(65536), Int(65536)}), Sign(kTimes), "0", true},
        {"integer and real", Data({Int(2), Real(1.5f)}), Sign(kTimes), "3.000000e+000", true},
        {"logical and", Data({Bool(true), Bool(true), Bool(false)}), Sign(kTimes), "false", true},
        {"and of one true", Data({Bool(true)}), Sign(kTimes), "true", true},
        {"characters", Data({Char('a'), Char('b')}), Sign(kTimes), kInterp, false},
        {"non-list", Int(5), Sign(kTimes), kInterp, false},
        {"empty data list", Data({}), Sign(kTimes), kInterp, false},
    });
}

TEST_F(BuiltinsTest, DivisionIsAlwaysRealAndRejectsEveryZero) {
    Check({
        {"integers give a real", Data({Int(7), Int(2)}), Sign(kSlash), "3.500000e+000", true},
        {"negative dividend", Data({Int(-7), Int(2)}), Sign(kSlash), "-3.500000e+000", true},
        {"zero dividend", Data({Int(0), Int(5)}), Sign(kSlash), "0.000000e+000", true},
        {"integer zero", Data({Int(1), Int(0)}), Sign(kSlash), kZero, false},
        {"real zero", Data({Int(1), Real(0.0f)}), Sign(kSlash), kZero, false},
        {"negative zero", Data({Int(1), Real(-0.0f)}), Sign(kSlash), kZero, false},
        {"character", Data({Char('a'), Int(1)}), Sign(kSlash), kInterp, false},
        {"non-list", Int(7), Sign(kSlash), kInterp, false},
    });
}

TEST_F(BuiltinsTest, ModuloTruncatesWithTheDividendsSign) {
    Check({
        {"positive", Data({Int(7), Int(2)}), Sign(kPercent), "(3,1)", true},
        {"negative divisor", Data({Int(7), Int(-2)}), Sign(kPercent), "(-3,1)", true},
        {"negative dividend", Data({Int(-7), Int(2)}), Sign(kPercent), "(-3,-1)", true},
        {"smaller dividend", Data({Int(2), Int(3)}), Sign(kPercent), "(0,2)", true},
        {"most negative by -1 wraps", Data({Int(INT_MIN), Int(-1)}), Sign(kPercent),
         "(-2147483648,0)", true},
        {"zero divisor", Data({Int(7), Int(0)}), Sign(kPercent), kZero, false},
        {"real dividend", Data({Real(7.0f), Int(2)}), Sign(kPercent), kInterp, false},
        {"not a pair", Data({Int(7), Int(2), Int(1)}), Sign(kPercent), kInterp, false},
        {"non-list", Int(7), Sign(kPercent), kInterp, false},
    });
}

TEST_F(BuiltinsTest, RealArithmeticRoundsOnceToSinglePrecision) {
    const Applied sum = Apply(Data({Real(0.1f), Real(0.2f)}), Sign(kPlus));
    ASSERT_EQ(sum.value->kind, kKindReal);
    EXPECT_EQ(static_cast<CRealValue*>(sum.value)->value, 0.1f + 0.2f);
    const Applied big = Apply(Data({Int(16777216), Real(1.0f)}), Sign(kPlus));
    EXPECT_EQ(static_cast<CRealValue*>(big.value)->value, 16777216.0f);
    const Applied quotient = Apply(Data({Int(1), Int(3)}), Sign(kSlash));
    EXPECT_EQ(static_cast<CRealValue*>(quotient.value)->value, 1.0f / 3.0f);
}

TEST_F(BuiltinsTest, ComparisonsWorkOnRealsAndCharacterCodes) {
    Check({
        {"integer equals real", Data({Int(4), Real(4.0f)}), Sign(kEqual), "true", true},
        {"characters", Data({Char('a'), Char('b')}), Sign(kLess), "true", true},
        {"codes are unsigned", Data({Char('\xFF'), Char('a')}), Sign(kGreater), "true", true},
        {"beyond 2^24 integers meet", Data({Int(16777216), Int(16777217)}), Sign(kEqual), "true",
         true},
        {"less or equal", Data({Int(1), Int(1)}), Sign(kLessEq), "true", true},
        {"greater or equal", Data({Int(1), Int(2)}), Sign(kGreaterEq), "false", true},
        {"not equal", Data({Real(1.5f), Int(1)}), Sign(kNotEqual), "true", true},
        {"greater", Data({Int(-1), Int(0)}), Sign(kGreater), "false", true},
        {"NaN equals nothing", Data({Nan(), Nan()}), Sign(kEqual), "false", true},
        {"booleans", Data({Bool(true), Bool(true)}), Sign(kEqual), kInterp, false},
        {"character and number", Data({Char('a'), Int(97)}), Sign(kEqual), kInterp, false},
        {"three numbers", Data({Int(1), Int(2), Int(3)}), Sign(kLess), kInterp, false},
        {"non-list", Int(1), Sign(kLess), kInterp, false},
    });
}

TEST_F(BuiltinsTest, RangesCountInDoubleAndTruncateOnce) {
    Check({
        {"default step", Data({Int(1), Int(5)}), Sign(kRange), "(1,2,3,4,5)", true},
        {"step four", Data({Int(1), Int(10), Int(4)}), Sign(kRange), "(1,5,9)", true},
        {"downwards", Data({Int(5), Int(1), Int(-1)}), Sign(kRange), "(5,4,3,2,1)", true},
        {"real end, integer elements", Data({Int(1), Real(2.5f)}), Sign(kRange), "(1,2)", true},
        {"real step", Data({Int(1), Int(2), Real(0.5f)}), Sign(kRange),
         "(1.000000e+000,1.500000e+000,2.000000e+000)", true},
        {"real start", Data({Real(0.5f), Int(2)}), Sign(kRange), "(5.000000e-001,1.500000e+000)",
         true},
        {"one element", Data({Int(3), Int(3)}), Sign(kRange), "(3)", true},
        {"elements after the second ignored", Data({Int(1), Int(3), Int(9), Int(9)}), Sign(kRange),
         "(1,2,3)", true},
        {"empty range", Data({Int(5), Int(1)}), Sign(kRange), kInterp, false},
        {"zero step", Data({Int(1), Int(5), Int(0)}), Sign(kRange), kInterp, false},
        {"count beyond 32 bits", Data({Int(INT_MIN), Int(INT_MAX)}), Sign(kRange), kInterp, false},
        {"NaN end", Data({Int(1), Nan()}), Sign(kRange), kInterp, false},
        {"too short", Data({Int(1)}), Sign(kRange), kInterp, false},
        {"not numbers", Data({Int(1), Char('a')}), Sign(kRange), kInterp, false},
        {"non-list", Int(5), Sign(kRange), kInterp, false},
    });
}

TEST_F(BuiltinsTest, AHugeRangeHitsTheMemoryLimitInsteadOfCrashing) {
    CArena small(1 << 20);
    CArenaScope inner(small);
    EXPECT_THROW(Apply(Data({Int(1), Int(2000000000)}), Sign(kRange)), CMemoryLimitError);
}

TEST_F(BuiltinsTest, ListMakersWrapCopyOrUnwrap) {
    CValue* seven = Int(7);
    const Applied unwrapped = Apply(Data({seven}), Sign(8));
    EXPECT_EQ(unwrapped.value, seven);
    const Applied par = Apply(Data({Int(1), Int(2)}), Sign(kKwParlist));
    EXPECT_EQ(par.text, "[1,2]");
    EXPECT_EQ(par.value->kind, kKindParList);
    Check({
        {"() wraps", Int(5), Sign(7), "(5)", true},
        {"datalist wraps a list", Data({Int(1), Int(2)}), Sign(kKwDatalist), "((1,2))", true},
        {"[] of a non-list", Int(5), Sign(8), "5", true},
        {"[] of an empty list", Data({}), Sign(8), "[\"\"]", true},
        {"[] is not normalised", Data({Int(1), Dot()}), Sign(8), "[1,.]", true},
    });
}

TEST_F(BuiltinsTest, LengthCountsDataListsOnly) {
    Check({
        {"lone marker is empty", Data({Dot()}), Sign(kBar), "0", true},
        {"two elements", Data({Int(1), Int(2)}), Sign(kBar), "2", true},
        {"empty", Data({}), Sign(kBar), "0", true},
        {"one element", Data({Int(9)}), Sign(kBar), "1", true},
        {"non-list", Int(5), Sign(kBar), "0", true},
    });
}

TEST_F(BuiltinsTest, TranspositionOfRegularAndRaggedRows) {
    Check({
        {"square", Data({Data({Int(1), Int(2)}), Data({Int(3), Int(4)})}), Sign(kHash),
         "((1,3),(2,4))", true},
        {"ragged", Data({Data({Int(1), Int(2), Int(3)}), Data({Int(4)})}), Sign(kHash),
         "((1,4),(2),(3))", true},
        {"single row", Data({Data({Int(1), Int(2), Int(3)})}), Sign(kHash), "((1),(2),(3))", true},
        {"empty list is ragged", Data({}), Sign(kHash), "((\"\"))", true},
        {"rows of nothing", Data({Data({}), Data({})}), Sign(kHash), "(\"\")", true},
        {"non-list", Int(5), Sign(kHash), "5", true},
        {"a row that is no list", Data({Data({Int(1)}), Int(2)}), Sign(kHash), kInterp, false},
    });
    CListValue* row = Data({Int(1)});
    auto* column = static_cast<CListValue*>(
        static_cast<CListValue*>(Apply(Data({row}), Sign(kHash)).value)->elements[0]);
    EXPECT_NE(column->elements[0], row->elements[0]) << "elements are copies";
}

TEST_F(BuiltinsTest, PositionsOfTrueElements) {
    Check({
        {"two trues", Data({Bool(false), Bool(true), Bool(true)}), Sign(kQuestion), "[2,3]", true},
        {"no true", Data({Bool(false), Bool(false)}), Sign(kQuestion), "0", true},
        {"empty", Data({}), Sign(kQuestion), "0", true},
        {"not booleans", Data({Int(1), Bool(true)}), Sign(kQuestion), kInterp, false},
        {"non-list", Bool(true), Sign(kQuestion), kInterp, false},
    });
    const Applied one = Apply(Data({Bool(false), Bool(true)}), Sign(kQuestion));
    EXPECT_EQ(one.text, "[2]") << "a single position stays a list";
    EXPECT_EQ(one.value->kind, kKindParList);
}

TEST_F(BuiltinsTest, DupMakesSeparateCopies) {
    CValue* x = Data({Int(1)});
    const Applied r = Apply(Data({x, Int(3)}), Sign(kDup));
    EXPECT_EQ(r.text, "((1),(1),(1))");
    auto* list = static_cast<CListValue*>(r.value);
    EXPECT_NE(list->elements[0], x);
    EXPECT_NE(list->elements[0], list->elements[1]);
    Check({
        {"zero copies", Data({Int(5), Int(0)}), Sign(kDup), "(\"\")", true},
        {"negative count", Data({Int(5), Int(-1)}), Sign(kDup), kInterp, false},
        {"count not an integer", Data({Int(5), Real(2.0f)}), Sign(kDup), kInterp, false},
        {"non-list", Int(5), Sign(kDup), kInterp, false},
    });
}

TEST_F(BuiltinsTest, SelectionByAnInteger) {
    CValue* b = Int(20);
    EXPECT_EQ(Apply(Data({Int(10), b, Int(30)}), Int(2)).value, b) << "the element itself";
    CValue* a = Int(10);
    auto* dropped = static_cast<CListValue*>(Apply(Data({a, Int(20), Int(30)}), Int(-2)).value);
    EXPECT_EQ(dropped->elements[0], a) << "the other elements are shared";
    Check({
        {"drop second", Data({Int(10), Int(20), Int(30)}), Int(-2), "(10,30)", true},
        {"drop the only element", Data({Int(10)}), Int(-1), "(.)", true},
        {"zero is the marker", Data({Int(10), Int(20)}), Int(0), ".", true},
        {"last", Data({Int(10), Int(20)}), Int(2), "20", true},
        {"beyond the count", Data({Int(10), Int(20)}), Int(3), kBound, false},
        {"negative beyond", Data({Int(10), Int(20)}), Int(-3), kBound, false},
        {"most negative", Data({Int(10), Int(20)}), Int(INT_MIN), kBound, false},
        {"non-list", Int(5), Int(1), kBound, false},
        {"non-list by zero", Int(5), Int(0), kBound, false},
    });
}

TEST_F(BuiltinsTest, GuardPassesACopyOrTheMarker) {
    CValue* five = Int(5);
    const Applied pass = Apply(five, Bool(true));
    EXPECT_EQ(pass.text, "5");
    EXPECT_NE(pass.value, five);
    Check({{"false guard", Int(5), Bool(false), ".", true}});
}

TEST_F(BuiltinsTest, CastsConvertScalars) {
    Check({
        {"half up", Real(2.5f), Sign(kKwInt), "3", true},
        {"half down", Real(-2.5f), Sign(kKwInt), "-3", true},
        {"rounds", Real(0.7f), Sign(kKwInt), "1", true},
        {"char code", Char('A'), Sign(kKwInt), "65", true},
        {"bool to int", Bool(true), Sign(kKwInt), "1", true},
        {"real beyond 32 bits", Real(3e9f), Sign(kKwInt), kCastInt, false},
        {"NaN", Nan(), Sign(kKwInt), kCastInt, false},
        {"low byte", Int(300), Sign(kKwChar), CharText(44), true},
        {"negative low byte", Int(-1), Sign(kKwChar), CharText(255), true},
        {"real truncated to char", Real(300.9f), Sign(kKwChar), CharText(44), true},
        {"huge real to char", Real(1e10f), Sign(kKwChar), kCastInt, false},
        {"zero real is false", Real(0.0f), Sign(kKwBool), "false", true},
        {"negative zero is false", Real(-0.0f), Sign(kKwBool), "false", true},
        {"char to bool", Char('a'), Sign(kKwBool), "true", true},
        {"int to float", Int(16777217), Sign(kKwFloat), "1.677722e+007", true},
        {"char to float", Char('a'), Sign(kKwFloat), "9.700000e+001", true},
        {"bool to float", Bool(true), Sign(kKwFloat), "1.000000e+000", true},
        {"list", Data({Int(1)}), Sign(kKwInt), kInterp, false},
    });
}

TEST_F(BuiltinsTest, TypeNamesTheArgumentsTypeAndActsAsACast) {
    Check({
        {"int", Int(5), Sign(kKwType), "int", true},
        {"float", Real(1.0f), Sign(kKwType), "float", true},
        {"bool", Bool(true), Sign(kKwType), "bool", true},
        {"char", Char('a'), Sign(kKwType), "char", true},
        {"datalist", Data({Int(1), Int(2)}), Sign(kKwType), "datalist", true},
        {"operation", Sign(kPlus), Sign(kKwType), "nil", true},
        {"marker", Dot(), Sign(kKwType), "nil", true},
    });
    const Applied type = Apply(Int(5), Sign(kKwType));
    EXPECT_EQ(Apply(Real(2.7f), type.value).text, "3");

    CNode* even = Node("even", [](CValue*, CValue**) { return false; });
    EXPECT_EQ(Apply(TypeRef(even), Sign(kKwType)).text, "type");
    EXPECT_EQ(Apply(FuncRef(even), Sign(kKwType)).text, "nil");
    CValue* typeRef = TypeRef(even);
    const Applied ofTyped = Apply(new CTypedValue(typeRef, Int(4)), Sign(kKwType));
    EXPECT_EQ(ofTyped.text, "even");
    EXPECT_EQ(ofTyped.value->kind, kKindTypeRef);
    EXPECT_NE(ofTyped.value, typeRef) << "a copy of the type reference";
}

TEST_F(BuiltinsTest, ValueUnwrapsTypedValues) {
    CNode* even = Node("even", [](CValue*, CValue**) { return false; });
    CValue* four = Int(4);
    const Applied inner = Apply(new CTypedValue(TypeRef(even), four), Sign(kKwValue));
    EXPECT_EQ(inner.text, "4");
    EXPECT_NE(inner.value, four);
    Check({{"plain value", Int(5), Sign(kKwValue), "5", true},
           {"signal ignores its argument", Int(5), Sign(kKwSignal), ".", true}});
}

class TypeFunctionsTest : public BuiltinsTest {
protected:
    // A type whose check accepts even integers.
    CScriptedNode* EvenType() {
        return Node("even", [](CValue* input, CValue** out) {
            *out = new CBoolValue(input->kind == kKindInt &&
                                  static_cast<CIntValue*>(input)->value % 2 == 0);
            return true;
        });
    }
};

TEST_F(TypeFunctionsTest, TypeCheckWrapsAcceptedValuesAndFailsSoftly) {
    CScriptedNode* even = EvenType();
    CValue* four = Int(4);
    CValue* type = TypeRef(even);
    const Applied accepted = Apply(four, type);
    EXPECT_EQ(accepted.text, "(even,4)");
    ASSERT_EQ(accepted.value->kind, kKindTyped);
    EXPECT_EQ(static_cast<CTypedValue*>(accepted.value)->value, four);
    EXPECT_EQ(static_cast<CTypedValue*>(accepted.value)->type, type);

    const Applied rejected = Apply(Int(3), TypeRef(even));
    EXPECT_EQ(rejected.text, "Error type cast!");
    EXPECT_TRUE(rejected.ok) << "a failed check is still a successful application";

    CScriptedNode* notBoolean = Node("odd", [](CValue*, CValue** out) {
        *out = new CIntValue(1);
        return true;
    });
    EXPECT_EQ(Apply(Int(3), TypeRef(notBoolean)).text, "Error type cast!");
}

TEST_F(TypeFunctionsTest, TypedValueOfTheSameTypeNamePassesUnchecked) {
    CScriptedNode* even = EvenType();
    CScriptedNode* sameName = Node("even", [](CValue*, CValue**) { return false; });
    auto* typed = new CTypedValue(TypeRef(even), Int(4));
    const Applied again = Apply(typed, TypeRef(sameName));
    EXPECT_EQ(again.text, "(even,4)");
    EXPECT_EQ(sameName->evaluations, 0);
    EXPECT_NE(again.value, typed);
    EXPECT_EQ(static_cast<CTypedValue*>(again.value)->type, typed->type);
}

TEST_F(TypeFunctionsTest, TypeReferenceWithoutANodeIsAnInterpretationError) {
    const Applied r = Apply(Int(4), new CRefValue(kKindTypeRef, nullptr));
    EXPECT_EQ(r.text, kInterp);
    EXPECT_FALSE(r.ok);
}

TEST_F(TypeFunctionsTest, MembershipAsksTheTermAndWantsABoolean) {
    CScriptedNode* even = EvenType();
    CScriptedNode* number = Node("number", [](CValue*, CValue** out) {
        *out = new CIntValue(1);
        return true;
    });
    Check({
        {"member", Data({Int(4), TypeRef(even)}), Sign(kKwIn), "true", true},
        {"not a member", Data({Int(3), FuncRef(even)}), Sign(kKwIn), "false", true},
        {"answer not a boolean", Data({Int(3), FuncRef(number)}), Sign(kKwIn), kInterp, false},
        {"t names no node", Data({Int(3), Int(5)}), Sign(kKwIn), kInterp, false},
        {"not a pair", Int(3), Sign(kKwIn), kInterp, false},
    });
}

TEST_F(BuiltinsTest, OutPrintsTheTextThenALineEndOnStandardOutput) {
    SinkCapture capture(kChannelDebug);
    CValue* value = Data({Int(1), Char('x')});
    testing::internal::CaptureStdout();
    CValue* out = nullptr;
    bool debug = false;
    const bool ok = interp.Interpret(nullptr, value, Sign(kKwOut), &out, &debug);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(capture.Text(kChannelDebug), "(1,'x')");
    EXPECT_NE(out, value);
    EXPECT_EQ(Printed(out), "(1,'x')");
}

} // namespace
