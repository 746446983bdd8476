#pragma once
// One Run or Debug without its windows: the argument's text is read on the commanding
// thread; the argument's evaluation and the run itself happen on the worker, whose large
// stack takes deep arguments as well as deep runs. The run controller (RunController.h)
// drives every run through this class, for the IDE and the runner alike.
//
// A session owns the arena of its run: the argument value, every value of the run and the
// result live until the session is destroyed, after the result has been printed. It also
// keeps the argument's parser (which owns the argument's nodes) and the temporary
// function the argument belongs to, so that nothing the argument's value could refer to
// goes away while the run may still reach it.
//
// A session writes to one sink (normally the process's): the result, the trace and "out"
// of its run go there and nowhere else, so that sessions with sinks of their own may run
// the same module at once on their own threads.
//
// During a run (no trace) everything the program writes goes to the result channel:
// "out" ends each value with a line break there, and the "Аргумент" pane stays the
// user's. A debug session writes its trace, "out" included, on the debug channel.

#include "interpreter/RunContext.h"
#include "values/Arena.h"

#include <functional>
#include <memory>
#include <string>

class CArgumentParser;
class CArgumentScanner;
class CFunctionNode;
class CModuleNode;
class CNode;
class COutputPanelSink;
class CValue;

// The record the worker works on.
struct RunParams {
    CValue* argument = nullptr; // null: the function runs with no argument value
    CValue* result = nullptr;
    void* document = nullptr;
    bool debug = false; // the run writes a trace of each application
    std::string functionName;
};

// A message box the shell shows: stop icon, one OK button. Windows-1251 texts.
struct CMessageBox {
    std::string caption;
    std::string text;
};

// The fixed first entry of the function list: run nothing, print the argument's value.
const std::string& EvaluateArgumentEntry(); // "Вычисление аргумента"

// The box for a start function that is not in the function list.
CMessageBox UnknownFunctionBox();

// The fixed "Exception" box for an exception of no expected type. What was caught is written
// to standard error, so that it is not lost. Call only inside a handler.
CMessageBox UnexpectedExceptionBox();

class CRunSession {
public:
    enum class Outcome {
        Printed,  // the result was printed on channel 3
        NoResult, // the run entry returned false: nothing is shown
        Stopped,  // the user stopped it (code 19): nothing is shown
        Failed,   // an error box is to be shown
        Refused   // the argument or the start function was wrong: its box is to be shown
    };

    // functionIndex is the function list's selection (0: "Вычисление аргумента"). The
    // session reads its argument from and writes to sink, or the process's sink.
    CRunSession(CModuleNode* module, std::string functionName, int functionIndex, bool debug,
                void* document = nullptr, COutputPanelSink* sink = nullptr);
    CRunSession(const CRunSession&) = delete;
    CRunSession& operator=(const CRunSession&) = delete;
    ~CRunSession();

    // On the commanding thread: Select(3), Clear(3), Select(1), Read. An empty argument
    // for "Вычисление аргумента" fills box and returns false.
    bool ReadArgument(CMessageBox* box);

    // The worker's part: the argument typed (parsed and evaluated with the result channel
    // current), then for a debug run Clear(2), Select(2), then the run. showResultChannel
    // is called just after Select(3) and before the value is printed. On Failed and
    // Refused, box holds the error box.
    Outcome Execute(const std::function<void()>& showResultChannel, CMessageBox* box);

    RunParams& Params() { return m_params; }
    CArena& Arena() { return *m_pArena; }
    // The run's stop and step state: any thread may stop the run or release its step.
    CRunControl& Control() { return m_pRun->control; }
    // Told of the run's steps and "out" values on the worker; set before Execute.
    void SetListener(IRunListener* listener) { m_pRun->listener = listener; }

private:
    Outcome EvaluateArgument(CMessageBox* box);
    bool ParseArgument(CMessageBox* box);
    bool IsKnownFunction() const;
    void PrintResult(const CValue* value, const std::function<void()>& showResultChannel);

    CModuleNode* m_pModule;
    int m_nFunctionIndex;
    bool m_bArgumentTyped = false;
    RunParams m_params;
    COutputPanelSink& m_sink;
    std::unique_ptr<CArena> m_pArena;
    std::unique_ptr<CRunContext> m_pRun;
    // Destroyed in this order: the temporary function, the parser, then its scanner.
    std::unique_ptr<CArgumentScanner> m_pScanner;
    std::unique_ptr<CArgumentParser> m_pParser;
    std::unique_ptr<CFunctionNode> m_pArgumentFunction;
    CNode* m_pArgumentTerm = nullptr;
};
