#pragma once
// The scope nodes: block, function and module, with their name tables and value frames.
// Tables are ordered maps in unsigned byte order (std::string compares bytes as unsigned
// char); that order is visible to users: named expressions run in it, the IDE lists it.

#include "model/Node.h"

#include <map>
#include <utility>

// The values computed in one evaluation of a scope, by name. Borrowed pointers.
using ValueFrame = std::map<std::string, CValue*>;

class CBlockNode : public CTermNode {
public:
    explicit CBlockNode(CNode* owner);
    void Add(CNode* child) override;
    void AddNamed(const std::string& name, CNode* node) override;
    CNode* FindNamed(const std::string& name) override;
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    // A value already computed under name in the running evaluation of this scope or of an
    // enclosing one.
    virtual bool LookupValue(const std::string& name, CValue** out);
    // Stores value in the frame of the scope that defines name.
    virtual void StoreValue(const std::string& name, CValue* value);

    std::vector<ValueFrame> frames;
    std::vector<CNode*> unnamed;
    std::map<std::string, CNode*> named;
};

class CFunctionNode : public CBlockNode {
public:
    explicit CFunctionNode(CNode* owner);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool IsFunction() const override;

    std::string argName;
    std::int32_t firstLine = 0;
    std::int32_t lastLine = 0;
};

// Overloads of one name, sorted by ascending index; equal indexes keep the order of adding.
using OverloadList = std::vector<std::pair<float, CNode*>>;

class CModuleNode : public CBlockNode {
public:
    CModuleNode();
    void AddNamed(const std::string& name, CNode* node) override;
    CNode* FindNamed(const std::string& name) override;
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool LookupValue(const std::string& name, CValue** out) override;
    void StoreValue(const std::string& name, CValue* value) override;
    virtual void AddOverload(std::pair<std::string, CNode*> entry, float index);

    void AddConstant(const std::string& name, CNode* node);
    void AddType(const std::string& name, CNode* node);
    // The run entry: evaluates function name on input with a fresh frame for constants.
    bool Run(std::string name, CValue* input, CValue** out, bool* debug, CInterpreter* interp);

    std::map<std::string, CNode*> constants;
    std::map<std::string, CNode*> types;
    std::map<std::string, OverloadList> overloads;
};

// Pushes an empty frame for one evaluation and removes it again, also when an exception
// passes through.
class CFrameGuard {
public:
    explicit CFrameGuard(std::vector<ValueFrame>& frames) : m_frames(frames) {
        m_frames.emplace_back();
    }
    ~CFrameGuard() { m_frames.pop_back(); }
    CFrameGuard(const CFrameGuard&) = delete;
    CFrameGuard& operator=(const CFrameGuard&) = delete;

private:
    std::vector<ValueFrame>& m_frames;
};

// The function that encloses node: the first node with IsFunction() on its owner chain.
CFunctionNode* EnclosingFunction(CNode* node);
