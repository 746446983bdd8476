#pragma once
// Helpers shared by the core's tests: values built in a test arena, and the text that
// printing a value (or running code) writes through the sink.

#include "output/Encoding.h"
#include "output/MemoryPane.h"
#include "output/OutputSink.h"
#include "values/Arena.h"
#include "values/Value.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace test {

// Attaches memory panes to all four channels for the lifetime of the object and leaves
// the given channel current.
class SinkCapture {
public:
    explicit SinkCapture(int channel = kChannelResult) {
        for (int i = 0; i < kChannelCount; ++i)
            g_OutputSink.Attach(&m_panes[i], i);
        g_OutputSink.Select(channel);
    }
    ~SinkCapture() { g_OutputSink.DetachAll(); }
    SinkCapture(const SinkCapture&) = delete;
    SinkCapture& operator=(const SinkCapture&) = delete;

    std::string Text(int channel) const { return g_OutputSink.Buffer(channel); }
    CMemoryPane& Pane(int channel) { return m_panes[channel]; }

private:
    CMemoryPane m_panes[kChannelCount];
};

// The text form of a value, as Print writes it.
inline std::string Printed(const CValue* value) {
    SinkCapture capture(kChannelResult);
    value->Print();
    return capture.Text(kChannelResult);
}

inline CValue* Int(int v) {
    return new CIntValue(v);
}
inline CValue* Char(char c) {
    return new CCharValue(static_cast<unsigned char>(c));
}
inline CValue* Err(int code) {
    return new CErrorValue(code);
}
inline CValue* Sign(int code) {
    return new CSignValue(code);
}

inline CListValue* List(int kind, std::initializer_list<CValue*> elements) {
    auto* list = new CListValue(kind, static_cast<std::int32_t>(elements.size()));
    int i = 0;
    for (CValue* element : elements)
        list->elements[i++] = element;
    return list;
}
inline CListValue* Data(std::initializer_list<CValue*> elements) {
    return List(kKindDataList, elements);
}
inline CListValue* Par(std::initializer_list<CValue*> elements) {
    return List(kKindParList, elements);
}

// Windows-1251 text of a UTF-8 literal, for comparing with what the core writes.
inline std::string W(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

} // namespace test
