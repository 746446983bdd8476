#include "TwinRun.h"

#include "interpreter/DebugControl.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace twin {
namespace {

// Inside a trace, "out" writes into the same channel as the steps; its text is taken
// apart by printing the value once more into a sink of its own.
// Outside a trace (the argument's evaluation included) the text stands before the result,
// with its line end, on the result channel.
class COutCollector : public IRunListener {
public:
    explicit COutCollector(CRunRecord& run) : m_run(run) {}
    void ValuePrinted(const CValue* value) override {
        const bool beforeResult = g_OutputSink.CurrentChannel() == kChannelResult;
        COutputPanelSink own;
        value->PrintTo(own);
        m_run.outs.push_back(own.Buffer(own.CurrentChannel()));
        if (beforeResult)
            m_run.outBytes += m_run.outs.back().size() + 2;
    }

private:
    CRunRecord& m_run;
};

// The trace is not compared, only counted: its text goes nowhere, and a run whose trace
// passes the bound is stopped like one that spends its applications, in the middle of the
// line: one step may print a value whose text is exponential in its size (shared lists).
class CTraceCounter : public IOutputPane {
public:
    CTraceCounter(CRunControl& control, std::size_t bound) : m_control(control), m_nBound(bound) {}
    void SetText(const std::string&) override {}
    std::string GetText() const override { return {}; }
    int GetLineCount() const override { return 1; }
    void ScrollDown(int) override {}
    void AppendText(const std::string& text) override {
        m_nBytes += text.size();
        if (m_nBound != 0 && m_nBytes > m_nBound) {
            m_control.RequestStop();
            throw CExeption(nullptr, "", kErrUserStop);
        }
    }
    bool PassesTextOn() const override { return true; }

private:
    CRunControl& m_control;
    const std::size_t m_nBound;
    std::size_t m_nBytes = 0;
};

void ClearChannels() {
    for (int channel = 0; channel < kChannelCount; ++channel)
        g_OutputSink.Clear(channel);
    g_OutputSink.Select(kChannelTranslation);
}

bool EndedByABound(const CRunRecord& run) {
    return run.outcome == CRunSession::Outcome::Stopped ||
           run.box.text == Cp(u8"Переполнение стека: слишком глубокая рекурсия ") ||
           run.box.text == Cp(u8"Превышен предел памяти программы");
}

const char* OutcomeName(CRunSession::Outcome outcome) {
    static const char* const kNames[] = {"printed", "no result", "stopped"};
    const auto index = static_cast<std::size_t>(outcome);
    return index < std::size(kNames) ? kNames[index] : "failed";
}

std::string Describe(const CRunRecord& run) {
    std::ostringstream text;
    text << (run.prepared ? "" : "argument not prepared, ") << OutcomeName(run.outcome);
    if (!run.box.text.empty())
        text << " [" << Cp1251ToUtf8(run.box.caption) << ": " << Cp1251ToUtf8(run.box.text) << "]";
    text << ", result \"" << Cp1251ToUtf8(run.result) << "\", " << run.outs.size() << " out texts";
    return text.str();
}

} // namespace

CRunRecord RunOnce(CModuleNode* module, const std::string& function, int index,
                   const std::string& argument, bool trace, const CRunLimits& limits) {
    CRunRecord run;
    ClearChannels();
    CRunSession session(module, index == 0 ? EvaluateArgumentEntry() : function, index, trace);
    CTraceCounter traceCounter(session.Control(), limits.traceBytes);
    g_OutputSink.Attach(&traceCounter, kChannelDebug);
    g_OutputSink.Select(kChannelArgument);
    g_OutputSink.Write(argument);
    run.prepared = session.ReadArgument(&run.box);
    if (run.prepared) {
        const long long budget =
            limits.applications >= 0 && trace ? 2 * limits.applications : limits.applications;
        COutCollector collector(run);
        session.Control().SetAutoRelease(trace);
        session.Control().SetApplicationBudget(budget);
        session.SetListener(&collector);
        RunOnLargeStack([&] { run.outcome = session.Execute({}, &run.box); },
                        limits.stack != 0 ? limits.stack : kLargeStackSize);
        run.prepared = run.outcome != CRunSession::Outcome::Refused;
        run.result = g_OutputSink.Buffer(kChannelResult);
        run.result.erase(0, std::min(run.outBytes, run.result.size()));
    }
    run.limited = EndedByABound(run);
    g_OutputSink.Detach(&traceCounter);
    ClearChannels();
    return run;
}

std::string Differences(const CRunRecord& untraced, const CRunRecord& traced) {
    std::ostringstream text;
    const bool bounded = untraced.limited || traced.limited;
    if (bounded) {
        const std::size_t common = std::min(untraced.outs.size(), traced.outs.size());
        if (!std::equal(untraced.outs.begin(), untraced.outs.begin() + common, traced.outs.begin()))
            text << "the \"out\" texts differ before a bound ended a run\n";
    } else {
        if (untraced.prepared != traced.prepared || untraced.outcome != traced.outcome ||
            untraced.box.caption != traced.box.caption || untraced.box.text != traced.box.text)
            text << "the runs end differently\n";
        if (untraced.result != traced.result)
            text << "the results differ\n";
        if (untraced.outs != traced.outs)
            text << "the \"out\" texts differ\n";
    }
    if (text.tellp() == 0)
        return {};
    text << "  without the trace: " << Describe(untraced) << "\n";
    text << "  with the trace:    " << Describe(traced) << "\n";
    for (std::size_t i = 0; i < std::max(untraced.outs.size(), traced.outs.size()); ++i) {
        const bool mine = i < untraced.outs.size();
        const bool theirs = i < traced.outs.size();
        if (mine && theirs && untraced.outs[i] == traced.outs[i])
            continue;
        text << "  out " << i + 1 << ": \""
             << (mine ? Cp1251ToUtf8(untraced.outs[i]) : std::string("(none)")) << "\" / \""
             << (theirs ? Cp1251ToUtf8(traced.outs[i]) : std::string("(none)")) << "\"\n";
        break;
    }
    return text.str();
}

std::string RunTwice(CModuleNode* module, const std::string& function, int index,
                     const std::string& argument, const CRunLimits& limits) {
    const CRunRecord untraced = RunOnce(module, function, index, argument, false, limits);
    const CRunRecord traced = RunOnce(module, function, index, argument, true, limits);
    return Differences(untraced, traced);
}

} // namespace twin
