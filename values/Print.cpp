// Text forms of values: compact and close to the source notation.

#include "output/OutputSink.h"
#include "values/NodeBase.h"
#include "values/Value.h"

namespace {
const char* OperatorText(int code) {
    static const char* const kTexts[] = {
        "+", "-", "*", "/",  "%",  "()", "[]", "{}", ".",   "..", "<",
        ">", "|", "#", "=<", ">=", "=",  "!=", "?",  "dup", "<<", ">>"};
    return code >= kTokPlus && code <= kTokRightArrow ? kTexts[code - kTokPlus] : nullptr;
}

const char* OpeningBracket(int kind) {
    return kind == kKindParList ? "[" : kind == kKindDelayList ? "{" : "(";
}

const char* ClosingBracket(int kind) {
    return kind == kKindParList ? "]" : kind == kKindDelayList ? "}" : ")";
}

bool AllCharacters(const CListValue& list) {
    for (std::int32_t i = 0; i < list.count; ++i) {
        if (!list.elements[i] || list.elements[i]->kind != kKindChar)
            return false;
    }
    return true;
}
} // namespace

void CIntValue::Print() const {
    g_pOutput->Write(static_cast<int>(value));
}

void CRealValue::Print() const {
    g_pOutput->Write(value);
}

void CBoolValue::Print() const {
    g_pOutput->Write(value != 0 ? "true" : "false");
}

void CCharValue::Print() const {
    g_pOutput->Write("'");
    g_pOutput->Write(static_cast<char>(value));
    g_pOutput->Write("'");
}

void CErrorValue::Print() const {
    if (code >= kIErrNone && code <= kIErrValueExtract)
        g_pOutput->Write(g_apszInterpErrors[code]);
}

void CSignValue::Print() const {
    const char* text = code >= kKwBlock ? KeywordText(code) : OperatorText(code);
    if (text)
        g_pOutput->Write(text);
}

void CRefValue::Print() const {
    if (node)
        g_pOutput->Write(node->name);
}

void CTypedValue::Print() const {
    g_pOutput->Write("(");
    if (type && type->IsReference() && AsRef(type)->node)
        g_pOutput->Write(AsRef(type)->node->name);
    g_pOutput->Write(",");
    if (value)
        value->Print();
    g_pOutput->Write(")");
}

void CListValue::Print() const {
    g_pOutput->Write(OpeningBracket(kind));
    if (AllCharacters(*this)) {
        std::string text(1, '"');
        for (std::int32_t i = 0; i < count; ++i)
            text += static_cast<char>(AsChar(elements[i])->value);
        text += '"';
        g_pOutput->Write(std::move(text));
    } else {
        for (std::int32_t i = 0; i < count; ++i) {
            if (i > 0)
                g_pOutput->Write(",");
            if (elements[i])
                elements[i]->Print();
        }
    }
    g_pOutput->Write(ClosingBracket(kind));
}
