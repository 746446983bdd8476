#include "model/Scope.h"

#include "values/Reclaim.h"

#include <algorithm>
#include <iterator>

void CValueFrames::emplace_back() {
    const std::size_t width = m_pNames->size();
    m_tops.push_back({m_nUsed, CCallRegion::CurrentDepth()});
    if (m_slots.size() < m_nUsed + width)
        m_slots.resize(2 * (m_nUsed + width));
    std::fill_n(m_slots.begin() + static_cast<std::ptrdiff_t>(m_nUsed), width, nullptr);
    m_nUsed += width;
}

CValueFrames::CFrame CValueFrames::back() {
    return CFrame(*this);
}

int CValueFrames::IndexOf(const std::string& name) const {
    if (!m_index.empty() && m_index.size() == m_pNames->size()) {
        auto found = m_index.find(name);
        return found != m_index.end() ? found->second : -1;
    }
    auto it = m_pNames->find(name);
    if (it == m_pNames->end())
        return -1;
    return static_cast<int>(std::distance(m_pNames->begin(), it));
}

void CValueFrames::IndexNames() {
    // Counting along a few names is as quick as hashing one.
    constexpr std::size_t kSmallTable = 16;
    m_index.clear();
    if (m_pNames->size() <= kSmallTable)
        return;
    m_index.reserve(m_pNames->size());
    int index = 0;
    for (const auto& entry : *m_pNames)
        m_index.emplace(entry.first, index++);
}

std::size_t CValueFrames::CFrame::count(const std::string& name) const {
    CValue** slot = m_frames.TopSlot(m_frames.IndexOf(name));
    return slot != nullptr && *slot != nullptr ? 1 : 0;
}

CValue*& CValueFrames::CFrame::operator[](const std::string& name) {
    CValue** slot = m_frames.TopSlot(m_frames.IndexOf(name));
    return slot != nullptr ? *slot : m_pNowhere;
}

CBlockNode::CBlockNode(CNode* owner) : CTermNode(owner, "block") {
}

void CBlockNode::Add(CNode* child) {
    unnamed.push_back(child);
}

void CBlockNode::AddNamed(const std::string& name, CNode* node) {
    named.emplace(name, node);
}

CNode* CBlockNode::FindNamed(const std::string& name) {
    auto it = named.find(name);
    if (it != named.end())
        return it->second;
    return owner ? owner->FindNamed(name) : nullptr;
}

bool CBlockNode::LookupValue(const std::string& name, CValue** out) {
    const int index = frames.IndexOf(name);
    if (CValue** slot = frames.TopSlot(index); slot != nullptr && *slot != nullptr) {
        *out = *slot;
        return true;
    }
    // Defined here but not computed yet in this evaluation: an outer value must not shadow it.
    if (index >= 0)
        return false;
    // Scopes are owned by scopes: blocks, functions and, at the top, the module.
    return owner ? static_cast<CBlockNode*>(owner)->LookupValue(name, out) : false;
}

void CBlockNode::StoreValue(const std::string& name, CValue* value) {
    const int index = frames.IndexOf(name);
    if (index >= 0) {
        if (CValue** slot = frames.TopSlot(index))
            *slot = value;
        return;
    }
    if (owner)
        static_cast<CBlockNode*>(owner)->StoreValue(name, value);
}

const std::vector<CNode*>& CBlockNode::NamedNodes() {
    if (m_namedNodes.size() != named.size()) {
        m_namedNodes.clear();
        for (const auto& entry : named)
            m_namedNodes.push_back(entry.second);
    }
    return m_namedNodes;
}

int CBlockNode::ResultSlot(const char* resultName) {
    if (m_nResultSlot == -2)
        m_nResultSlot = frames.IndexOf(resultName);
    return m_nResultSlot;
}

void CBlockNode::PrepareBody(const char* resultName) {
    frames.IndexNames();
    CTermNode::Prepare();
    for (const auto& entry : named)
        entry.second->Prepare();
    for (CNode* node : unnamed)
        node->Prepare();
    NamedNodes();
    ResultSlot(resultName);
}

void CBlockNode::Prepare() {
    PrepareBody("break");
}

void CFunctionNode::Prepare() {
    PrepareBody("return");
}

CFunctionNode::CFunctionNode(CNode* owner) : CBlockNode(owner) {
    name = "function";
}

bool CFunctionNode::IsFunction() const {
    return true;
}

// The module's frames keep the values of constants.
CModuleNode::CModuleNode() : CBlockNode(nullptr) {
    name = "module";
    frames.SetNames(&constants);
}

void CModuleNode::AddNamed(const std::string& name, CNode* node) {
    named[name] = node;
}

CNode* CModuleNode::FindNamed(const std::string& name) {
    auto it = constants.find(name);
    return it != constants.end() ? it->second : nullptr;
}

bool CModuleNode::Eval(CValue*, CValue**, bool*, CInterpreter*) {
    return false;
}

void CModuleNode::Prepare() {
    frames.IndexNames();
    for (const auto& entry : named) {
        if (entry.second != nullptr)
            entry.second->Prepare();
    }
    for (const NameTable* table : {&constants, &types}) {
        for (const auto& entry : *table)
            entry.second->Prepare();
    }
    for (const auto& entry : overloads) {
        for (const auto& variant : entry.second)
            variant.second->Prepare();
    }
}

bool CModuleNode::LookupValue(const std::string& name, CValue** out) {
    CValue** slot = frames.TopSlot(frames.IndexOf(name));
    if (slot == nullptr || *slot == nullptr)
        return false;
    *out = *slot;
    return true;
}

void CModuleNode::StoreValue(const std::string& name, CValue* value) {
    if (CValue** slot = frames.TopSlot(frames.IndexOf(name)))
        *slot = value;
}

void CModuleNode::AddOverload(std::pair<std::string, CNode*> entry, float index) {
    OverloadList& list = overloads[entry.first];
    // After every entry with an index not above this one: equal indexes keep their order.
    auto at = std::upper_bound(list.begin(), list.end(), index,
                               [](float value, const auto& item) { return value < item.first; });
    list.insert(at, {index, entry.second});
}

void CModuleNode::AddConstant(const std::string& name, CNode* node) {
    constants.emplace(name, node);
}

void CModuleNode::AddType(const std::string& name, CNode* node) {
    types.emplace(name, node);
}

bool CModuleNode::Run(std::string name, CValue* input, CValue** out, bool* debug,
                      CInterpreter* interp) {
    CFrameGuard frame(frames);
    auto it = named.find(name);
    if (it == named.end() || it->second == nullptr)
        return false;
    return it->second->Eval(input, out, debug, interp);
}

CFunctionNode* EnclosingFunction(CNode* node) {
    for (CNode* scope = node ? node->owner : nullptr; scope; scope = scope->owner) {
        if (scope->IsFunction())
            return static_cast<CFunctionNode*>(scope);
    }
    return nullptr;
}
