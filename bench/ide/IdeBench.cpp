// tirvane_idebench [--runner PATH] [--lines N] [--depth N] [--runner-depth N]
//                  [--elements N] [--shot FILE.png]: the IDE on the offscreen platform
// against the runner, on the same programs.
//
// 1. A run that writes N lines through "out" (100,000 by default), in the IDE's main
//    window and in `tirvane run`.
// 2. A run whose result is one list of N elements (3,000,000 by default), shown on one
//    line by the runner; the IDE must show it legibly: the longest line the pane shows is
//    reported, and --shot saves a picture of the window with the result in view.
// 3. A debug session whose every step is released at once, in the IDE (its trace goes to
//    the "Отладка" pane) and in `tirvane run --trace`; a recursion of the given depth
//    (11,111 by default, about 100,000 steps). --runner-depth gives the runner's trace a
//    depth of its own (0: not run), since the runner's time grows faster than its trace.
// While the IDE runs, a timer asks for the GUI thread every 5 ms; the longest wait for it
// tells whether the window stays responsive. A run counts until its worker has ended and
// every pane shows all the text written to its channel.
// 4. A debug session paused at its first step: the processor time the whole process uses
//    in one second of waiting.
// 5. Keys typed into the middle of the long result in its pane and deleted again, each
//    until the pane has repainted: the median and the longest.
//
// The report goes to standard error; what the runs write to standard output ("out" writes
// its line ends there) is discarded.

#include "ide/Commands.h"
#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/ShellDialogs.h"
#include "ide/TirvaneIDEApp.h"
#include "interpreter/DebugControl.h"
#include "interpreter/RunController.h"
#include "output/OutputSink.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <vector>

namespace {

constexpr const char* kProgram = "funcdef n { ((1, n) : .. : [] : out) : | >> return } >> lines\r\n"
                                 "down << funcdef n {\r\n"
                                 "  (n, 0) : > : int >> positive ;\r\n"
                                 "  (positive, 1) : + >> branch ;\r\n"
                                 "  ({0}, {(n, 1) : - : down}) : branch : . >> return\r\n"
                                 "}\r\n"
                                 "funcdef n { (1, n) : .. >> return } >> range\r\n";

struct Options {
    QString runner;
    int lines = 100000;
    int depth = 11111;
    int runnerDepth = -1; // -1: the same as depth
    int elements = 3000000;
    QString shot;
};

struct Timed {
    double seconds = 0;
    double processorSeconds = 0; // of the IDE's process, or of the runner's
    qint64 longestStallMs = 0;   // the GUI thread's longest absence, IDE runs only
    QString result;              // the "Результат" pane, or the runner's last line
    int traceLines = 0;
    int longestShownLine = 0; // IDE runs only
};

double ProcessorSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class CIdeBench {
public:
    explicit CIdeBench(const Options& options) : m_options(options) {}

    bool Open() {
        ShellDialogHooks hooks;
        hooks.stopBox = [](const QString& caption, const QString& text) {
            std::fprintf(stderr, "stop box: [%s] %s\n", qPrintable(caption), qPrintable(text));
        };
        hooks.saveChanges = [](const QString&) { return SaveChoice::Discard; };
        SetShellDialogHooks(hooks);
        m_frame = std::make_unique<CMainFrame>();
        if (!m_frame->Create())
            return false;
        m_frame->resize(1000, 750);
        m_frame->show();
        QFile file(m_dir.filePath(QStringLiteral("bench.tvn")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(kProgram);
        file.close();
        m_path = file.fileName();
        if (m_frame->OpenDocument(m_path) == nullptr)
            return false;
        Trigger(ID_TRANSLATE);
        return m_frame->FunctionList()->findText(QStringLiteral("lines")) >= 0;
    }

    // The run in the IDE, from the command until the panes show everything it wrote.
    Timed RunInIde(const QString& function, const QString& argument, bool debug) {
        Prepare(function, argument);
        Timed timed;
        const double processor = ProcessorSeconds();
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        bool started = false;
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            timed.longestStallMs = std::max(timed.longestStallMs, now - last);
            last = now;
            if (started && CRunController::LiveWorkers() == 0 && AllShown())
                loop.quit();
        });
        tick.start();
        started = Trigger(debug ? ID_DEBUG : ID_RUN);
        loop.exec();
        timed.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        timed.processorSeconds = ProcessorSeconds() - processor;
        const COutputView* result = View(kChannelResult);
        timed.result = result->Text().trimmed();
        timed.traceLines = View(kChannelDebug)->LineCount() - 1;
        timed.longestShownLine = static_cast<int>(result->LongestLine());
        return timed;
    }

    bool SaveShot(const QString& path) {
        m_frame->OutputBar()->ShowChannel(kChannelResult);
        QCoreApplication::processEvents();
        return m_frame->grab().save(path);
    }

    // Milliseconds of the median and the longest key, and whether the text came back.
    struct Keys {
        double medianMs = 0;
        double longestMs = 0;
        bool kept = false;
    };
    Keys EditResult(int keys) {
        m_frame->OutputBar()->ShowChannel(kChannelResult);
        COutputView* view = View(kChannelResult);
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
        QCoreApplication::processEvents();
        // A copy of its own, so that the first key does not pay for parting from it.
        const QString before(view->Text().constData(), view->Text().size());
        const QPoint middle = view->viewport()->rect().center();
        const QPointF global = view->viewport()->mapToGlobal(QPointF(middle));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(middle), global, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(middle), global, Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &release);
        std::vector<double> times;
        for (int i = 0; i < 2 * keys; ++i) {
            const bool typed = i < keys;
            QKeyEvent key(QEvent::KeyPress, typed ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier,
                          typed ? QStringLiteral("a") : QString());
            QElapsedTimer clock;
            clock.start();
            QApplication::sendEvent(view, &key);
            view->viewport()->repaint();
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        return {times[times.size() / 2], times.back(), view->Text() == before};
    }

    // Processor seconds per second of a debug session waiting at its first step.
    double PausedLoad() {
        Prepare(QStringLiteral("down"), QString::number(m_options.depth));
        SetAutoRelease(false);
        Trigger(ID_DEBUG);
        QElapsedTimer clock;
        clock.start();
        while (!AnyStepWaiting() && clock.elapsed() < 10000)
            Wait(10);
        Wait(200);
        const double before = ProcessorSeconds();
        Wait(1000);
        const double used = ProcessorSeconds() - before;
        Trigger(ID_ABORT_DEBUG);
        while (CRunController::LiveWorkers() != 0 && clock.elapsed() < 20000)
            Wait(10);
        return used;
    }

    // The same run in the runner, its output discarded.
    Timed RunInRunner(const QStringList& arguments) const {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        const double processor = ProcessorSeconds(RUSAGE_CHILDREN);
        QElapsedTimer clock;
        clock.start();
        process.start(m_options.runner, arguments);
        process.waitForFinished(-1);
        Timed timed;
        timed.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        timed.processorSeconds = ProcessorSeconds(RUSAGE_CHILDREN) - processor;
        return timed;
    }

    // The result and trace line count of the runner, read rather than discarded.
    Timed CheckRunner(const QStringList& arguments) const {
        QProcess process;
        process.start(m_options.runner, arguments);
        process.waitForFinished(-1);
        const QByteArray output = process.readAllStandardOutput();
        Timed timed;
        const QList<QByteArray> lines = output.trimmed().split('\n');
        timed.result = QString::fromUtf8(lines.isEmpty() ? QByteArray() : lines.last());
        timed.traceLines = static_cast<int>(lines.size()) - 1;
        return timed;
    }

    const QString& Path() const { return m_path; }

    void Close() {
        m_frame->close();
        m_frame.reset();
    }

private:
    void Prepare(const QString& function, const QString& argument) {
        m_frame->FunctionList()->setCurrentIndex(m_frame->FunctionList()->findText(function));
        m_frame->OutputBar()->ArgumentEdit()->setPlainText(argument);
        QCoreApplication::processEvents();
        m_written = {};
    }

    // Every pane shows as many characters, line breaks aside, as its channel holds. The
    // channels are counted on a thread of their own, once the run has ended: copying and
    // counting 23 MB on the window's thread would be a stall of the bench's own.
    bool AllShown() {
        if (!m_written.valid()) {
            m_written = std::async(std::launch::async, [] {
                std::array<qsizetype, kChannelCount> written{};
                for (int channel = 0; channel < kChannelCount; ++channel) {
                    const std::string text = g_OutputSink.Buffer(channel);
                    written[static_cast<std::size_t>(channel)] = static_cast<qsizetype>(
                        text.size() - static_cast<std::size_t>(
                                          std::count_if(text.begin(), text.end(), [](char c) {
                                              return c == '\r' || c == '\n';
                                          })));
                }
                return written;
            });
        }
        if (m_written.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return false;
        const std::array<qsizetype, kChannelCount>& written = m_written.get();
        for (int channel = 0; channel < kChannelCount; ++channel) {
            const COutputView* shown = View(channel);
            if (shown != nullptr &&
                shown->Characters() < written[static_cast<std::size_t>(channel)])
                return false;
        }
        return true;
    }

    bool Trigger(int id) {
        m_frame->UpdateCommands();
        QAction* action = m_frame->Action(id);
        if (action == nullptr || !action->isEnabled())
            return false;
        action->trigger();
        return true;
    }

    COutputView* View(int channel) const { return m_frame->OutputBar()->PaneView(channel); }

    Options m_options;
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<CMainFrame> m_frame;
    std::shared_future<std::array<qsizetype, kChannelCount>> m_written;
};

Options ParseOptions(const QStringList& arguments) {
    Options options;
    options.runner = QDir(QCoreApplication::applicationDirPath()).filePath("tirvane");
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QStringLiteral("--runner"))
            options.runner = arguments[i + 1];
        else if (arguments[i] == QStringLiteral("--lines"))
            options.lines = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--depth"))
            options.depth = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--runner-depth"))
            options.runnerDepth = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--elements"))
            options.elements = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--shot"))
            options.shot = arguments[i + 1];
    }
    if (options.runnerDepth < 0)
        options.runnerDepth = options.depth;
    return options;
}

// Wall-clock seconds and processor seconds (all threads) of the IDE and of the runner: on a
// machine shared with other work the processor times compare more steadily.
void Report(const char* name, int size, const Timed& ide, const Timed& runner, int runnerSize) {
    if (size == runnerSize) {
        std::fprintf(stderr, "%-14s %7d %8.3f %8.3f %6.2f %8.3f %8.3f %6.2f %8lld\n", name, size,
                     ide.seconds, runner.seconds, ide.seconds / runner.seconds,
                     ide.processorSeconds, runner.processorSeconds,
                     ide.processorSeconds / runner.processorSeconds,
                     static_cast<long long>(ide.longestStallMs));
        return;
    }
    std::fprintf(stderr, "%-14s %7d %8.3f %8s %6s %8.3f %8s %6s %8lld\n", name, size, ide.seconds,
                 "-", "-", ide.processorSeconds, "-", "-",
                 static_cast<long long>(ide.longestStallMs));
    if (runnerSize > 0)
        std::fprintf(stderr, "%-14s %7d %8s %8.3f %6s %8s %8.3f\n", name, runnerSize, "-",
                     runner.seconds, "", "-", runner.processorSeconds);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // "out" writes its line ends to standard output: not part of the report.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        return 70;
    QApplication app(argc, argv);
    CTirvaneIDEApp::SetIdentity();
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    const Options options = ParseOptions(QCoreApplication::arguments());

    CIdeBench bench(options);
    if (!bench.Open()) {
        std::fprintf(stderr, "tirvane_idebench: the program did not open and translate\n");
        return 1;
    }
    const QString lines = QString::number(options.lines);
    const QString depth = QString::number(options.depth);
    const QStringList outRun{"run", bench.Path(), "lines", lines};
    const QStringList traceRun{"run", "--trace", bench.Path(), "down",
                               QString::number(options.runnerDepth)};
    const QString elements = QString::number(options.elements);
    const QStringList rangeRun{"run", bench.Path(), "range", elements};

    SetAutoRelease(false);
    const Timed ideOut = bench.RunInIde(QStringLiteral("lines"), lines, false);
    Timed ideRange = bench.RunInIde(QStringLiteral("range"), elements, false);
    if (!options.shot.isEmpty() && !bench.SaveShot(options.shot))
        std::fprintf(stderr, "tirvane_idebench: %s not saved\n", qPrintable(options.shot));
    const CIdeBench::Keys keys = bench.EditResult(50);
    SetAutoRelease(true);
    const Timed ideTrace = bench.RunInIde(QStringLiteral("down"), depth, true);
    SetAutoRelease(false);
    const double pausedLoad = bench.PausedLoad();
    bench.Close();

    const Timed runnerOut = bench.RunInRunner(outRun);
    const Timed checkOut = bench.CheckRunner(outRun);
    const Timed runnerRange = bench.RunInRunner(rangeRun);
    const Timed checkRange = bench.CheckRunner(rangeRun);
    Timed runnerTrace;
    Timed checkTrace;
    if (options.runnerDepth > 0) {
        runnerTrace = bench.RunInRunner(traceRun);
        checkTrace = bench.CheckRunner(traceRun);
    }

    std::fprintf(stderr, "%-14s %7s %8s %8s %6s %8s %8s %6s %8s\n", "run", "size", "IDE s",
                 "runner s", "ratio", "IDE cpu", "run cpu", "ratio", "stall ms");
    Report("out (lines)", options.lines, ideOut, runnerOut, options.lines);
    Report("result (elems)", options.elements, ideRange, runnerRange, options.elements);
    Report("trace (depth)", options.depth, ideTrace, runnerTrace, options.runnerDepth);
    const bool sameRange = ideRange.result.remove(u'\n') == checkRange.result;
    std::fprintf(stderr,
                 "IDE: result of %lld characters, %s the runner's, on lines of at most %d\n",
                 static_cast<long long>(checkRange.result.size()),
                 sameRange ? "the same as" : "NOT the same as", ideRange.longestShownLine);
    // The pane holds every line "out" wrote before the result; the runner's last line is
    // the result alone.
    const QString outResult = ideOut.result.section(u'\n', -1);
    std::fprintf(stderr, "IDE: out's result %s (runner %s); trace of %d lines, result %s\n",
                 qPrintable(outResult), qPrintable(checkOut.result), ideTrace.traceLines,
                 qPrintable(ideTrace.result));
    if (options.runnerDepth > 0)
        std::fprintf(stderr, "runner: trace of %d lines, result %s\n", checkTrace.traceLines,
                     qPrintable(checkTrace.result));
    std::fprintf(stderr, "paused debug session: %.4f s of processor time in 1 s\n", pausedLoad);
    std::fprintf(stderr, "keys in the long result: median %.1f ms, longest %.1f ms, text %s\n",
                 keys.medianMs, keys.longestMs, keys.kept ? "back as it was" : "NOT back");
    const bool same =
        outResult == checkOut.result && sameRange &&
        (options.runnerDepth != options.depth ||
         (ideTrace.result == checkTrace.result && ideTrace.traceLines == checkTrace.traceLines));
    return same && keys.kept ? 0 : 1;
}
