#pragma once
// The program model: a tree of nodes built by the parser and walked by the interpreter.
// The parser owns every node; every pointer between nodes is borrowed. What the evaluation
// would otherwise find out at a node's first evaluation (what a name means, which nodes
// are constant, the numbers of the scopes) is settled by Prepare when translation ends;
// after that the tree never changes, and any number of runs may read it at once. Whatever
// a run changes (the values of named expressions) lives in its CRunContext. A node that
// was never prepared is still evaluated correctly, finding out what it needs each time.

#include "model/NodeList.h"
#include "values/NodeBase.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CValue;
class CBlockNode;
class CModuleNode;
class CInterpreter;
class CRunContext;

// A form of a node's evaluation that a layer above attaches once the tree is prepared and
// before any run (the interpreter's compiled integer functions); the node owns it.
class CCompiledForm {
public:
    virtual ~CCompiledForm() = default;
};

class CNode : public CNodeBase {
public:
    // Inline, so that a node's class word is copied with its length known.
    explicit CNode(CNode* owner = nullptr, std::string_view name = {})
        : CNodeBase(name), owner(owner) {}

    virtual ~CNode();
    virtual void Add(CNode* child);
    virtual void AddNamed(const std::string& name, CNode* node);
    virtual CNode* FindNamed(const std::string& name);
    // Evaluates the node on the input value of the running function into *out, in run.
    // True on success; a false status still stores a result (normally an error value).
    virtual bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp);
    virtual void Reserved(void* unused);
    // Settles this node's and its children's run-time facts; calling it again changes
    // nothing (nor writes anything). Children first: a node's facts may depend on theirs.
    // Never during a run.
    virtual void Prepare();
    virtual bool IsList() const;
    virtual bool IsFunction() const;
    // This node as a scope (block, function or module) or as the module, or null: cheaper
    // than a dynamic_cast where the translation asks for every name.
    virtual CBlockNode* AsBlock();
    virtual CModuleNode* AsModule();

    // First, so that it takes the bytes after the name's length instead of eight of its own.
    bool prepared = false;
    // A prepared identifier of the argument or of a named value: the evaluation of terms
    // takes a value it has already without a call (CIdentifierNode::Known).
    bool namesValue = false;
    CNode* owner; // the enclosing scope (block, function or module), or null
    // For a node whose every evaluation yields an equal value (an atom, a keyword, a name
    // of the function table): one such value, which the evaluation of an expression or a
    // list may take instead of evaluating the node. It lives as long as the node. Values
    // never change, so nothing can tell it from a fresh one.
    CValue* constant = nullptr;
    // A node whose evaluation is also this node's, for the evaluation of terms and list
    // elements to go to directly: an expression of one term names its term here.
    CNode* sameAs = nullptr;
};

// A sequence of terms applied left to right with ":".
class CExpressionNode : public CNode {
public:
    explicit CExpressionNode(CNode* owner);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    void Prepare() override;

    void AppendTerm(CNode* term) { terms.push_back(term); }
    // For a prefixed term ("f ^ x"): it goes just before the last term.
    void InsertBeforeLast(CNode* term);

    CNodeList terms;
    int line = 0; // source line where the expression starts (for the debugger's marker)

    // What the first applications are, found by Prepare: a pair literal given to an
    // arithmetic or comparison sign needs no list when both elements are numbers or
    // characters, nor one given to "%" and then an index of the quotient or the remainder
    // (`(a, b) : % : 2`) when both are integers; a choice among delayed terms forced at
    // once (`({a}, {b}) : k : .`) evaluates the chosen term only.
    enum class Shape : std::uint8_t { Unknown, General, PairOperation, PairDivision, Choice };
    Shape ShapeOf() const { return m_shape; }

private:
    Shape Classify() const;
    bool EvalPairElements(CValue* input, CValue** a, CValue** b, CRunContext& run,
                          CInterpreter* interp);
    bool EvalPairOperation(CValue* input, CValue** v, CRunContext& run, CInterpreter* interp);
    // *next: the first term still to apply.
    bool EvalPairDivision(CValue* input, CValue** v, std::size_t* next, CRunContext& run,
                          CInterpreter* interp);
    bool ApplyToPairList(CValue* a, CValue* b, CValue* input, CValue** v, CRunContext& run,
                         CInterpreter* interp);
    bool EvalChoice(CValue* input, CValue** v, CRunContext& run, CInterpreter* interp);
    bool ZipPairs(const CValue* v, CValue** out, const CRunContext& run) const;

    Shape m_shape = Shape::Unknown;
    // Where `: # : [] : op` pairs two lists element by element and applies a sign to each
    // pair (op as for the pair literal): the position of "#" among the terms, or 0.
    std::size_t m_nZipAt = 0;
};

class CTermNode : public CNode {
public:
    explicit CTermNode(CNode* owner = nullptr, std::string_view name = {}) : CNode(owner, name) {}
    void Prepare() override;
    CNode* alternative = nullptr; // the term after "else"
};
