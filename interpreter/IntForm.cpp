// The compiled form of functions on scalars: the translation of a body into steps over
// slots of integers, booleans, characters and the empty marker, and their evaluation. Each
// step mirrors what the general evaluation of its node does, stop checks included: they
// are counted, and spent at the end as one sum.

#include "interpreter/IntForm.h"

#include "interpreter/NumberPair.h"
#include "interpreter/RunContext.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "values/NestingGuard.h"
#include "values/Reclaim.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <typeinfo>
#include <vector>

namespace {

// A value of the compiled form: an integer, a boolean, a character (value its code) or the
// empty marker that a false guard leaves. Trivial, so that a frame's row of slots and an
// evaluation's stack cost nothing to make.
enum class Kind : std::uint8_t { Int, Bool, Char, Marker };
struct CScalar {
    std::int32_t value;
    Kind kind;
};

// The operations of the compiled form, on a stack of scalars. Each one that stands for an
// application of the general path counts that path's stop checks.
enum class Op : std::uint8_t {
    Constant, // pushes the constant
    Argument, // pushes the function's argument
    Named,    // pushes the named value of slot `code`, evaluated first if not yet
    Pair,     // pops b, a and pushes (a, b) : code, a sign of arithmetic or comparison
    PairWith, // the same with the constant as b: replaces the top a with (a, b) : code
    AddWith,  // adds the constant to the top, wrapping: "+" or "-" of a constant
    Divide,   // pops b, a and pushes the quotient (code 1) or the remainder (code 2)
    ToInt,    // the top as an integer
    ToChar,   // the top as a character
    Negate,   // "-" applied to the top: an integer negated, a boolean inverted
    Guard,    // pops f and applies it to the top: a boolean f keeps it or leaves the marker
    Select,   // pops `count` elements of a list term and pushes the code-th that is no marker
    AnyAll,   // pops `count` booleans of a list term and pushes "+" (any) or "*" (all) of them
    Call,     // the top given to callee
    Choice,   // pops k and goes on at the k-th of the `count` places from targets[code]
    Jump,     // goes on at code
    End,      // the top is the value of the code that began with its segment
    Store,    // pops the value of the named value of slot `code`
    Drop,     // pops the value of an unnamed expression
    Result    // the value of slot `code` is the call's
};

class CIntFunction;

struct CInstruction {
    Op op = Op::End;
    std::int32_t code = 0;
    CScalar constant{0, Kind::Int};
    std::int32_t count = 0;
    CFunctionNode* calleeNode = nullptr;
    const CIntFunction* callee = nullptr; // set once every form is known
};

// Bodies with more named values or deeper expressions stay on the general path: a frame
// and a stack are fixed rows.
constexpr int kMaxSlots = 16;
constexpr int kMaxStack = 16;

class CIntFunction : public CCompiledForm {
public:
    std::vector<CInstruction> code;
    std::vector<int> targets; // the places of the choices' terms
    std::vector<int> named;   // where each named value's code begins, in slot order
    int body = -1;            // where the code of a call begins: every expression in turn
    int resultSlot = -1;
    std::vector<CFunctionNode*> callees;
};

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

// The scalar of an integer, boolean or character value; false for any other.
bool ScalarOf(const CValue* value, CScalar* scalar) {
    switch (value->kind) {
    case kKindInt:
        *scalar = {AsInt(value)->value, Kind::Int};
        return true;
    case kKindBool:
        *scalar = {AsBool(value)->value, Kind::Bool};
        return true;
    case kKindChar:
        *scalar = {AsChar(value)->value, Kind::Char};
        return true;
    default:
        return false;
    }
}

// (a, b) : code as the built-in computes it, into a, for all but two integers: two
// characters, or two booleans or-ed ("+") or and-ed ("*"). False where the general path
// would fail. Out of line: integers, the hot case, are computed where the operation is.
[[gnu::noinline]] bool OtherPairOf(int code, CScalar& a, CScalar b) {
    if (a.kind == Kind::Char && b.kind == Kind::Char) {
        bool isBool = false;
        if (!CharPairOf(code, static_cast<unsigned char>(a.value),
                        static_cast<unsigned char>(b.value), &a.value, &isBool))
            return false;
        a.kind = isBool ? Kind::Bool : Kind::Char;
        return true;
    }
    if (a.kind == Kind::Bool && b.kind == Kind::Bool && (code == kTokPlus || code == kTokStar)) {
        a.value = code == kTokPlus ? (a.value | b.value) : (a.value & b.value);
        return true;
    }
    return false;
}

// (a, b) : code into a.
[[gnu::always_inline]] inline bool PairOf(int code, CScalar& a, CScalar b) {
    if (a.kind != Kind::Int || b.kind != Kind::Int) [[unlikely]]
        return OtherPairOf(code, a, b);
    bool isBool = false;
    if (!IntPairOf(code, a.value, b.value, &a.value, &isBool))
        return false;
    a.kind = isBool ? Kind::Bool : Kind::Int;
    return true;
}

// Emits the code of each named and unnamed expression as a segment that leaves its value
// on the stack. Every emitting function returns false for a node outside the subset.
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
            m_form.named.push_back(Here());
            if (!Segment(node))
                return false;
        }
        // The call's own run through the body: each named value's code again, stored in its
        // slot, so that a call is one run of code, apart from values needed before their turn.
        m_form.body = Here();
        for (std::size_t slot = 0; slot < nodes.size(); ++slot) {
            m_nDepth = 0;
            if (!Term(nodes[slot]) || !Emit(Op::Store, static_cast<std::int32_t>(slot), -1))
                return false;
        }
        for (CNode* node : m_function.unnamed) {
            m_nDepth = 0;
            if (!Term(node) || !Emit(Op::Drop, 0, -1))
                return false;
        }
        return Emit(Op::Result, m_form.resultSlot);
    }

private:
    int Here() const { return static_cast<int>(m_form.code.size()); }

    bool Emit(Op op, std::int32_t code = 0, int pushed = 0) {
        CInstruction instruction;
        instruction.op = op;
        instruction.code = code;
        m_form.code.push_back(instruction);
        m_nDepth += pushed;
        return m_nDepth <= kMaxStack;
    }

    bool Segment(CNode* node) {
        m_nDepth = 0;
        return Term(node) && Emit(Op::End, 0, -1);
    }

    // A term's value as the general path finds it: the constant it keeps, the argument, a
    // named value of this function, or an expression's evaluation.
    bool Term(CNode* term) {
        if (term->sameAs != nullptr)
            term = term->sameAs;
        if (const CValue* value = term->constant) {
            CScalar constant{};
            if (!ScalarOf(value, &constant))
                return false;
            Emit(Op::Constant, 0, 1);
            m_form.code.back().constant = constant;
            return m_nDepth <= kMaxStack;
        }
        if (auto* identifier = NodeAs<CIdentifierNode>(term)) {
            if (identifier->NamesArgument())
                return Emit(Op::Argument, 0, 1);
            const int slot = identifier->ValueSlotIn(&m_function);
            return slot >= 0 && slot < static_cast<int>(m_function.NamedNodes().size()) &&
                   Emit(Op::Named, slot, 1);
        }
        if (auto* expression = NodeAs<CExpressionNode>(term))
            return Expression(*expression);
        return false;
    }

    bool Expression(CExpressionNode& expression) {
        const CNodeList& terms = expression.terms;
        if (terms.size() == 0)
            return false;
        if (terms.size() == 1)
            return Term(terms[0]);
        for (CNode* term : terms) {
            if (AlternativeOf(term) != nullptr)
                return false;
        }
        std::size_t next = 1;
        switch (expression.ShapeOf()) {
        case CExpressionNode::Shape::PairOperation:
        case CExpressionNode::Shape::PairDivision: {
            auto* pair = static_cast<CListNode*>(terms[0]);
            if (!Term(pair->elements[0]) || !Term(pair->elements[1]))
                return false;
            if (expression.ShapeOf() == CExpressionNode::Shape::PairDivision) {
                Emit(Op::Divide, AsInt(ConstantOf(terms[2]))->value, -1);
                next = 3;
            } else {
                PairOperation(static_cast<CSignAtom*>(terms[1])->code);
                next = 2;
            }
            break;
        }
        case CExpressionNode::Shape::Choice:
            if (!Term(terms[1]) || !Choice(AsList(ConstantOf(terms[0]))))
                return false;
            next = 3;
            break;
        case CExpressionNode::Shape::General:
            if (auto* list = NodeAs<CListNode>(terms[0])) {
                if (!ListApplied(*list, terms[1]))
                    return false;
                next = 2;
            } else if (!Term(terms[0])) {
                return false;
            }
            break;
        default:
            return false;
        }
        for (std::size_t i = next; i < terms.size(); ++i) {
            if (!Apply(terms[i]))
                return false;
        }
        return true;
    }

    // A constant second operand goes into the operation itself. A jump to the constant's
    // place finds the operation there, which does what the two did.
    void PairOperation(std::int32_t code) {
        CInstruction& last = m_form.code.back();
        if (last.op == Op::Constant) {
            last.op = Op::PairWith;
            last.code = code;
            --m_nDepth;
            // Wrapping, a - c is a + (0 - c) for every c.
            if (last.constant.kind == Kind::Int && (code == kTokPlus || code == kTokMinus)) {
                last.op = Op::AddWith;
                if (code == kTokMinus)
                    last.constant.value = static_cast<std::int32_t>(
                        0u - static_cast<std::uint32_t>(last.constant.value));
            }
            return;
        }
        Emit(Op::Pair, code, -1);
    }

    // k is on the stack: each term's code, then a jump past the others.
    bool Choice(const CListValue* list) {
        const auto first = static_cast<std::int32_t>(m_form.targets.size());
        Emit(Op::Choice, first, -1);
        const std::size_t choice = m_form.code.size() - 1;
        m_form.code[choice].count = list->count;
        m_form.targets.resize(m_form.targets.size() + static_cast<std::size_t>(list->count));
        std::vector<std::size_t> jumps;
        for (std::int32_t i = 0; i < list->count; ++i) {
            CNode* term = TermOf(list->elements[i]);
            m_form.targets[static_cast<std::size_t>(first + i)] = Here();
            if (term == nullptr || !Term(term))
                return false;
            jumps.push_back(m_form.code.size());
            Emit(Op::Jump, 0, -1);
        }
        for (std::size_t jump : jumps)
            m_form.code[jump].code = Here();
        ++m_nDepth; // the chosen term's value
        return true;
    }

    // A data list term of two elements or more given to a position (`(a, b) : 1`, the first
    // that is no marker) or, three or more, to "+" or "*" (booleans or-ed or and-ed): the
    // elements' values, then the operation on them.
    bool ListApplied(CListNode& list, CNode* term) {
        const auto count = static_cast<std::int32_t>(list.elements.size());
        if (list.kind != kKindDataList || count < 2)
            return false;
        const CValue* function = ConstantOf(term);
        if (function == nullptr)
            return false;
        const bool select = function->kind == kKindInt && AsInt(function)->value >= 1;
        if (!select && !(count >= 3 && (function->kind == kTokPlus || function->kind == kTokStar)))
            return false;
        for (CNode* element : list.elements) {
            if (!Term(element))
                return false;
        }
        if (!Emit(select ? Op::Select : Op::AnyAll,
                  select ? AsInt(function)->value : function->kind, 1 - count))
            return false;
        m_form.code.back().count = count;
        return true;
    }

    // An application of a term: "int", "char", "-", a call of a function of the module, or
    // the argument or a named value (a boolean guards the value it is given).
    bool Apply(CNode* term) {
        CNode* named = term->sameAs != nullptr ? term->sameAs : term;
        if (named->constant == nullptr && NodeAs<CIdentifierNode>(named) != nullptr)
            return Term(term) && Emit(Op::Guard, 0, -1);
        const CValue* function = ConstantOf(term);
        if (function == nullptr)
            return false;
        if (function->kind == kKwInt)
            return Emit(Op::ToInt);
        if (function->kind == kKwChar)
            return Emit(Op::ToChar);
        if (function->kind == kTokMinus)
            return Emit(Op::Negate);
        if (function->kind != kKindFuncRef)
            return false;
        CNode* node = TermOf(function);
        if (node == nullptr || !node->IsFunction())
            return false;
        auto* callee = static_cast<CFunctionNode*>(node);
        m_form.callees.push_back(callee);
        Emit(Op::Call);
        m_form.code.back().calleeNode = callee;
        return true;
    }

    CFunctionNode& m_function;
    CIntFunction& m_form;
    int m_nDepth = 0; // values on the stack after the code emitted so far
};

// Between two looks at the stop request: a few microseconds of work.
constexpr long long kChecksBetweenLooks = 1024;

// The state of one compiled call from the general path and the calls inside it.
struct CRunner {
    CRunControl& control;
    long long allowed; // the checks the budget allows
    int callsLeft;     // before the general path would reach the bound on the depth of calls
    long long checks = 0;
    long long nextLook = 0; // the check that looks at the stop request and the budget

    // One stop check of the general path: false when the run would stop at it or after it.
    bool Check() { return ++checks < nextLook || Look(); }
    // One stop check of an operation that calls nothing, counted only: the next call's
    // Check, or the spending at the end, compares the count with the budget. Code without
    // calls is straight and short, so a stop request is still seen within microseconds.
    bool Count() {
        ++checks;
        return true;
    }
    bool Look() {
        if (checks > allowed || control.StopPending())
            return false;
        nextLook = std::min(allowed, checks + kChecksBetweenLooks) + 1;
        return true;
    }
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

bool Run(CRunner& runner, CFrame& frame, int pc, CScalar& out);

// The named values in slot order, each evaluated again even when an earlier one needed it
// (as the general path does), then the unnamed ones; the result is the "return" slot.
[[gnu::always_inline]] inline bool Invoke(CRunner& runner, const CIntFunction& function,
                                          CScalar input, CScalar& out) {
    if (runner.callsLeft <= 0 || !StackAllows())
        return false;
    --runner.callsLeft;
    CFrame frame(function, input);
    if (!Run(runner, frame, function.body, out))
        return false;
    ++runner.callsLeft;
    return true;
}

// Evaluates the segment that begins at pc into out.
bool Run(CRunner& runner, CFrame& frame, int pc, CScalar& out) {
    const CIntFunction& function = frame.function;
    const CInstruction* code = function.code.data();
    const CInstruction* next = code + pc;
    CScalar stack[kMaxStack];
    int top = -1;
    for (;;) {
        const CInstruction& instruction = *next++;
        switch (instruction.op) {
        case Op::Constant:
            stack[++top] = instruction.constant;
            break;
        case Op::Argument:
            stack[++top] = frame.input;
            break;
        case Op::Named: {
            // Not computed yet in this call: its definition now, kept for the rest of it.
            const int slot = instruction.code;
            const std::uint32_t bit = std::uint32_t(1) << slot;
            if ((frame.computed & bit) == 0) {
                if (!StackAllows() ||
                    !Run(runner, frame, function.named[static_cast<std::size_t>(slot)],
                         frame.slots[slot]))
                    return false;
                frame.computed |= bit;
            }
            stack[++top] = frame.slots[slot];
            break;
        }
        // Two cases, not one that asks where b is: a branch more in the hottest operation.
        case Op::Pair: {
            const CScalar b = stack[top--];
            if (!runner.Count() || !PairOf(instruction.code, stack[top], b))
                return false;
            break;
        }
        case Op::PairWith:
            if (!runner.Count() || !PairOf(instruction.code, stack[top], instruction.constant))
                return false;
            break;
        case Op::AddWith: {
            CScalar& a = stack[top];
            if (!runner.Count() || a.kind != Kind::Int)
                return false;
            a.value =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(a.value) +
                                          static_cast<std::uint32_t>(instruction.constant.value));
            break;
        }
        case Op::Divide: {
            const CScalar b = stack[top--];
            CScalar& a = stack[top];
            if (!runner.Count() || a.kind != Kind::Int || b.kind != Kind::Int || b.value == 0 ||
                !runner.Count())
                return false;
            std::int32_t quotient = 0;
            std::int32_t remainder = 0;
            DivideInts(a.value, b.value, &quotient, &remainder);
            a.value = instruction.code == 1 ? quotient : remainder;
            break;
        }
        case Op::ToInt:
            if (!runner.Count() || stack[top].kind == Kind::Marker)
                return false;
            stack[top].kind = Kind::Int;
            break;
        case Op::ToChar:
            if (!runner.Count() || stack[top].kind == Kind::Marker)
                return false;
            stack[top] = {stack[top].value & 0xFF, Kind::Char};
            break;
        case Op::Negate: {
            CScalar& a = stack[top];
            if (!runner.Count() || (a.kind != Kind::Int && a.kind != Kind::Bool))
                return false;
            a.value = a.kind == Kind::Bool
                          ? 1 - a.value
                          : static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(a.value));
            break;
        }
        case Op::Guard: {
            const CScalar f = stack[top--];
            if (!runner.Count() || f.kind != Kind::Bool)
                return false;
            if (f.value == 0)
                stack[top] = {0, Kind::Marker};
            break;
        }
        case Op::Select: {
            // A list term drops its markers; a position past the rest is an error.
            top -= instruction.count;
            int left = instruction.code;
            const CScalar* chosen = nullptr;
            for (int i = 1; i <= instruction.count && chosen == nullptr; ++i) {
                if (stack[top + i].kind != Kind::Marker && --left == 0)
                    chosen = &stack[top + i];
            }
            if (!runner.Count() || chosen == nullptr)
                return false;
            stack[++top] = *chosen;
            break;
        }
        case Op::AnyAll: {
            top -= instruction.count;
            std::int32_t trues = 0;
            for (int i = 1; i <= instruction.count; ++i) {
                if (stack[top + i].kind != Kind::Bool)
                    return false;
                trues += stack[top + i].value;
            }
            if (!runner.Count())
                return false;
            const bool any = instruction.code == kTokPlus;
            stack[++top] = {any ? (trues > 0 ? 1 : 0) : (trues == instruction.count ? 1 : 0),
                            Kind::Bool};
            break;
        }
        case Op::Call:
            if (!runner.Check() || !Invoke(runner, *instruction.callee, stack[top], stack[top]))
                return false;
            break;
        case Op::Choice: {
            // The check before the choosing application, and two before the forcing one.
            const CScalar k = stack[top--];
            if (k.kind != Kind::Int || k.value < 1 || k.value > instruction.count ||
                !runner.Count() || !runner.Count() || !runner.Count())
                return false;
            next =
                code + function.targets[static_cast<std::size_t>(instruction.code + k.value - 1)];
            break;
        }
        case Op::Jump:
            next = code + instruction.code;
            break;
        case Op::End:
            out = stack[top];
            return true;
        case Op::Store:
            frame.slots[instruction.code] = stack[top--];
            frame.computed |= std::uint32_t(1) << instruction.code;
            break;
        case Op::Drop:
            --top;
            break;
        case Op::Result:
            out = frame.slots[instruction.code];
            return true;
        default: // the compiler emits no other operation
            __builtin_unreachable();
        }
    }
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
            for (CInstruction& instruction : form->code) {
                if (instruction.op == Op::Call)
                    instruction.callee = forms.at(instruction.calleeNode).get();
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
    CScalar input{};
    if (form == nullptr || !ScalarOf(arg, &input))
        return CompiledCall::None;
    const int depth = CCallRegion::CallDepth();
    if (depth >= kMaxCallDepth)
        return CompiledCall::None;
    CRunner runner{run.control, run.control.ChecksAllowed(), kMaxCallDepth - depth};
    CScalar result;
    if (!Invoke(runner, *form, input, result) || !run.control.SpendChecks(runner.checks))
        return CompiledCall::GaveUp;
    switch (result.kind) {
    case Kind::Int:
        *out = new CIntValue(result.value);
        break;
    case Kind::Bool:
        *out = SharedBool(result.value != 0);
        break;
    case Kind::Char:
        *out = SharedChar(static_cast<unsigned char>(result.value));
        break;
    case Kind::Marker:
        *out = SharedEmptyMarker();
        break;
    }
    return CompiledCall::Done;
}
