#pragma once
// The recursive-descent parser: one virtual operation per grammar rule, so that the
// argument parser can replace single rules. The parser owns every node it creates.

#include "model/Node.h"
#include "translator/Scanner.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <memory_resource>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class CExpressionNode;
class CIdentifierNode;
class CModuleNode;

// Where a parser's nodes live: bump-allocated in large blocks, one allocation per block
// instead of one per node, and destroyed together. Nodes only borrow one another, so
// they may go in any order. The list of nodes to destroy lives in the blocks too, in
// chunks: a vector of them would copy itself and touch fresh memory at every doubling.
//
// The name tables of the scopes and the constants of the lists that the parser makes take
// their memory here too (a memory resource that frees nothing before Clear): a translation
// makes tens of thousands of them, each a small allocation that grew the heap.
class CNodeStore : public std::pmr::memory_resource {
public:
    CNodeStore() = default;
    CNodeStore(const CNodeStore&) = delete;
    CNodeStore& operator=(const CNodeStore&) = delete;
    ~CNodeStore() override { Clear(); }

    template <class T, class... Args> T* Make(Args&&... args) {
        // An identifier frees nothing when destroyed (its text and its resolution are
        // borrowed), and a long program makes a hundred thousand: they take no place in the
        // list.
        if constexpr (std::is_same_v<T, CIdentifierNode>) {
            T* node = ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
            ++m_nCount;
            return node;
        }
        if (m_pChunk == nullptr || m_pChunk->count == kChunkNodes)
            AddChunk(); // first, so that a full list cannot lose a made node
        T* node = ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        m_pChunk->nodes[m_pChunk->count++] = node;
        ++m_nCount;
        return node;
    }
    // A copy of text that lives as long as the store's nodes: for the names they borrow.
    std::string_view Keep(std::string_view text) {
        if (text.empty())
            return {};
        auto* copy = static_cast<char*>(Allocate(text.size(), 1));
        std::memcpy(copy, text.data(), text.size());
        return {copy, text.size()};
    }
    void Clear();
    std::size_t size() const { return m_nCount; }

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        return Allocate(bytes, alignment);
    }
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
    // Inline, since every node comes this way: only a full block takes a call.
    void* Allocate(std::size_t bytes, std::size_t alignment) {
        // Alignments are powers of two.
        const std::size_t skip =
            (alignment - reinterpret_cast<std::uintptr_t>(m_pNext)) & (alignment - 1);
        if (m_pNext == nullptr || skip + bytes > m_nLeft)
            return AllocateInNewBlock(bytes, alignment);
        void* memory = m_pNext + skip;
        m_pNext += skip + bytes;
        m_nLeft -= skip + bytes;
        return memory;
    }
    void* AllocateInNewBlock(std::size_t bytes, std::size_t alignment);
    void AddChunk();

    static constexpr std::uint32_t kChunkNodes = 4094;
    struct CChunk {
        CChunk* previous;
        std::uint32_t count;
        CNode* nodes[kChunkNodes];
    };
    CChunk* m_pChunk = nullptr;
    std::size_t m_nCount = 0;
    struct CFreeBlock {
        void operator()(std::byte* block) const;
    };
    std::vector<std::unique_ptr<std::byte, CFreeBlock>> m_blocks;
    std::byte* m_pNext = nullptr;
    std::size_t m_nLeft = 0;
};

class CParser {
public:
    explicit CParser(CScanner* scanner);
    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    virtual ~CParser();
    virtual void GetPosition(int& line, int& row);
    virtual bool Translate(const char* file, CModuleNode** out);
    virtual bool ResolveName(std::string_view name, CNode* scope, CNode** out);
    virtual bool Keyword(CNode** out);
    virtual bool DelayedList(CNode* scope, CNode** out);
    virtual bool ParallelList(CNode* scope, CNode** out);
    virtual bool DataList(CNode* scope, CNode** out);
    virtual bool Block(CNode* scope, CNode** out);
    virtual bool List(CNode* scope, CNode** out);
    virtual bool Atom(CNode* scope, CNode** out);
    virtual bool Term(CNode* scope, CNode** out);
    virtual bool Application(CNode* scope, CExpressionNode** expr, CNode** last);
    virtual bool Expression(CNode* scope, CNode** out);
    virtual bool LeftNamedStatement(CNode* scope, CNode* owner, CNode** out);
    virtual bool Statement(CNode* scope, CNode* owner);
    virtual bool FunctionDefinition(CModuleNode* module, CNode** out, std::string name);
    virtual bool TypeDefinition(CModuleNode* module, CNode** out, std::string name);
    virtual bool LeftNamedDefinition(CModuleNode* module, CNode** constant, CNode** function,
                                     CNode** type, float* index);
    virtual bool ConstantDefinition(CModuleNode* module, CNode** out);
    virtual bool FunctionOrDeclaration(CModuleNode* module, CNode** out, std::string name);
    virtual bool FunctionItem(CModuleNode* module, CNode** out, std::string name);
    virtual bool TypeItem(CModuleNode* module, CNode** out, std::string name);
    virtual bool Item(CModuleNode* module);
    virtual bool Program(CModuleNode** out);
    virtual bool ConstParallelList(CModuleNode* module, CNode** out);
    virtual bool ConstDataList(CModuleNode* module, CNode** out);
    virtual bool ConstList(CModuleNode* module, CNode** out);
    virtual bool ConstAtom(CModuleNode* module, CNode** out);
    virtual bool ConstApplication(CModuleNode* module, CExpressionNode** expr, CNode** last);
    virtual bool ConstTerm(CModuleNode* module, CNode** out);
    virtual bool ConstExpression(CModuleNode* module, CNode** out);
    virtual bool ConstLeftNamedElement(CModuleNode* module, CNode* list, CNode** out);
    virtual bool ConstElement(CModuleNode* module, CNode* list);
    virtual void Clear();

    // Number of nodes owned now (for tests of ownership).
    std::size_t NodeCount() const { return m_nodes.size(); }

protected:
    void NextToken() { scanner->GetToken(token); }
    int CurrentLine() const { return scanner->Line(); }
    [[noreturn]] static void Fail(int code, std::string text = {});

    // Shared halves of the twin rules.
    bool Definition(CModuleNode* module, CNode** out, int keyword);
    bool StatementList(CNode* scope);
    // A bracketed list whose elements `element(list)` reads, separated by commas.
    template <class ElementRule>
    bool ListOf(CNode** out, int open, int close, int kind, ElementRule element);
    bool AtomOfToken(CNode** out);
    bool OverloadHead(float* index);
    bool LeftNamedBody(CModuleNode* module, const std::string& name, bool overloaded,
                       CNode** constant, CNode** function, CNode** type, float* index);
    void EnterInnerDefinition(CModuleNode* module, const std::string& name, bool overloaded,
                              CNode* constant, CNode* function, CNode* type, float index);
    void NameFunction(CModuleNode* module, CNode* function);
    void NameType(CModuleNode* module, CNode* type);
    void NameConstant(CModuleNode* module, CNode* constant);
    void NameLeftNamedItem(CModuleNode* module, CNode* constant, CNode* function, CNode* type);
    void CheckDuplicate(const std::string& name, CModuleNode* module, bool withOverloads);
    void CheckLocal(CNode* scope, const std::string& name);
    void CheckImplemented(CModuleNode* module);
    void DefineRightNames(CNode* scope, CNode* node, bool rename);

    // Text for a node to borrow as its name or its identifier: as long-lived as the nodes.
    std::string_view Keep(std::string_view text) { return m_nodes.Keep(text); }
    // A new node, owned by the parser.
    template <class T, class... Args> T* Make(Args&&... args) {
        return m_nodes.Make<T>(std::forward<Args>(args)...);
    }

    // An atom or a keyword node holds nothing but its value, so one node per value stands
    // in every place the value is written, and a long program makes a few hundred of them
    // instead of one per literal. The one exception: a term that takes an alternative
    // ("else") keeps it in its node, so it gets a node of its own. Called with the token
    // after the atom current: a term that takes an alternative is the last one read before
    // the "else".
    template <class T, class Value> T* SharedAtom(T*& shared, Value value) {
        if (token.code == kKwElse)
            return Make<T>(value);
        if (shared == nullptr)
            shared = Make<T>(value);
        return shared;
    }
    struct CSharedAtoms;
    CSharedAtoms& Atoms();

    CNodeStore m_nodes;
    std::unique_ptr<CSharedAtoms> m_pAtoms; // made at the first atom, emptied by Clear
    CScanner* scanner;
    Token token{};
    // Names of left namings of the current top-level item: known while its body is read.
    std::vector<std::string> pendingNames;
};

// Reads the argument text of a run against a translated module.
class CArgumentParser : public CParser {
public:
    CArgumentParser(CScanner* scanner, CModuleNode* context);
    ~CArgumentParser() override;
    bool ResolveName(std::string_view name, CNode* scope, CNode** out) override;
    bool DelayedList(CNode* scope, CNode** out) override;
    // Reads one term of the argument text. Names the argument defines go into a scope of
    // its own, never into the context module's tables.
    virtual bool ParseArgument(CNode* ignored, CNode** out);

private:
    CModuleNode* context;
};
