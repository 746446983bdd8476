#pragma once
// The children of an expression, a list or a scope body: borrowed node pointers, read like
// a vector. Most hold one to three, which live inside the node itself; only a longer
// sequence takes memory of its own, and its pointer shares the room of the three. A translation
// makes hundreds of thousands of them, and a heap allocation each was a good part of its time.

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
        if (m_nCapacity != kInline)
            delete[] m_pHeap;
    }

    std::size_t size() const { return m_nSize; }
    bool empty() const { return m_nSize == 0; }
    CNode* operator[](std::size_t i) const { return data()[i]; }
    CNode*& operator[](std::size_t i) { return data()[i]; }
    CNode* at(std::size_t i) const {
        if (i >= m_nSize)
            throw std::out_of_range("node list: no such element");
        return data()[i];
    }
    iterator begin() { return data(); }
    iterator end() { return data() + m_nSize; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + m_nSize; }
    CNode* back() const { return data()[m_nSize - 1]; }

    void push_back(CNode* node) {
        if (m_nSize == m_nCapacity)
            Grow();
        data()[m_nSize++] = node;
    }
    // Puts node before position, moving the rest up by one.
    void insert(const_iterator position, CNode* node) {
        const auto at = static_cast<std::size_t>(position - data());
        if (m_nSize == m_nCapacity)
            Grow();
        CNode** items = data();
        std::memmove(items + at + 1, items + at, (m_nSize - at) * sizeof(CNode*));
        items[at] = node;
        ++m_nSize;
    }

private:
    static constexpr std::uint32_t kInline = 3;

    CNode** data() { return m_nCapacity == kInline ? m_inline : m_pHeap; }
    CNode* const* data() const { return m_nCapacity == kInline ? m_inline : m_pHeap; }

    void Grow() {
        auto* grown = new CNode*[2 * std::size_t(m_nCapacity)];
        std::memcpy(grown, data(), m_nSize * sizeof(CNode*));
        if (m_nCapacity != kInline)
            delete[] m_pHeap;
        m_pHeap = grown;
        m_nCapacity *= 2;
    }

    std::uint32_t m_nSize = 0;
    std::uint32_t m_nCapacity = kInline; // kInline: the items are m_inline
    union {
        CNode* m_inline[kInline];
        CNode** m_pHeap;
    };
};
