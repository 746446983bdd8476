// The Run and Debug commands without their windows. The argument is parsed against the
// module and evaluated in the scope of a temporary function; the worker then runs the
// start function on it and prints the result. Every value lives in the session's arena.

#include "interpreter/RunSession.h"

#include "interpreter/DebugControl.h"
#include "interpreter/Interpreter.h"
#include "model/Scope.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <iostream>
#include <new>

namespace {

const char* const kArgumentFunctionName = "$$$";

// The text of an error box: the detail text, then the name of the node concerned.
std::string ExeptionText(const CExeption& e) {
    return e.m_pNode ? e.m_strText + std::string(e.m_pNode->Name()) : e.m_strText;
}

const std::string& MemoryLimitText() {
    return Cp(u8"Превышен предел памяти программы");
}

// An argument that could not be read.
CMessageBox ArgumentBox(const std::string& text) {
    return {Cp(u8"Ошибка аргумента"), text};
}

CMessageBox ArgumentErrorBox(const std::string& text) {
    return {Cp(u8"Ошибка интерпретации аргумента !"), text};
}

CMessageBox RunErrorBox(const std::string& text) {
    return {Cp(u8"Ошибка интерпретации"), text};
}

} // namespace

const std::string& EvaluateArgumentEntry() {
    return Cp(u8"Вычисление аргумента");
}

CMessageBox UnknownFunctionBox() {
    return {Cp(u8"Неправильное имя запускаемой функции!"),
            Cp(u8"Неизвестно имя запускаемой функции.")};
}

CMessageBox UnexpectedExceptionBox() {
    std::cerr << "Exception: " << CaughtExceptionText() << std::endl;
    return {"Exception", "Exception"};
}

CRunSession::CRunSession(CModuleNode* module, std::string functionName, int functionIndex,
                         bool debug, void* document, COutputPanelSink* sink)
    : m_pModule(module), m_nFunctionIndex(functionIndex),
      m_sink(sink != nullptr ? *sink : g_OutputSink), m_pArena(std::make_unique<CArena>()),
      m_pRun(std::make_unique<CRunContext>(module, m_pArena.get(), &m_sink)) {
    m_params.functionName = std::move(functionName);
    m_params.debug = debug;
    m_params.document = document;
}

CRunSession::~CRunSession() = default;

bool CRunSession::ReadArgument(CMessageBox* box) {
    m_sink.Select(kChannelResult);
    m_sink.Clear(kChannelResult);
    m_sink.Select(kChannelArgument);
    std::string text;
    m_sink.Read(text);
    m_bArgumentTyped = !text.empty();
    if (!m_bArgumentTyped && m_nFunctionIndex == 0) {
        *box = ArgumentErrorBox(Cp(u8"Пустая строка аргумента"));
        return false;
    }
    return true;
}

// The argument scanner reads the text from the sink's argument channel itself.
bool CRunSession::ParseArgument(CMessageBox* box) {
    m_pScanner = std::make_unique<CArgumentScanner>(&m_sink);
    m_pParser = std::make_unique<CArgumentParser>(m_pScanner.get(), m_pModule);
    bool parsed = false;
    try {
        parsed = m_pParser->ParseArgument(nullptr, &m_pArgumentTerm);
    } catch (const CExeption& e) {
        // Nesting too deep for the stack is no fault of the argument's syntax.
        if (IsStackOverflow(e)) {
            *box = ArgumentBox(e.m_strText);
            return false;
        }
        parsed = false;
    }
    if (parsed && m_pArgumentTerm != nullptr)
        return true;
    *box = ArgumentBox(Cp(u8"Ошибка синтаксиса аргумента!"));
    return false;
}

// A failed evaluation leaves no usable value (a list may be only partly filled), so it
// is reported like an evaluation error instead of being handed to the run. An abort stops
// the argument silently, as it stops a run.
CRunSession::Outcome CRunSession::EvaluateArgument(CMessageBox* box) {
    if (!ParseArgument(box))
        return Outcome::Refused;
    // The scanner made the argument's channel current; what the argument writes ("out")
    // goes with the run's output.
    m_sink.Select(kChannelResult);
    m_pArgumentFunction = std::make_unique<CFunctionNode>(m_pModule);
    m_pArgumentFunction->argName = kArgumentFunctionName;
    m_pArgumentTerm->owner = m_pArgumentFunction.get();
    CInterpreter interp;
    CValue* value = nullptr;
    try {
        // The argument is never traced.
        if (!m_pArgumentTerm->Eval(nullptr, &value, *m_pRun, &interp) || value == nullptr) {
            *box = ArgumentErrorBox(g_apszInterpErrors[kIErrInterpretation]);
            return Outcome::Refused;
        }
    } catch (const CExeption& e) {
        if (e.m_nCode == kErrUserStop)
            return Outcome::Stopped;
        *box = ArgumentErrorBox(ExeptionText(e));
        return Outcome::Refused;
    } catch (const std::bad_alloc&) {
        *box = ArgumentErrorBox(MemoryLimitText());
        return Outcome::Refused;
    } catch (...) {
        *box = UnexpectedExceptionBox();
        return Outcome::Refused;
    }
    m_params.argument = value;
    return Outcome::Printed;
}

bool CRunSession::IsKnownFunction() const {
    auto entry = m_pModule->named.find(m_params.functionName);
    return entry != m_pModule->named.end() && entry->second != nullptr;
}

void CRunSession::PrintResult(const CValue* value, const std::function<void()>& showResultChannel) {
    m_sink.Select(kChannelResult);
    if (showResultChannel)
        showResultChannel();
    // A result's text can be far longer than its memory (a list that holds one list twice,
    // nested): an abort ends the printing at its next piece instead of after gigabytes.
    const std::function<void()> stopBetweenPieces = [this] { m_pRun->control.CheckStopRequest(); };
    PrintGathered(
        m_sink,
        [&](COutputSink& text) {
            if (value != nullptr)
                value->PrintTo(text);
            text.Write(g_szNewLine);
        },
        &stopBetweenPieces);
}

CRunSession::Outcome CRunSession::Execute(const std::function<void()>& showResultChannel,
                                          CMessageBox* box) {
    // The stop request is cleared by the caller before the argument is evaluated; clearing
    // it again here would lose an abort that came in while the worker was starting.
    CArenaScope scope(*m_pArena);
    try {
        m_sink.Select(kChannelResult);
        if (m_bArgumentTyped) {
            const Outcome argument = EvaluateArgument(box);
            if (argument != Outcome::Printed)
                return argument;
        }
        if (m_params.debug) {
            m_sink.Clear(kChannelDebug);
            m_sink.Select(kChannelDebug);
        }
        if (m_params.functionName == EvaluateArgumentEntry()) {
            PrintResult(m_params.argument, showResultChannel);
            return Outcome::Printed;
        }
        if (!IsKnownFunction()) {
            *box = UnknownFunctionBox();
            return Outcome::Failed;
        }
        CInterpreter interp;
        m_pRun->debug = m_params.debug;
        if (!m_pModule->Run(m_params.functionName, m_params.argument, &m_params.result, *m_pRun,
                            &interp))
            return Outcome::NoResult;
        PrintResult(m_params.result, showResultChannel);
        return Outcome::Printed;
    } catch (const CExeption& e) {
        if (e.m_nCode == kErrUserStop)
            return Outcome::Stopped;
        *box = RunErrorBox(ExeptionText(e));
    } catch (const std::bad_alloc&) {
        *box = RunErrorBox(MemoryLimitText());
    } catch (...) {
        *box = UnexpectedExceptionBox();
    }
    return Outcome::Failed;
}
