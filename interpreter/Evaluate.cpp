// Evaluation above single operations: expressions apply their terms left to right,
// identifiers resolve, functions yield "return" and blocks "break".

#include "interpreter/DebugControl.h"
#include "interpreter/Interpreter.h"
#include "interpreter/NumberPair.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "values/Exeption.h"
#include "values/NestingGuard.h"
#include "values/Reclaim.h"
#include "values/Value.h"

#include <cstdio>

namespace {

// The debug trace of one application: "v:w " before it, " -> r" after it.
void TraceStep(const CValue* arg, const CValue* func) {
    arg->Print();
    g_pOutput->Write(":");
    func->Print();
    g_pOutput->Write(" ");
}

void TraceResult(const CValue* result) {
    g_pOutput->Write(" -> ");
    if (result)
        result->Print();
    g_pOutput->Write(g_szNewLine);
}

void TraceElse() {
    g_pOutput->Write(" else ");
    g_pOutput->Write(g_szNewLine);
}

CNode* AlternativeOf(CNode* term) {
    auto* asTerm = dynamic_cast<CTermNode*>(term);
    return asTerm ? asTerm->alternative : nullptr;
}

// Evaluates the named, then the unnamed expressions of a function or block body in a frame
// of its own and takes the value computed under the result's name. A named expression's
// value goes to its own slot of the frame: the scope defines every name of its table.
bool EvalBody(CBlockNode& scope, const char* resultName, CValue* input, CValue** out, bool* debug,
              CInterpreter* interp, CValue** result) {
    CFrameGuard frame(scope.frames);
    bool ok = true;
    int slot = 0;
    for (CNode* node : scope.NamedNodes()) {
        const bool done = node->Eval(input, out, debug, interp);
        ok = done && ok;
        // A failing first expression may leave nothing behind: nothing is stored then.
        if (*out)
            *scope.frames.TopSlot(slot) = *out;
        ++slot;
    }
    for (CNode* node : scope.unnamed) {
        const bool done = node->Eval(input, out, debug, interp);
        ok = done && ok;
    }
    CValue** kept = scope.frames.TopSlot(scope.ResultSlot(resultName));
    *result = kept != nullptr ? *kept : nullptr;
    return ok;
}

CModuleNode* ModuleOf(CNode* node) {
    while (node->owner)
        node = node->owner;
    return dynamic_cast<CModuleNode*>(node);
}

// The definition that contains node: the node on its owner chain that the module owns.
CNode* TopLevelOf(CNode* node, CNode* module) {
    while (node->owner && node->owner != module)
        node = node->owner;
    return node;
}

// A term's value: the one it keeps, or a fresh evaluation.
bool EvalTerm(CNode* term, CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    if (term->sameAs != nullptr)
        term = term->sameAs;
    if (term->constant != nullptr) {
        *out = term->constant;
        return true;
    }
    return term->Eval(input, out, debug, interp);
}

// One application of an expression, after its stop check: term's value applied to *v,
// traced and paused in a debug session; a failure takes the term's alternative.
bool ApplyTerm(int line, CNode* term, CValue* input, CValue** v, bool* debug,
               CInterpreter* interp) {
    CValue* w = nullptr;
    if (!EvalTerm(term, input, &w, debug, interp))
        return false;
    if (*debug) {
        TraceStep(*v, w);
        NotifyStepListener(line);
        WaitForStep();
    }
    CValue* r = nullptr;
    if (!interp->Interpret(input, *v, w, &r, debug)) {
        if (*debug)
            TraceResult(r);
        if (CNode* alternative = AlternativeOf(term)) {
            if (*debug)
                TraceElse();
            CValue* a = nullptr;
            if (!alternative->Eval(input, &a, debug, interp))
                return false;
            r = a;
        }
    }
    if (*debug)
        TraceResult(r);
    *v = r;
    return true;
}

} // namespace

// The stack is checked where evaluation nests: an expression that applies, a list, a
// block, a function. An expression of one term only hands on its term's value.
bool CExpressionNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CValue* v = nullptr;
    if (terms.size() == 1) {
        // A failed term may leave a part of a value behind: the slot gets nothing then.
        if (!EvalTerm(terms[0], input, &v, debug, interp))
            return false;
        // An expression of one term is its term, and constant if its term is (settled here
        // only in a tree that was never prepared).
        if (sameAs == nullptr) {
            sameAs = terms[0];
            constant = terms[0]->constant;
        }
        *out = v;
        return true;
    }
    CheckNesting();
    if (m_shape == Shape::Unknown)
        m_shape = Classify();
    std::size_t next = 1;
    if (m_shape == Shape::PairOperation) {
        if (!EvalPairOperation(input, &v, debug, interp))
            return false;
        next = 2;
    } else if (!EvalTerm(terms[0], input, &v, debug, interp)) {
        return false;
    }
    for (std::size_t i = next; i < terms.size(); ++i) {
        CheckStopRequest();
        if (!ApplyTerm(line, terms[i], input, &v, debug, interp))
            return false;
    }
    *out = v;
    return true;
}

void CExpressionNode::Prepare() {
    for (CNode* term : terms)
        term->Prepare();
    if (terms.size() == 1) {
        sameAs = terms[0];
        constant = terms[0]->constant;
    } else if (terms.size() > 1 && m_shape == Shape::Unknown) {
        m_shape = Classify();
    }
}

CExpressionNode::Shape CExpressionNode::Classify() {
    auto* pair = dynamic_cast<CListNode*>(terms[0]);
    auto* sign = dynamic_cast<CSignAtom*>(terms[1]);
    if (pair == nullptr || pair->kind != kKindDataList || pair->elements.size() != 2 ||
        sign == nullptr)
        return Shape::General;
    return IsPairOperation(sign->code) ? Shape::PairOperation : Shape::General;
}

// `(x, y) : op`: the elements are evaluated as the list would evaluate them; two numbers
// go straight to the built-in, anything else makes the list and the usual application.
bool CExpressionNode::EvalPairOperation(CValue* input, CValue** v, bool* debug,
                                        CInterpreter* interp) {
    auto* pair = static_cast<CListNode*>(terms[0]);
    CValue* a = nullptr;
    CValue* b = nullptr;
    if (!EvalTerm(pair->elements[0], input, &a, debug, interp) ||
        !EvalTerm(pair->elements[1], input, &b, debug, interp))
        return false;
    CheckStopRequest();
    if (!*debug && ApplyToNumberPair(static_cast<CSignAtom*>(terms[1])->code, a, b, v))
        return true;
    auto* list = new CListValue(kKindDataList, 2);
    list->elements[0] = a;
    list->elements[1] = b;
    *v = Normalize(list);
    return ApplyTerm(line, terms[1], input, v, debug, interp);
}

// The lookup order: the argument of the enclosing top-level function, the function table,
// the types, the overloaded functions, then the values and definitions of the enclosing
// scopes and the module's constants.
void CIdentifierNode::Resolve() {
    CModuleNode* module = ModuleOf(this);
    m_pTopLevel = TopLevelOf(this, module);
    if (owner != module && m_pTopLevel->IsFunction()) {
        const std::string& argName = static_cast<CFunctionNode*>(m_pTopLevel)->argName;
        if (!argName.empty() && text == argName) {
            m_meaning = Meaning::Argument;
            return;
        }
    }
    if (module) {
        if (auto it = module->named.find(text); it != module->named.end()) {
            m_reference.node = it->second;
            m_meaning = Meaning::Function;
            constant = &m_reference;
            return;
        }
        if (auto it = module->types.find(text); it != module->types.end()) {
            m_reference.kind = kKindTypeRef;
            m_reference.node = it->second;
            m_meaning = Meaning::Type;
            constant = &m_reference;
            return;
        }
        if (auto it = module->overloads.find(text); it != module->overloads.end()) {
            m_pOverloads = &it->second;
            m_meaning = Meaning::Overloads;
            return;
        }
    }
    ResolveValue(module);
}

// The first enclosing scope whose table has the name keeps its value; above all scopes the
// module keeps the values of constants. A name of neither has no value and no definition.
void CIdentifierNode::ResolveValue(CNode* module) {
    m_meaning = Meaning::Value;
    for (CNode* node = owner; node != nullptr; node = node->owner) {
        // Identifiers are created inside scopes only: blocks, functions or the module.
        auto* scope = static_cast<CBlockNode*>(node);
        const NameTable& table =
            node == module ? static_cast<CModuleNode*>(node)->constants : scope->named;
        if (auto it = table.find(text); it != table.end()) {
            m_pDefinition = it->second;
            m_pFrames = &scope->frames;
            m_nSlot = scope->frames.IndexOf(text);
            return;
        }
        if (node == module)
            return;
    }
}

void CIdentifierNode::Prepare() {
    CTermNode::Prepare();
    if (m_meaning == Meaning::Unresolved)
        Resolve();
}

bool CIdentifierNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    if (m_meaning == Meaning::Unresolved)
        Resolve();
    switch (m_meaning) {
    case Meaning::Argument:
        if (!input)
            throw CExeption(m_pTopLevel, Cp(u8"Аргумент функции не инициализирован в функции: "),
                            kErrNone);
        // Values never change, so the argument itself serves as its copy.
        *out = input;
        return true;
    case Meaning::Function:
    case Meaning::Type:
        *out = constant;
        return true;
    case Meaning::Overloads: {
        const OverloadList& variants = *m_pOverloads;
        auto* list = new CListValue(kKindParList, static_cast<std::int32_t>(variants.size()));
        for (std::size_t k = 0; k < variants.size(); ++k)
            list->elements[k] = new CRefValue(kKindFuncRef, variants[k].second);
        *out = list;
        return true;
    }
    default:
        return EvalValue(input, out, debug, interp);
    }
}

// A value computed already in the running evaluation of its scope, or else its definition
// evaluated now and kept for the rest of that evaluation.
bool CIdentifierNode::EvalValue(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    // Named expressions may refer to one another in a chain as long as the program.
    CheckNesting();
    if (m_pFrames != nullptr) {
        if (CValue** slot = m_pFrames->TopSlot(m_nSlot); slot != nullptr && *slot != nullptr) {
            *out = *slot;
            return true;
        }
    }
    if (m_pDefinition != nullptr && m_pDefinition->Eval(input, out, debug, interp)) {
        if (CValue** slot = m_pFrames->TopSlot(m_nSlot)) {
            *slot = *out;
            CCallRegion::NoteStore(m_pFrames->TopDepth());
        }
        return true;
    }
    return NotFound();
}

bool CIdentifierNode::NotFound() const {
    std::printf("Error in function \"%s\":\nIdentifier \"%s\" NOT found !!!\n",
                m_pTopLevel->name.c_str(), text.c_str());
    std::fflush(stdout);
    return false;
}

bool CFunctionNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CheckNesting();
    if (unnamed.empty() && named.empty())
        throw CExeption(this, Cp(u8"Отсутствует интерпретируемое выражение в функции "), kErrNone);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "return", input, out, debug, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(this, Cp(u8"Отсутсвует return выражение в функции "), kErrNone);
    return ok;
}

bool CBlockNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CheckNesting();
    CFunctionNode* function = EnclosingFunction(this);
    if (unnamed.empty() && named.empty())
        throw CExeption(function,
                        Cp(u8"Отсутсвует интерпретируемое выражение\nв одном из блоков функции "),
                        kErrNone);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "break", input, out, debug, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(function, Cp(u8"Отсутсвует break выражение\nв одном из блоков функции "),
                        kErrNone);
    return ok;
}
