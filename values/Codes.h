#pragma once
// The codes every layer shares: tokens, operators and keywords, value kinds, the error codes
// of error values and of the translator's and interpreter's error object. The numbers are
// part of the system's behaviour (an operator used as a value has its token code as its
// kind, and the order of some ranges is tested by comparison), so each is written once,
// here, and everywhere else by name.

// Token codes. The same numbering names operators, list and value kinds and keywords.
enum TokenCode : int {
    kTokNothing = 0,
    kTokEnd = 1,
    kTokPlus = 2,
    kTokMinus = 3,
    kTokStar = 4,
    kTokSlash = 5,
    kTokPercent = 6,
    kTokEmptyData = 7,  // "()"
    kTokEmptyPar = 8,   // "[]"
    kTokEmptyDelay = 9, // "{}"
    kTokDot = 10,
    kTokRange = 11, // ".."
    kTokLess = 12,
    kTokGreater = 13,
    kTokBar = 14,
    kTokHash = 15,
    kTokLessEqual = 16,
    kTokGreaterEqual = 17,
    kTokEqual = 18,
    kTokNotEqual = 19,
    kTokQuestion = 20,
    kTokDup = 21,
    kTokLeftArrow = 22,  // "<<"
    kTokRightArrow = 23, // ">>"
    kTokComma = 24,
    kTokCaret = 26,
    kTokColon = 27,
    kTokSemicolon = 28,
    kTokRParen = 29,
    kTokLParen = 30,
    kTokRBracket = 31,
    kTokLBracket = 32,
    kTokRBrace = 33,
    kTokLBrace = 34,
    kTokIdentifier = 35,
    kTokInteger = 43,
    kTokReal = 44,
    kTokBoolean = 45,
    kTokCharacter = 47,
    kTokString = 50,
    kTokRightNaming = 51, // ">> name"
    kTokLeftNaming = 52,  // "name <<"
    // keywords
    kKwBlock = 53,
    kKwBool = 54,
    kKwDup = 55,
    kKwConst = 56,
    kKwElse = 57,
    kKwError = 58,
    kKwFalse = 59,
    kKwFloat = 60,
    kKwFuncdef = 61,
    kKwInt = 62,
    kKwNil = 63,
    kKwPrefunc = 64,
    kKwSignal = 65,
    kKwStart = 66,
    kKwTrue = 67,
    kKwType = 68,
    kKwIn = 69,
    kKwOut = 70,
    kKwChar = 71,
    kKwDatalist = 72,
    kKwParlist = 73,
    kKwDelaylist = 74,
    kKwTypedef = 75,
    kKwValue = 76
};

// Kinds of values. Numbers, booleans and characters share their literal's token code; an
// operator or keyword used as a value has its own token code as its kind.
enum ValueKind : int {
    kKindDataList = 36,
    kKindParList = 37,
    kKindDelayList = 38,
    kKindFuncRef = 39,
    kKindTypeRef = 40,
    kKindTyped = 41,
    kKindDelayed = 42,
    kKindInt = 43,
    kKindReal = 44,
    kKindBool = 45,
    kKindChar = 47,
    kKindError = 48
};

// Error codes of error values, indexes into g_apszInterpErrors.
enum InterpError : int {
    kIErrNone = 0,
    kIErrUnknown = 1,
    kIErrCastReal = 2,
    kIErrCastInt = 3,
    kIErrZeroDivision = 4,
    kIErrInterpretation = 5,
    kIErrBound = 6,
    kIErrNoExpression = 7,
    kIErrTypeCast = 8,
    kIErrValueExtract = 9
};

// Codes of CExeption, each selecting a fixed message.
enum ExeptionCode : int {
    kErrNone = 0,
    kErrSyntax = 1,
    kErrSemicolon = 2,
    kErrNotImplemented = 3,
    kErrFunctionDefined = 4,
    kErrConstantName = 5,
    kErrConstantDeclared = 6,
    kErrFunctionName = 7,
    kErrNameDeclared = 8,
    kErrLeftBrace = 9,
    kErrUnnamedExpression = 10,
    kErrRightNaming = 11,
    kErrConstExpression = 12,
    kErrComma = 13,
    kErrTerm = 14,
    kErrUnknownIdentifier = 15,
    kErrConstTerm = 16,
    kErrBreakOutside = 17,
    kErrReturnOutside = 18,
    kErrUserStop = 19,
    kErrTypeName = 20,
    kErrOverloadName = 21,
    kErrLast = 22,
    kExeptionCodeCount = 23
};

// The keyword table: name, code; the value printer reads names through KeywordText.
struct KeywordEntry {
    const char* name;
    int code;
};
extern const KeywordEntry g_aKeywords[24];
// The text of keyword code 53..76, or null.
const char* KeywordText(int code);
