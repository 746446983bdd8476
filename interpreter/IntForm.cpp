// The compiled form of integer functions: the translation of a body into steps over
// integer slots, and their evaluation. Each step mirrors what the general evaluation of
// its node does, stop checks included: they are counted, and spent at the end as one sum.

#include "interpreter/IntForm.h"

#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "values/NestingGuard.h"
#include "values/Reclaim.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <typeinfo>
#include <vector>

namespace {

// A value of the compiled form: an integer or a boolean.
// Trivial, so that a frame's row of slots costs nothing to make.
struct CScalar {
    std::int32_t value;
    bool isBool;
};

enum class Op : std::uint8_t { Constant, Argument, Named, Pair, Divide, Choice, ToInt, Call };

class CIntFunction;

struct CStep {
    Op op = Op::Constant;
    // Pair: the sign's code; Divide: 1 for the quotient, 2 for the remainder; Named: the
    // slot; Choice: where its terms begin among the function's choices.
    std::int32_t code = 0;
    CScalar constant{0, false};
    int first = -1;  // the operand: Pair's and Divide's first, Choice's index, what ToInt
                     // and Call are applied to
    int second = -1; // Pair's and Divide's second operand; Choice: how many terms
    CFunctionNode* calleeNode = nullptr;
    const CIntFunction* callee = nullptr; // set once every form is known
};

// Bodies with more named values stay on the general path: a frame is a fixed row.
constexpr int kMaxSlots = 16;

class CIntFunction : public CCompiledForm {
public:
    std::vector<CStep> steps;
    std::vector<int> choices; // the terms of choices, each a step
    std::vector<int> named;   // the step of each named value, in slot order
    std::vector<int> unnamed;
    int resultSlot = -1;
    std::vector<CFunctionNode*> callees;
};

CStep MakeStep(Op op, std::int32_t code = 0, int first = -1) {
    CStep step;
    step.op = op;
    step.code = code;
    step.first = first;
    return step;
}

const CValue* ConstantOf(const CNode* term) {
    return term->sameAs != nullptr ? term->sameAs->constant : term->constant;
}

CNode* AlternativeOf(CNode* term) {
    auto* asTerm = dynamic_cast<CTermNode*>(term);
    return asTerm ? asTerm->alternative : nullptr;
}

template <class T> T* NodeAs(CNode* node) {
    return typeid(*node) == typeid(T) ? static_cast<T*>(node) : nullptr;
}

class CCompiler {
public:
    CCompiler(CFunctionNode& function, CIntFunction& form) : m_function(function), m_form(form) {}

    bool Body() {
        if (!m_function.prepared || (m_function.named.empty() && m_function.unnamed.empty()))
            return false;
        const CNodeList& nodes = m_function.NamedNodes();
        m_form.resultSlot = m_function.ResultSlot("return");
        if (nodes.size() > kMaxSlots || m_form.resultSlot < 0)
            return false;
        for (CNode* node : nodes) {
            const int step = Term(node);
            if (step < 0)
                return false;
            m_form.named.push_back(step);
        }
        for (CNode* node : m_function.unnamed) {
            const int step = Term(node);
            if (step < 0)
                return false;
            m_form.unnamed.push_back(step);
        }
        return true;
    }

private:
    int Add(const CStep& step) {
        m_form.steps.push_back(step);
        return static_cast<int>(m_form.steps.size()) - 1;
    }

    // A term's value as the general path finds it: the constant it keeps, the argument, a
    // named value of this function, or an expression's evaluation. -1: outside the subset.
    int Term(CNode* term) {
        if (term->sameAs != nullptr)
            term = term->sameAs;
        if (const CValue* value = term->constant) {
            if (value->kind != kKindInt && value->kind != kKindBool)
                return -1;
            CStep step = MakeStep(Op::Constant);
            step.constant = value->kind == kKindInt ? CScalar{AsInt(value)->value, false}
                                                    : CScalar{AsBool(value)->value, true};
            return Add(step);
        }
        if (auto* identifier = NodeAs<CIdentifierNode>(term)) {
            if (identifier->NamesArgument())
                return Add(MakeStep(Op::Argument));
            const int slot = identifier->ValueSlotIn(&m_function);
            if (slot < 0 || slot >= static_cast<int>(m_function.NamedNodes().size()))
                return -1;
            return Add(MakeStep(Op::Named, slot));
        }
        if (auto* expression = NodeAs<CExpressionNode>(term))
            return Expression(*expression);
        return -1;
    }

    int Expression(CExpressionNode& expression) {
        const CNodeList& terms = expression.terms;
        if (terms.size() == 0)
            return -1;
        if (terms.size() == 1)
            return Term(terms[0]);
        for (CNode* term : terms) {
            if (AlternativeOf(term) != nullptr)
                return -1;
        }
        int value = -1;
        std::size_t next = 1;
        switch (expression.ShapeOf()) {
        case CExpressionNode::Shape::PairOperation:
        case CExpressionNode::Shape::PairDivision: {
            auto* pair = static_cast<CListNode*>(terms[0]);
            CStep step;
            step.first = Term(pair->elements[0]);
            step.second = step.first < 0 ? -1 : Term(pair->elements[1]);
            if (step.second < 0)
                return -1;
            if (expression.ShapeOf() == CExpressionNode::Shape::PairDivision) {
                step.op = Op::Divide;
                step.code = AsInt(ConstantOf(terms[2]))->value;
                next = 3;
            } else {
                step.op = Op::Pair;
                step.code = static_cast<CSignAtom*>(terms[1])->code;
                next = 2;
            }
            value = Add(step);
            break;
        }
        case CExpressionNode::Shape::Choice: {
            const CListValue* list = AsList(ConstantOf(terms[0]));
            std::vector<int> chosen;
            for (std::int32_t i = 0; i < list->count; ++i) {
                CNode* term = TermOf(list->elements[i]);
                const int step = term != nullptr ? Term(term) : -1;
                if (step < 0)
                    return -1;
                chosen.push_back(step);
            }
            CStep step = MakeStep(Op::Choice, static_cast<std::int32_t>(m_form.choices.size()));
            step.first = Term(terms[1]);
            step.second = list->count;
            if (step.first < 0)
                return -1;
            m_form.choices.insert(m_form.choices.end(), chosen.begin(), chosen.end());
            value = Add(step);
            next = 3;
            break;
        }
        case CExpressionNode::Shape::General:
            value = Term(terms[0]);
            break;
        default:
            return -1;
        }
        for (std::size_t i = next; i < terms.size() && value >= 0; ++i)
            value = Apply(terms[i], value);
        return value;
    }

    // An application of a constant term: "int", or a call of a function of the module.
    int Apply(CNode* term, int operand) {
        const CValue* function = ConstantOf(term);
        if (function == nullptr)
            return -1;
        if (function->kind == kKwInt)
            return Add(MakeStep(Op::ToInt, 0, operand));
        if (function->kind != kKindFuncRef)
            return -1;
        CNode* node = TermOf(function);
        if (node == nullptr || !node->IsFunction())
            return -1;
        auto* callee = static_cast<CFunctionNode*>(node);
        m_form.callees.push_back(callee);
        CStep step = MakeStep(Op::Call, 0, operand);
        step.calleeNode = callee;
        return Add(step);
    }

    CFunctionNode& m_function;
    CIntFunction& m_form;
};

// The state of one compiled call from the general path and the calls inside it.
struct CRunner {
    CRunControl& control;
    long long checks;
    long long allowed;
    int callsLeft; // before the general path would reach the bound on the depth of calls

    // One stop check of the general path: false when the run would stop at it or after it.
    bool Check() { return ++checks <= allowed && !control.StopPending(); }
};

struct CFrame {
    CFrame(const CIntFunction& function, CScalar input) : function(function), input(input) {}
    const CIntFunction& function;
    CScalar input;
    std::uint32_t computed = 0; // one bit per slot: the slots are written before they are read
    CScalar slots[kMaxSlots];
};

// A frame no deeper than one that had headroom has it too (values/NestingGuard.h).
bool StackAllows() {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here >= t_nLowestCheckedFrame)
        return true;
    if (!StackHasHeadroom())
        return false;
    t_nLowestCheckedFrame = here;
    return true;
}

bool Invoke(CRunner& runner, const CIntFunction& function, CScalar input, CScalar& out);

// Sums, differences and products wrap at 32 bits; comparisons compare the integers as
// single-precision reals, as the general path compares any two numbers.
bool PairOf(std::int32_t code, std::int32_t a, std::int32_t b, CScalar& out) {
    const auto x = static_cast<std::uint32_t>(a);
    const auto y = static_cast<std::uint32_t>(b);
    const float p = IntToReal(a);
    const float q = IntToReal(b);
    switch (code) {
    case kTokPlus:
        out = {static_cast<std::int32_t>(x + y), false};
        return true;
    case kTokMinus:
        out = {static_cast<std::int32_t>(x - y), false};
        return true;
    case kTokStar:
        out = {static_cast<std::int32_t>(x * y), false};
        return true;
    case kTokLess:
        out = {p < q, true};
        return true;
    case kTokGreater:
        out = {p > q, true};
        return true;
    case kTokLessEqual:
        out = {p <= q, true};
        return true;
    case kTokGreaterEqual:
        out = {p >= q, true};
        return true;
    case kTokEqual:
        out = {p == q, true};
        return true;
    case kTokNotEqual:
        out = {p != q, true};
        return true;
    default:
        return false;
    }
}

bool Exec(CRunner& runner, CFrame& frame, int index, CScalar& out);

// A step's value: constants, the argument and named values computed already without a call.
[[gnu::always_inline]] inline bool Operand(CRunner& runner, CFrame& frame, int index,
                                           CScalar& out) {
    const CStep& step = frame.function.steps[static_cast<std::size_t>(index)];
    switch (step.op) {
    case Op::Constant:
        out = step.constant;
        return true;
    case Op::Argument:
        out = frame.input;
        return true;
    case Op::Named:
        if ((frame.computed & (std::uint32_t(1) << step.code)) == 0)
            break;
        out = frame.slots[step.code];
        return true;
    default:
        break;
    }
    return Exec(runner, frame, index, out);
}

bool Exec(CRunner& runner, CFrame& frame, int index, CScalar& out) {
    const CStep& step = frame.function.steps[static_cast<std::size_t>(index)];
    switch (step.op) {
    case Op::Constant:
        out = step.constant;
        return true;
    case Op::Argument:
        out = frame.input;
        return true;
    case Op::Named: {
        // Not computed yet in this call: its definition now, kept for the rest of it.
        const std::uint32_t bit = std::uint32_t(1) << step.code;
        if ((frame.computed & bit) == 0) {
            if (!StackAllows() ||
                !Exec(runner, frame, frame.function.named[static_cast<std::size_t>(step.code)],
                      frame.slots[step.code]))
                return false;
            frame.computed |= bit;
        }
        out = frame.slots[step.code];
        return true;
    }
    case Op::Pair:
    case Op::Divide: {
        CScalar a;
        CScalar b;
        if (!Operand(runner, frame, step.first, a) || !Operand(runner, frame, step.second, b) ||
            !runner.Check() || a.isBool || b.isBool)
            return false;
        if (step.op == Op::Pair)
            return PairOf(step.code, a.value, b.value, out);
        if (b.value == 0 || !runner.Check())
            return false;
        const bool overflows = a.value == std::numeric_limits<std::int32_t>::min() && b.value == -1;
        if (step.code == 1)
            out = {overflows ? a.value : a.value / b.value, false};
        else
            out = {overflows ? 0 : a.value % b.value, false};
        return true;
    }
    case Op::Choice: {
        // The check before the choosing application, and two before the forcing one.
        CScalar k;
        if (!runner.Check() || !Operand(runner, frame, step.first, k) || k.isBool || k.value < 1 ||
            k.value > step.second || !runner.Check() || !runner.Check())
            return false;
        const auto chosen = static_cast<std::size_t>(step.code + k.value - 1);
        return Operand(runner, frame, frame.function.choices[chosen], out);
    }
    case Op::ToInt:
        if (!Operand(runner, frame, step.first, out) || !runner.Check())
            return false;
        out.isBool = false;
        return true;
    case Op::Call: {
        CScalar arg;
        return Operand(runner, frame, step.first, arg) && runner.Check() &&
               Invoke(runner, *step.callee, arg, out);
    }
    }
    return false;
}

// The named values in slot order, each evaluated again even when an earlier one needed it
// (as the general path does), then the unnamed ones; the result is the "return" slot.
bool Invoke(CRunner& runner, const CIntFunction& function, CScalar input, CScalar& out) {
    if (runner.callsLeft <= 0 || !StackAllows())
        return false;
    --runner.callsLeft;
    CFrame frame(function, input);
    const auto count = static_cast<int>(function.named.size());
    for (int slot = 0; slot < count; ++slot) {
        if (!Operand(runner, frame, function.named[static_cast<std::size_t>(slot)],
                     frame.slots[slot]))
            return false;
        frame.computed |= std::uint32_t(1) << slot;
    }
    for (int step : function.unnamed) {
        CScalar ignored;
        if (!Operand(runner, frame, step, ignored))
            return false;
    }
    out = frame.slots[function.resultSlot];
    ++runner.callsLeft;
    return true;
}

} // namespace

void AttachCompiledForms(CModuleNode& module) {
    std::call_once(module.compileOnce, [&module] {
        if (!module.prepared)
            return;
        std::map<CFunctionNode*, std::unique_ptr<CIntFunction>> forms;
        for (const auto& entry : module.named) {
            CNode* node = entry.second;
            if (node == nullptr || !node->IsFunction())
                continue;
            auto* function = static_cast<CFunctionNode*>(node);
            auto form = std::make_unique<CIntFunction>();
            if (forms.count(function) == 0 && CCompiler(*function, *form).Body())
                forms.emplace(function, std::move(form));
        }
        // A function that calls one without a compiled form has none either.
        for (bool dropped = true; dropped;) {
            dropped = false;
            for (auto it = forms.begin(); it != forms.end() && !dropped; ++it) {
                for (CFunctionNode* callee : it->second->callees) {
                    if (forms.count(callee) == 0) {
                        forms.erase(it);
                        dropped = true;
                        break;
                    }
                }
            }
        }
        for (auto& [function, form] : forms) {
            for (CStep& step : form->steps) {
                if (step.op == Op::Call)
                    step.callee = forms.at(step.calleeNode).get();
            }
        }
        for (auto& [function, form] : forms)
            function->compiled = std::move(form);
    });
}

CompiledCall CallCompiled(CNode* function, CValue* arg, CValue** out, CRunContext& run) {
    if (run.debug || run.generalOnly || !function->IsFunction())
        return CompiledCall::None;
    const auto* form =
        static_cast<const CIntFunction*>(static_cast<CFunctionNode*>(function)->compiled.get());
    if (form == nullptr || (arg->kind != kKindInt && arg->kind != kKindBool))
        return CompiledCall::None;
    const int depth = CCallRegion::CallDepth();
    if (depth >= kMaxCallDepth)
        return CompiledCall::None;
    const CScalar input = arg->kind == kKindInt ? CScalar{AsInt(arg)->value, false}
                                                : CScalar{AsBool(arg)->value, true};
    CRunner runner{run.control, 0, run.control.ChecksAllowed(), kMaxCallDepth - depth};
    CScalar result;
    if (!Invoke(runner, *form, input, result) || !run.control.SpendChecks(runner.checks))
        return CompiledCall::GaveUp;
    *out = result.isBool ? SharedBool(result.value != 0) : new CIntValue(result.value);
    return CompiledCall::Done;
}
