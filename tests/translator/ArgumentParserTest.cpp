// The argument of a run: one term read from the "Аргумент" channel against a module. What
// it may hold, and which arguments are refused, is in tests/golden/cases/arguments.tvn;
// here, what no run shows: the module the argument is read against stays as it was.

#include "ParserSupport.h"

#include <gtest/gtest.h>

namespace {

using test::As;

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
    EXPECT_EQ(result.module->named.at("f")->name, "f");
    EXPECT_EQ(result.module->constants.size(), 1u);
    auto* list = As<CListNode>(term);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(As<CIdentifierNode>(list->elements.at(0))->text, "a");
}

} // namespace
