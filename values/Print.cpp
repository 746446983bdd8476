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

void CValue::Print() const {
    PrintTo(*g_pOutput);
}

void CIntValue::PrintTo(COutputSink& sink) const {
    sink.Write(static_cast<int>(value));
}

void CRealValue::PrintTo(COutputSink& sink) const {
    sink.Write(value);
}

void CBoolValue::PrintTo(COutputSink& sink) const {
    sink.Write(value != 0 ? "true" : "false");
}

void CCharValue::PrintTo(COutputSink& sink) const {
    sink.Write("'");
    sink.Write(static_cast<char>(value));
    sink.Write("'");
}

void CErrorValue::PrintTo(COutputSink& sink) const {
    if (code >= kIErrNone && code <= kIErrValueExtract)
        sink.Write(g_apszInterpErrors[code]);
}

void CSignValue::PrintTo(COutputSink& sink) const {
    const char* text = code >= kKwBlock ? KeywordText(code) : OperatorText(code);
    if (text)
        sink.Write(text);
}

void CRefValue::PrintTo(COutputSink& sink) const {
    if (node)
        sink.Write(std::string(node->Name()));
}

void CTypedValue::PrintTo(COutputSink& sink) const {
    sink.Write("(");
    if (type && type->IsReference() && AsRef(type)->node)
        sink.Write(std::string(AsRef(type)->node->Name()));
    sink.Write(",");
    if (value)
        value->PrintTo(sink);
    sink.Write(")");
}

void CListValue::PrintTo(COutputSink& sink) const {
    sink.Write(OpeningBracket(kind));
    if (AllCharacters(*this)) {
        std::string text(1, '"');
        for (std::int32_t i = 0; i < count; ++i)
            text += static_cast<char>(AsChar(elements[i])->value);
        text += '"';
        sink.Write(std::move(text));
    } else {
        for (std::int32_t i = 0; i < count; ++i) {
            if (i > 0)
                sink.Write(",");
            if (elements[i])
                elements[i]->PrintTo(sink);
        }
    }
    sink.Write(ClosingBracket(kind));
}
