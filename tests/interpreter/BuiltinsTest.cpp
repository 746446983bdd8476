// What the programs of tests/golden/cases/builtins.tvn cannot show: references without a
// node, which results are copies and which are shared, and the status of an application;
// the memory limit is in limits.tvn, and how "out" ends its line inside a trace is the
// runner's cli.run_trace_with_out.

#include "InterpretSupport.h"

#include "translator/Scanner.h"

#include <gtest/gtest.h>

using namespace test;

namespace {

class BuiltinsTest : public InterpretFixture {
protected:
    static CValue* At(CValue* list, int i) { return AsList(list)->elements[i]; }

    // A type whose check accepts even integers.
    CScriptedNode* EvenType() {
        return Node("even", [](CValue* input, CValue** out) {
            *out = new CBoolValue(input->kind == kKindInt && AsInt(input)->value % 2 == 0);
            return true;
        });
    }
};

TEST_F(BuiltinsTest, ResultsShareOrCopyTheirElements) {
    // dup's copies are new objects down to the numbers, so that growth costs memory.
    CValue* x = Data({Int(1)});
    const Applied copies = Apply(Data({x, Int(3)}), Sign(kTokDup));
    EXPECT_NE(At(copies.value, 0), x);
    EXPECT_NE(At(copies.value, 0), At(copies.value, 1));
    CValue* three = Int(3);
    EXPECT_NE(At(Apply(Data({three, Int(2)}), Sign(kTokDup)).value, 0), three);

    // Elsewhere a copy is of the outermost object, and numbers are shared.
    CListValue* row = Data({Data({Int(1)}), Int(2)});
    CValue* column = At(Apply(Data({row}), Sign(kTokHash)).value, 0);
    EXPECT_NE(At(column, 0), row->elements[0]);
    EXPECT_EQ(AsList(At(column, 0))->elements, AsList(row->elements[0])->elements);
    EXPECT_EQ(At(At(Apply(Data({row}), Sign(kTokHash)).value, 1), 0), row->elements[1]);

    CValue* seven = Int(7);
    EXPECT_EQ(Apply(Data({seven}), Sign(kTokEmptyPar)).value, seven);
    CValue* b = Int(20);
    EXPECT_EQ(Apply(Data({Int(10), b, Int(30)}), Int(2)).value, b);
    CValue* a = Int(10);
    EXPECT_EQ(At(Apply(Data({a, Int(20), Int(30)}), Int(-2)).value, 0), a);

    CValue* five = Int(5);
    const Applied guarded = Apply(five, new CBoolValue(true));
    EXPECT_EQ(guarded.text, "5");
    EXPECT_EQ(guarded.value, five);

    CValue* four = Int(4);
    const Applied inner = Apply(new CTypedValue(TypeRef(EvenType()), four), Sign(kKwValue));
    EXPECT_EQ(inner.text, "4");
    EXPECT_EQ(inner.value, four);

    CValue* shown = Data({Int(1), Char('x')}); // "out" gives a copy of what it prints
    EXPECT_NE(Apply(shown, Sign(kKwOut)).value, shown);
}

// What a type's check gives and the type of a typed value, as programs show them, are in
// builtins.tvn (typed.*); here the values they share and a type trusted by its name.
TEST_F(BuiltinsTest, TypeCheckWrapsAcceptedValuesFailsSoftlyAndTrustsTheTypeName) {
    CValue* four = Int(4);
    CValue* type = TypeRef(EvenType());
    const Applied accepted = Apply(four, type);
    EXPECT_EQ(accepted.text, "(even,4)");
    ASSERT_EQ(accepted.value->kind, kKindTyped);
    EXPECT_EQ(AsTyped(accepted.value)->value, four);
    EXPECT_EQ(AsTyped(accepted.value)->type, type);

    const Applied noNode = Apply(Int(4), new CRefValue(kKindTypeRef, nullptr));
    EXPECT_EQ(noNode.text, "Interpretation error!");
    EXPECT_FALSE(noNode.ok);

    // A typed value of the same type name passes unchecked.
    CScriptedNode* sameName = Node("even", [](CValue*, CValue**) { return false; });
    auto* typed = new CTypedValue(TypeRef(EvenType()), Int(4));
    const Applied again = Apply(typed, TypeRef(sameName));
    EXPECT_EQ(again.text, "(even,4)");
    EXPECT_EQ(sameName->evaluations, 0);
    EXPECT_NE(again.value, typed);
    EXPECT_EQ(AsTyped(again.value)->type, typed->type);

    const Applied ofTyped = Apply(typed, Sign(kKwType));
    EXPECT_EQ(ofTyped.value->kind, kKindTypeRef);
    EXPECT_NE(ofTyped.value, typed->type) << "a copy of the type reference";
}

} // namespace
