#pragma once
// The name table of a scope: names to nodes, read like an ordered map. Its order is
// unsigned byte order and visible to users (named expressions run in it, the IDE lists it),
// but it is only needed once a table is complete, while a translation looks names up in
// tables of tens of thousands as it adds them. So the entries are kept in one array in the
// order they came, found through a hash index, and sorted once, at the first walk over the
// table (begin()); Prepare walks every table, so a prepared tree's tables are sorted and
// never change again.
//
// A translation makes a table for every block and function, most of them of a name or two:
// the entries may live in memory that outlives the table (UseMemory: the parser's node
// store), which spares the heap tens of thousands of small allocations.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

template <class T> class CNameTable {
public:
    using value_type = std::pair<std::string, T>;
    using iterator = value_type*;
    using const_iterator = const value_type*;

    CNameTable() = default;
    CNameTable(const CNameTable&) = delete;
    CNameTable& operator=(const CNameTable&) = delete;
    ~CNameTable() { Release(); }

    // Where the entries' memory comes from, the heap unless set; memory that is freed only
    // with the whole of it may be given, for a table it outlives. Set while the table is empty.
    void UseMemory(std::pmr::memory_resource* memory) {
        clear();
        Release();
        m_pMemory = memory;
    }

    // A walk sorts the table first: positions found before it may have moved. Sorting
    // happens in place, so end() stays where it was.
    iterator begin() {
        Sort();
        return m_pEntries;
    }
    const_iterator begin() const {
        Sort();
        return m_pEntries;
    }
    iterator end() { return m_pEntries + m_nSize; }
    const_iterator end() const { return m_pEntries + m_nSize; }
    std::size_t size() const { return m_nSize; }
    bool empty() const { return m_nSize == 0; }

    iterator find(std::string_view name) {
        const std::size_t at = Position(name);
        return at != kNone ? m_pEntries + at : end();
    }
    const_iterator find(std::string_view name) const {
        const std::size_t at = Position(name);
        return at != kNone ? m_pEntries + at : end();
    }
    std::size_t count(std::string_view name) const { return Position(name) != kNone ? 1 : 0; }
    T& at(std::string_view name) { return const_cast<T&>(std::as_const(*this).at(name)); }
    const T& at(std::string_view name) const {
        const std::size_t found = Position(name);
        if (found == kNone)
            throw std::out_of_range("name table: no such name");
        return m_pEntries[found].second;
    }
    // Adds name unless it is there already, like std::map::emplace.
    std::pair<iterator, bool> emplace(std::string_view name, T value) {
        if (const std::size_t found = Position(name); found != kNone)
            return {m_pEntries + found, false};
        return {Append(name, std::move(value)), true};
    }
    T& operator[](std::string_view name) {
        if (const std::size_t found = Position(name); found != kNone)
            return m_pEntries[found].second;
        return Append(name, T{})->second;
    }
    void clear() {
        std::destroy_n(m_pEntries, m_nSize);
        m_nSize = 0;
        m_index.clear();
        m_bSorted = true;
    }

private:
    static constexpr std::size_t kNone = ~std::size_t(0);
    // Comparing a few names is as quick as hashing one.
    static constexpr std::size_t kSmallTable = 8;

    // FNV-1a: names are short, and a library hash costs a call per name.
    static std::size_t Hash(std::string_view name) {
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return static_cast<std::size_t>(hash ^ (hash >> 32));
    }

    std::size_t Position(std::string_view name) const {
        if (m_index.empty()) {
            for (std::size_t i = 0; i < m_nSize; ++i) {
                if (m_pEntries[i].first == name)
                    return i;
            }
            return kNone;
        }
        const std::size_t mask = m_index.size() - 1;
        const std::size_t hash = Hash(name);
        const auto place = static_cast<std::uint32_t>(mask);
        const auto tag = static_cast<std::uint32_t>(hash & ~mask);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const std::uint32_t held = m_index[slot];
            if (held == 0)
                return kNone;
            if ((held & ~place) == tag && m_pEntries[(held & place) - 1].first == name)
                return (held & place) - 1;
        }
    }

    iterator Append(std::string_view name, T value) {
        if (m_bSorted && m_nSize != 0 && std::string_view(m_pEntries[m_nSize - 1].first) >= name)
            m_bSorted = false;
        if (m_nSize == m_nCapacity)
            Grow();
        ::new (static_cast<void*>(m_pEntries + m_nSize))
            value_type(std::string(name), std::move(value));
        ++m_nSize;
        if (m_nSize > kSmallTable) {
            if (2 * m_nSize > m_index.size())
                Reindex();
            else
                IndexEntry(m_nSize - 1);
        }
        return m_pEntries + m_nSize - 1;
    }

    void Grow() {
        // A block's few names take one allocation.
        const std::uint32_t capacity = m_nCapacity == 0 ? 4 : 2 * m_nCapacity;
        auto* grown = static_cast<value_type*>(
            m_pMemory->allocate(capacity * sizeof(value_type), alignof(value_type)));
        std::uninitialized_move_n(m_pEntries, m_nSize, grown);
        const std::uint32_t size = m_nSize;
        Release();
        m_pEntries = grown;
        m_nSize = size;
        m_nCapacity = capacity;
    }

    // Destroys the entries and gives their memory back.
    void Release() {
        std::destroy_n(m_pEntries, m_nSize);
        if (m_pEntries != nullptr)
            m_pMemory->deallocate(m_pEntries, m_nCapacity * sizeof(value_type),
                                  alignof(value_type));
        m_pEntries = nullptr;
        m_nSize = 0;
        m_nCapacity = 0;
    }

    void IndexEntry(std::size_t at) const {
        const std::size_t mask = m_index.size() - 1;
        const std::size_t hash = Hash(m_pEntries[at].first);
        std::size_t slot = hash & mask;
        while (m_index[slot] != 0)
            slot = (slot + 1) & mask;
        m_index[slot] = static_cast<std::uint32_t>((at + 1) | (hash & ~mask));
    }

    void Reindex() const {
        if (m_nSize <= kSmallTable) {
            m_index.clear();
            return;
        }
        std::size_t capacity = 16;
        while (capacity < 4 * m_nSize)
            capacity *= 2;
        m_index.assign(capacity, 0);
        for (std::size_t i = 0; i < m_nSize; ++i)
            IndexEntry(i);
    }

    // The first eight bytes of a name as a number that orders as the bytes do (a shorter
    // name is padded with zeros; names hold no zero byte).
    static std::uint64_t Prefix(const std::string& name) {
        std::uint64_t key = 0;
        const std::size_t length = std::min<std::size_t>(name.size(), 8);
        for (std::size_t i = 0; i < length; ++i)
            key |= std::uint64_t(static_cast<unsigned char>(name[i])) << (56 - 8 * i);
        return key;
    }

    // Only an incomplete table is ever sorted (while it is built, on one thread). Most
    // names differ in their first eight bytes, so a sort of those as numbers, with the
    // entries' places beside them, decides nearly every comparison without reading the
    // strings, and the entries themselves move once.
    void Sort() const {
        if (m_bSorted)
            return;
        // A block's few names are put in place one by one, without the keys' memory.
        if (m_nSize <= kSmallTable) {
            for (std::size_t i = 1; i < m_nSize; ++i) {
                for (std::size_t j = i; j > 0 && m_pEntries[j].first < m_pEntries[j - 1].first; --j)
                    std::swap(m_pEntries[j], m_pEntries[j - 1]);
            }
            m_bSorted = true;
            return;
        }
        struct Key {
            std::uint64_t prefix;
            std::size_t at;
        };
        std::vector<Key> keys(m_nSize);
        for (std::size_t i = 0; i < m_nSize; ++i)
            keys[i] = {Prefix(m_pEntries[i].first), i};
        std::sort(keys.begin(), keys.end(), [this](const Key& a, const Key& b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            // Equal prefixes ending in a zero are two names of under eight bytes: equal.
            return (a.prefix & 0xFF) != 0 && m_pEntries[a.at].first < m_pEntries[b.at].first;
        });
        // In place (end() stays), along the cycles of the order: every entry moves once, and
        // no second array of them takes fresh memory.
        for (std::size_t i = 0; i < m_nSize; ++i) {
            if (keys[i].at == i)
                continue;
            value_type held = std::move(m_pEntries[i]);
            std::size_t to = i;
            for (;;) {
                const std::size_t from = keys[to].at;
                keys[to].at = to;
                if (from == i)
                    break;
                m_pEntries[to] = std::move(m_pEntries[from]);
                to = from;
            }
            m_pEntries[to] = std::move(held);
        }
        m_bSorted = true;
        Reindex();
    }

    value_type* m_pEntries = nullptr; // in the order added, until sorted
    std::uint32_t m_nSize = 0;        // the index holds 32-bit places too
    std::uint32_t m_nCapacity = 0;
    std::pmr::memory_resource* m_pMemory = std::pmr::new_delete_resource();
    // By hash, 0 free; empty if small. A slot holds its entry's place + 1 in the bits of the
    // index's mask and the same bits of the name's hash above them: a probe that meets
    // another name mostly tells it by those, without reading the entry, which in a large
    // table is a cache miss.
    mutable std::vector<std::uint32_t> m_index;
    mutable bool m_bSorted = true;
};
