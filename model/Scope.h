#pragma once
// The scope nodes: block, function and module, with their name tables and value frames.
// Tables are walked in unsigned byte order (model/NameTable.h); that order is visible to
// users: named expressions run in it, the IDE lists it.

#include "model/NameTable.h"
#include "model/Node.h"

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>

using NameTable = CNameTable<CNode*>;

class CBlockNode;
class CModuleNode;

// The values computed in the evaluations of one scope that are in progress in one run: one
// frame per evaluation, the newest on top. The tables never change after translation, so a
// frame is a row of slots, one per name of the scope's table in the table's order (an
// empty slot: not computed yet), and a name's slot is found once (CBlockNode::SlotOf), not
// looked up at every use. The operations read like a vector of frames.
class CValueFrames {
public:
    // outer: the frames of the same scope in the run whose parallel list this thread
    // evaluates a share of (CRunFrames below); their top frame is this one's while this
    // has none of its own.
    CValueFrames(const CBlockNode* scope, std::size_t width, CValueFrames* outer = nullptr)
        : m_pScope(scope), m_nWidth(width), m_pOuter(outer) {}

    void emplace_back(); // pushes an empty frame
    void pop_back() {
        m_nUsed = m_tops.back().base;
        m_tops.pop_back();
    }
    bool empty() const { return m_tops.empty(); }
    std::size_t size() const { return m_tops.size(); }
    const CBlockNode* Scope() const { return m_pScope; }

    // How many regions (calls and spreads, CRegion) were open when the top frame was pushed.
    int TopDepth() const { return m_tops.back().depth; }
    // Whether the top frame is one of these frames' own, not the outer frames' top.
    bool OwnsTop() const { return !m_tops.empty(); }
    CValueFrames* Outer() const { return m_pOuter; }
    void SetOuter(CValueFrames* outer) { m_pOuter = outer; }
    // The top frame's slot index, or null when there is no frame or no such slot. Good
    // until the next push on these frames.
    CValue** TopSlot(int index) {
        if (m_tops.empty())
            return m_pOuter != nullptr ? m_pOuter->TopSlot(index) : nullptr;
        const std::size_t at = m_tops.back().base + static_cast<std::size_t>(index);
        return index >= 0 && at < m_nUsed ? &m_slots[at] : nullptr;
    }

private:
    const CBlockNode* m_pScope;
    std::size_t m_nWidth;
    CValueFrames* m_pOuter; // read only, while this thread evaluates its share
    // The slots of all frames, the top frame's last; only the first m_nUsed are in use.
    std::vector<CValue*> m_slots;
    std::size_t m_nUsed = 0;
    struct Top {
        std::size_t base; // where the frame's slots begin
        int depth;
    };
    std::vector<Top> m_tops;
};

// The value frames of every scope for one run. A prepared module numbers its scopes
// (CBlockNode::frameIndex), so that a scope's frames are found by index; a scope outside
// the module's tree (the argument's own) gets its frames when first asked for.
class CRunFrames {
public:
    // Prepares a module that was not prepared yet (a tree built by hand): call it before
    // any run of that module starts.
    explicit CRunFrames(CModuleNode* module = nullptr);
    // The frames of one thread's share of a parallel list of outer's run: the frames in
    // progress in outer are seen through (read only: outer waits meanwhile), and the
    // frames this thread pushes are its own.
    explicit CRunFrames(CRunFrames& outer);
    CRunFrames(const CRunFrames&) = delete;
    CRunFrames& operator=(const CRunFrames&) = delete;

    CValueFrames& Of(const CBlockNode& scope);

private:
    CValueFrames& Unnumbered(const CBlockNode& scope);

    std::vector<CValueFrames> m_frames; // by frameIndex
    std::deque<CValueFrames> m_unnumbered;
    CRunFrames* m_pOuter = nullptr;
};

class CBlockNode : public CTermNode {
public:
    explicit CBlockNode(CNode* owner);
    void Add(CNode* child) override;
    void AddNamed(const std::string& name, CNode* node) override;
    CNode* FindNamed(const std::string& name) override;
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    void Prepare() override;
    CBlockNode* AsBlock() override { return this; }
    // A value already computed under name in the running evaluation of this scope or of an
    // enclosing one.
    virtual bool LookupValue(CRunFrames& frames, const std::string& name, CValue** out);
    // Stores value in the frame of the scope that defines name.
    virtual void StoreValue(CRunFrames& frames, const std::string& name, CValue* value);

    CNodeList unnamed;
    NameTable named;
    // The scope's number among the scopes of its module (CRunFrames), or -1.
    int frameIndex = -1;

    // The names whose values the frames of this scope keep: the named table (the module:
    // its constants). The slot of a name, or -1.
    const NameTable& ValueNames() const { return *m_pValueNames; }
    int SlotOf(std::string_view name) const;
    // The slot of the result ("return" of a function, "break" of a block), or -1.
    int ResultSlot(const char* resultName) const {
        return prepared ? m_nResultSlot : SlotOf(resultName);
    }
    // The nodes of the named table in its order, which is also the order of their slots
    // (prepared scopes only).
    const CNodeList& NamedNodes() const { return m_namedNodes; }

protected:
    void PrepareBody(const char* resultName);
    const NameTable* m_pValueNames = &named;

private:
    int m_nResultSlot = -1;
    CNodeList m_namedNodes; // most scopes name a few nodes: they live in the node itself
};

class CFunctionNode : public CBlockNode {
public:
    explicit CFunctionNode(CNode* owner);
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    bool IsFunction() const override;
    void Prepare() override;

    std::string argName;
    std::int32_t firstLine = 0;
    std::int32_t lastLine = 0;
    // Attached once before the module's first run, or null: the general path only.
    std::unique_ptr<CCompiledForm> compiled;
};

// Overloads of one name, sorted by ascending index; equal indexes keep the order of adding.
using OverloadList = std::vector<std::pair<float, CNode*>>;

class CModuleNode : public CBlockNode {
public:
    CModuleNode();
    void AddNamed(const std::string& name, CNode* node) override;
    CNode* FindNamed(const std::string& name) override;
    bool Eval(CValue* input, CValue** out, CRunContext& run, CInterpreter* interp) override;
    // Prepares every definition of the module and numbers its scopes: called once the
    // program is translated, before any run.
    void Prepare() override;
    CModuleNode* AsModule() override { return this; }
    bool LookupValue(CRunFrames& frames, const std::string& name, CValue** out) override;
    void StoreValue(CRunFrames& frames, const std::string& name, CValue* value) override;
    virtual void AddOverload(std::pair<std::string, CNode*> entry, float index);

    void AddConstant(const std::string& name, CNode* node);
    void AddType(const std::string& name, CNode* node);
    // The run entry: evaluates function name on input with a fresh frame for constants.
    bool Run(std::string name, CValue* input, CValue** out, CRunContext& run, CInterpreter* interp);

    NameTable constants;
    NameTable types;
    std::map<std::string, OverloadList> overloads;

    // The scopes numbered by Prepare, by frameIndex.
    const std::vector<CBlockNode*>& Scopes() const { return m_scopes; }
    // Numbers a scope of this module's tree (Prepare).
    void NumberScope(CBlockNode* scope);
    // Guards the attachment of the functions' compiled forms: once, whichever run comes first.
    std::once_flag compileOnce;

private:
    // Keeps a definition entered in the tables, for Prepare's walk.
    void Remember(CNode* definition) {
        if (definition != nullptr && (m_definitions.empty() || m_definitions.back() != definition))
            m_definitions.push_back(definition);
    }

    std::vector<CBlockNode*> m_scopes;
    // The definitions entered through AddNamed, AddConstant, AddType and AddOverload, in the
    // order they came, which is the order of the text (a definition of several names may
    // come more than once).
    std::vector<CNode*> m_definitions;
};

// Pushes an empty frame for one evaluation and removes it again, also when an exception
// passes through.
class CFrameGuard {
public:
    explicit CFrameGuard(CValueFrames& frames) : m_frames(frames) { m_frames.emplace_back(); }
    ~CFrameGuard() { m_frames.pop_back(); }
    CFrameGuard(const CFrameGuard&) = delete;
    CFrameGuard& operator=(const CFrameGuard&) = delete;

private:
    CValueFrames& m_frames;
};

inline CValueFrames& CRunFrames::Of(const CBlockNode& scope) {
    // -1 turns into an index past every scope.
    const auto index = static_cast<std::size_t>(scope.frameIndex);
    if (index < m_frames.size() && m_frames[index].Scope() == &scope)
        return m_frames[index];
    return Unnumbered(scope);
}

// The function that encloses node: the first node with IsFunction() on its owner chain.
CFunctionNode* EnclosingFunction(CNode* node);
