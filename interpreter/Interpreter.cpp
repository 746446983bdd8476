// The interpretation operator: forces delayed terms and delay lists, spreads list
// arguments and list functions over their elements, and hands single applications to the
// built-in chosen by the function's kind.

#include "interpreter/Interpreter.h"

#include "interpreter/IntForm.h"
#include "interpreter/NumberPair.h"
#include "interpreter/ParallelEval.h"
#include "interpreter/RunContext.h"
#include "model/Terms.h"
#include "values/Arena.h"
#include "values/NestingGuard.h"
#include "values/Reclaim.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <cstdint>
#include <limits>

namespace {

bool IsDataList(const CValue* v) {
    return v->kind == kKindDataList;
}
bool IsParList(const CValue* v) {
    return v->kind == kKindParList;
}
bool IsSpreadList(const CValue* v) {
    return IsDataList(v) || IsParList(v);
}
// A delayed term or a delay list: something to evaluate before the application.
bool IsDelayed(const CValue* v) {
    return v->kind == kKindDelayed || v->kind == kKindDelayList;
}

bool Fail(CValue** out, int code) {
    *out = new CErrorValue(code);
    return false;
}

// The least an application of a built-in costs: it takes a value of the run's arena.
constexpr std::int64_t kBuiltinApplicationNs = 20;

// What the first application of a spread says of the cost of its items: a built-in that
// neither evaluates terms of the program nor prints costs at least
// kBuiltinApplicationNs; anything else is timed (0).
template <class PairAt> std::int64_t BuiltinItemNs(const PairAt& pairAt) {
    CValue* arg = nullptr;
    CValue* func = nullptr;
    pairAt(0, &arg, &func);
    if (IsDelayed(arg) || func->IsList() || IsDelayed(func))
        return 0;
    switch (func->kind) {
    case kKindFuncRef:
    case kKindTypeRef:
    case kKwIn:
    case kKwOut:
        return 0;
    default:
        return IsPairOperation(func->kind) ? kPairOperationNs : kBuiltinApplicationNs;
    }
}

// Items of a spread that go straight to their built-in, without the way through the
// interpretation operator, with the built-in's result: an arithmetic or comparison sign
// applied to a pair of numbers or characters (the comparisons of a partition), and a
// position within a data list that holds no error (the halving's odd and even elements).
// False, with *out untouched, for any other item.
[[gnu::always_inline]] inline bool ApplyItemDirectly(const CValue* arg, const CValue* func,
                                                     CValue** out) {
    if (arg->kind != kKindDataList)
        return false;
    const CListValue* list = AsList(arg);
    if (func->kind == kKindInt) {
        const std::int32_t n = AsInt(func)->value;
        if (n < 1 || n > list->count || list->HoldsError())
            return false;
        *out = list->elements[n - 1];
        return true;
    }
    return IsPairOperation(func->kind) && list->count == 2 &&
           ApplyToElements(func->kind, list->elements[0], list->elements[1], out);
}

// Keeps the calls inside a call on the general path while it is evaluated again.
class CGeneralOnly {
public:
    CGeneralOnly(CRunContext& run, bool set) : m_run(run), m_bBefore(run.generalOnly) {
        run.generalOnly = m_bBefore || set;
    }
    ~CGeneralOnly() { m_run.generalOnly = m_bBefore; }
    CGeneralOnly(const CGeneralOnly&) = delete;
    CGeneralOnly& operator=(const CGeneralOnly&) = delete;

private:
    CRunContext& m_run;
    bool m_bBefore;
};

} // namespace

CInterpreter::~CInterpreter() = default;

bool CInterpreter::ContainsError(const CValue* value) const {
    return ContainsErrorValue(value);
}

std::int32_t CInterpreter::GetInt(const CValue* value) const {
    return AsInt(value)->value;
}

float CInterpreter::GetReal(const CValue* value) const {
    return AsReal(value)->value;
}

unsigned char CInterpreter::GetByte(const CValue* value) const {
    switch (value->kind) {
    case kKindBool:
        return AsBool(value)->value;
    default:
        return AsChar(value)->value;
    }
}

bool CInterpreter::Interpret(CValue* input, CValue* arg, CValue* func, CValue** out,
                             CRunContext& run) {
    if (ContainsErrorValue(arg) || ContainsErrorValue(func)) {
        *out = CopyValue(arg);
        return false;
    }
    return InterpretErrorFree(input, arg, func, out, run);
}

bool CInterpreter::InterpretErrorFree(CValue* input, CValue* arg, CValue* func, CValue** out,
                                      CRunContext& run) {
    if (IsDelayed(arg) || IsDelayed(func)) {
        if (!ForceDelayed(input, &arg, run) || !ForceDelayed(input, &func, run) ||
            !ForceDelayList(input, &arg, run) || !ForceDelayList(input, &func, run))
            return Fail(out, kIErrInterpretation);
    }
    if (IsParList(arg) || IsSpreadList(func))
        return Spread(input, arg, func, out, run);
    return ApplyOne(input, arg, func, out, run);
}

// A delayed term may evaluate to another delayed term, so it is forced until it is not.
// One that yields itself (`{n}` when n is that very term) would never end: each pass checks
// for a stop, so that an abort still ends the run.
bool CInterpreter::ForceDelayed(CValue* input, CValue** value, CRunContext& run) {
    while ((*value)->kind == kKindDelayed) {
        run.control.CheckStop();
        CNode* term = TermOf(*value);
        CValue* forced = nullptr;
        if (term == nullptr || !term->Eval(input, &forced, run, this) || forced == nullptr)
            return false;
        *value = forced;
    }
    return true;
}

// A delay list becomes the parallel list of its evaluated terms, first to last. An
// element that is not a delayed term is taken over as it is.
bool CInterpreter::ForceDelayList(CValue* input, CValue** value, CRunContext& run) {
    if ((*value)->kind != kKindDelayList)
        return true;
    const CListValue* delayed = AsList(*value);
    auto* list = new CListValue(kKindParList, delayed->count);
    CElementSurvey survey;
    for (std::int32_t i = 0; i < delayed->count; ++i) {
        CValue* element = delayed->elements[i];
        list->elements[i] = nullptr;
        if (element->kind != kKindDelayed) {
            list->elements[i] = element;
        } else {
            CNode* term = TermOf(element);
            if (term == nullptr || !term->Eval(input, &list->elements[i], run, this) ||
                list->elements[i] == nullptr)
                return false;
        }
        survey.Note(list->elements[i]);
    }
    *value = Normalize(list, survey);
    return true;
}

// The list rows of the dispatch. Functions vary slowest when a parallel argument meets a
// data list of functions.
bool CInterpreter::Spread(CValue* input, CValue* arg, CValue* func, CValue** out,
                          CRunContext& run) {
    // Lists of functions can be nested as deep as a program cares to build them.
    CheckNesting();
    if (!IsParList(arg)) {
        const CListValue* funcs = AsList(func);
        return SpreadInto(
            func->kind, funcs->count,
            [&](std::int32_t i, CValue** a, CValue** f) {
                *a = arg;
                *f = funcs->elements[i];
            },
            input, out, run);
    }
    const CListValue* args = AsList(arg);
    if (!IsDataList(func)) {
        return SpreadInto(
            kKindParList, args->count,
            [&](std::int32_t i, CValue** a, CValue** f) {
                *a = args->elements[i];
                *f = func;
            },
            input, out, run);
    }
    const CListValue* funcs = AsList(func);
    const std::int32_t n = args->count;
    return SpreadInto(
        kKindDataList, std::int64_t(n) * funcs->count,
        [&](std::int32_t k, CValue** a, CValue** f) {
            *a = args->elements[k % n];
            *f = funcs->elements[k / n];
        },
        input, out, run);
}

template <class PairAt>
bool CInterpreter::SpreadInto(int kind, std::int64_t count, PairAt pairAt, CValue* input,
                              CValue** out, CRunContext& run) {
    // More elements than a list can count cannot fit in any run's memory either.
    if (count > std::numeric_limits<std::int32_t>::max())
        throw CMemoryLimitError();
    auto* list = new CListValue(kind, static_cast<std::int32_t>(count));
    CListSplit split(run, list->count, false, list->count > 0 ? BuiltinItemNs(pairAt) : 0);
    // Every item fills its slot, the pieces' items too: the first touch of a long list's
    // pages is where its items are evaluated, on whichever thread that is.
    bool ok = true;
    CElementSurvey survey;
    // What the applications leave behind besides their results is given back as it grows.
    CSpreadRegion region(list->elements);
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (split.Now(i)) {
            std::int32_t failed = list->count;
            const std::int32_t next = split.Run(
                i, list->elements,
                [&](std::int32_t k, CRunContext& share) {
                    CValue* arg = nullptr;
                    CValue* func = nullptr;
                    pairAt(k, &arg, &func);
                    return ApplyItemDirectly(arg, func, &list->elements[k]) ||
                           Interpret(input, arg, func, &list->elements[k], share);
                },
                &failed, survey);
            ok = ok && failed >= next;
            i = next;
            region.Filled(i);
            if (i == list->count)
                break;
        }
        CValue* arg = nullptr;
        CValue* func = nullptr;
        pairAt(i, &arg, &func);
        list->elements[i] = nullptr;
        if (!ApplyItemDirectly(arg, func, &list->elements[i]) &&
            !Interpret(input, arg, func, &list->elements[i], run))
            ok = false;
        survey.Note(list->elements[i]);
        region.Filled(i + 1);
    }
    *out = survey.parallel ? Normalize(list, survey, SlotCopies(run)) : Normalize(list, survey);
    return ok;
}

bool CInterpreter::ApplyOne(CValue* input, CValue* arg, CValue* func, CValue** out,
                            CRunContext& run) {
    (void)input;
    switch (func->kind) {
    case kTokPlus:
        return Add(arg, out);
    case kTokMinus:
        return Subtract(arg, out);
    case kTokStar:
        return Multiply(arg, out);
    case kTokSlash:
        return Divide(arg, out);
    case kTokPercent:
        return Modulo(arg, out);
    case kTokEmptyData:
    case kKwDatalist:
        return MakeDataList(arg, out);
    case kTokEmptyPar:
    case kKwParlist:
        return MakeParallelList(arg, out);
    case kTokDot:
        *out = CopyValue(arg);
        return true;
    case kTokRange:
        return Range(arg, out, run);
    case kTokLess:
    case kTokGreater:
    case kTokLessEqual:
    case kTokGreaterEqual:
    case kTokEqual:
    case kTokNotEqual:
        return Compare(func->kind, arg, out);
    case kTokBar:
        return Length(arg, out);
    case kTokHash:
        return Transpose(arg, out, run);
    case kTokQuestion:
        return Positions(arg, out);
    case kTokDup:
        return Duplicate(arg, out, run);
    case kKindFuncRef:
        return CallFunction(arg, func, out, run);
    case kKindTypeRef:
        return TypeCheck(arg, func, out, run);
    case kKindInt:
        return SelectByIndex(arg, func, out);
    case kKindBool:
        return Guard(arg, func, out);
    case kKwBool:
    case kKwFloat:
    case kKwInt:
    case kKwChar:
        return Cast(arg, func, out);
    case kKwSignal:
        *out = SharedEmptyMarker();
        return true;
    case kKwType:
        return TypeOf(arg, out);
    case kKwIn:
        return Membership(arg, out, run);
    case kKwOut:
        return Output(arg, out, run);
    case kKwValue:
        return InnerValue(arg, out);
    default:
        return Fail(out, kIErrInterpretation);
    }
}

// The argument becomes the called function's input; its result and status are the
// application's. What the call allocated and its result does not reach is given back. A
// compiled form that gives up leaves the call, and every call inside it, to this path.
bool CInterpreter::CallFunction(CValue* arg, CValue* func, CValue** out, CRunContext& run) {
    CNode* function = TermOf(func);
    if (function == nullptr)
        return Fail(out, kIErrInterpretation);
    const CompiledCall compiled = CallCompiled(function, arg, out, run);
    if (compiled == CompiledCall::Done)
        return true;
    CGeneralOnly general(run, compiled == CompiledCall::GaveUp);
    CheckCallDepth(CCallRegion::CallDepth());
    CValue* result = nullptr;
    bool ok = false;
    {
        CCallRegion region;
        ok = function->Eval(arg, &result, run, this);
        if (result != nullptr)
            result = region.Keep(result);
    }
    if (result == nullptr)
        return Fail(out, kIErrInterpretation);
    *out = result;
    return ok;
}
