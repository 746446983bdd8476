#pragma once
// The term nodes: atoms, keywords, identifiers and list literals.
//
// An atom's Eval makes a new value each time; the value it would make is also kept in the
// node as its `constant`, for the evaluation of expressions and lists to take without an
// allocation.

#include "model/Scope.h"
#include "values/Value.h"

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <vector>

// The program node a value denotes, or null: the node of a reference, or for a list whose
// every element denotes one a new list node of the same kind with those terms, owned by the
// current arena.
CNode* TermOf(const CValue* value);

class CSignAtom : public CTermNode {
public:
    explicit CSignAtom(std::int32_t code);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    std::int32_t code;

private:
    CSignValue m_value;
};

class CIntAtom : public CTermNode {
public:
    explicit CIntAtom(std::int32_t value);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    std::int32_t value;

private:
    CIntValue m_value;
};

class CRealAtom : public CTermNode {
public:
    explicit CRealAtom(float value);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    float value;

private:
    CRealValue m_value;
};

class CBoolAtom : public CTermNode {
public:
    explicit CBoolAtom(bool value);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    bool value;

private:
    CBoolValue m_value;
};

class CCharAtom : public CTermNode {
public:
    explicit CCharAtom(char value);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    char value;

private:
    CCharValue m_value;
};

// What an identifier names never changes once the program is translated, so Prepare
// walks the lookup order once and keeps its outcome: which step decides, and where a
// computed value lives (a slot of the frames of the defining scope).
class CIdentifierNode : public CTermNode {
public:
    // The text is borrowed, as a node's name is (values/NodeBase.h).
    CIdentifierNode(CNode* owner, std::string_view text);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    void Prepare() override;
    // For an identifier with namesValue: the argument, or the named value computed already
    // in the running evaluation of its scope; null when Eval has more to do.
    CValue* Known(CValue* input, CRunContext& run) const;
    // What a prepared identifier names, for the compiled form of functions: the argument,
    // or the slot of a named value that scope's frames keep (-1 for anything else).
    bool NamesArgument() const { return m_resolved.meaning == Meaning::Argument; }
    int ValueSlotIn(const CBlockNode* scope) const {
        return m_resolved.meaning == Meaning::Value && m_resolved.scope == scope ? m_resolved.slot
                                                                                 : -1;
    }
    std::string_view text;

private:
    enum class Meaning : std::uint8_t {
        Unresolved,
        Argument,  // the parameter of the enclosing top-level function
        Function,  // a name of the function table
        Type,      // a name of the types table
        Overloads, // an overloaded function
        Value      // a named expression of an enclosing scope or a constant, or nothing
    };
    // Fields by meaning: a Value uses definition, scope and slot; a Function or a Type
    // keeps the node it names in definition; Overloads uses overloads. The definition that
    // contains the identifier, needed by error messages only, is found again there.
    struct Resolution {
        Meaning meaning = Meaning::Unresolved;
        int slot = -1;
        CNode* definition = nullptr; // what a Value evaluates when it is not computed yet
        union {
            CBlockNode* scope = nullptr; // whose frames keep a Value, or null
            const OverloadList* overloads;
        };
    };
    Resolution Resolve() const;
    void ResolveValue(CNode* module, Resolution& found) const;
    bool EvalResolved(const Resolution& found, CValue* input, CValue** out, CRunContext& run,
                      CInterpreter* interp) const;
    bool EvalValue(const Resolution& found, CValue* input, CValue** out, CRunContext& run,
                   CInterpreter* interp) const;
    bool NotFound() const;

    CNode* TopLevel() const;

    Resolution m_resolved;                        // settled by Prepare
    CRefValue m_reference{kKindFuncRef, nullptr}; // the value of a Function or Type
};

class CListNode : public CTermNode {
public:
    explicit CListNode(std::int32_t kind);
    void Add(CNode* child) override;
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    bool IsList() const override;
    void Prepare() override;

    // Where Prepare takes the memory of a constant value: the heap unless set, or memory
    // that outlives the node and is freed only as a whole (the parser's node store).
    void UseMemory(std::pmr::memory_resource* memory) { m_pMemory = memory; }

    CNodeList elements;
    std::int32_t kind; // kKindDataList, kKindParList or kKindDelayList

private:
    bool KeepsDelayedTerm() const { return kind == kKindDelayList && elements.size() == 1; }
    void KeepAsConstant();
    std::byte* TakeStorage(std::size_t bytes);

    // A data or parallel list whose elements are all constant is itself constant: its
    // value and element array live here, made when the tree is prepared; so does the value
    // of a delay list of one term. Most lists are neither, so the node holds no value of
    // its own.
    std::unique_ptr<std::byte[]> m_constantStorage; // from the heap
    std::pmr::memory_resource* m_pMemory = nullptr;
};

class CKeywordNode : public CTermNode {
public:
    explicit CKeywordNode(std::int32_t code);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    std::int32_t code;

private:
    CSignValue m_value;
};
