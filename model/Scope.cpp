#include "model/Scope.h"

#include "values/Reclaim.h"

#include <algorithm>

void CValueFrames::emplace_back() {
    m_tops.push_back({m_nUsed, CCallRegion::CurrentDepth()});
    if (m_slots.size() < m_nUsed + m_nWidth)
        m_slots.resize(2 * (m_nUsed + m_nWidth));
    std::fill_n(m_slots.begin() + static_cast<std::ptrdiff_t>(m_nUsed), m_nWidth, nullptr);
    m_nUsed += m_nWidth;
}

CRunFrames::CRunFrames(CModuleNode* module) {
    if (module == nullptr)
        return;
    if (!module->prepared)
        module->Prepare();
    m_frames.reserve(module->Scopes().size());
    for (const CBlockNode* scope : module->Scopes())
        m_frames.emplace_back(scope, scope->ValueNames().size());
}

CRunFrames::CRunFrames(CRunFrames& outer) : m_pOuter(&outer) {
    m_frames.reserve(outer.m_frames.size());
    for (CValueFrames& frames : outer.m_frames)
        m_frames.emplace_back(frames.Scope(), frames.Scope()->ValueNames().size(), &frames);
}

// A share of a parallel list finds the outer run's frames of the scope without making
// them: the outer run's frames are not this thread's to change.
CValueFrames& CRunFrames::Unnumbered(const CBlockNode& scope) {
    auto findIn = [&](std::deque<CValueFrames>& list) -> CValueFrames* {
        for (CValueFrames& frames : list) {
            if (frames.Scope() == &scope)
                return &frames;
        }
        return nullptr;
    };
    CValueFrames* own = findIn(m_unnumbered);
    if (own == nullptr)
        own = &m_unnumbered.emplace_back(&scope, scope.ValueNames().size());
    if (m_pOuter != nullptr && own->Outer() == nullptr)
        own->SetOuter(findIn(m_pOuter->m_unnumbered));
    return *own;
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

int CBlockNode::SlotOf(std::string_view name) const {
    // The walk first: it sorts a table still being built, which moves its names.
    const auto first = m_pValueNames->begin();
    const auto it = m_pValueNames->find(name);
    return it != m_pValueNames->end() ? static_cast<int>(it - first) : -1;
}

bool CBlockNode::LookupValue(CRunFrames& frames, const std::string& name, CValue** out) {
    const int index = SlotOf(name);
    if (CValue** slot = frames.Of(*this).TopSlot(index); slot != nullptr && *slot != nullptr) {
        *out = *slot;
        return true;
    }
    // Defined here but not computed yet in this evaluation: an outer value must not shadow it.
    if (index >= 0)
        return false;
    // Scopes are owned by scopes: blocks, functions and, at the top, the module.
    return owner ? static_cast<CBlockNode*>(owner)->LookupValue(frames, name, out) : false;
}

void CBlockNode::StoreValue(CRunFrames& frames, const std::string& name, CValue* value) {
    const int index = SlotOf(name);
    if (index >= 0) {
        if (CValue** slot = frames.Of(*this).TopSlot(index))
            *slot = value;
        return;
    }
    if (owner)
        static_cast<CBlockNode*>(owner)->StoreValue(frames, name, value);
}

void CBlockNode::PrepareBody(const char* resultName) {
    if (prepared)
        return;
    prepared = true;
    CTermNode::Prepare();
    for (const auto& entry : named)
        entry.second->Prepare();
    for (CNode* node : unnamed)
        node->Prepare();
    for (const auto& entry : named)
        m_namedNodes.push_back(entry.second);
    m_nResultSlot = SlotOf(resultName);
    // Scopes are owned by scopes: blocks, functions and, at the top, the module.
    CNode* top = this;
    while (top->owner != nullptr)
        top = top->owner;
    if (CModuleNode* module = top->AsModule())
        module->NumberScope(this);
}

void CBlockNode::Prepare() {
    PrepareBody("break");
}

void CFunctionNode::Prepare() {
    PrepareBody("return");
}

CFunctionNode::CFunctionNode(CNode* owner) : CBlockNode(owner) {
    SetName("function");
}

bool CFunctionNode::IsFunction() const {
    return true;
}

// The module's frames keep the values of constants.
CModuleNode::CModuleNode() : CBlockNode(nullptr) {
    SetName("module");
    m_pValueNames = &constants;
}

void CModuleNode::AddNamed(const std::string& name, CNode* node) {
    named[name] = node;
    Remember(node);
}

CNode* CModuleNode::FindNamed(const std::string& name) {
    auto it = constants.find(name);
    return it != constants.end() ? it->second : nullptr;
}

bool CModuleNode::Eval(CValue*, CValue**, CRunContext&, CInterpreter*) {
    return false;
}

void CModuleNode::NumberScope(CBlockNode* scope) {
    scope->frameIndex = static_cast<int>(m_scopes.size());
    m_scopes.push_back(scope);
}

void CModuleNode::Prepare() {
    if (prepared)
        return;
    prepared = true;
    NumberScope(this);
    // The definitions in the order of the text first: their nodes lie in memory in that
    // order, and a walk in the order of the tables' names went back and forth over all of
    // them, a cache miss at every definition. The tables' walks then find them prepared,
    // and prepare what was entered in them directly.
    for (CNode* definition : m_definitions)
        definition->Prepare();
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

bool CModuleNode::LookupValue(CRunFrames& frames, const std::string& name, CValue** out) {
    CValue** slot = frames.Of(*this).TopSlot(SlotOf(name));
    if (slot == nullptr || *slot == nullptr)
        return false;
    *out = *slot;
    return true;
}

void CModuleNode::StoreValue(CRunFrames& frames, const std::string& name, CValue* value) {
    if (CValue** slot = frames.Of(*this).TopSlot(SlotOf(name)))
        *slot = value;
}

void CModuleNode::AddOverload(std::pair<std::string, CNode*> entry, float index) {
    OverloadList& list = overloads[entry.first];
    // After every entry with an index not above this one: equal indexes keep their order.
    auto at = std::upper_bound(list.begin(), list.end(), index,
                               [](float value, const auto& item) { return value < item.first; });
    list.insert(at, {index, entry.second});
    Remember(entry.second);
}

void CModuleNode::AddConstant(const std::string& name, CNode* node) {
    constants.emplace(name, node);
    Remember(node);
}

void CModuleNode::AddType(const std::string& name, CNode* node) {
    types.emplace(name, node);
    Remember(node);
}

CFunctionNode* EnclosingFunction(CNode* node) {
    for (CNode* scope = node ? node->owner : nullptr; scope; scope = scope->owner) {
        if (scope->IsFunction())
            return static_cast<CFunctionNode*>(scope);
    }
    return nullptr;
}
