#include "values/Codes.h"

// Ordered by code; the printer finds a keyword's text by its code, not by its place.
const KeywordEntry g_aKeywords[24] = {
    {"block", kKwBlock},     {"bool", kKwBool},
    {"dup", kKwDup},         {"const", kKwConst},
    {"else", kKwElse},       {"error", kKwError},
    {"false", kKwFalse},     {"float", kKwFloat},
    {"funcdef", kKwFuncdef}, {"int", kKwInt},
    {"nil", kKwNil},         {"prefunc", kKwPrefunc},
    {"signal", kKwSignal},   {"start", kKwStart},
    {"true", kKwTrue},       {"type", kKwType},
    {"in", kKwIn},           {"out", kKwOut},
    {"char", kKwChar},       {"datalist", kKwDatalist},
    {"parlist", kKwParlist}, {"delaylist", kKwDelaylist},
    {"typedef", kKwTypedef}, {"value", kKwValue},
};

const char* KeywordText(int code) {
    for (const KeywordEntry& entry : g_aKeywords) {
        if (entry.code == code)
            return entry.name;
    }
    return nullptr;
}
