#pragma once
// What one piece of a parallel evaluation writes, kept aside and played back later in the
// pieces' order, so that the text reads as if the pieces had run one after another. While
// a capture is current on a thread (CCaptureScope), the sink's writes from that thread
// land in it, and so do the core's notes beside the sink (WriteConsoleNote) and the
// marks of other listeners (for "out": the values it printed).

#include "output/OutputSink.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class COutputCapture {
public:
    void AppendText(std::string_view text);
    void AppendNote(std::string_view text);
    void AppendMark(const void* mark);
    bool Empty() const { return m_entries.empty(); }

    // Writes the texts to sink, the notes to the run notes' writer and hands each mark to
    // onMark, in the order they came.
    void Replay(COutputSink& sink, const std::function<void(const void*)>& onMark) const;

    // A place in the capture, to forget everything after it.
    struct Mark {
        std::size_t entries = 0;
        std::size_t lastText = 0;
    };
    Mark Here() const {
        if (m_entries.empty())
            return {};
        const Entry& last = m_entries.back();
        return {m_entries.size(), last.kind == Kind::Text ? last.text.size() : 0};
    }
    void TruncateTo(const Mark& mark);

    // The capture current on this thread, or null.
    static COutputCapture* Current();

private:
    friend class CCaptureScope;
    enum class Kind { Text, Note, Mark };
    struct Entry {
        Kind kind;
        std::string text;
        const void* mark = nullptr;
    };
    std::vector<Entry> m_entries;
};

class CCaptureScope {
public:
    explicit CCaptureScope(COutputCapture& capture);
    ~CCaptureScope();
    CCaptureScope(const CCaptureScope&) = delete;
    CCaptureScope& operator=(const CCaptureScope&) = delete;

private:
    COutputCapture* m_pPrevious;
};

// A note of the core's beside the sink (an unknown name, the line end of a traced "out"):
// captured while a capture is current, else handed to the run notes' writer (SetRunNotes).
void WriteConsoleNote(const std::string& text);

// A sink that writes into the capture current on the calling thread (none: nowhere): the
// output of a run's share of a parallel list.
class CCaptureSink : public COutputSink {
public:
    void Clear(int) override {}
    void Select(int) override {}

private:
    void WriteText(const std::string& text) override;
};
