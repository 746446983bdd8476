// The parser's errors as reports are in tests/golden/cases/translate-errors.tvn; here, that
// handlers of any standard exception still get the message of a translator's error.

#include "ParserSupport.h"

#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <exception>

namespace {

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

} // namespace
