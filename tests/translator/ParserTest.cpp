// The module a translation builds: its tables, the bodies of definitions, the terms of
// expressions, and the parser's ownership of the nodes. Which programs translate, and the
// line counts of their reports, are in tests/golden/cases/translate-inputs.tvn; what runs
// of them show, the order of overloaded variants included, in definitions.tvn.

#include "ParserSupport.h"

#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <exception>

#include <string>
#include <vector>

namespace {

using test::As;

class ParserTest : public testing::Test {
protected:
    // Translates and expects success; the module stays valid until the parser is cleared.
    CModuleNode* Accept(const std::string& source) {
        const test::Translation result = test::TranslateText(m_parser, source);
        EXPECT_TRUE(result.ok) << result.report;
        return result.module;
    }

    static std::vector<std::string> Keys(const NameTable& table) {
        std::vector<std::string> keys;
        for (const auto& entry : table)
            keys.push_back(entry.first);
        return keys;
    }

    static CFunctionNode* Function(CModuleNode* module, const std::string& name) {
        return As<CFunctionNode>(module->named.at(name));
    }

    CScanner m_scanner;
    CParser m_parser{&m_scanner};
};

TEST_F(ParserTest, FunctionTableIsOrderedByBytes) {
    CModuleNode* module = Accept("funcdef x { x } >> b >> a1 >> a.b >> _x >> B >> a");
    ASSERT_NE(module, nullptr);
    const std::vector<std::string> expected = {"B", "_x", "a", "a.b", "a1", "b"};
    EXPECT_EQ(Keys(module->named), expected);
}

TEST_F(ParserTest, DefinitionsGoToTheirTables) {
    CModuleNode* module = Accept("const 7 >> seven\n"
                                 "typedef v { (v, 0) : > } >> positive\n"
                                 "funcdef x { x } >> id\n"
                                 "twice << funcdef x { (x, x) }\n"
                                 "pair << const (1, 2)\n"
                                 "natural << typedef n { n : positive }");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Keys(module->named), (std::vector<std::string>{"id", "twice"}));
    EXPECT_EQ(Keys(module->constants), (std::vector<std::string>{"pair", "seven"}));
    EXPECT_EQ(Keys(module->types), (std::vector<std::string>{"natural", "positive"}));
    EXPECT_TRUE(module->overloads.empty());
    EXPECT_EQ(module->constants.at("seven")->Name(), "seven");
    EXPECT_EQ(module->types.at("natural")->Name(), "natural");
    EXPECT_NE(As<CFunctionNode>(module->types.at("positive")), nullptr);
    EXPECT_NE(As<CExpressionNode>(module->constants.at("pair")), nullptr);
}

TEST_F(ParserTest, FunctionRecordsItsParameterAndLines) {
    CModuleNode* module = Accept("const 1 >> one\n"
                                 "funcdef n {\n"
                                 "  n >> r ;\n"
                                 "  r >> return\n"
                                 "} >> f\n"
                                 "funcdef { one } >> g\n");
    ASSERT_NE(module, nullptr);
    CFunctionNode* f = Function(module, "f");
    EXPECT_EQ(f->argName, "n");
    EXPECT_EQ(f->firstLine, 2);
    EXPECT_EQ(f->lastLine, 5);
    EXPECT_EQ(f->owner, module);
    // An expression records the line where it starts.
    EXPECT_EQ(As<CExpressionNode>(f->named.at("r"))->line, 3);
    EXPECT_EQ(As<CExpressionNode>(f->named.at("return"))->line, 4);
    EXPECT_EQ(Function(module, "g")->argName, "");
    EXPECT_EQ(Function(module, "g")->firstLine, 6);
}

TEST_F(ParserTest, BodyKeepsNamedAndUnnamedExpressions) {
    CModuleNode* module = Accept("funcdef n { n : int >> m ; m ; (m >> k, k) ; a << n >> b } >> f");
    ASSERT_NE(module, nullptr);
    CFunctionNode* f = Function(module, "f");
    EXPECT_EQ(Keys(f->named), (std::vector<std::string>{"a", "b", "k", "m"}));
    EXPECT_EQ(f->named.at("m")->Name(), "expression"); // a right naming does not rename
    EXPECT_EQ(f->named.at("a"), f->named.at("b"));
    EXPECT_EQ(f->named.at("a")->Name(), "b"); // after a left naming the right ones do
    ASSERT_EQ(f->unnamed.size(), 2u);
    // The list's first element stands for the value it names.
    auto* list = As<CListNode>(As<CExpressionNode>(f->unnamed[1])->terms.at(0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, kKindDataList);
    ASSERT_EQ(list->elements.size(), 2u);
    EXPECT_EQ(As<CIdentifierNode>(list->elements[0])->text, "k");
    EXPECT_NE(As<CExpressionNode>(list->elements[1]), nullptr);
    EXPECT_EQ(list->elements[0]->owner, f);
}

TEST_F(ParserTest, LeftNamedListElementDefinesTheNameInTheScope) {
    CModuleNode* module = Accept("funcdef x { block { [a << x, a] >> break } } >> f");
    ASSERT_NE(module, nullptr);
    CFunctionNode* f = Function(module, "f");
    auto* block = As<CBlockNode>(As<CExpressionNode>(f->unnamed.at(0))->terms.at(0));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->owner, f);
    EXPECT_EQ(Keys(block->named), (std::vector<std::string>{"a", "break"}));
    auto* list = As<CListNode>(As<CExpressionNode>(block->named.at("break"))->terms.at(0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, kKindParList);
    EXPECT_EQ(As<CIdentifierNode>(list->elements.at(0))->text, "a");
    EXPECT_EQ(list->elements.at(0)->owner, block);
}

// The value of an integer atom, or -1 for any other node.
int IntOf(CNode* node) {
    auto* atom = As<CIntAtom>(node);
    return atom != nullptr ? atom->value : -1;
}

TEST_F(ParserTest, ElseSetsTheAlternativeOfTheTermBeforeIt) {
    CModuleNode* module = Accept("funcdef x { x : int else 0 : float ^ 1 else 2 } >> f");
    ASSERT_NE(module, nullptr);
    const CNodeList& terms = As<CExpressionNode>(Function(module, "f")->unnamed.at(0))->terms;
    ASSERT_EQ(terms.size(), 4u); // x, int, 1, float
    EXPECT_EQ(As<CTermNode>(terms[0])->alternative, nullptr);
    EXPECT_EQ(IntOf(As<CTermNode>(terms[1])->alternative), 0);
    EXPECT_EQ(IntOf(As<CTermNode>(terms[2])->alternative), 2);
    EXPECT_EQ(As<CTermNode>(terms[3])->alternative, nullptr);
}

TEST_F(ParserTest, ClearDeletesEveryNodeAlsoAfterAnErrorAndEachTranslationStartsFromNothing) {
    EXPECT_EQ(m_parser.NodeCount(), 0u);
    m_parser.Clear();
    EXPECT_EQ(m_parser.NodeCount(), 0u);
    const test::Translation failed =
        test::TranslateText(m_parser, "funcdef x { (x, [x, block { x >> break }], \"ab\" : y) }");
    EXPECT_FALSE(failed.ok);
    EXPECT_GT(m_parser.NodeCount(), 10u);
    m_parser.Clear();
    EXPECT_EQ(m_parser.NodeCount(), 0u);

    // Each translation starts from nothing.
    Accept("funcdef x { x } >> f");
    const std::size_t nodes = m_parser.NodeCount();
    CModuleNode* module = Accept("funcdef x { x } >> f");
    EXPECT_EQ(m_parser.NodeCount(), nodes);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Keys(module->named), std::vector<std::string>{"f"});
}

// Handlers of any standard exception still get the message of a translator's error; the
// parser's errors as reports are in tests/golden/cases/translate-errors.tvn.
TEST(ParserErrorTest, ErrorsAreStandardExceptionsWithTheirMessage) {
    try {
        throw CExeption(nullptr, "y", kErrUnknownIdentifier);
    } catch (const std::exception& e) {
        EXPECT_EQ(Cp1251ToUtf8(e.what()), "Неизвестный идентификатор");
        EXPECT_EQ(CaughtExceptionText(), e.what());
    }
    EXPECT_STREQ(CExeption(nullptr, "", -1).what(), "");
    try {
        throw 5;
    } catch (...) {
        EXPECT_EQ(CaughtExceptionText(), "an exception of an unknown type");
    }
}

// An argument is read against a module and leaves it as it was; what it may hold, and which
// arguments are refused, is in tests/golden/cases/arguments.tvn.
TEST(ArgumentParserTest, NamesItDefinesStayOutOfTheModule) {
    CScanner programScanner;
    CParser programParser(&programScanner);
    const test::Translation result =
        test::TranslateText(programParser, "funcdef x { x } >> f\nconst 5 >> five");
    ASSERT_TRUE(result.ok) << result.report;
    test::SinkCapture capture(kChannelTranslation);
    CArgumentScanner scanner;
    CArgumentParser parser(&scanner, result.module);
    capture.Pane(kChannelArgument).SetText("(5 >> a, a, 6 >> f, [b << 7, b])");
    CNode* term = nullptr;
    ASSERT_TRUE(parser.ParseArgument(nullptr, &term));
    EXPECT_EQ(result.module->named.size(), 1u);
    EXPECT_EQ(result.module->named.at("f")->Name(), "f");
    EXPECT_EQ(result.module->constants.size(), 1u);
    auto* list = As<CListNode>(term);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(As<CIdentifierNode>(list->elements.at(0))->text, "a");
}

} // namespace
