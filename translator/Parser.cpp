#include "translator/Parser.h"

#include "model/Scope.h"
#include "model/Terms.h"
#include "values/Arena.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"
#include "values/Value.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Decimal text to a 32-bit integer; values beyond the range wrap instead of being undefined.
std::int32_t ParseInt(const char* text) {
    // Up to nine digits cannot overflow: the common case is read here.
    const bool negative = text[0] == '-';
    const char* digit = negative ? text + 1 : text;
    std::uint32_t magnitude = 0;
    std::size_t count = 0;
    for (; count < 9 && digit[count] >= '0' && digit[count] <= '9'; ++count)
        magnitude = magnitude * 10 + static_cast<std::uint32_t>(digit[count] - '0');
    if (count > 0 && digit[count] == '\0')
        return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The module is the root of every scope chain.
CModuleNode* ModuleOf(CNode* scope) {
    CNode* node = scope;
    while (node != nullptr && node->owner != nullptr)
        node = node->owner;
    return node != nullptr ? node->AsModule() : nullptr;
}

// The parameter name of the top-level definition that contains scope, if scope is inside one.
bool IsArgumentName(std::string_view name, CNode* scope, CModuleNode* module) {
    if (scope == module)
        return false;
    CNode* top = scope;
    while (top->owner != module)
        top = top->owner;
    if (!top->IsFunction())
        return false;
    const std::string& argName = static_cast<CFunctionNode*>(top)->argName;
    return !argName.empty() && argName == name;
}

// A name defined in scope or an enclosing block or function, not looking into the module.
bool FindLocal(std::string_view name, CNode* scope, CModuleNode* module, CNode** out) {
    for (CNode* node = scope; node != nullptr && node != module; node = node->owner) {
        CBlockNode* block = node->AsBlock();
        if (block == nullptr)
            continue;
        auto it = block->named.find(name);
        if (it != block->named.end()) {
            *out = it->second;
            return true;
        }
    }
    return false;
}

bool IsKeywordTerm(int code) {
    switch (code) {
    case kKwBool:
    case kKwFloat:
    case kKwInt:
    case kKwSignal:
    case kKwType:
    case kKwIn:
    case kKwOut:
    case kKwChar:
    case kKwDatalist:
    case kKwParlist:
    case kKwDelaylist:
    case kKwValue:
        return true;
    default:
        return false;
    }
}

void SetAlternative(CNode* term, CNode* alternative) {
    if (auto* node = dynamic_cast<CTermNode*>(term))
        node->alternative = alternative;
}

} // namespace

CParser::CParser(CScanner* scanner) : scanner(scanner) {
}

CParser::~CParser() {
    CParser::Clear();
}

void CParser::GetPosition(int& line, int& row) {
    scanner->GetPosition(line, row);
}

void CParser::Fail(int code, std::string text) {
    throw CExeption(nullptr, std::move(text), code);
}

namespace {

// Nodes by a 32-bit key, in one array probed from the key's hash: a long program has
// thousands of different numbers, and a map of them made a heap node each.
template <class T> class CAtomsByKey {
public:
    T*& operator[](std::uint32_t key) {
        if (2 * (m_nUsed + 1) > m_slots.size())
            Grow();
        Slot& slot = Find(m_slots, key);
        if (slot.node == nullptr) {
            slot.key = key;
            ++m_nUsed;
        }
        return slot.node;
    }

private:
    struct Slot {
        std::uint32_t key = 0;
        T* node = nullptr; // null: free, or made by the caller through the reference
    };
    static Slot& Find(std::vector<Slot>& slots, std::uint32_t key) {
        const std::size_t mask = slots.size() - 1;
        // The high half of the product carries every bit of the key: the bits of a real
        // number often end in zeros.
        std::uint64_t hash = key * 0x9E3779B97F4A7C15ull;
        hash ^= hash >> 32;
        std::size_t at = static_cast<std::size_t>(hash) & mask;
        while (slots[at].node != nullptr && slots[at].key != key)
            at = (at + 1) & mask;
        return slots[at];
    }
    // A slot the caller left null counts as used until the table grows.
    void Grow() {
        std::vector<Slot> grown(std::max<std::size_t>(64, 2 * m_slots.size()));
        m_nUsed = 0;
        for (const Slot& slot : m_slots) {
            if (slot.node != nullptr) {
                Find(grown, slot.key) = slot;
                ++m_nUsed;
            }
        }
        m_slots = std::move(grown);
    }
    std::vector<Slot> m_slots;
    std::size_t m_nUsed = 0;
};

} // namespace

// The shared nodes of the atoms read so far (SharedAtom in Parser.h), by value.
struct CParser::CSharedAtoms {
    CSignAtom* signs[kTokDup - kTokPlus + 1] = {};
    CKeywordNode* keywords[kKwValue - kKwBool + 1] = {};
    CCharAtom* chars[256] = {};
    CBoolAtom* bools[2] = {};
    CAtomsByKey<CIntAtom> ints;   // by the bits of the value
    CAtomsByKey<CRealAtom> reals; // by the bits of the value
};

CParser::CSharedAtoms& CParser::Atoms() {
    if (m_pAtoms == nullptr)
        m_pAtoms = std::make_unique<CSharedAtoms>();
    return *m_pAtoms;
}

void CParser::Clear() {
    m_pAtoms.reset();
    m_nodes.Clear();
    pendingNames.clear();
}

void CNodeStore::Clear() {
    for (CChunk* chunk = m_pChunk; chunk != nullptr; chunk = chunk->previous) {
        for (std::uint32_t i = 0; i < chunk->count; ++i)
            chunk->nodes[i]->~CNode();
    }
    m_pChunk = nullptr;
    m_nCount = 0;
    m_blocks.clear();
    m_pNext = nullptr;
    m_nLeft = 0;
}

void CNodeStore::CFreeBlock::operator()(std::byte* block) const {
    std::free(block);
}

void CNodeStore::AddChunk() {
    auto* chunk = static_cast<CChunk*>(Allocate(sizeof(CChunk), alignof(CChunk)));
    chunk->previous = m_pChunk;
    chunk->count = 0;
    m_pChunk = chunk;
}

void* CNodeStore::AllocateInNewBlock(std::size_t bytes, std::size_t alignment) {
    // The first blocks are small, so that a short argument costs little; a program's later
    // blocks are huge pages, which spare a long translation most of its page faults.
    constexpr std::size_t kSmallBlock = std::size_t(64) << 10;
    constexpr std::size_t kSmallBlocks = 8;
    constexpr std::size_t kHugeBlock = std::size_t(2) << 20;
    const bool huge = m_blocks.size() >= kSmallBlocks && bytes + alignment <= kHugeBlock;
    std::size_t size = huge ? kHugeBlock : std::max(kSmallBlock, bytes + alignment);
    m_blocks.emplace_back(); // first, so that a full vector cannot lose a block
    void* block = huge ? AllocateWithHugePages(size) : std::malloc(size);
    if (block == nullptr)
        throw std::bad_alloc();
    m_blocks.back().reset(static_cast<std::byte*>(block));
    m_pNext = m_blocks.back().get();
    m_nLeft = size;
    const std::size_t skip =
        (alignment - reinterpret_cast<std::uintptr_t>(m_pNext)) & (alignment - 1);
    void* memory = m_pNext + skip;
    m_pNext += skip + bytes;
    m_nLeft -= skip + bytes;
    return memory;
}

// A file that cannot be opened is not read: false, with nothing thrown.
bool CParser::Translate(const char* file, CModuleNode** out) {
    *out = nullptr;
    if (!scanner->Open(file))
        return false;
    try {
        Program(out);
    } catch (...) {
        scanner->Close();
        *out = nullptr;
        throw;
    }
    scanner->Close();
    return true;
}

// ---- Program structure ----

// program -> item { {";"} item } end
bool CParser::Program(CModuleNode** out) {
    auto* module = Make<CModuleNode>();
    *out = module;
    NextToken();
    pendingNames.clear();
    if (!Item(module))
        Fail(kErrSyntax);
    for (;;) {
        while (token.code == kTokSemicolon)
            NextToken();
        if (token.code == kTokEnd)
            break;
        pendingNames.clear();
        if (!Item(module))
            Fail(kErrSyntax);
    }
    CheckImplemented(module);
    module->Prepare();
    return true;
}

// Every name declared with "prefunc" needs a definition by the end of the program.
void CParser::CheckImplemented(CModuleNode* module) {
    for (const auto& [name, function] : module->named) {
        if (function == nullptr)
            Fail(kErrNotImplemented, name);
    }
}

// item -> (funcordecl | funcitem | typeitem | constdef) rightnaming {rightnaming}
//       | leftnameddef {rightnaming}
bool CParser::Item(CModuleNode* module) {
    CNode* function = nullptr;
    CNode* type = nullptr;
    CNode* constant = nullptr;
    if (FunctionOrDeclaration(module, &function, {}) || FunctionItem(module, &function, {})) {
        NameFunction(module, function);
        return true;
    }
    if (TypeItem(module, &type, {})) {
        NameType(module, type);
        return true;
    }
    if (ConstantDefinition(module, &constant)) {
        NameConstant(module, constant);
        return true;
    }
    float index = 0;
    if (!LeftNamedDefinition(module, &constant, &function, &type, &index))
        return false;
    NameLeftNamedItem(module, constant, function, type);
    return true;
}

// A null function is a declaration: its names are entered without a definition.
void CParser::NameFunction(CModuleNode* module, CNode* function) {
    if (token.code != kTokRightNaming)
        Fail(kErrRightNaming);
    if (function != nullptr)
        function->SetName(Keep(token.text));
    while (token.code == kTokRightNaming) {
        CheckDuplicate(token.text, module, true);
        module->AddNamed(token.text, function);
        NextToken();
    }
}

void CParser::NameType(CModuleNode* module, CNode* type) {
    if (token.code != kTokRightNaming)
        Fail(kErrRightNaming);
    type->SetName(Keep(token.text));
    while (token.code == kTokRightNaming) {
        CheckDuplicate(token.text, module, true);
        module->AddType(token.text, type);
        NextToken();
    }
}

void CParser::NameConstant(CModuleNode* module, CNode* constant) {
    if (token.code != kTokRightNaming)
        Fail(kErrRightNaming);
    constant->SetName(Keep(token.text));
    while (token.code == kTokRightNaming) {
        CheckDuplicate(token.text, module, true);
        module->AddConstant(token.text, constant);
        NextToken();
    }
}

// After a left-named definition further names are optional.
void CParser::NameLeftNamedItem(CModuleNode* module, CNode* constant, CNode* function,
                                CNode* type) {
    while (token.code == kTokRightNaming) {
        const std::string name = token.text;
        if (constant != nullptr) {
            CheckDuplicate(name, module, true);
            module->AddConstant(name, constant);
        }
        if (function != nullptr) {
            CheckDuplicate(name, module, true);
            module->AddNamed(name, function);
        }
        if (type != nullptr) {
            CheckDuplicate(name, module, true);
            module->AddType(name, type);
        }
        NextToken();
    }
}

// funcordecl -> "prefunc" | funcdef
bool CParser::FunctionOrDeclaration(CModuleNode* module, CNode** out, std::string name) {
    if (token.code != kKwPrefunc)
        return FunctionDefinition(module, out, name);
    *out = nullptr;
    NextToken();
    if (!name.empty())
        module->AddNamed(name, nullptr);
    return true;
}

// funcitem -> funcdef
bool CParser::FunctionItem(CModuleNode* module, CNode** out, std::string name) {
    return FunctionDefinition(module, out, std::move(name));
}

// typeitem -> typedef
bool CParser::TypeItem(CModuleNode* module, CNode** out, std::string name) {
    return TypeDefinition(module, out, std::move(name));
}

// funcdef -> "funcdef" [name] "{" [statement {";" statement} [";"]] "}"
bool CParser::FunctionDefinition(CModuleNode* module, CNode** out, std::string) {
    return Definition(module, out, kKwFuncdef);
}

// typedef -> "typedef" [name] "{" [statement {";" statement} [";"]] "}"
bool CParser::TypeDefinition(CModuleNode* module, CNode** out, std::string) {
    return Definition(module, out, kKwTypedef);
}

bool CParser::Definition(CModuleNode* module, CNode** out, int keyword) {
    if (token.code != keyword)
        return false;
    const int firstLine = CurrentLine();
    NextToken();
    std::string argName;
    if (token.code == kTokIdentifier) {
        argName = token.text;
        NextToken();
    }
    auto* function = Make<CFunctionNode>(module);
    function->named.UseMemory(&m_nodes);
    *out = function;
    function->firstLine = firstLine;
    function->argName = argName;
    if (token.code != kTokLBrace)
        Fail(kErrLeftBrace);
    NextToken();
    if (!StatementList(function))
        return false;
    function->lastLine = CurrentLine();
    NextToken();
    return true;
}

// body -> [statement {";" statement} [";"]] "}", the closing brace left as the token
bool CParser::StatementList(CNode* scope) {
    while (token.code != kTokRBrace) {
        if (!Statement(scope, scope))
            return false;
        if (token.code == kTokRBrace)
            break;
        if (token.code != kTokSemicolon)
            Fail(kErrSemicolon);
        NextToken();
    }
    return true;
}

// constdef -> "const" constexpr
bool CParser::ConstantDefinition(CModuleNode* module, CNode** out) {
    if (token.code != kKwConst)
        return false;
    NextToken();
    if (!ConstExpression(module, out))
        Fail(kErrConstExpression);
    return true;
}

// leftnameddef -> (leftnaming | name ("[" number "]" | "[]") "<<")
//                 (funcordecl | funcitem | typeitem | constdef | leftnameddef)
bool CParser::LeftNamedDefinition(CModuleNode* module, CNode** constant, CNode** function,
                                  CNode** type, float* index) {
    *index = 0;
    const std::string name = token.text;
    bool overloaded = false;
    if (token.code == kTokIdentifier) {
        if (!OverloadHead(index))
            return false;
        overloaded = true;
    } else if (token.code == kTokLeftNaming) {
        pendingNames.push_back(name);
    } else {
        return false;
    }
    CheckDuplicate(name, module, !overloaded);
    NextToken();
    return LeftNamedBody(module, name, overloaded, constant, function, type, index);
}

// overloadhead -> name ("[" (integer | real) "]" | "[]") "<<", stopping on the "<<"
bool CParser::OverloadHead(float* index) {
    NextToken();
    if (token.code == kTokLBracket) {
        NextToken();
        if (token.code == kTokInteger)
            *index = static_cast<float>(ParseInt(token.text));
        else if (token.code == kTokReal)
            *index = static_cast<float>(std::atof(token.text));
        else
            return false;
        NextToken();
        if (token.code != kTokRBracket)
            return false;
    } else if (token.code != kTokEmptyPar) {
        return false;
    }
    NextToken();
    return token.code == kTokLeftArrow;
}

bool CParser::LeftNamedBody(CModuleNode* module, const std::string& name, bool overloaded,
                            CNode** constant, CNode** function, CNode** type, float* index) {
    if (!overloaded && FunctionOrDeclaration(module, function, name)) {
        if (*function != nullptr)
            (*function)->SetName(Keep(name));
        module->AddNamed(name, *function);
        return true;
    }
    if (overloaded && FunctionItem(module, function, name)) {
        (*function)->SetName(Keep(name));
        module->AddOverload({name, *function}, *index);
        return true;
    }
    if (TypeItem(module, type, name)) {
        (*type)->SetName(Keep(name));
        module->AddType(name, *type);
        return true;
    }
    if (ConstantDefinition(module, constant)) {
        // Even a declared-only function name may not be taken by a constant.
        if (module->named.count(name) != 0)
            Fail(kErrFunctionName, name);
        (*constant)->SetName(Keep(name));
        module->AddConstant(name, *constant);
        return true;
    }
    // The inner naming has an index of its own; this level's index must survive it.
    float innerIndex = 0;
    if (!LeftNamedDefinition(module, constant, function, type, &innerIndex))
        return false;
    EnterInnerDefinition(module, name, overloaded, *constant, *function, *type, *index);
    return true;
}

void CParser::EnterInnerDefinition(CModuleNode* module, const std::string& name, bool overloaded,
                                   CNode* constant, CNode* function, CNode* type, float index) {
    if (constant != nullptr)
        module->AddConstant(name, constant);
    if (function != nullptr && overloaded)
        module->AddOverload({name, function}, index);
    else if (function != nullptr)
        module->AddNamed(name, function);
    if (type != nullptr)
        module->AddType(name, type);
}

// A top-level name may be taken once; a declared-only function name is still free.
void CParser::CheckDuplicate(const std::string& name, CModuleNode* module, bool withOverloads) {
    auto function = module->named.find(name);
    if (function != module->named.end() && function->second != nullptr)
        Fail(kErrFunctionName, name);
    if (module->constants.count(name) != 0)
        Fail(kErrConstantName, name);
    if (module->types.count(name) != 0)
        Fail(kErrTypeName, name);
    if (withOverloads && module->overloads.count(name) != 0)
        Fail(kErrOverloadName, name);
}

// ---- Statements and expressions ----

void CParser::CheckLocal(CNode* scope, const std::string& name) {
    CBlockNode* block = scope->AsBlock();
    if (block != nullptr && block->named.count(name) != 0)
        Fail(kErrNameDeclared, name);
}

void CParser::DefineRightNames(CNode* scope, CNode* node, bool rename) {
    while (token.code == kTokRightNaming) {
        CheckLocal(scope, token.text);
        if (rename)
            node->SetName(Keep(token.text));
        scope->AddNamed(token.text, node);
        NextToken();
    }
}

// statement -> leftnamedstatement {rightnaming} | expression {rightnaming}
// The stack is checked in Expression and Application: every nesting of the grammar passes
// through one of them.
bool CParser::Statement(CNode* scope, CNode* owner) {
    CNode* expression = nullptr;
    if (LeftNamedStatement(scope, owner, &expression)) {
        DefineRightNames(scope, expression, true);
        return true;
    }
    Expression(scope, &expression);
    if (token.code != kTokRightNaming) {
        owner->Add(expression);
        return true;
    }
    CheckLocal(scope, token.text);
    // In a list the element stands for the value it names.
    if (owner->IsList())
        owner->Add(Make<CIdentifierNode>(scope, Keep(token.text)));
    DefineRightNames(scope, expression, false);
    return true;
}

// leftnamedstatement -> leftnaming expression
bool CParser::LeftNamedStatement(CNode* scope, CNode* owner, CNode** out) {
    if (token.code != kTokLeftNaming)
        return false;
    CheckLocal(scope, token.text);
    const Token naming = token;
    NextToken();
    Expression(scope, out);
    (*out)->SetName(Keep(naming.text));
    scope->AddNamed(naming.text, *out);
    if (owner->IsList())
        owner->Add(Make<CIdentifierNode>(scope, Keep(naming.text)));
    return true;
}

// expression -> term { (application | ":" term) ["else" term] }
bool CParser::Expression(CNode* scope, CNode** out) {
    CheckStack();
    auto* expression = Make<CExpressionNode>(scope);
    *out = expression;
    expression->line = CurrentLine();
    CNode* last = nullptr;
    if (!Term(scope, &last))
        Fail(kErrTerm);
    expression->AppendTerm(last);
    for (;;) {
        if (!Application(scope, &expression, &last)) {
            if (token.code != kTokColon)
                return true;
            NextToken();
            if (!Term(scope, &last))
                Fail(kErrTerm);
            expression->AppendTerm(last);
        }
        if (token.code == kKwElse) {
            NextToken();
            CNode* alternative = nullptr;
            if (!Term(scope, &alternative))
                Fail(kErrTerm);
            SetAlternative(last, alternative);
        }
    }
}

// application -> "^" term [application]; the term goes before the function it is given to
bool CParser::Application(CNode* scope, CExpressionNode** expr, CNode** last) {
    if (token.code != kTokCaret)
        return false;
    CheckStack();
    NextToken();
    CNode* term = nullptr;
    if (!Term(scope, &term))
        Fail(kErrTerm);
    *last = term;
    Application(scope, expr, last);
    (*expr)->InsertBeforeLast(term);
    return true;
}

// term -> atom | list | block | name
bool CParser::Term(CNode* scope, CNode** out) {
    // A name is none of the other terms: the rules for them are not asked.
    if (token.code != kTokIdentifier)
        return Atom(scope, out) || List(scope, out) || Block(scope, out);
    const std::string_view name = token.text;
    CNode* found = nullptr;
    if (!ResolveName(name, scope, &found))
        Fail(kErrUnknownIdentifier, token.text);
    // Names are looked up again when the program runs; the node found is not kept.
    *out = Make<CIdentifierNode>(scope, Keep(name));
    NextToken();
    return true;
}

// atom -> keyword | sign | integer | real | boolean | character | string
bool CParser::Atom(CNode*, CNode** out) {
    if (Keyword(out))
        return true;
    return AtomOfToken(out);
}

// The literal and sign atoms, shared with constants (which have no keyword atoms).
bool CParser::AtomOfToken(CNode** out) {
    const int code = token.code;
    CSharedAtoms& atoms = Atoms();
    if (code >= kTokPlus && code <= kTokDup) {
        NextToken();
        *out = SharedAtom(atoms.signs[code - kTokPlus], code);
    } else if (code == kTokInteger) {
        const std::int32_t value = ParseInt(token.text);
        NextToken();
        *out = SharedAtom(atoms.ints[static_cast<std::uint32_t>(value)], value);
    } else if (code == kTokReal) {
        const auto value = static_cast<float>(std::atof(token.text));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        NextToken();
        *out = SharedAtom(atoms.reals[bits], value);
    } else if (code == kTokBoolean) {
        const bool value = std::strcmp(token.text, "true") == 0;
        NextToken();
        *out = SharedAtom(atoms.bools[value ? 1 : 0], value);
    } else if (code == kTokCharacter) {
        const char value = token.text[0];
        NextToken();
        *out = SharedAtom(atoms.chars[static_cast<unsigned char>(value)], value);
    } else if (code == kTokString) {
        // A string is the data list of its characters.
        auto* list = Make<CListNode>(kKindDataList);
        list->UseMemory(&m_nodes);
        *out = list;
        for (const char* c = token.text; *c != '\0'; ++c) {
            CCharAtom*& shared = atoms.chars[static_cast<unsigned char>(*c)];
            if (shared == nullptr)
                shared = Make<CCharAtom>(*c);
            list->Add(shared);
        }
        NextToken();
    } else {
        return false;
    }
    return true;
}

// keyword -> "bool" | "float" | "int" | "signal" | "type" | "in" | "out" | "char"
//          | "datalist" | "parlist" | "delaylist" | "value"
bool CParser::Keyword(CNode** out) {
    if (!IsKeywordTerm(token.code))
        return false;
    const int code = token.code;
    NextToken();
    *out = SharedAtom(Atoms().keywords[code - kKwBool], code);
    return true;
}

// list -> datalist | parallellist | delayedlist
bool CParser::List(CNode* scope, CNode** out) {
    return DataList(scope, out) || ParallelList(scope, out) || DelayedList(scope, out);
}

template <class ElementRule>
bool CParser::ListOf(CNode** out, int open, int close, int kind, ElementRule element) {
    if (token.code != open)
        return false;
    auto* list = Make<CListNode>(kind);
    list->UseMemory(&m_nodes);
    *out = list;
    for (;;) {
        NextToken();
        if (!element(list))
            return false;
        if (token.code == close) {
            NextToken();
            return true;
        }
        if (token.code != kTokComma)
            Fail(kErrComma);
    }
}

// datalist -> "(" statement {"," statement} ")"
bool CParser::DataList(CNode* scope, CNode** out) {
    return ListOf(out, kTokLParen, kTokRParen, kKindDataList,
                  [this, scope](CNode* list) { return Statement(scope, list); });
}

// parallellist -> "[" statement {"," statement} "]"
bool CParser::ParallelList(CNode* scope, CNode** out) {
    return ListOf(out, kTokLBracket, kTokRBracket, kKindParList,
                  [this, scope](CNode* list) { return Statement(scope, list); });
}

// delayedlist -> "{" statement {"," statement} "}"
bool CParser::DelayedList(CNode* scope, CNode** out) {
    return ListOf(out, kTokLBrace, kTokRBrace, kKindDelayList,
                  [this, scope](CNode* list) { return Statement(scope, list); });
}

// block -> "block" "{" [statement {";" statement} [";"]] "}"
bool CParser::Block(CNode* scope, CNode** out) {
    if (token.code != kKwBlock)
        return false;
    auto* block = Make<CBlockNode>(scope);
    block->named.UseMemory(&m_nodes);
    *out = block;
    NextToken();
    if (token.code != kTokLBrace)
        Fail(kErrLeftBrace);
    NextToken();
    if (!StatementList(block))
        return false;
    NextToken();
    return true;
}

// A name is known as: the enclosing definition's parameter, a function (declared ones
// too), a name being defined by the current top-level item, an overloaded function, a
// type, a local name of an enclosing scope, or a constant.
bool CParser::ResolveName(std::string_view name, CNode* scope, CNode** out) {
    CModuleNode* module = ModuleOf(scope);
    if (module == nullptr)
        return false;
    if (IsArgumentName(name, scope, module)) {
        *out = nullptr;
        return true;
    }
    if (auto it = module->named.find(name); it != module->named.end()) {
        *out = it->second;
        return true;
    }
    if (std::find(pendingNames.begin(), pendingNames.end(), name) != pendingNames.end()) {
        *out = nullptr;
        return true;
    }
    if (module->overloads.count(std::string(name)) != 0)
        return true;
    if (auto it = module->types.find(name); it != module->types.end()) {
        *out = it->second;
        return true;
    }
    if (FindLocal(name, scope, module, out))
        return true;
    if (auto it = module->constants.find(name); it != module->constants.end()) {
        *out = it->second;
        return true;
    }
    return false;
}

// ---- Constant expressions ----

// constexpr -> constterm { constapplication | ":" constterm }
// A missing first term is left to the caller, which knows what was expected.
bool CParser::ConstExpression(CModuleNode* module, CNode** out) {
    CheckStack();
    auto* expression = Make<CExpressionNode>(module);
    *out = expression;
    expression->line = CurrentLine();
    CNode* last = nullptr;
    if (!ConstTerm(module, &last))
        return false;
    expression->AppendTerm(last);
    for (;;) {
        if (!ConstApplication(module, &expression, &last)) {
            if (token.code != kTokColon)
                return true;
            NextToken();
            if (!ConstTerm(module, &last))
                Fail(kErrConstTerm);
            expression->AppendTerm(last);
        }
        // Constants take no alternative.
        if (token.code == kKwElse)
            return false;
    }
}

// constapplication -> "^" constterm [constapplication]
bool CParser::ConstApplication(CModuleNode* module, CExpressionNode** expr, CNode** last) {
    if (token.code != kTokCaret)
        return false;
    CheckStack();
    NextToken();
    CNode* term = nullptr;
    if (!ConstTerm(module, &term))
        Fail(kErrConstTerm);
    *last = term;
    ConstApplication(module, expr, last);
    (*expr)->InsertBeforeLast(term);
    return true;
}

// constterm -> constatom | constlist | name (not checked: constants may refer to anything)
bool CParser::ConstTerm(CModuleNode* module, CNode** out) {
    if (ConstAtom(module, out) || ConstList(module, out))
        return true;
    if (token.code != kTokIdentifier)
        return false;
    *out = Make<CIdentifierNode>(module, Keep(token.text));
    NextToken();
    return true;
}

// constatom -> sign | integer | real | boolean | character | string
bool CParser::ConstAtom(CModuleNode*, CNode** out) {
    return AtomOfToken(out);
}

// constlist -> constdatalist | constparallellist
bool CParser::ConstList(CModuleNode* module, CNode** out) {
    return ConstDataList(module, out) || ConstParallelList(module, out);
}

// constdatalist -> "(" constelement {"," constelement} ")"
bool CParser::ConstDataList(CModuleNode* module, CNode** out) {
    return ListOf(out, kTokLParen, kTokRParen, kKindDataList,
                  [this, module](CNode* list) { return ConstElement(module, list); });
}

// constparallellist -> "[" constelement {"," constelement} "]"
bool CParser::ConstParallelList(CModuleNode* module, CNode** out) {
    return ListOf(out, kTokLBracket, kTokRBracket, kKindParList,
                  [this, module](CNode* list) { return ConstElement(module, list); });
}

// constelement -> constleftnamedelement {rightnaming} | constexpr {rightnaming}
bool CParser::ConstElement(CModuleNode* module, CNode* list) {
    CNode* element = nullptr;
    if (ConstLeftNamedElement(module, list, &element)) {
        for (; token.code == kTokRightNaming; NextToken())
            module->AddConstant(token.text, element);
        return true;
    }
    if (!ConstExpression(module, &element))
        return false;
    if (token.code != kTokRightNaming) {
        list->Add(element);
        return true;
    }
    list->Add(Make<CIdentifierNode>(module, Keep(token.text)));
    for (; token.code == kTokRightNaming; NextToken())
        module->AddConstant(token.text, element);
    return true;
}

// constleftnamedelement -> leftnaming constexpr
bool CParser::ConstLeftNamedElement(CModuleNode* module, CNode* list, CNode** out) {
    if (token.code != kTokLeftNaming)
        return false;
    const Token naming = token;
    NextToken();
    if (!ConstExpression(module, out))
        Fail(kErrConstTerm);
    module->AddConstant(naming.text, *out);
    list->Add(Make<CIdentifierNode>(module, Keep(naming.text)));
    return true;
}

// ---- The argument of a run ----

CArgumentParser::CArgumentParser(CScanner* scanner, CModuleNode* context)
    : CParser(scanner), context(context) {
}

CArgumentParser::~CArgumentParser() = default;

// Known in an argument: the module's functions, names the argument defines, constants.
bool CArgumentParser::ResolveName(std::string_view name, CNode* scope, CNode** out) {
    if (auto it = context->named.find(name); it != context->named.end()) {
        *out = it->second;
        return true;
    }
    if (FindLocal(name, scope, context, out))
        return true;
    if (auto it = context->constants.find(name); it != context->constants.end()) {
        *out = it->second;
        return true;
    }
    return false;
}

// The argument is evaluated at once, before the run: it cannot hold delayed terms.
bool CArgumentParser::DelayedList(CNode*, CNode**) {
    return false;
}

// argument -> term; the tokens after it are not looked at.
bool CArgumentParser::ParseArgument(CNode*, CNode** out) {
    *out = nullptr;
    try {
        scanner->Open("");
        NextToken();
        // A scope of the argument's own, so that a name it defines (x >> a) can never
        // replace an entry of the translated module's function table.
        auto* scope = Make<CFunctionNode>(context);
        scope->argName = "$$$";
        const bool parsed = Term(scope, out);
        scanner->Close();
        return parsed;
    } catch (const CExeption& error) {
        scanner->Close();
        *out = nullptr;
        throw CExeption(error);
    }
}
