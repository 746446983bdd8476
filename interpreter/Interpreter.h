#pragma once
// The interpretation operator ":" and the built-in functions. Stateless: one object per
// run and per argument evaluation, handed to every Eval; what a run changes is in its
// CRunContext.

#include <cstdint>

class CValue;
class CListValue;
class CRunContext;

class CInterpreter {
public:
    CInterpreter() = default;
    CInterpreter(const CInterpreter&) = delete;
    CInterpreter& operator=(const CInterpreter&) = delete;
    virtual ~CInterpreter();

    // Applies func to arg (x : f). input is the input value of the function whose body is
    // evaluated, used for delayed terms. Always stores a result; false when it failed.
    bool Interpret(CValue* input, CValue* arg, CValue* func, CValue** out, CRunContext& run);
    // Interpret for an argument and a function known to hold no error: what Interpret does
    // after its error test.
    bool InterpretErrorFree(CValue* input, CValue* arg, CValue* func, CValue** out,
                            CRunContext& run);
    // Interpret for a number, boolean or character given to a sign, a keyword or a boolean:
    // there is no error, delayed term or list to look for.
    bool InterpretScalar(CValue* input, CValue* arg, CValue* func, CValue** out, CRunContext& run) {
        return ApplyOne(input, arg, func, out, run);
    }

    bool ContainsError(const CValue* value) const;
    std::int32_t GetInt(const CValue* value) const;
    float GetReal(const CValue* value) const;
    unsigned char GetByte(const CValue* value) const;

private:
    bool ForceDelayed(CValue* input, CValue** value, CRunContext& run);
    bool ForceDelayList(CValue* input, CValue** value, CRunContext& run);
    bool Spread(CValue* input, CValue* arg, CValue* func, CValue** out, CRunContext& run);
    // Builds a list of kind with count slots; slot i is the application pairAt(i, &arg,
    // &func), applied in slot order. True only if every application succeeded.
    template <class PairAt>
    bool SpreadInto(int kind, std::int64_t count, PairAt pairAt, CValue* input, CValue** out,
                    CRunContext& run);
    bool ApplyOne(CValue* input, CValue* arg, CValue* func, CValue** out, CRunContext& run);

    // Built-ins (the function's kind chooses one).
    bool CallFunction(CValue* arg, CValue* func, CValue** out, CRunContext& run);
    bool Add(CValue* arg, CValue** out);
    bool Subtract(CValue* arg, CValue** out);
    bool Multiply(CValue* arg, CValue** out);
    bool Divide(CValue* arg, CValue** out);
    bool Modulo(CValue* arg, CValue** out);
    bool MakeDataList(CValue* arg, CValue** out);
    bool MakeParallelList(CValue* arg, CValue** out);
    bool Range(CValue* arg, CValue** out, const CRunContext& run);
    bool Compare(int code, CValue* arg, CValue** out);
    bool Length(CValue* arg, CValue** out);
    bool Transpose(CValue* arg, CValue** out, const CRunContext& run);
    bool Positions(CValue* arg, CValue** out);
    bool Duplicate(CValue* arg, CValue** out, const CRunContext& run);
    bool TypeCheck(CValue* arg, CValue* func, CValue** out, CRunContext& run);
    bool SelectByIndex(CValue* arg, CValue* func, CValue** out);
    bool Guard(CValue* arg, CValue* func, CValue** out);
    bool Cast(CValue* arg, CValue* func, CValue** out);
    bool TypeOf(CValue* arg, CValue** out);
    bool Membership(CValue* arg, CValue** out, CRunContext& run);
    bool Output(CValue* arg, CValue** out, CRunContext& run);
    bool InnerValue(CValue* arg, CValue** out);
};
