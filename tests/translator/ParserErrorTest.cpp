// Every error the parser raises, as the "Трансляция" channel reports it: the scanner's
// line at the throw, the message and, for declaration and identifier errors, the name.

#include "ParserSupport.h"

#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <exception>

namespace {

struct ErrorCase {
    const char* source;
    int line;
    const char* message;
    const char* name;
};

const char* const kSyntax = "Неопознанная синтаксическая ошибка";
const char* const kSemicolon = "Пропущена точка с запятой \";\"";
const char* const kNotImplemented = "Нереализована функция";
const char* const kConstantName = "Идентификатор уже объявлен как идентификатор константы";
const char* const kFunctionName = "Идентификатор уже объявлен как идентификатор функции";
const char* const kDeclared = "Идентификатор уже объявлен";
const char* const kLeftBrace = "Пропущена левая фигурная скобка \"{\"";
const char* const kRightNaming = "Пропущено правое поименование";
const char* const kConstExpression = "Пропущено константное выражение";
const char* const kComma = "Пропущена запятая \",\" между элементами списка";
const char* const kTerm = "Пропущен терм (атом, список, блок или идентификатор)";
const char* const kUnknown = "Неизвестный идентификатор";
const char* const kConstTerm = "Пропущен константный терм (атом, список или идентификатор)";
const char* const kTypeName = "Идентификатор уже объявлен как идентификатор типа";
const char* const kOverloadName =
    "Идентификатор уже объявлен как идентификатор перегруженной функции";

const ErrorCase kErrorCases[] = {
    // code 1: a top-level item no rule accepts
    {"", 1, kSyntax, ""},
    {"; const 1 >> a", 1, kSyntax, ""},
    {"const 1 >> a\nfoo bar baz", 2, kSyntax, ""},
    {"f[x] << funcdef x { x }", 1, kSyntax, ""},
    {"f[1 << funcdef x { x }", 1, kSyntax, ""},
    {"f[1] funcdef x { x }", 1, kSyntax, ""},
    {"a << b[1]", 1, kSyntax, ""},
    {"a << b[1] funcdef x { x }", 1, kSyntax, ""},
    // code 2: a body item followed by neither ";" nor "}"
    {"funcdef x {\n x ; x x } const 1 >> a", 2, kSemicolon, ""},
    {"funcdef x { x else x } >> f", 1, kSemicolon, ""},
    {"funcdef x { block { x >> break x } } >> f", 1, kSemicolon, ""},
    // code 3: declared and never defined, reported in name order
    {"prefunc >> zeta;\nprefunc >> alpha;\n", 3, kNotImplemented, "alpha"},
    {"f << prefunc", 1, kNotImplemented, "f"},
    // code 5: the name of a constant taken again
    {"const 1 >> a\nconst 2 >> a const 3 >> b", 2, kConstantName, "a"},
    {"a << const 1\nfuncdef x { x } >> a ;", 2, kConstantName, "a"},
    // code 7: the name of a function taken again, also by a constant
    {"funcdef x { x } >> g\nfuncdef y { y } >> g ;", 2, kFunctionName, "g"},
    {"f << prefunc; f << const 5", 1, kFunctionName, "f"},
    {"funcdef x { x } >> f\nf << const 1 ;", 2, kFunctionName, "f"},
    // code 8: a local name defined twice in one scope
    {"funcdef x { x >> a ;\n x >> a }", 2, kDeclared, "a"},
    {"funcdef x { a << x ;\n a << x }", 2, kDeclared, "a"},
    {"funcdef x { (x >> a, x >> a) }", 1, kDeclared, "a"},
    {"funcdef x { a << x >> a }", 1, kDeclared, "a"},
    // code 9: a body without its opening brace
    {"funcdef x {}", 1, kLeftBrace, ""},
    {"typedef t\n x", 2, kLeftBrace, ""},
    {"funcdef x { block x }", 1, kLeftBrace, ""},
    {"funcdef x { block {} }", 1, kLeftBrace, ""},
    // code 11: a definition without the name it is defined under
    {"const 5", 1, kRightNaming, ""},
    {"prefunc", 1, kRightNaming, ""},
    {"funcdef x { x }\n;", 2, kRightNaming, ""},
    {"typedef x { x } 1", 1, kRightNaming, ""},
    // code 12: "const" without a constant expression
    {"const >> c", 1, kConstExpression, ""},
    {"const\n1 : 2 else 3 >> c", 2, kConstExpression, ""},
    {"const int >> c", 1, kConstExpression, ""},
    // code 13: list elements without a comma between them
    {"funcdef a { [a a] }", 1, kComma, ""},
    {"const (1 2) >> c", 1, kComma, ""},
    // code 14: a term missing where the expression needs one
    {"funcdef x { ( ) }", 1, kTerm, ""},
    {"funcdef x { x : }", 1, kTerm, ""},
    {"funcdef x { x ^ }", 1, kTerm, ""},
    {"funcdef x { a << b << x }", 1, kTerm, ""},
    {"funcdef x { x : x else ; }", 1, kTerm, ""},
    {"funcdef x { error }", 1, kTerm, ""},
    // code 15: a name known nowhere
    {"funcdef x { x : y }", 1, kUnknown, "y"},
    {"funcdef x { x : f } >> f", 1, kUnknown, "f"},
    {"funcdef x {\n block { x >> a ; a >> break } >> b ;\n a }", 3, kUnknown, "a"},
    {"funcdef x { y >> a ; x } >> f", 1, kUnknown, "y"},
    // code 16: a term missing after ":" or "^" in a constant expression
    {"const 1 : >> c", 1, kConstTerm, ""},
    {"const 1 ^ ;", 1, kConstTerm, ""},
    {"const (a << ) >> c", 1, kConstTerm, ""},
    // code 20: the name of a type taken again
    {"typedef x { x } >> t\nconst 1 >> t ;", 2, kTypeName, "t"},
    // code 21: the name of an overloaded function taken by a plain definition
    {"f[] << funcdef x { x }\nf[1] << funcdef x { x }\nfuncdef x { x } >> f ;", 3, kOverloadName,
     "f"},
    {"f[1] << funcdef x { x }\nf << funcdef x { x }", 2, kOverloadName, "f"},
};

TEST(ParserErrorTest, ReportsEachErrorWithItsLineAndName) {
    for (const ErrorCase& error : kErrorCases) {
        SCOPED_TRACE(error.source);
        CScanner scanner;
        CParser parser(&scanner);
        const test::Translation result = test::TranslateText(parser, error.source);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.module, nullptr);
        EXPECT_EQ(result.report, test::ErrorReport(error.line, error.message, error.name));
    }
}

TEST(ParserErrorTest, ErrorEndsTranslationAtOnce) {
    CScanner scanner;
    CParser parser(&scanner);
    // The second error (code 15 for z) is never reached.
    const test::Translation result =
        test::TranslateText(parser, "funcdef x { x : y } >> f\nfuncdef x { x : z } >> g");
    EXPECT_EQ(result.report, test::ErrorReport(1, kUnknown, "y"));
}

// Handlers of any standard exception still get the message of a translator's error.
TEST(ParserErrorTest, ErrorsAreStandardExceptionsWithTheirMessage) {
    try {
        throw CExeption(nullptr, "y", kErrUnknownIdentifier);
    } catch (const std::exception& e) {
        EXPECT_EQ(Cp1251ToUtf8(e.what()), kUnknown);
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
