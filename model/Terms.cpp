#include "model/Terms.h"

#include "values/Arena.h"
#include "values/NestingGuard.h"
#include "values/Value.h"

#include <cstring>
#include <new>

CSignAtom::CSignAtom(std::int32_t code) : CTermNode(nullptr, "atom"), code(code), m_value(code) {
    constant = &m_value;
}

bool CSignAtom::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = new CSignValue(code);
    return true;
}

CIntAtom::CIntAtom(std::int32_t value) : CTermNode(nullptr, "atom"), value(value), m_value(value) {
    constant = &m_value;
}

bool CIntAtom::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = new CIntValue(value);
    return true;
}

CRealAtom::CRealAtom(float value) : CTermNode(nullptr, "atom"), value(value), m_value(value) {
    constant = &m_value;
}

bool CRealAtom::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = new CRealValue(value);
    return true;
}

CBoolAtom::CBoolAtom(bool value) : CTermNode(nullptr, "atom"), value(value), m_value(value) {
    constant = &m_value;
}

bool CBoolAtom::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = SharedBool(value);
    return true;
}

CCharAtom::CCharAtom(char value)
    : CTermNode(nullptr, "atom"), value(value), m_value(static_cast<unsigned char>(value)) {
    constant = &m_value;
}

bool CCharAtom::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = SharedChar(static_cast<unsigned char>(value));
    return true;
}

CIdentifierNode::CIdentifierNode(CNode* owner, std::string_view text)
    : CTermNode(owner, "id"), text(text) {
}

CListNode::CListNode(std::int32_t kind) : CTermNode(nullptr, "list"), kind(kind) {
}

void CListNode::Add(CNode* child) {
    elements.push_back(child);
}

bool CListNode::IsList() const {
    return true;
}

// A list whose elements are all constant and that normalisation would not change is the
// same each time: it is kept as constant.
void CListNode::Prepare() {
    if (prepared)
        return;
    prepared = true;
    CTermNode::Prepare();
    for (CNode* element : elements)
        element->Prepare();
    if (KeepsDelayedTerm()) {
        constant = ::new (TakeStorage(sizeof(CRefValue))) CRefValue(kKindDelayed, elements[0]);
        return;
    }
    if (kind == kKindDelayList || (kind == kKindParList && elements.size() == 1))
        return;
    CElementSurvey survey;
    for (CNode* element : elements) {
        const CValue* value =
            element->sameAs != nullptr ? element->sameAs->constant : element->constant;
        if (value == nullptr)
            return;
        survey.Note(value);
    }
    if (!survey.parallel && !survey.markers && !survey.error)
        KeepAsConstant();
}

void CListNode::KeepAsConstant() {
    const std::size_t count = elements.size();
    std::byte* storage = TakeStorage(sizeof(CListValue) + (count + 1) * sizeof(CValue*));
    auto* slots = reinterpret_cast<CValue**>(storage + sizeof(CListValue)) + 1;
    for (std::size_t i = 0; i < count; ++i)
        slots[i] =
            elements[i]->sameAs != nullptr ? elements[i]->sameAs->constant : elements[i]->constant;
    auto* value = ::new (storage) CListValue(kind, 0);
    value->count = static_cast<std::int32_t>(count);
    value->elements = slots;
    value->SetHoldsError(false);
    constant = value;
}

// Zeroed, as a fresh value's memory is.
std::byte* CListNode::TakeStorage(std::size_t bytes) {
    if (m_pMemory == nullptr) {
        m_constantStorage = std::make_unique<std::byte[]>(bytes);
        return m_constantStorage.get();
    }
    auto* storage = static_cast<std::byte*>(m_pMemory->allocate(bytes, alignof(std::max_align_t)));
    std::memset(storage, 0, bytes);
    return storage;
}

CKeywordNode::CKeywordNode(std::int32_t code)
    : CTermNode(nullptr, "keyword"), code(code), m_value(code) {
    constant = &m_value;
}

bool CKeywordNode::Eval(CValue*, CValue** out, CRunContext&, CInterpreter*) {
    *out = new CSignValue(code);
    return true;
}

CNode* TermOf(const CValue* value) {
    if (value->IsReference())
        return static_cast<CNode*>(AsRef(value)->node);
    if (!value->IsList())
        return nullptr;
    // A list denotes a node only when every element does; otherwise evaluating the
    // node would meet an element with nothing to evaluate.
    const auto* list = AsList(value);
    auto* node = new CListNode(list->kind);
    CArena::Current().Adopt(node);
    for (std::int32_t i = 0; i < list->count; ++i) {
        CNode* term = list->elements[i] ? TermOf(list->elements[i]) : nullptr;
        if (!term)
            return nullptr;
        node->Add(term);
    }
    return node;
}
