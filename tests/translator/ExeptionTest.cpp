#include "translator/Exeption.h"
#include "output/Encoding.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const char* Message(int code) {
    return CExeption(nullptr, "", code).ErrorMessage();
}

TEST(ExeptionTest, TableEndsAreNoErrorAndOutsideCodesHaveNoMessage) {
    EXPECT_STREQ(Message(kErrNone), "No Error!");
    EXPECT_STREQ(Message(kErrLast), "No Error!");
    EXPECT_EQ(Message(-1), nullptr);
    EXPECT_EQ(Message(kExeptionCodeCount), nullptr);
}

TEST(ExeptionTest, MessagesAreWindows1251Texts) {
    const std::pair<int, std::string> cases[] = {
        {kErrUnknownIdentifier, "Неизвестный идентификатор"},
        {kErrSemicolon, "Пропущена точка с запятой \";\""},
        {kErrComma, "Пропущена запятая \",\" между элементами списка"},
        {kErrUserStop, "Завершение выполнения программы по требованию пользователя"},
    };
    for (const auto& [code, utf8] : cases) {
        ASSERT_NE(Message(code), nullptr);
        EXPECT_EQ(Message(code), Utf8ToCp1251(utf8));
        EXPECT_EQ(Cp1251ToUtf8(Message(code)), utf8);
    }
}

TEST(ExeptionTest, EveryCodeButTheLastHasItsOwnMessage) {
    std::set<std::string> seen;
    for (int code = 0; code < kErrLast; ++code) {
        ASSERT_NE(Message(code), nullptr) << code;
        EXPECT_TRUE(seen.insert(Message(code)).second) << "code " << code << " repeats a text";
    }
}

TEST(ExeptionTest, ThrownCopyKeepsTextNodeAndCode) {
    bool caught = false;
    try {
        throw CExeption(nullptr, "abc", kErrUnknownIdentifier);
    } catch (const CExeption& e) {
        EXPECT_EQ(e.m_strText, "abc");
        EXPECT_EQ(e.m_pNode, nullptr);
        EXPECT_EQ(e.m_nCode, kErrUnknownIdentifier);
        EXPECT_EQ(Cp1251ToUtf8(e.ErrorMessage()), "Неизвестный идентификатор");
        caught = true;
    }
    EXPECT_TRUE(caught);
}

} // namespace
