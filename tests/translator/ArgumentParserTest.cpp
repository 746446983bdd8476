// The argument of a run: one term read from the "Аргумент" channel against a module.

#include "ParserSupport.h"

#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using test::As;

class ArgumentParserTest : public testing::Test {
protected:
    void SetUp() override {
        const test::Translation result =
            test::TranslateText(m_programParser, "funcdef x { x } >> f\n"
                                                 "const 5 >> five\n"
                                                 "typedef t { true } >> tp\n"
                                                 "g[1] << funcdef x { x }");
        ASSERT_TRUE(result.ok) << result.report;
        m_module = result.module;
        m_capture.emplace(kChannelTranslation);
        m_parser.emplace(&m_scanner, m_module);
    }

    // Parses text as the argument; *term is null unless a term was read.
    bool Parse(const std::string& text, CNode** term) {
        m_capture->Pane(kChannelArgument).SetText(test::W(text.c_str()));
        return m_parser->ParseArgument(nullptr, term);
    }

    CScanner m_programScanner;
    CParser m_programParser{&m_programScanner};
    CModuleNode* m_module = nullptr;
    std::optional<test::SinkCapture> m_capture; // after the translation, which has its own
    CArgumentScanner m_scanner;
    std::optional<CArgumentParser> m_parser;
};

TEST_F(ArgumentParserTest, ReadsOneTermAndIgnoresTheRest) {
    const std::pair<const char*, int> cases[] = {
        {"5", kTokInteger},
        {"(1, 2) : f", kKindDataList},
        {"[five, f]", kKindParList},
        {"block { 1 >> break }", kKwBlock},
        {"'a' ;;; )))", kTokCharacter},
        {"{}", kTokEmptyDelay},
    };
    for (const auto& [text, kind] : cases) {
        SCOPED_TRACE(text);
        CArgumentParser parser(&m_scanner, m_module);
        m_capture->Pane(kChannelArgument).SetText(text);
        CNode* term = nullptr;
        ASSERT_TRUE(parser.ParseArgument(nullptr, &term));
        ASSERT_NE(term, nullptr);
        int seen = 0;
        if (auto* list = As<CListNode>(term))
            seen = list->kind;
        else if (As<CBlockNode>(term) != nullptr)
            seen = kKwBlock;
        else if (As<CIntAtom>(term) != nullptr)
            seen = kTokInteger;
        else if (As<CCharAtom>(term) != nullptr)
            seen = kTokCharacter;
        else if (auto* sign = As<CSignAtom>(term))
            seen = sign->code;
        EXPECT_EQ(seen, kind);
    }
}

TEST_F(ArgumentParserTest, RejectsADelayList) {
    CNode* term = nullptr;
    EXPECT_FALSE(Parse("{1}", &term));
    EXPECT_EQ(term, nullptr);
}

TEST_F(ArgumentParserTest, KnowsFunctionsAndConstantsButNotTypesOrOverloads) {
    CNode* term = nullptr;
    EXPECT_TRUE(Parse("(f, five)", &term));
    for (const char* text : {"(tp)", "(g)", "(x)", "(nothing)"}) {
        SCOPED_TRACE(text);
        try {
            Parse(text, &term);
            ADD_FAILURE() << "no error";
        } catch (const CExeption& error) {
            EXPECT_EQ(error.m_nCode, kErrUnknownIdentifier);
            EXPECT_EQ("(" + error.m_strText + ")", text);
            EXPECT_EQ(term, nullptr);
        }
    }
}

TEST_F(ArgumentParserTest, NamesItDefinesStayOutOfTheModule) {
    CNode* term = nullptr;
    ASSERT_TRUE(Parse("(5 >> a, a, 6 >> f, [b << 7, b])", &term));
    EXPECT_EQ(m_module->named.size(), 1u);
    EXPECT_EQ(m_module->named.at("f")->name, "f");
    EXPECT_EQ(m_module->constants.size(), 1u);
    auto* list = As<CListNode>(term);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(As<CIdentifierNode>(list->elements.at(0))->text, "a");
}

TEST_F(ArgumentParserTest, SyntaxErrorIsThrownWithItsCode) {
    CNode* term = nullptr;
    const std::pair<const char*, int> cases[] = {{"(1 2)", kErrComma},
                                                 {"( )", kErrTerm},
                                                 {"block 1", kErrLeftBrace},
                                                 {"(5 >> a, 6 >> a)", kErrNameDeclared}};
    for (const auto& [text, code] : cases) {
        SCOPED_TRACE(text);
        CArgumentParser parser(&m_scanner, m_module);
        m_capture->Pane(kChannelArgument).SetText(text);
        try {
            parser.ParseArgument(nullptr, &term);
            ADD_FAILURE() << "no error";
        } catch (const CExeption& error) {
            EXPECT_EQ(error.m_nCode, code);
            EXPECT_EQ(term, nullptr);
        }
    }
}

} // namespace
