#pragma once
// The scope nodes: block, function and module, with their name tables and value frames.
// Tables are ordered maps in unsigned byte order (std::string compares bytes as unsigned
// char); that order is visible to users: named expressions run in it, the IDE lists it.

#include "model/Node.h"

#include <cstddef>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

using NameTable = std::map<std::string, CNode*>;

// The values computed in the evaluations of one scope that are in progress: one frame per
// evaluation, the newest on top. The tables never change after translation, so a frame is
// a row of slots, one per name of the scope's table in the table's order (an empty slot:
// not computed yet), and a name's slot is found once, not looked up at every use.
// Borrowed pointers. The operations read like a vector of frames; back() is the top frame
// by name, for the few callers that go by name.
class CValueFrames {
public:
    class CFrame;

    explicit CValueFrames(const NameTable* names) : m_pNames(names) {}
    void SetNames(const NameTable* names) { m_pNames = names; }

    void emplace_back(); // pushes an empty frame
    void pop_back() {
        m_nUsed = m_tops.back().base;
        m_tops.pop_back();
    }
    bool empty() const { return m_tops.empty(); }
    std::size_t size() const { return m_tops.size(); }
    CFrame back();

    // Slot index of a name of the table, or -1.
    int IndexOf(const std::string& name) const;
    // Indexes a large table's names, so that IndexOf need not count its way along the
    // table to a name. Called once the table is complete (Prepare); a table that grows
    // afterwards is counted along again.
    void IndexNames();
    // How many regions (calls and spreads, CRegion) were open when the top frame was pushed.
    int TopDepth() const { return m_tops.back().depth; }
    // The top frame's slot index, or null when there is no frame or the frame is older
    // than the name. Good until the next push on these frames.
    CValue** TopSlot(int index) {
        if (m_tops.empty())
            return nullptr;
        const std::size_t at = m_tops.back().base + static_cast<std::size_t>(index);
        return index >= 0 && at < m_nUsed ? &m_slots[at] : nullptr;
    }

private:
    const NameTable* m_pNames;
    std::unordered_map<std::string_view, int> m_index; // keys are the table's own strings
    // The slots of all frames, the top frame's last; only the first m_nUsed are in use.
    std::vector<CValue*> m_slots;
    std::size_t m_nUsed = 0;
    struct Top {
        std::size_t base; // where the frame's slots begin
        int depth;
    };
    std::vector<Top> m_tops;
};

// The top frame of a scope, by name. A name the table does not have is never held: it
// reads as absent and a store to it goes nowhere.
class CValueFrames::CFrame {
public:
    CFrame(CValueFrames& frames) : m_frames(frames) {}
    std::size_t count(const std::string& name) const;
    CValue*& operator[](const std::string& name);

private:
    CValueFrames& m_frames;
    CValue* m_pNowhere = nullptr;
};

class CBlockNode : public CTermNode {
public:
    explicit CBlockNode(CNode* owner);
    void Add(CNode* child) override;
    void AddNamed(const std::string& name, CNode* node) override;
    CNode* FindNamed(const std::string& name) override;
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    void Prepare() override;
    // A value already computed under name in the running evaluation of this scope or of an
    // enclosing one.
    virtual bool LookupValue(const std::string& name, CValue** out);
    // Stores value in the frame of the scope that defines name.
    virtual void StoreValue(const std::string& name, CValue* value);

    CValueFrames frames{&named};
    std::vector<CNode*> unnamed;
    NameTable named;

    // The slot of the result ("return" of a function, "break" of a block), or -1. Found by
    // Prepare, or at the first evaluation of a scope that was never prepared.
    int ResultSlot(const char* resultName);
    // The nodes of the named table in its order, which is also the order of their slots.
    const std::vector<CNode*>& NamedNodes();

protected:
    void PrepareBody(const char* resultName);

private:
    int m_nResultSlot = -2; // -2: not looked for yet
    std::vector<CNode*> m_namedNodes;
};

class CFunctionNode : public CBlockNode {
public:
    explicit CFunctionNode(CNode* owner);
    bool Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) override;
    bool IsFunction() const override;
    void Prepare() override;

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
    // Prepares every definition of the module: called once the program is translated.
    void Prepare() override;
    bool LookupValue(const std::string& name, CValue** out) override;
    void StoreValue(const std::string& name, CValue* value) override;
    virtual void AddOverload(std::pair<std::string, CNode*> entry, float index);

    void AddConstant(const std::string& name, CNode* node);
    void AddType(const std::string& name, CNode* node);
    // The run entry: evaluates function name on input with a fresh frame for constants.
    bool Run(std::string name, CValue* input, CValue** out, bool* debug, CInterpreter* interp);

    NameTable constants;
    NameTable types;
    std::map<std::string, OverloadList> overloads;
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

// The function that encloses node: the first node with IsFunction() on its owner chain.
CFunctionNode* EnclosingFunction(CNode* node);
