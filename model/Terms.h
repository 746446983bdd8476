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
#include <vector>

// The program node a value denotes, or null: the node of a reference, or for a list whose
// every element denotes one a new list node of the same kind with those terms, owned by the
// current arena.
CNode* TermOf(const CValue* value);

class CSignAtom : public CTermNode {
public:
    explicit CSignAtom(std::int32_t code);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t code;

private:
    CSignValue m_value;
};

class CIntAtom : public CTermNode {
public:
    explicit CIntAtom(std::int32_t value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t value;

private:
    CIntValue m_value;
};

class CRealAtom : public CTermNode {
public:
    explicit CRealAtom(float value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    float value;

private:
    CRealValue m_value;
};

class CBoolAtom : public CTermNode {
public:
    explicit CBoolAtom(bool value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool value;

private:
    CBoolValue m_value;
};

class CCharAtom : public CTermNode {
public:
    explicit CCharAtom(char value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    char value;

private:
    CCharValue m_value;
};

// What an identifier names never changes once the program is translated, so the lookup
// order is walked once, at the first evaluation, and its outcome kept: which step
// decides, and where a computed value lives (a slot of the frames of the defining scope).
class CIdentifierNode : public CTermNode {
public:
    CIdentifierNode(CNode* owner, std::string text);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    void Prepare() override;
    std::string text;

private:
    enum class Meaning : std::uint8_t {
        Unresolved,
        Argument,  // the parameter of the enclosing top-level function
        Function,  // a name of the function table
        Type,      // a name of the types table
        Overloads, // an overloaded function
        Value      // a named expression of an enclosing scope or a constant, or nothing
    };
    void Resolve();
    void ResolveValue(CNode* module);
    bool EvalValue(CValue* input, CValue** out, bool* debug, CInterpreter* interp);
    bool NotFound() const;

    Meaning m_meaning = Meaning::Unresolved;
    CNode* m_pTopLevel = nullptr;      // the definition that contains the identifier
    CNode* m_pDefinition = nullptr;    // what a Value evaluates when it is not computed yet
    CValueFrames* m_pFrames = nullptr; // where a Value is kept, or null
    int m_nSlot = -1;
    const OverloadList* m_pOverloads = nullptr;
    CRefValue m_reference{kKindFuncRef, nullptr}; // the value of a Function or Type
};

class CListNode : public CTermNode {
public:
    explicit CListNode(std::int32_t kind);
    void Add(CNode* child) override;
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool IsList() const override;
    void Prepare() override;

    std::vector<CNode*> elements;
    std::int32_t kind; // kKindDataList, kKindParList or kKindDelayList

private:
    bool KeepsDelayedTerm() const { return kind == kKindDelayList && elements.size() == 1; }
    void KeepAsConstant();

    CRefValue m_delayed{kKindDelayed, nullptr}; // the value of a delay list of one term
    // A data or parallel list whose elements are all constant is itself constant: its
    // value and element array live here, made when the tree is prepared (or, in a tree
    // never prepared, after the first evaluation).
    std::unique_ptr<std::byte[]> m_constantStorage;
};

class CKeywordNode : public CTermNode {
public:
    explicit CKeywordNode(std::int32_t code);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t code;

private:
    CSignValue m_value;
};
