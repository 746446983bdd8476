// The enabling rules of the language commands.

#include "ide/CommandState.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandStateTest, FollowsTheDocumentAndTheApplicationWideSession) {
    struct Case {
        const char* name;
        DocumentFlags doc;
        bool anyRunning, anyDebugging;
        CommandStates expected; // translate, run, abortRun, debug, abortDebug
    };
    const Case cases[] = {
        {"edited", {false, false, false}, false, false, {true, false, false, false, false}},
        {"translated", {true, false, false}, false, false, {false, true, false, true, false}},
        {"running", {true, true, false}, true, false, {false, false, true, false, false}},
        {"debugging", {true, false, true}, false, true, {false, false, false, true, true}},
        {"edited while running",
         {false, true, false},
         true,
         false,
         {false, false, true, false, false}},
        {"another document runs",
         {true, false, false},
         true,
         false,
         {false, false, false, false, false}},
        {"another document debugs",
         {true, false, false},
         false,
         true,
         {false, false, false, false, false}},
        {"edited, another runs",
         {false, false, false},
         true,
         false,
         {true, false, false, false, false}},
    };
    for (const Case& c : cases) {
        const CommandStates s = ComputeCommandStates(&c.doc, c.anyRunning, c.anyDebugging);
        EXPECT_EQ(s.translate, c.expected.translate) << c.name;
        EXPECT_EQ(s.run, c.expected.run) << c.name;
        EXPECT_EQ(s.abortRun, c.expected.abortRun) << c.name;
        EXPECT_EQ(s.debug, c.expected.debug) << c.name;
        EXPECT_EQ(s.abortDebug, c.expected.abortDebug) << c.name;
    }
}

TEST(CommandStateTest, NothingIsAvailableWithoutADocument) {
    const CommandStates s = ComputeCommandStates(nullptr, false, false);
    EXPECT_FALSE(s.translate || s.run || s.abortRun || s.debug || s.abortDebug);
}

} // namespace
