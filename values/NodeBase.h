#pragma once
// What values know of a program node: a reference to a function or a type prints the name
// it is defined under, and a run's arena owns the nodes made while the run goes on. The
// model's nodes derive from it; everything else about them lies in the layers above.

#include <cstdint>
#include <string_view>

class CNodeBase {
public:
    explicit CNodeBase(std::string_view name = {}) { SetName(name); }
    CNodeBase(const CNodeBase&) = delete;
    CNodeBase& operator=(const CNodeBase&) = delete;
    virtual ~CNodeBase() = default;

    // The class word, or the name the node is defined under.
    std::string_view Name() const { return {m_pName, m_nNameLength}; }
    // The text is borrowed, not copied: a class word is a literal, and a name the parser
    // gives lives in the parser's node store as long as the node. A translation makes
    // hundreds of thousands of nodes, and a string of their own made every node 24 bytes
    // larger.
    void SetName(std::string_view name) {
        m_pName = name.data();
        m_nNameLength = static_cast<std::uint32_t>(name.size());
    }

private:
    const char* m_pName = nullptr;
    std::uint32_t m_nNameLength = 0; // the nodes' own members may use the bytes after it
};
