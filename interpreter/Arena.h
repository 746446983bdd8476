#pragma once
// The per-run arena: values and list element arrays are bump-allocated here and released
// all at once with the arena. Nodes made at run time (the terms of list values) are
// adopted and deleted with it. A run may not exhaust the machine: allocation beyond the
// arena's limit throws CMemoryLimitError, which ends the run with an error box.

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

class CNode;

class CMemoryLimitError : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "memory limit of the run exceeded"; }
};

class CArena {
public:
    explicit CArena(std::size_t limitBytes = DefaultLimit());
    CArena(const CArena&) = delete;
    CArena& operator=(const CArena&) = delete;
    ~CArena();

    void* Allocate(std::size_t bytes);
    void Adopt(CNode* node);

    std::size_t BytesUsed() const { return m_nUsed; }
    std::size_t Limit() const { return m_nLimit; }

    // A quarter of the physical memory, or TIRVANE_MEMORY_LIMIT_MB from the environment.
    static std::size_t DefaultLimit();

    // The arena that `new` of a value uses on this thread. Without a CArenaScope it is a
    // per-thread arena that lives until the thread ends.
    static CArena& Current();

private:
    void* AllocateSlow(std::size_t bytes);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::vector<CNode*> m_adopted;
    std::byte* m_pNext = nullptr;
    std::byte* m_pEnd = nullptr;
    std::size_t m_nUsed = 0;
    std::size_t m_nLimit;
    std::size_t m_nNextBlock = 64 * 1024;
};

// Makes an arena the current one on this thread for the scope's lifetime.
class CArenaScope {
public:
    explicit CArenaScope(CArena& arena);
    CArenaScope(const CArenaScope&) = delete;
    CArenaScope& operator=(const CArenaScope&) = delete;
    ~CArenaScope();

private:
    CArena* m_pPrevious;
};
