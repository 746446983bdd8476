#include "output/Encoding.h"
#include "output/Utf16.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>

namespace {

TEST(EncodingTest, EveryByteOfALongTextSurvivesTheRoundTripThroughUtf8) {
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(bytes)), bytes);
}

TEST(EncodingTest, ConvertsLettersAndSignsOfTheCodePage) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xC0", "А"},
        {"\xFF", "я"},
        {"\xA8", "Ё"},
        {"\xB9", "№"},
        {"\x88", "€"},
        {"abc", "abc"},
        {"\x98", "\xEF\xA2\x98"}, // no character in the code page: U+F898
    };
    for (const auto& [cp1251, utf8] : cases)
        EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
}

TEST(EncodingTest, InvalidOrForeignUtf8BecomesQuestionMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\x80z", "a?z"},  {"\xC3", "?"},      {"x\xE2\x82", "x??"},
        {"\xC0\xAF", "??"}, {"\xFF\xFE", "??"}, {"\xED\xA0\x80", "???"},
        {"漢字", "??"},     {"a😀b", "a?b"},     {"", ""},
    };
    for (const auto& [utf8, cp1251] : cases)
        EXPECT_EQ(Utf8ToCp1251(utf8), cp1251) << utf8;
    // U+F880 to U+F8FF stand for bytes (see Cp1251ToUtf8); the code points beside are foreign.
    EXPECT_EQ(Utf8ToCp1251("\xEF\xA2\x80\xEF\xA3\xBF"), "\x80\xFF");
    EXPECT_EQ(Utf8ToCp1251("\xEF\xA1\xBF\xEF\xA4\x80"), "??");
}

// A long text goes through iconv in several chunks; a surrogate pair is one character.
TEST(EncodingTest, Utf16HasEveryCharacterAndMarksWhatIsNotUtf) {
    const std::string text = std::string(3000, 'x') + "Жя😀";
    const std::u16string units = Utf8ToUtf16(text);
    EXPECT_EQ(units, std::u16string(3000, u'x') + u"Жя😀");
    EXPECT_EQ(Utf16ToUtf8(units), text);
    EXPECT_EQ(Utf8ToUtf16("a\xC0\xAFz\xE2\x82"), u"a\uFFFD\uFFFDz\uFFFD\uFFFD");
    EXPECT_EQ(Utf16ToUtf8(u"a\xD800"
                          u"b\xDC00"),
              "a\uFFFDb\uFFFD");
}

TEST(EncodingTest, CpConvertsOnceAndKeepsTheText) {
    const std::string& first = Cp(u8"Аргумент");
    EXPECT_EQ(first, Utf8ToCp1251("Аргумент"));
    EXPECT_EQ(&Cp("Аргумент"), &first);
    const std::string* fromThread = nullptr;
    std::thread([&] { fromThread = &Cp(u8"Аргумент"); }).join();
    EXPECT_EQ(fromThread, &first);
    for (int i = 0; i < 100; ++i)
        Cp(std::to_string(i).c_str());
    EXPECT_EQ(first, "\xC0\xF0\xE3\xF3\xEC\xE5\xED\xF2");
}

} // namespace
