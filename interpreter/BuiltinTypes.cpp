// The type built-ins: casts, "type", "value", the type check of a type reference, "in"
// and "out".

#include "interpreter/BuiltinHelpers.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunContext.h"
#include "model/Terms.h"
#include "output/OutputCapture.h"
#include "output/OutputSink.h"

#include <cstdint>
#include <string>

using namespace builtin;

namespace {

bool IsScalar(const CValue* v) {
    return v->kind == kKindInt || v->kind == kKindReal || v->kind == kKindBool ||
           v->kind == kKindChar;
}

// Booleans and characters as the unsigned number they stand for.
std::int32_t SmallCode(const CValue* v) {
    return v->kind == kKindBool ? (BoolOf(v) ? 1 : 0) : ByteOf(v);
}

bool ToInt(const CValue* arg, CValue** out) {
    if (arg->kind == kKindInt)
        return Succeed(out, new CIntValue(IntOf(arg)));
    if (arg->kind != kKindReal)
        return Succeed(out, new CIntValue(SmallCode(arg)));
    bool ok = false;
    const std::int32_t value = RealToInt(RealOf(arg), &ok);
    return ok ? Succeed(out, new CIntValue(value)) : Fail(out, kIErrCastInt);
}

bool ToFloat(const CValue* arg, CValue** out) {
    if (arg->kind == kKindInt)
        return Succeed(out, new CRealValue(IntToReal(IntOf(arg))));
    if (arg->kind == kKindReal)
        return Succeed(out, new CRealValue(RealOf(arg)));
    return Succeed(out, new CRealValue(static_cast<float>(SmallCode(arg))));
}

bool ToBool(const CValue* arg, CValue** out) {
    if (arg->kind == kKindInt)
        return Succeed(out, SharedBool(IntOf(arg) != 0));
    if (arg->kind == kKindReal)
        return Succeed(out, SharedBool(RealOf(arg) != 0.0f));
    return Succeed(out, SharedBool(SmallCode(arg) != 0));
}

bool ToChar(const CValue* arg, CValue** out) {
    if (arg->kind == kKindInt)
        return Succeed(out, SharedChar(static_cast<unsigned char>(IntOf(arg) & 0xFF)));
    if (arg->kind != kKindReal)
        return Succeed(out, SharedChar(static_cast<unsigned char>(SmallCode(arg))));
    bool ok = false;
    const unsigned char value = RealToChar(RealOf(arg), &ok);
    return ok ? Succeed(out, SharedChar(value)) : Fail(out, kIErrCastInt);
}

int TypeCode(const CValue* v) {
    switch (v->kind) {
    case kKindDataList:
        return kKwDatalist;
    case kKindTypeRef:
        return kKwType;
    case kKindInt:
        return kKwInt;
    case kKindReal:
        return kKwFloat;
    case kKindBool:
        return kKwBool;
    case kKindChar:
        return kKwChar;
    default:
        return kKwNil;
    }
}

// The name a typed value's type goes by, or null when it has no node.
const CNode* TypeNodeOf(const CTypedValue* typed) {
    return typed->type ? TermOf(typed->type) : nullptr;
}

} // namespace

bool CInterpreter::Cast(CValue* arg, CValue* func, CValue** out) {
    if (!IsScalar(arg))
        return Fail(out, kIErrInterpretation);
    switch (func->kind) {
    case kKwInt:
        return ToInt(arg, out);
    case kKwFloat:
        return ToFloat(arg, out);
    case kKwBool:
        return ToBool(arg, out);
    default:
        return ToChar(arg, out);
    }
}

// A typed value answers with its own type reference, so that the answer can check again.
bool CInterpreter::TypeOf(CValue* arg, CValue** out) {
    if (arg->kind == kKindTyped)
        return Succeed(out, CopyValue(AsTyped(arg)->type));
    return Succeed(out, new CSignValue(TypeCode(arg)));
}

bool CInterpreter::InnerValue(CValue* arg, CValue** out) {
    if (arg->kind == kKindTyped)
        return Succeed(out, CopyValue(AsTyped(arg)->value));
    return Succeed(out, CopyValue(arg));
}

// A value already typed with a type of this name passes unchecked; anything else passes
// when the type's body yields true for it. A failed check is a result, not a failure.
bool CInterpreter::TypeCheck(CValue* arg, CValue* func, CValue** out, CRunContext& run) {
    CNode* type = TermOf(func);
    if (type == nullptr)
        return Fail(out, kIErrInterpretation);
    if (arg->kind == kKindTyped) {
        const auto* typed = AsTyped(arg);
        const CNode* typeNode = TypeNodeOf(typed);
        if (typeNode != nullptr && typeNode->Name() == type->Name())
            return Succeed(out, new CTypedValue(typed->type, typed->value));
    }
    CValue* verdict = nullptr;
    type->Eval(arg, &verdict, run, this);
    if (verdict != nullptr && verdict->kind == kKindBool && BoolOf(verdict))
        return Succeed(out, new CTypedValue(func, arg));
    return Succeed(out, new CErrorValue(kIErrTypeCast));
}

// (x, t): t's term evaluated with x as its input must answer with a boolean.
bool CInterpreter::Membership(CValue* arg, CValue** out, CRunContext& run) {
    if (!IsPair(arg))
        return Fail(out, kIErrInterpretation);
    CNode* test = TermOf(Second(arg));
    if (test == nullptr)
        return Fail(out, kIErrInterpretation);
    CValue* verdict = nullptr;
    test->Eval(First(arg), &verdict, run, this);
    if (verdict != nullptr && verdict->kind == kKindBool)
        return Succeed(out, CopyValue(verdict));
    return Fail(out, kIErrInterpretation);
}

// The text goes to the sink's current channel. Outside a trace the pane ends it with a line
// break; inside one the line end goes to the run's notes (standard output in the runner),
// so that the trace keeps its lines.
bool CInterpreter::Output(CValue* arg, CValue** out, CRunContext& run) {
    *out = CopyValue(arg);
    PrintGathered(run.output, [&](COutputSink& text) { arg->PrintTo(text); });
    if (run.listener != nullptr)
        run.listener->ValuePrinted(arg);
    if (!run.debug) {
        run.output.Write(g_szNewLine);
        return true;
    }
    WriteConsoleNote("\n");
    return true;
}
