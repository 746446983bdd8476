#include "model/Node.h"

CNode::~CNode() = default;

void CNode::Add(CNode*) {
}

void CNode::AddNamed(const std::string&, CNode*) {
}

CNode* CNode::FindNamed(const std::string&) {
    return nullptr;
}

bool CNode::Eval(CValue*, CValue**, CRunContext&, CInterpreter*) {
    return false;
}

void CNode::Reserved(void*) {
}

void CNode::Prepare() {
}

bool CNode::IsList() const {
    return false;
}

bool CNode::IsFunction() const {
    return false;
}

CBlockNode* CNode::AsBlock() {
    return nullptr;
}

CModuleNode* CNode::AsModule() {
    return nullptr;
}

CExpressionNode::CExpressionNode(CNode* owner) : CNode(owner, "expression") {
}

void CExpressionNode::InsertBeforeLast(CNode* term) {
    terms.insert(terms.empty() ? terms.end() : terms.end() - 1, term);
}

void CTermNode::Prepare() {
    if (alternative != nullptr)
        alternative->Prepare();
}
