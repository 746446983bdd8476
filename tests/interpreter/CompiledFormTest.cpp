// The compiled form of functions on scalars: which bodies it takes, the values it gives
// where it runs, and where it gives up to the general path. The golden cases compare whole
// runs with and without it; these check that it is there and does the work, which a
// compiler that gave up on everything would pass unseen.

#include "TestSupport.h"
#include "interpreter/IntForm.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "translator/Parser.h"
#include "translator/ParserSupport.h"
#include "translator/Scanner.h"
#include "values/Arena.h"
#include "values/Value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr const char* kProgram = R"(
inc << funcdef n { (n, 1) : + >> return }
pick << funcdef n { ({10}, {20}) : n : . >> return }
twice << funcdef n { n : inc : inc >> return }
upper << funcdef c {
  ((c, 'a') : >=, (c, 'z') : =<) : * >> small ;
  small : - >> other ;
  ((c, ' ') : - : small, c : other) : 1 >> return
}
vowel << funcdef c { ((c, 'a') : =, (c, 'e') : =, (c, 'o') : =) : + >> v ; c : v >> return }
code << funcdef n { n : char : int >> return }
length << funcdef n { (n, n) : | >> return }
viaLength << funcdef n { (n : length, 1) : + >> return }
)";

class CompiledFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source.emplace(kProgram);
        ASSERT_NO_THROW(m_parser.Translate(m_source->Path().c_str(), &m_module));
        ASSERT_NE(m_module, nullptr);
        m_run.emplace(m_module);
    }

    CFunctionNode* Function(const std::string& name) {
        const auto it = m_module->named.find(name);
        CNode* node = it != m_module->named.end() ? it->second : nullptr;
        return node != nullptr && node->IsFunction() ? static_cast<CFunctionNode*>(node) : nullptr;
    }

    struct Call {
        CompiledCall how;
        std::string value; // printed, when Done
    };
    Call Compiled(const std::string& name, CValue* arg) {
        CValue* out = nullptr;
        const CompiledCall how = CallCompiled(Function(name), arg, &out, *m_run);
        return {how, how == CompiledCall::Done ? test::Printed(out) : std::string()};
    }

    CArena m_arena;
    CArenaScope m_scope{m_arena};
    std::optional<test::TempSource> m_source;
    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_module = nullptr;
    std::optional<CRunContext> m_run;
};

TEST_F(CompiledFormTest, BodiesOnScalarsAreCompiledAndTheirCallersToo) {
    for (const char* name : {"inc", "pick", "twice", "upper", "vowel", "code"}) {
        ASSERT_NE(Function(name), nullptr) << name;
        EXPECT_NE(Function(name)->compiled, nullptr) << name;
    }
    // A list's length makes a list; a function that calls one without a form has none.
    for (const char* name : {"length", "viaLength"}) {
        ASSERT_NE(Function(name), nullptr) << name;
        EXPECT_EQ(Function(name)->compiled, nullptr) << name;
    }
}

TEST_F(CompiledFormTest, ACompiledCallGivesTheLanguagesValues) {
    EXPECT_EQ(Compiled("inc", new CIntValue(2147483647)).value, "-2147483648");
    EXPECT_EQ(Compiled("twice", new CIntValue(5)).value, "7");
    EXPECT_EQ(Compiled("pick", new CIntValue(1)).value, "10");
    EXPECT_EQ(Compiled("pick", new CIntValue(2)).value, "20");
    EXPECT_EQ(Compiled("upper", SharedChar('q')).value, "'Q'");
    EXPECT_EQ(Compiled("upper", SharedChar('!')).value, "'!'");
    EXPECT_EQ(Compiled("vowel", SharedChar('e')).value, "'e'");
    EXPECT_EQ(Compiled("code", new CIntValue(353)).value, "97");
    EXPECT_EQ(Compiled("code", SharedBool(true)).value, "1");

    CValue* out = nullptr;
    EXPECT_EQ(CallCompiled(Function("vowel"), SharedChar('x'), &out, *m_run), CompiledCall::Done);
    EXPECT_TRUE(out != nullptr && IsEmptyMarker(out));
}

TEST_F(CompiledFormTest, ItGivesUpWhereTheGeneralPathWouldDoOtherwise) {
    // A choice out of range, an operand of another kind: errors the general path makes.
    EXPECT_EQ(Compiled("pick", new CIntValue(3)).how, CompiledCall::GaveUp);
    EXPECT_EQ(Compiled("pick", new CIntValue(0)).how, CompiledCall::GaveUp);
    EXPECT_EQ(Compiled("inc", SharedChar('a')).how, CompiledCall::GaveUp);
    EXPECT_EQ(Compiled("upper", new CIntValue(5)).how, CompiledCall::GaveUp);
    // Not tried: no form, an argument that is no scalar, a traced run.
    EXPECT_EQ(Compiled("length", new CIntValue(1)).how, CompiledCall::None);
    auto* list = new CListValue(kKindDataList, 2);
    list->elements[0] = list->elements[1] = new CIntValue(1);
    EXPECT_EQ(Compiled("inc", list).how, CompiledCall::None);
    m_run->debug = true;
    EXPECT_EQ(Compiled("inc", new CIntValue(1)).how, CompiledCall::None);
}

} // namespace
