#pragma once
// The output sink: the one way the translator and the interpreter show text, and the way
// the argument text typed by the user comes back in. Texts are Windows-1251 bytes.

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

// Channels of the output panel; the number is at once the tab, the pane and the buffer.
enum OutputChannel : int {
    kChannelTranslation = 0, // "Трансляция"
    kChannelArgument = 1,    // "Аргумент"
    kChannelDebug = 2,       // "Отладка"
    kChannelResult = 3,      // "Результат"
    kChannelCount = 4
};

// A text pane as the sink uses it. The IDE implements it over a Qt edit widget, the runner
// over the terminal, the tests in memory. A pane may be called from any thread; an
// implementation that owns widgets must hand the call over to its GUI thread.
// Line feeds in a pane's text; a pane shows one line more, as an edit control does (an empty
// text is one line). Panes keep their count as text arrives: the sink asks for it after
// every write to the debug channel, and counting the whole text then made a trace quadratic.
inline int CountLineBreaks(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class IOutputPane {
public:
    virtual ~IOutputPane() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string GetText() const = 0;
    virtual int GetLineCount() const = 0;
    virtual void ScrollDown(int lines) = 0;
    // Appends to the shown text, so that a write need not resend the whole buffer.
    virtual void AppendText(const std::string& text) = 0;
    // A pane that passes its text on (a terminal) keeps none of it and cannot give it back.
    virtual bool PassesTextOn() const { return false; }
};

class COutputSink {
public:
    virtual void Clear(int channel) = 0;
    virtual void Select(int channel) = 0;
    // Each kind of value in its text form, handed to WriteText (a null text writes nothing).
    COutputSink& Write(const std::string& text);
    COutputSink& Write(char c);
    COutputSink& Write(float x);
    COutputSink& Write(int n);
    COutputSink& Write(const char* text);

protected:
    virtual void WriteText(const std::string& text) = 0;
    ~COutputSink() = default; // never deleted through this interface
};

// The one sink of the process. Safe to use from the GUI thread and a run's worker at once.
class COutputPanelSink : public COutputSink {
public:
    COutputPanelSink() = default;
    COutputPanelSink(const COutputPanelSink&) = delete;
    COutputPanelSink& operator=(const COutputPanelSink&) = delete;

    void Clear(int channel) override;
    void Select(int channel) override;

    // The current channel's text (what the user typed into its pane) into out.
    virtual std::string& Read(std::string& out);
    virtual ~COutputPanelSink();

    void Attach(IOutputPane* pane, int channel);
    // Forgets every pane (the panel is going away); their channels start over empty.
    void DetachAll();
    // Forgets pane wherever it is attached. A panel that goes after a newer one attached
    // its panes must not take the newer panes with it.
    void Detach(const IOutputPane* pane);

    // The channel Select made current for the calling thread.
    int CurrentChannel() const;
    // The channel's text: its pane's, empty while that pane passes its text on.
    std::string Buffer(int channel) const;

    // Gives the calling thread a current channel of its own, starting at channel, so that
    // a run's worker keeps writing where its session selected while the window's thread
    // selects another channel (a Translate of another document), and the other way round.
    // kSharedChannel returns the thread to the channel the other threads share. One per
    // thread, meant for the process's sink.
    static constexpr int kSharedChannel = -1;
    static void UseOwnChannel(int channel);

private:
    void WriteText(const std::string& text) override;
    int& Current();
    int Current() const;

    mutable std::recursive_mutex m_mutex;
    // A channel's text while no pane is attached to it; a pane keeps its own (or passes it
    // on), so that a result or trace of gigabytes is not held once more here.
    std::string m_strBuffers[kChannelCount];
    IOutputPane* m_pPanes[kChannelCount] = {};
    int m_nCurrent = 0;
};

// Many small writes as few: a long value's text goes on to its sink in pieces of about
// 64 KiB, where a write for every element and bracket was converted and shown on its own.
// Flush writes on what is gathered; the owner flushes also when printing ends with an
// exception, so that the text printed so far still arrives. betweenPieces, if given, is
// called after each full piece and may throw to end the printing there.
class CGatheringSink final : public COutputSink {
public:
    explicit CGatheringSink(COutputSink& target,
                            const std::function<void()>* betweenPieces = nullptr)
        : m_target(target), m_pBetweenPieces(betweenPieces) {}
    CGatheringSink(const CGatheringSink&) = delete;
    CGatheringSink& operator=(const CGatheringSink&) = delete;

    void Clear(int channel) override;
    void Select(int channel) override;
    void Flush();

private:
    void WriteText(const std::string& text) override;

    COutputSink& m_target;
    const std::function<void()>* m_pBetweenPieces;
    std::string m_text;
};

// Calls print(sink) with the writes gathered; what was gathered is written on also when
// print throws, betweenPieces included.
template <class Print>
void PrintGathered(COutputSink& target, const Print& print,
                   const std::function<void()>* betweenPieces = nullptr) {
    CGatheringSink gathered(target, betweenPieces);
    try {
        print(static_cast<COutputSink&>(gathered));
    } catch (...) {
        gathered.Flush();
        throw;
    }
    gathered.Flush();
}

extern COutputPanelSink g_OutputSink;
extern COutputSink* g_pOutput;
extern const char g_szNewLine[]; // "\r\n"

// Where the texts a run writes beside its sink go: the note on a name with neither a value
// nor a definition, and the line end after a traced "out". The program that runs the core
// chooses before any run (the runner and the IDE: standard output, where the runner shows
// them among the panes' text); unset, they are dropped. The core never writes to standard
// output itself.
using RunNoteWriter = void (*)(std::string_view text);
void SetRunNotes(RunNoteWriter writer);
void WriteRunNote(std::string_view text);
// Writes the note on standard output and flushes it, so that it keeps its place among the
// terminal's other writes.
void WriteRunNoteToStdout(std::string_view text);

// "%e" with a three-digit exponent: 1.500000e+000.
std::string FormatReal(float x);
