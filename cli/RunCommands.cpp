// `tirvane run` and `tirvane eval`: the IDE's Run command, headless. The program is
// translated on a thread with a large stack; the argument is evaluated and the function
// run by the same controller as the IDE's (CRunController). What the run writes to the sink
// and the notes the core prints itself reach standard output as UTF-8, in the order they
// happen; Ctrl+C requests the stop a user's abort would.

#include "cli/Commands.h"
#include "cli/TerminalPane.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunController.h"
#include "model/Scope.h"
#include "output/Encoding.h"
#include "output/MemoryPane.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"
#include "values/TaskPool.h"

#include <CLI/CLI.hpp>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace {

struct RunRequest {
    std::string path;
    std::string function;      // UTF-8, as typed
    std::string argument;      // UTF-8, as typed
    bool evaluateOnly = false; // `eval`: the function list's first entry
    bool trace = false;
    int jobs = 0; // 0: one thread per core
};

// While it lives, standard output converts what the core prints on it directly (the "out"
// line end, the identifier note) from Windows-1251 with "\r\n" to UTF-8 with "\n". It is
// unbuffered, so that those notes and the sink's panes, which print to the terminal
// stream themselves, keep their order.
class CConvertingStandardOutput {
public:
    CConvertingStandardOutput() : m_pTerminal(stdout), m_notes(stdout) {
        std::fflush(stdout);
        const cookie_io_functions_t io{nullptr, &CConvertingStandardOutput::Write, nullptr,
                                       nullptr};
        m_pConverting = fopencookie(this, "w", io);
        if (m_pConverting != nullptr) {
            std::setvbuf(m_pConverting, nullptr, _IONBF, 0);
            stdout = m_pConverting;
        }
    }
    ~CConvertingStandardOutput() {
        if (m_pConverting != nullptr) {
            stdout = m_pTerminal;
            std::fclose(m_pConverting);
        }
    }
    CConvertingStandardOutput(const CConvertingStandardOutput&) = delete;
    CConvertingStandardOutput& operator=(const CConvertingStandardOutput&) = delete;

    std::FILE* Terminal() const { return m_pTerminal; }

private:
    static ssize_t Write(void* self, const char* data, std::size_t size) {
        static_cast<CConvertingStandardOutput*>(self)->m_notes.AppendText(std::string(data, size));
        return static_cast<ssize_t>(size);
    }

    std::FILE* m_pTerminal;
    CTerminalPane m_notes;
    std::FILE* m_pConverting = nullptr;
};

// Ctrl+C is taken by a thread of its own (signal handlers may not take locks): the first
// requests the stop, a second one ends the process at once.
class CInterruptWatch {
public:
    CInterruptWatch() {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, kWakeSignal);
        pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous);
        m_thread = std::thread([this] { Watch(); });
    }
    ~CInterruptWatch() {
        pthread_kill(m_thread.native_handle(), kWakeSignal);
        m_thread.join();
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

private:
    static constexpr int kWakeSignal = SIGUSR2;

    void Watch() {
        int interrupts = 0;
        for (;;) {
            int signal = 0;
            if (interrupts == 0) {
                if (sigwait(&m_signals, &signal) != 0)
                    return;
            } else {
                // A stop reaches only the runs that exist: one pressed during translation or
                // the argument would be lost, so it is asked for again until the run ends.
                const timespec again{0, 50'000'000};
                signal = sigtimedwait(&m_signals, nullptr, &again);
                if (signal < 0) {
                    RequestStop();
                    continue;
                }
            }
            if (signal == kWakeSignal)
                return;
            if (++interrupts > 1)
                std::_Exit(kExitStopped);
            RequestStop();
        }
    }

    sigset_t m_signals;
    sigset_t m_previous;
    std::thread m_thread;
};

// The channels of the sink for one run: the report kept for an error, everything else on
// the terminal. The argument channel holds the argument text; nothing is shown from it.
class CRunChannels {
public:
    explicit CRunChannels(std::FILE* terminal) : m_debug(terminal), m_result(terminal) {
        g_OutputSink.Attach(&m_report, kChannelTranslation);
        g_OutputSink.Attach(nullptr, kChannelArgument);
        g_OutputSink.Attach(&m_debug, kChannelDebug);
        g_OutputSink.Attach(&m_result, kChannelResult);
        g_OutputSink.Select(kChannelTranslation);
    }
    ~CRunChannels() { g_OutputSink.DetachAll(); }
    CRunChannels(const CRunChannels&) = delete;
    CRunChannels& operator=(const CRunChannels&) = delete;

    void TypeArgument(const std::string& text) {
        g_OutputSink.Select(kChannelArgument);
        g_OutputSink.Write(text);
    }
    std::string Report() const { return m_report.GetText(); }

private:
    CMemoryPane m_report;
    CTerminalPane m_debug;
    CTerminalPane m_result;
};

void PrintError(std::FILE* terminal, const std::string& cp1251) {
    std::fflush(terminal);
    std::string text = Cp1251ToUtf8(cp1251);
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

void PrintBox(std::FILE* terminal, const CMessageBox& box) {
    PrintError(terminal, box.caption + "\n" + box.text);
}

int ExitCodeOf(CRunSession::Outcome outcome) {
    switch (outcome) {
    case CRunSession::Outcome::Printed:
        return kExitSuccess;
    case CRunSession::Outcome::NoResult:
        return kExitNoResult;
    case CRunSession::Outcome::Stopped:
        return kExitStopped;
    case CRunSession::Outcome::Refused:
        return kExitArgumentError;
    case CRunSession::Outcome::Failed:
        break;
    }
    return kExitRunError;
}

// The runner's boxes are lines on standard error, and its exit code tells how it ended.
class CRunnerHost : public CQueuedRunHost {
public:
    explicit CRunnerHost(std::FILE* terminal) : m_pTerminal(terminal) {}
    void ShowBox(const CMessageBox& box) override {
        PrintBox(m_pTerminal, box);
        m_nCode = kExitArgumentError;
    }
    void WorkerEnded(const CRunReport& report) override {
        if (report.outcome == CRunSession::Outcome::Refused)
            PrintBox(m_pTerminal, report.box);
        else if (report.outcome == CRunSession::Outcome::Failed)
            PrintError(m_pTerminal, report.box.text);
        m_nCode = ExitCodeOf(report.outcome);
    }
    int Code() const { return m_nCode; }

private:
    std::FILE* m_pTerminal;
    int m_nCode = kExitRunError;
};

// Everything from the translation to the printed result; returns the exit code.
int RunProgram(const RunRequest& request, std::FILE* terminal) {
    CRunChannels channels(terminal);
    CScanner scanner;
    CParser parser(&scanner);
    CModuleNode* module = nullptr;
    bool translated = false;
    // Deeply nested program text needs a large stack, as the run does.
    RunOnLargeStack([&] { translated = TranslateWithReport(parser, request.path, &module); });
    if (!translated) {
        PrintError(terminal, channels.Report());
        return kExitTranslationError;
    }
    const std::string function =
        request.evaluateOnly ? EvaluateArgumentEntry() : Utf8ToCp1251(request.function);
    const int index = function == EvaluateArgumentEntry() ? 0 : 1;
    channels.TypeArgument(Utf8ToCp1251(request.argument));
    CRunnerHost host(terminal);
    CRunController controller(host);
    if (request.trace)
        controller.Debug(module, function, index);
    else
        controller.Run(module, function, index);
    controller.WaitForWorker();
    return host.Code();
}

void Run(const RunRequest& request) {
    int code = kExitRunError;
    {
        CConvertingStandardOutput output;
        CInterruptWatch interrupts;
        SetParallelJobs(request.jobs);
        SetAutoRelease(true); // the trace never pauses
        code = RunProgram(request, output.Terminal());
        SetAutoRelease(false);
    }
    if (code != kExitSuccess)
        throw CLI::RuntimeError(code);
}

void AddJobs(CLI::App* command, RunRequest& request) {
    command
        ->add_option("--jobs", request.jobs,
                     "Threads that evaluate parallel lists (1: one after another; default: "
                     "one per core)")
        ->check(CLI::Range(1, 64));
}

void AddRun(CLI::App& app) {
    auto request = std::make_shared<RunRequest>();
    CLI::App* command = app.add_subcommand(
        "run", "Translate FILE, evaluate ARGUMENT and run FUNCTION on it; print the result");
    command->add_flag("--trace", request->trace,
                      "Also print the debug trace of every application (never pauses)");
    AddJobs(command, *request);
    command->add_option("FILE", request->path, "Program file (.tvn, Windows-1251)")->required();
    command->add_option("FUNCTION", request->function, "The function to run")->required();
    command->add_option("ARGUMENT", request->argument,
                        "An argument term, as typed into the Аргумент pane (none: no argument)");
    command->callback([request] { Run(*request); });
}

void AddEval(CLI::App& app) {
    auto request = std::make_shared<RunRequest>();
    request->evaluateOnly = true;
    CLI::App* command =
        app.add_subcommand("eval", "Translate FILE and print the value of ARGUMENT");
    command->add_option("FILE", request->path, "Program file (.tvn, Windows-1251)")->required();
    command->add_option("ARGUMENT", request->argument, "An argument term")->required();
    AddJobs(command, *request);
    command->callback([request] { Run(*request); });
}

} // namespace

void AddRunCommands(CLI::App& app) {
    AddRun(app);
    AddEval(app);
}
