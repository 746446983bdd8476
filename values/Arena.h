#pragma once
// The per-run arena: values and list element arrays are bump-allocated here and released
// all at once with the arena. Nodes made at run time (the terms of list values) are
// adopted and deleted with it. A run may not exhaust the machine: allocation beyond the
// arena's limit throws CMemoryLimitError, which ends the run with an error box.
//
// The arena is one reserved range of address space, as large as its limit, that is
// committed as it fills. Being contiguous, it can also give back its newest part: a
// caller that knows nothing allocated after a mark is still reachable releases
// everything above the mark for reuse.
//
// While the elements of a parallel list are evaluated on several threads, each thread
// allocates through a view of the run's arena (CArena(CArena& parent)): the view leases
// blocks of the parent under a lock and bump-allocates inside them, so that every value
// of the run still lies in the one range, under the one limit, and the region
// reclamation of the calls around the list sees them all.

#include "values/NodeBase.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TIRVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIRVANE_ASAN 1
#endif
#endif
#ifdef TIRVANE_ASAN
#include <sanitizer/asan_interface.h>
#endif

class CMemoryLimitError : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "memory limit of the run exceeded"; }
};

class CArena {
public:
    // Every allocation is a multiple of this; values hold nothing wider than a pointer.
    static constexpr std::size_t kAlignment = alignof(void*);

    explicit CArena(std::size_t limitBytes = DefaultLimit());
    // A view of parent for one thread; the parent must outlive it and must not allocate
    // itself while views of it allocate.
    explicit CArena(CArena& parent);
    // A view whose first block holds exactly bytes, leased at once: for a piece of work
    // that knows what it will allocate, so that it wastes none of the parent; beyond it
    // the view leases as any other.
    CArena(CArena& parent, std::size_t bytes);
    CArena(const CArena&) = delete;
    CArena& operator=(const CArena&) = delete;
    ~CArena();

    void* Allocate(std::size_t bytes) {
        bytes = (bytes + kAlignment - 1) & ~(kAlignment - 1);
        if (bytes != 0 && bytes <= static_cast<std::size_t>(m_pCommitted - m_pTop)) {
            std::byte* result = m_pTop;
            m_pTop += bytes;
            return Unpoisoned(result, bytes);
        }
        return AllocateSlow(bytes);
    }
    // The arena deletes the node when it goes.
    void Adopt(CNodeBase* node);

    std::size_t BytesUsed() const { return static_cast<std::size_t>(m_pTop - m_pBase); }
    // Every byte allocated so far, released ones included: never goes down, so the
    // difference of two readings tells how much an evaluation allocated between them.
    std::size_t BytesAllocated() const { return m_nRetired + BytesUsed(); }
    std::size_t Limit() const { return m_nLimit; }
    bool IsView() const { return m_pParent != nullptr; }
    // Whether what lies above mark can be moved down to it through space above the top:
    // always in an arena of its own; in a view only while mark lies in the block it
    // allocates from and the rest of that block can take a copy of everything above mark
    // (the blocks of other threads lie around it).
    bool CanMoveDownTo(const std::byte* mark) const {
        return m_pParent == nullptr ||
               (mark >= m_pBase && mark <= m_pTop && m_pCommitted - m_pTop >= m_pTop - mark);
    }

    // The end of what is allocated: everything allocated later lies at or above it (in a
    // view, only within the block it allocates from).
    std::byte* Top() const { return m_pTop; }
    bool Contains(const void* p) const {
        return static_cast<const std::byte*>(p) >= m_pBase &&
               static_cast<const std::byte*>(p) < m_pTop;
    }
    // Forgets everything allocated at or above mark (a former Top()); the space is reused.
    void Release(std::byte* mark);
    // Everything allocated so far must stay: no release may reach below the current top.
    // In a view it pins the parent as far as every view has allocated.
    void Pin() {
        if (m_pParent != nullptr)
            PinParent();
        m_pPinned = m_pTop > m_pPinned ? m_pTop : m_pPinned;
    }
    std::byte* Pinned() const { return m_pPinned; }

    // A quarter of the physical memory, or TIRVANE_MEMORY_LIMIT_MB from the environment.
    static std::size_t DefaultLimit();

    // The arena that `new` of a value uses on this thread. Without a CArenaScope it is a
    // per-thread arena that lives until the thread ends.
    static CArena& Current() {
        CArena* current = s_pCurrent;
        return current != nullptr ? *current : ThreadArena();
    }

private:
    friend class CArenaScope;

    void* AllocateSlow(std::size_t bytes);
    void* AllocateLeased(std::size_t bytes);
    // For views: a block of at least bytes, allocated under the lock.
    std::byte* Lease(std::size_t bytes);
    void PinParent();
    static CArena& ThreadArena();
    // Under AddressSanitizer released space is poisoned, so that a value used after its
    // region was reclaimed is reported; allocation makes it usable again.
    static void* Unpoisoned(std::byte* p, std::size_t bytes) {
#ifdef TIRVANE_ASAN
        ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
        (void)bytes;
#endif
        return p;
    }

    static inline thread_local CArena* s_pCurrent = nullptr;

    std::byte* m_pMapping = nullptr; // the mapping, a little larger for the alignment
    std::size_t m_nMappingSize = 0;
    std::byte* m_pBase = nullptr;      // the reserved range: [m_pBase, m_pReservedEnd)
    std::byte* m_pTop = nullptr;       // the next allocation
    std::byte* m_pCommitted = nullptr; // readable and writable up to here
    std::byte* m_pReservedEnd = nullptr;
    std::byte* m_pPinned = nullptr; // nothing below it may be released
    std::size_t m_nRetired = 0;     // allocated, then released or left in an earlier block
    std::size_t m_nLimit;
    std::vector<std::unique_ptr<CNodeBase>> m_adopted;
    CArena* m_pParent = nullptr;  // set for a view
    std::size_t m_nNextLease = 0; // a view's next block size
    std::mutex m_leaseMutex;      // taken by the views' leases, adoptions and pins
};

// Memory outside any arena (a program's text, the translation's nodes). bytes of at least
// a huge page are rounded up in place to whole huge pages, aligned to one and offered to
// the system as such: a few page faults instead of one every 4 KiB. Freed with std::free;
// null if the memory cannot be had.
void* AllocateWithHugePages(std::size_t& bytes);

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
