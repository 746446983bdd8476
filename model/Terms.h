#pragma once
// The term nodes: atoms, keywords, identifiers and list literals.

#include "model/Node.h"

class CSignAtom : public CTermNode {
public:
    explicit CSignAtom(std::int32_t code);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t code;
};

class CIntAtom : public CTermNode {
public:
    explicit CIntAtom(std::int32_t value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t value;
};

class CRealAtom : public CTermNode {
public:
    explicit CRealAtom(float value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    float value;
};

class CBoolAtom : public CTermNode {
public:
    explicit CBoolAtom(bool value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool value;
};

class CCharAtom : public CTermNode {
public:
    explicit CCharAtom(char value);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    char value;
};

class CIdentifierNode : public CTermNode {
public:
    CIdentifierNode(CNode* owner, const Token& token);
    CIdentifierNode(CNode* owner, std::string text);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::string text;
};

class CListNode : public CTermNode {
public:
    explicit CListNode(std::int32_t kind);
    void Add(CNode* child) override;
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool IsList() const override;

    std::vector<CNode*> elements;
    std::int32_t kind; // 36 data, 37 parallel, 38 delay
};

class CKeywordNode : public CTermNode {
public:
    explicit CKeywordNode(const Token& token);
    explicit CKeywordNode(std::int32_t code);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    std::int32_t code;
};
