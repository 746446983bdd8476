#include "TestSupport.h"

#include "interpreter/Interpreter.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "model/Terms.h"

#include <gtest/gtest.h>

using namespace test;

namespace {

// Which definition a name finds, scope by scope, is in tests/golden/cases/definitions.tvn;
// here where the values of a run are kept.
TEST(ScopeTest, ValuesAreStoredInTheFrameOfTheDefiningScope) {
    CArena arena;
    CArenaScope arenaScope(arena);
    CModuleNode module;
    CFunctionNode function(&module);
    CBlockNode block(&function);
    CIntAtom node(0);
    function.AddNamed("x", &node);
    block.AddNamed("y", &node);
    module.AddConstant("k", &node);

    CRunFrames frames(&module);
    CValue* found = nullptr;
    block.StoreValue(frames, "x", Int(1)); // no frame yet: nothing is stored
    EXPECT_FALSE(block.LookupValue(frames, "x", &found));

    frames.Of(module).emplace_back();
    frames.Of(function).emplace_back();
    frames.Of(block).emplace_back();
    CValue* x = Int(1);
    CValue* k = Int(2);
    block.StoreValue(frames, "x", x);
    block.StoreValue(frames, "k", k);
    EXPECT_EQ(*frames.Of(function).TopSlot(function.SlotOf("x")), x);
    EXPECT_EQ(*frames.Of(module).TopSlot(module.SlotOf("k")), k);
    EXPECT_EQ(*frames.Of(block).TopSlot(block.SlotOf("y")), nullptr) << "defined, not computed";
    ASSERT_TRUE(block.LookupValue(frames, "x", &found));
    EXPECT_EQ(found, x);
    ASSERT_TRUE(block.LookupValue(frames, "k", &found));
    EXPECT_EQ(found, k);
    // y is defined by the block but not computed yet: no outer value may stand in for it
    module.StoreValue(frames, "y", x);
    EXPECT_FALSE(block.LookupValue(frames, "y", &found));
    // another run's frames are its own
    CRunFrames other(&module);
    EXPECT_FALSE(block.LookupValue(other, "x", &found));
}

TEST(ScopeTest, RunRemovesItsFrameAlsoWhenTheFunctionThrows) {
    CArena arena;
    CArenaScope arenaScope(arena);
    CModuleNode module;
    CFunctionNode empty(&module); // no expressions: evaluating it throws
    empty.SetName("empty");
    module.AddNamed("empty", &empty);
    CInterpreter interp;
    CRunContext run(&module);
    CValue* out = nullptr;
    EXPECT_ANY_THROW(module.Run("empty", nullptr, &out, run, &interp));
    EXPECT_TRUE(run.frames.Of(module).empty());
    EXPECT_TRUE(run.frames.Of(empty).empty());
}

class ListNodeTest : public ::testing::Test {
protected:
    CValue* Eval(CNode& node, bool expectOk = true) {
        CValue* out = nullptr;
        EXPECT_EQ(node.Eval(nullptr, &out, run, &interp), expectOk);
        return out;
    }
    CArena arena;
    CArenaScope scope{arena};
    CInterpreter interp;
    CRunContext run;
    CIntAtom one{1}, two{2};
};

TEST_F(ListNodeTest, DelayListsHoldDelayedTermsAndAtomsFreshValues) {
    CListNode empty(kKindDelayList);
    CValue* value = Eval(empty);
    ASSERT_EQ(value->kind, kKindDelayList);
    EXPECT_EQ(AsList(value)->count, 0);

    CListNode single(kKindDelayList);
    single.Add(&one);
    value = Eval(single);
    ASSERT_EQ(value->kind, kKindDelayed);
    EXPECT_EQ(TermOf(value), &one);

    CListNode pair(kKindDelayList);
    pair.Add(&one);
    pair.Add(&two);
    auto* list = AsList(Eval(pair));
    ASSERT_EQ(list->kind, kKindDelayList);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(list->elements[1]->kind, kKindDelayed);
    EXPECT_EQ(TermOf(list->elements[1]), &two);
    // An atom makes a fresh value each time.
    CValue* first = Eval(one);
    EXPECT_NE(first, Eval(one));
    EXPECT_EQ(Printed(first), "1");
}

TEST_F(ListNodeTest, AFailingElementFailsTheListAndKeepsTheSlotsBeforeIt) {
    CNode failing; // the base class's evaluation fails
    CListNode data(kKindDataList);
    data.Add(&one);
    data.Add(&failing);
    auto* list = AsList(Eval(data, false));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(Printed(list->elements[0]), "1");
    EXPECT_EQ(list->elements[1], nullptr);
}

TEST_F(ListNodeTest, TheTermOfAListValueBelongsToTheArena) {
    CListValue* list =
        List(kKindDataList, {new CRefValue(kKindDelayed, &one), new CRefValue(kKindDelayed, &two)});
    CNode* term = TermOf(list);
    ASSERT_NE(term, nullptr);
    EXPECT_TRUE(term->IsList());
    EXPECT_EQ(Printed(Eval(*term)), "(1,2)");
    // a list with an element that denotes no node denotes none itself
    EXPECT_EQ(TermOf(Data({Int(1)})), nullptr);
}

} // namespace
