#pragma once
// The children of an expression, a list or a scope body: borrowed node pointers, read like
// a vector. Most hold one to three, which live inside the node itself; only a longer
// sequence takes memory of its own. A translation makes hundreds of thousands of them,
// and a heap allocation each was a good part of its time.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

class CNode;

class CNodeList {
public:
    using value_type = CNode*;
    using iterator = CNode**;
    using const_iterator = CNode* const*;

    CNodeList() = default;
    CNodeList(const CNodeList&) = delete;
    CNodeList& operator=(const CNodeList&) = delete;
    ~CNodeList() {
        if (m_pData != m_inline)
            delete[] m_pData;
    }

    std::size_t size() const { return m_nSize; }
    bool empty() const { return m_nSize == 0; }
    CNode* operator[](std::size_t i) const { return m_pData[i]; }
    CNode*& operator[](std::size_t i) { return m_pData[i]; }
    CNode* at(std::size_t i) const {
        if (i >= m_nSize)
            throw std::out_of_range("node list: no such element");
        return m_pData[i];
    }
    iterator begin() { return m_pData; }
    iterator end() { return m_pData + m_nSize; }
    const_iterator begin() const { return m_pData; }
    const_iterator end() const { return m_pData + m_nSize; }
    CNode* back() const { return m_pData[m_nSize - 1]; }

    void push_back(CNode* node) {
        if (m_nSize == m_nCapacity)
            Grow();
        m_pData[m_nSize++] = node;
    }
    // Puts node before position, moving the rest up by one.
    void insert(const_iterator position, CNode* node) {
        const auto at = static_cast<std::size_t>(position - m_pData);
        if (m_nSize == m_nCapacity)
            Grow();
        std::memmove(m_pData + at + 1, m_pData + at, (m_nSize - at) * sizeof(CNode*));
        m_pData[at] = node;
        ++m_nSize;
    }

private:
    static constexpr std::uint32_t kInline = 3;

    void Grow() {
        auto* grown = new CNode*[2 * std::size_t(m_nCapacity)];
        std::memcpy(grown, m_pData, m_nSize * sizeof(CNode*));
        if (m_pData != m_inline)
            delete[] m_pData;
        m_pData = grown;
        m_nCapacity *= 2;
    }

    CNode** m_pData = m_inline;
    std::uint32_t m_nSize = 0;
    std::uint32_t m_nCapacity = kInline;
    CNode* m_inline[kInline];
};
