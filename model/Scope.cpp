#include "model/Scope.h"

#include <algorithm>

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
    if (!frames.empty()) {
        const ValueFrame& top = frames.back();
        auto it = top.find(name);
        if (it != top.end()) {
            *out = it->second;
            return true;
        }
    }
    // Defined here but not computed yet in this evaluation: an outer value must not shadow it.
    if (named.count(name) != 0)
        return false;
    // Scopes are owned by scopes: blocks, functions and, at the top, the module.
    return owner ? static_cast<CBlockNode*>(owner)->LookupValue(name, out) : false;
}

void CBlockNode::StoreValue(const std::string& name, CValue* value) {
    if (named.count(name) != 0) {
        if (!frames.empty())
            frames.back()[name] = value;
        return;
    }
    if (owner)
        static_cast<CBlockNode*>(owner)->StoreValue(name, value);
}

CFunctionNode::CFunctionNode(CNode* owner) : CBlockNode(owner) {
    name = "function";
}

bool CFunctionNode::IsFunction() const {
    return true;
}

CModuleNode::CModuleNode() : CBlockNode(nullptr) {
    name = "module";
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

bool CModuleNode::LookupValue(const std::string& name, CValue** out) {
    if (frames.empty())
        return false;
    const ValueFrame& top = frames.back();
    auto it = top.find(name);
    if (it == top.end())
        return false;
    *out = it->second;
    return true;
}

void CModuleNode::StoreValue(const std::string& name, CValue* value) {
    if (!frames.empty() && constants.count(name) != 0)
        frames.back()[name] = value;
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
