// Evaluation above single operations: expressions apply their terms left to right,
// identifiers resolve, functions yield "return" and blocks "break".

#include "interpreter/DebugControl.h"
#include "interpreter/Interpreter.h"
#include "interpreter/NumberPair.h"
#include "interpreter/ParallelEval.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "output/Encoding.h"
#include "output/OutputCapture.h"
#include "output/OutputSink.h"
#include "values/Exeption.h"
#include "values/NestingGuard.h"
#include "values/Reclaim.h"
#include "values/TaskPool.h"
#include "values/Value.h"

#include <algorithm>
#include <atomic>
#include <typeinfo>

namespace {

// The debug trace of one application: "v:w " before it, " -> r" after it.
void TraceStep(COutputSink& sink, const CValue* arg, const CValue* func) {
    PrintGathered(sink, [&](COutputSink& text) {
        arg->PrintTo(text);
        text.Write(":");
        func->PrintTo(text);
        text.Write(" ");
    });
}

void TraceResult(COutputSink& sink, const CValue* result) {
    PrintGathered(sink, [&](COutputSink& text) {
        text.Write(" -> ");
        if (result)
            result->PrintTo(text);
        text.Write(g_szNewLine);
    });
}

void TraceElse(COutputSink& sink) {
    sink.Write(" else ");
    sink.Write(g_szNewLine);
}

CNode* AlternativeOf(CNode* term) {
    auto* asTerm = dynamic_cast<CTermNode*>(term);
    return asTerm ? asTerm->alternative : nullptr;
}

// Evaluates the named, then the unnamed expressions of a function or block body in a frame
// of its own and takes the value computed under the result's name. A named expression's
// value goes to its own slot of the frame: the scope defines every name of its table.
bool EvalBody(CBlockNode& scope, const char* resultName, CValue* input, CValue** out,
              CRunContext& run, CInterpreter* interp, CValue** result) {
    CValueFrames& frames = run.frames.Of(scope);
    CFrameGuard frame(frames);
    bool ok = true;
    int slot = 0;
    auto evalNamed = [&](CNode* node) {
        const bool done = node->Eval(input, out, run, interp);
        ok = done && ok;
        // A failing first expression may leave nothing behind: nothing is stored then.
        if (*out)
            *frames.TopSlot(slot) = *out;
        ++slot;
    };
    if (scope.prepared) {
        for (CNode* node : scope.NamedNodes())
            evalNamed(node);
    } else {
        for (const auto& entry : scope.named)
            evalNamed(entry.second);
    }
    for (CNode* node : scope.unnamed) {
        const bool done = node->Eval(input, out, run, interp);
        ok = done && ok;
    }
    CValue** kept = frames.TopSlot(scope.ResultSlot(resultName));
    *result = kept != nullptr ? *kept : nullptr;
    return ok;
}

CModuleNode* ModuleOf(CNode* node) {
    while (node->owner)
        node = node->owner;
    return node->AsModule();
}

// The definition that contains node: the node on its owner chain that the module owns.
CNode* TopLevelOf(CNode* node, CNode* module) {
    while (node->owner && node->owner != module)
        node = node->owner;
    return node;
}

} // namespace

inline CValue* CIdentifierNode::Known(CValue* input, CRunContext& run) const {
    if (m_resolved.meaning == Meaning::Argument)
        return input;
    CValue** slot = run.frames.Of(*m_resolved.scope).TopSlot(m_resolved.slot);
    return slot != nullptr ? *slot : nullptr;
}

namespace {

// A term's value: the one it keeps, one its frame has, or a fresh evaluation. Inlined in
// every caller: most terms are constants or names, and a call would cost more than them.
[[gnu::always_inline]] inline bool EvalTerm(CNode* term, CValue* input, CValue** out,
                                            CRunContext& run, CInterpreter* interp) {
    if (term->sameAs != nullptr)
        term = term->sameAs;
    if (term->constant != nullptr) {
        *out = term->constant;
        return true;
    }
    if (term->namesValue) {
        if (CValue* known = static_cast<CIdentifierNode*>(term)->Known(input, run)) {
            *out = known;
            return true;
        }
    }
    return term->Eval(input, out, run, interp);
}

// A number, boolean or character.
bool IsPlainScalar(const CValue* value) {
    return value->kind == kKindInt || value->kind == kKindReal || value->kind == kKindBool ||
           value->kind == kKindChar;
}

// One application of an expression, after its stop check: term's value w applied to *v,
// traced and paused in a debug session; a failure takes the term's alternative.
bool ApplyValue(int line, CNode* term, CValue* w, CValue* input, CValue** v, CRunContext& run,
                CInterpreter* interp) {
    if (run.debug) {
        TraceStep(run.output, *v, w);
        if (run.listener != nullptr)
            run.listener->StepStarted(line);
        run.control.WaitForStep();
    }
    CValue* r = nullptr;
    const bool ok = IsPlainScalar(*v) && (IsSignKind(w->kind) || w->kind == kKindBool)
                        ? interp->InterpretScalar(input, *v, w, &r, run)
                        : interp->Interpret(input, *v, w, &r, run);
    if (!ok) {
        if (run.debug)
            TraceResult(run.output, r);
        if (CNode* alternative = AlternativeOf(term)) {
            if (run.debug)
                TraceElse(run.output);
            CValue* a = nullptr;
            if (!alternative->Eval(input, &a, run, interp))
                return false;
            r = a;
        }
    }
    if (run.debug)
        TraceResult(run.output, r);
    *v = r;
    return true;
}

bool ApplyTerm(int line, CNode* term, CValue* input, CValue** v, CRunContext& run,
               CInterpreter* interp) {
    CValue* w = nullptr;
    if (!EvalTerm(term, input, &w, run, interp))
        return false;
    return ApplyValue(line, term, w, input, v, run, interp);
}

// The constant value of a term, or null.
CValue* ConstantOf(CNode* term) {
    return term->sameAs != nullptr ? term->sameAs->constant : term->constant;
}

// A constant data list of delayed terms only: the choices of `({a}, {b}) : k : .`.
bool IsChoiceList(const CValue* value) {
    if (value == nullptr || value->kind != kKindDataList)
        return false;
    const CListValue* list = AsList(value);
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (list->elements[i]->kind != kKindDelayed)
            return false;
    }
    return list->count > 0;
}

bool IsSign(CNode* term, int code) {
    return typeid(*term) == typeid(CSignAtom) && static_cast<CSignAtom*>(term)->code == code;
}

} // namespace

// The stack is checked where evaluation nests: an expression that applies, a list, a
// block, a function. An expression of one term only hands on its term's value.
bool CExpressionNode::Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) {
    CValue* v = nullptr;
    if (terms.size() == 1) {
        // A failed term may leave a part of a value behind: the slot gets nothing then.
        if (!EvalTerm(terms[0], input, &v, run, interp))
            return false;
        *out = v;
        return true;
    }
    CheckNesting();
    std::size_t next = 1;
    if (m_shape == Shape::PairOperation) {
        if (!EvalPairOperation(input, &v, run, interp))
            return false;
        next = 2;
    } else if (m_shape == Shape::PairDivision) {
        if (!EvalPairDivision(input, &v, &next, run, interp))
            return false;
    } else if (m_shape == Shape::Choice) {
        if (!EvalChoice(input, &v, run, interp))
            return false;
        next = 3;
    } else if (!EvalTerm(terms[0], input, &v, run, interp)) {
        return false;
    }
    for (std::size_t i = next; i < terms.size(); ++i) {
        run.control.CheckStop();
        if (i == m_nZipAt && !run.debug && ZipPairs(v, &v, run)) {
            // The stop checks of the two applications taken with the transposition.
            run.control.CheckStop();
            run.control.CheckStop();
            i += 2;
            continue;
        }
        if (!ApplyTerm(line, terms[i], input, &v, run, interp))
            return false;
    }
    *out = v;
    return true;
}

// An expression of one term is its term, and constant if its term is.
void CExpressionNode::Prepare() {
    if (prepared)
        return;
    prepared = true;
    for (CNode* term : terms)
        term->Prepare();
    if (terms.size() == 1) {
        sameAs = terms[0];
        constant = terms[0]->constant;
    } else if (terms.size() > 1) {
        m_shape = Classify();
    }
    for (std::size_t i = 1; i + 2 < terms.size() && m_nZipAt == 0; ++i) {
        CNode* op = terms[i + 2];
        if (IsSign(terms[i], kTokHash) && IsSign(terms[i + 1], kTokEmptyPar) &&
            typeid(*op) == typeid(CSignAtom) && IsPairOperation(static_cast<CSignAtom*>(op)->code))
            m_nZipAt = i;
    }
}

// `(a, b) : # : [] : op`, a and b data lists of one length, two elements or more: the
// transposition's columns are the pairs of elements at one position, "[]" spreads op over
// them, and for two numbers or two characters op needs no pair list. So each element of
// the result is op of the elements at its position, with no columns made. All three
// applications succeed then; where a pair is of any other kind nothing is kept, and the
// general path applies the three terms.
bool CExpressionNode::ZipPairs(const CValue* v, CValue** out, const CRunContext& run) const {
    if (v->kind != kKindDataList)
        return false;
    const CListValue* rows = AsList(v);
    if (rows->count != 2 || rows->elements[0]->kind != kKindDataList ||
        rows->elements[1]->kind != kKindDataList)
        return false;
    const CListValue* a = AsList(rows->elements[0]);
    const CListValue* b = AsList(rows->elements[1]);
    const std::int32_t n = a->count;
    if (n < 2 || b->count != n)
        return false;
    const int code = static_cast<CSignAtom*>(terms[m_nZipAt + 2])->code;
    // Arithmetic makes a number of each pair; a comparison's booleans are shared.
    const std::size_t itemBytes = IsArithmeticCode(code) ? sizeof(CIntValue) : 0;
    auto* result = new CListValue(kKindParList, n);
    std::atomic<bool> plain{true};
    FillInPieces(
        run, n, kPairOperationNs,
        [&](std::int64_t begin, std::int64_t end) { return std::size_t(end - begin) * itemBytes; },
        [&](std::int64_t begin, std::int64_t end) {
            for (std::int64_t j = begin; j < end; ++j) {
                if (!ApplyToElements(code, a->elements[j], b->elements[j], &result->elements[j])) {
                    plain.store(false, std::memory_order_relaxed);
                    return;
                }
            }
        });
    if (!plain.load(std::memory_order_relaxed))
        return false;
    result->SetHoldsError(false);
    *out = result;
    return true;
}

CExpressionNode::Shape CExpressionNode::Classify() const {
    // An alternative of the choosing or forcing term would need their statuses.
    if (terms.size() >= 3 && IsChoiceList(ConstantOf(terms[0])) && IsSign(terms[2], kTokDot) &&
        AlternativeOf(terms[1]) == nullptr && AlternativeOf(terms[2]) == nullptr)
        return Shape::Choice;
    auto* pair = terms[0]->IsList() ? static_cast<CListNode*>(terms[0]) : nullptr;
    // Taken apart first: clang warns of a call inside typeid's operand.
    CNode* second = terms[1];
    auto* sign = typeid(*second) == typeid(CSignAtom) ? static_cast<CSignAtom*>(second) : nullptr;
    if (pair == nullptr || pair->kind != kKindDataList || pair->elements.size() != 2 ||
        sign == nullptr)
        return Shape::General;
    if (sign->code == kTokPercent && terms.size() >= 3) {
        const CValue* index = ConstantOf(terms[2]);
        if (index != nullptr && index->kind == kKindInt &&
            (AsInt(index)->value == 1 || AsInt(index)->value == 2))
            return Shape::PairDivision;
    }
    return IsPairOperation(sign->code) ? Shape::PairOperation : Shape::General;
}

// The elements of the pair literal that is the first term, as the list would evaluate them.
bool CExpressionNode::EvalPairElements(CValue* input, CValue** a, CValue** b, CRunContext& run,
                                       CInterpreter* interp) {
    auto* pair = static_cast<CListNode*>(terms[0]);
    if (!EvalTerm(pair->elements[0], input, a, run, interp) ||
        !EvalTerm(pair->elements[1], input, b, run, interp))
        return false;
    run.control.CheckStop();
    return true;
}

// `(x, y) : op`: the elements are evaluated as the list would evaluate them; two numbers
// or two characters go straight to the built-in, anything else makes the list and the usual
// application.
bool CExpressionNode::EvalPairOperation(CValue* input, CValue** v, CRunContext& run,
                                        CInterpreter* interp) {
    CValue* a = nullptr;
    CValue* b = nullptr;
    if (!EvalPairElements(input, &a, &b, run, interp))
        return false;
    const int code = static_cast<CSignAtom*>(terms[1])->code;
    if (!run.debug && ApplyToElements(code, a, b, v))
        return true;
    return ApplyToPairList(a, b, input, v, run, interp);
}

// `(a, b) : % : k` with k 1 or 2 and two integers (no zero divisor) takes the quotient or
// the remainder straight away: both applications succeed, so no else can come into it.
bool CExpressionNode::EvalPairDivision(CValue* input, CValue** v, std::size_t* next,
                                       CRunContext& run, CInterpreter* interp) {
    CValue* a = nullptr;
    CValue* b = nullptr;
    if (!EvalPairElements(input, &a, &b, run, interp))
        return false;
    std::int32_t quotient = 0;
    std::int32_t remainder = 0;
    if (!run.debug && DivideIntPair(a, b, &quotient, &remainder)) {
        run.control.CheckStop();
        *v = new CIntValue(AsInt(ConstantOf(terms[2]))->value == 1 ? quotient : remainder);
        *next = 3;
        return true;
    }
    *next = 2;
    return ApplyToPairList(a, b, input, v, run, interp);
}

// The pair as the list would make it, and the application of the second term to it.
bool CExpressionNode::ApplyToPairList(CValue* a, CValue* b, CValue* input, CValue** v,
                                      CRunContext& run, CInterpreter* interp) {
    auto* list = new CListValue(kKindDataList, 2);
    list->elements[0] = a;
    list->elements[1] = b;
    *v = Normalize(list);
    return ApplyTerm(line, terms[1], input, v, run, interp);
}

// `({a}, {b}) : k : .`: the list of delayed terms is constant, so where k selects one of
// them and no trace is written, the chosen term is forced without selecting it from the
// list first. Any other k takes the usual applications.
bool CExpressionNode::EvalChoice(CValue* input, CValue** v, CRunContext& run,
                                 CInterpreter* interp) {
    CValue* choices = ConstantOf(terms[0]);
    *v = choices;
    run.control.CheckStop();
    CValue* k = nullptr;
    if (!EvalTerm(terms[1], input, &k, run, interp))
        return false;
    const std::int32_t count = AsList(choices)->count;
    if (run.debug || k->kind != kKindInt || AsInt(k)->value < 1 || AsInt(k)->value > count) {
        if (!ApplyValue(line, terms[1], k, input, v, run, interp))
            return false;
        run.control.CheckStop();
        return ApplyTerm(line, terms[2], input, v, run, interp);
    }
    CValue* chosen = AsList(choices)->elements[AsInt(k)->value - 1];
    run.control.CheckStop();
    // The forcing application, its common case here: the term yields a value that is
    // neither delayed nor a list to spread, and "." copies it. Anything else goes on as
    // the application would after the term's first evaluation. Without an alternative a
    // failure is the result as it is.
    run.control.CheckStop();
    CNode* term = TermOf(chosen);
    CValue* value = nullptr;
    if (term == nullptr || !term->Eval(input, &value, run, interp) || value == nullptr) {
        *v = new CErrorValue(kIErrInterpretation);
        return true;
    }
    if (value->kind == kKindDelayed || value->kind == kKindDelayList ||
        value->kind == kKindParList) {
        interp->InterpretErrorFree(input, value, ConstantOf(terms[2]), v, run);
        return true;
    }
    *v = CopyValue(value);
    return true;
}

// The lookup order: the argument of the enclosing top-level function, the function table,
// the types, the overloaded functions, then the values and definitions of the enclosing
// scopes and the module's constants.
CIdentifierNode::Resolution CIdentifierNode::Resolve() const {
    Resolution found;
    CModuleNode* module = ModuleOf(const_cast<CIdentifierNode*>(this));
    CNode* topLevel = TopLevelOf(const_cast<CIdentifierNode*>(this), module);
    if (owner != module && topLevel->IsFunction()) {
        const std::string& argName = static_cast<CFunctionNode*>(topLevel)->argName;
        if (!argName.empty() && text == argName) {
            found.meaning = Meaning::Argument;
            return found;
        }
    }
    if (module) {
        if (auto it = module->named.find(text); it != module->named.end()) {
            found.definition = it->second;
            found.meaning = Meaning::Function;
            return found;
        }
        if (auto it = module->types.find(text); it != module->types.end()) {
            found.definition = it->second;
            found.meaning = Meaning::Type;
            return found;
        }
        if (auto it = module->overloads.find(std::string(text)); it != module->overloads.end()) {
            found.overloads = &it->second;
            found.meaning = Meaning::Overloads;
            return found;
        }
    }
    ResolveValue(module, found);
    return found;
}

// The first enclosing scope whose table has the name keeps its value; above all scopes the
// module keeps the values of constants. A name of neither has no value and no definition.
void CIdentifierNode::ResolveValue(CNode* module, Resolution& found) const {
    found.meaning = Meaning::Value;
    for (CNode* node = owner; node != nullptr; node = node->owner) {
        // Identifiers are created inside scopes only: blocks, functions or the module.
        auto* scope = static_cast<CBlockNode*>(node);
        const NameTable& table =
            node == module ? static_cast<CModuleNode*>(node)->constants : scope->named;
        // The walk first: it sorts a table still being built, which moves its names. A
        // scope's slots are the places of its value names, which this table is.
        const auto first = table.begin();
        if (auto it = table.find(text); it != table.end()) {
            found.definition = it->second;
            found.scope = scope;
            found.slot =
                &table == &scope->ValueNames() ? static_cast<int>(it - first) : scope->SlotOf(text);
            return;
        }
        if (node == module)
            return;
    }
}

void CIdentifierNode::Prepare() {
    if (prepared)
        return;
    prepared = true;
    CTermNode::Prepare();
    m_resolved = Resolve();
    namesValue = m_resolved.meaning == Meaning::Argument ||
                 (m_resolved.meaning == Meaning::Value && m_resolved.scope != nullptr);
    if (m_resolved.meaning == Meaning::Function || m_resolved.meaning == Meaning::Type) {
        if (m_resolved.meaning == Meaning::Type)
            m_reference.kind = kKindTypeRef;
        m_reference.node = m_resolved.definition;
        constant = &m_reference;
    }
}

// An identifier that was never prepared finds out what it names each time.
bool CIdentifierNode::Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) {
    if (m_resolved.meaning != Meaning::Unresolved)
        return EvalResolved(m_resolved, input, out, run, interp);
    const Resolution found = Resolve();
    if (found.meaning == Meaning::Function || found.meaning == Meaning::Type) {
        *out = new CRefValue(found.meaning == Meaning::Type ? kKindTypeRef : kKindFuncRef,
                             found.definition);
        return true;
    }
    return EvalResolved(found, input, out, run, interp);
}

bool CIdentifierNode::EvalResolved(const Resolution& found, CValue* input, CValue** out,
                                   CRunContext& run, CInterpreter* interp) const {
    switch (found.meaning) {
    case Meaning::Argument:
        if (!input)
            throw CExeption(TopLevel(), Cp(u8"Аргумент функции не инициализирован в функции: "),
                            kErrNone);
        // Values never change, so the argument itself serves as its copy.
        *out = input;
        return true;
    case Meaning::Function:
    case Meaning::Type:
        *out = constant;
        return true;
    case Meaning::Overloads: {
        const OverloadList& variants = *found.overloads;
        auto* list = new CListValue(kKindParList, static_cast<std::int32_t>(variants.size()));
        for (std::size_t k = 0; k < variants.size(); ++k)
            list->elements[k] = new CRefValue(kKindFuncRef, variants[k].second);
        *out = list;
        return true;
    }
    default:
        return EvalValue(found, input, out, run, interp);
    }
}

// A value computed already in the running evaluation of its scope, or else its definition
// evaluated now and kept for the rest of that evaluation.
bool CIdentifierNode::EvalValue(const Resolution& found, CValue* input, CValue** out,
                                CRunContext& run, CInterpreter* interp) const {
    // Named expressions may refer to one another in a chain as long as the program.
    CheckNesting();
    CValueFrames* frames = found.scope != nullptr ? &run.frames.Of(*found.scope) : nullptr;
    if (frames != nullptr) {
        if (CValue** slot = frames->TopSlot(found.slot); slot != nullptr) {
            if (*slot != nullptr) {
                *out = *slot;
                return true;
            }
            // A share of a parallel list would keep the value in the frame of the thread
            // that started the list, for the elements after it: that is done in order.
            if (!frames->OwnsTop())
                throw CInOrderOnly();
        }
    }
    if (found.definition != nullptr && found.definition->Eval(input, out, run, interp)) {
        if (CValue** slot = frames->TopSlot(found.slot)) {
            *slot = *out;
            CCallRegion::NoteStore(frames->TopDepth());
        }
        return true;
    }
    return NotFound();
}

CNode* CIdentifierNode::TopLevel() const {
    auto* self = const_cast<CIdentifierNode*>(this);
    return TopLevelOf(self, ModuleOf(self));
}

bool CIdentifierNode::NotFound() const {
    WriteConsoleNote("Error in function \"" + std::string(TopLevel()->Name()) +
                     "\":\nIdentifier \"" + std::string(text) + "\" NOT found !!!\n");
    return false;
}

bool CFunctionNode::Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) {
    CheckNesting();
    if (unnamed.empty() && named.empty())
        throw CExeption(this, Cp(u8"Отсутствует интерпретируемое выражение в функции "), kErrNone);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "return", input, out, run, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(this, Cp(u8"Отсутсвует return выражение в функции "), kErrNone);
    return ok;
}

bool CBlockNode::Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) {
    CheckNesting();
    CFunctionNode* function = EnclosingFunction(this);
    if (unnamed.empty() && named.empty())
        throw CExeption(function,
                        Cp(u8"Отсутсвует интерпретируемое выражение\nв одном из блоков функции "),
                        kErrNone);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "break", input, out, run, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(function, Cp(u8"Отсутсвует break выражение\nв одном из блоков функции "),
                        kErrNone);
    return ok;
}

// The elements of a parallel list may be evaluated on several threads (ParallelEval.h); a
// failing element ends the list either way, and no element after it counts.
bool CListNode::Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) {
    const auto count = static_cast<std::int32_t>(elements.size());
    if (kind == kKindDelayList) {
        // A delay list's elements wait unevaluated; a single one is a lone delayed term,
        // the same each time (kept by Prepare).
        if (KeepsDelayedTerm()) {
            *out = constant != nullptr ? constant : new CRefValue(kKindDelayed, elements[0]);
            return true;
        }
        auto* list = new CListValue(kKindDelayList, count);
        for (std::int32_t i = 0; i < count; ++i)
            list->elements[i] = new CRefValue(kKindDelayed, elements[i]);
        *out = list;
        return true;
    }
    CheckNesting();
    auto* list = new CListValue(kind, count);
    for (std::int32_t i = 0; i < count; ++i)
        list->elements[i] = nullptr;
    *out = list;
    CElementSurvey survey;
    auto evalElement = [&](std::int32_t i, CRunContext& context) {
        return EvalTerm(elements[i], input, &list->elements[i], context, interp);
    };
    CListSplit split(run, kind == kKindParList ? count : 0, true);
    for (std::int32_t i = 0; i < count; ++i) {
        if (split.Now(i)) {
            std::int32_t failed = count;
            const std::int32_t next = split.Run(i, list->elements, evalElement, &failed, survey);
            if (failed < count) {
                // As if the elements after the failing one had never been evaluated.
                std::fill(list->elements + failed + 1, list->elements + count, nullptr);
                return false;
            }
            i = next;
            if (i == count)
                break;
        }
        if (!evalElement(i, run))
            return false;
        survey.Note(list->elements[i]);
    }
    *out = survey.parallel ? Normalize(list, survey, SlotCopies(run)) : Normalize(list, survey);
    return true;
}

bool CModuleNode::Run(std::string name, CValue* input, CValue** out, CRunContext& run,
                      CInterpreter* interp) {
    CFrameGuard frame(run.frames.Of(*this));
    auto it = named.find(name);
    if (it == named.end() || it->second == nullptr)
        return false;
    return it->second->Eval(input, out, run, interp);
}
