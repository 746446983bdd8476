#include "values/Arena.h"

#include "values/NodeBase.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// Address space is reserved for the whole limit but committed in steps, so that a small
// run costs little and a large one few system calls. The range is aligned to huge pages
// and asks for them: a run that fills hundreds of megabytes then takes one page fault per
// two megabytes instead of one per four kilobytes.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kFirstCommit = kHugePage;
constexpr std::size_t kLargestCommit = std::size_t(64) << 20;
// When the limit's address space cannot be had (a bounded address space), the arena
// makes do with less, down to this; its limit shrinks with it.
constexpr std::size_t kSmallestReservation = std::size_t(64) << 20;
// The blocks a view leases from its parent: from 64 KiB, doubling up to 64 MiB.
constexpr std::size_t kSmallestLease = std::size_t(64) << 10;
constexpr std::size_t kLargestLease = std::size_t(64) << 20;

std::size_t PageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

CArena::CArena(std::size_t limitBytes) : m_nLimit(limitBytes) {
    std::size_t size = RoundUp(std::max<std::size_t>(m_nLimit, PageSize()), kHugePage);
    for (;;) {
        // One huge page more than needed, so that the range can start on a huge page.
        void* mapping = mmap(nullptr, size + kHugePage, PROT_NONE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapping != MAP_FAILED) {
            m_pMapping = static_cast<std::byte*>(mapping);
            m_nMappingSize = size + kHugePage;
            const auto start = reinterpret_cast<std::uintptr_t>(mapping);
            m_pBase = m_pMapping + (RoundUp(start, kHugePage) - start);
            m_pTop = m_pCommitted = m_pBase;
            m_pReservedEnd = m_pBase + size;
            madvise(m_pBase, size, MADV_HUGEPAGE);
            break;
        }
        if (size <= kSmallestReservation)
            throw std::bad_alloc();
        size = std::max(kSmallestReservation, size / 2);
    }
    m_nLimit = std::min(m_nLimit, size);
}

CArena::CArena(CArena& parent)
    : m_pPinned(nullptr), m_nLimit(parent.m_nLimit), m_pParent(&parent),
      m_nNextLease(kSmallestLease) {
}

CArena::CArena(CArena& parent, std::size_t bytes) : CArena(parent) {
    if (bytes == 0)
        return;
    m_pBase = m_pTop = parent.Lease(RoundUp(bytes, kAlignment));
    m_pCommitted = m_pReservedEnd = m_pBase + RoundUp(bytes, kAlignment);
}

CArena::~CArena() {
    m_adopted.clear();
    if (m_pMapping != nullptr)
        munmap(m_pMapping, m_nMappingSize);
}

void* CArena::AllocateSlow(std::size_t bytes) {
    if (bytes == 0)
        return Allocate(kAlignment);
    if (m_pParent != nullptr)
        return AllocateLeased(bytes);
    const std::size_t used = BytesUsed();
    if (bytes > m_nLimit || used > m_nLimit - bytes)
        throw CMemoryLimitError();
    const std::size_t committed = static_cast<std::size_t>(m_pCommitted - m_pBase);
    const std::size_t step = std::clamp(committed, kFirstCommit, kLargestCommit);
    const std::size_t wanted = RoundUp(std::max(used + bytes - committed, step), kHugePage);
    const std::size_t grow =
        std::min(wanted, static_cast<std::size_t>(m_pReservedEnd - m_pCommitted));
    if (mprotect(m_pCommitted, grow, PROT_READ | PROT_WRITE) != 0)
        throw CMemoryLimitError();
    m_pCommitted += grow;
    return Allocate(bytes);
}

// A view leases blocks that grow with its use, so that a thread making many values takes
// the lock seldom and one making few wastes little of the parent (the rest of its last
// block stays unused until a region around the list is reclaimed). The blocks grow large
// because a call's memory is given back only while it lies in one block: the calls of an
// item that makes many megabytes would otherwise keep all of them. Near the limit a view
// leases only what it needs, so that it runs out where the run itself would.
void* CArena::AllocateLeased(std::size_t bytes) {
    const std::size_t needed = RoundUp(bytes, kAlignment);
    std::size_t size = std::max(m_nNextLease, needed);
    std::byte* block = nullptr;
    try {
        block = m_pParent->Lease(size);
    } catch (const CMemoryLimitError&) {
        if (size == needed)
            throw;
        size = needed;
        block = m_pParent->Lease(size);
    }
    m_nNextLease = std::min(m_nNextLease * 2, kLargestLease);
    m_nRetired += BytesUsed();
    m_pBase = m_pTop = block;
    m_pCommitted = m_pReservedEnd = block + size;
    return Allocate(bytes);
}

std::byte* CArena::Lease(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(m_leaseMutex);
    return static_cast<std::byte*>(Allocate(bytes));
}

void CArena::PinParent() {
    std::lock_guard<std::mutex> lock(m_pParent->m_leaseMutex);
    m_pParent->Pin();
}

void CArena::Release(std::byte* mark) {
    if (mark < m_pBase || mark < m_pPinned || mark >= m_pTop)
        return;
#ifdef TIRVANE_ASAN
    ASAN_POISON_MEMORY_REGION(mark, static_cast<std::size_t>(m_pTop - mark));
#endif
    m_nRetired += static_cast<std::size_t>(m_pTop - mark);
    m_pTop = mark;
}

void CArena::Adopt(CNodeBase* node) {
    if (m_pParent != nullptr) {
        std::lock_guard<std::mutex> lock(m_pParent->m_leaseMutex);
        m_pParent->m_adopted.emplace_back(node);
        return;
    }
    m_adopted.emplace_back(node);
}

std::size_t CArena::DefaultLimit() {
    if (const char* mb = std::getenv("TIRVANE_MEMORY_LIMIT_MB")) {
        const long long value = std::atoll(mb);
        if (value > 0)
            return static_cast<std::size_t>(value) * 1024 * 1024;
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::size_t(1) << 30;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) / 4;
}

// Values made outside any run (tests, tools) live as long as their thread.
CArena& CArena::ThreadArena() {
    thread_local CArena s_threadArena;
    return s_threadArena;
}

CArenaScope::CArenaScope(CArena& arena) : m_pPrevious(CArena::s_pCurrent) {
    CArena::s_pCurrent = &arena;
}

CArenaScope::~CArenaScope() {
    CArena::s_pCurrent = m_pPrevious;
}

void* AllocateWithHugePages(std::size_t& bytes) {
    if (bytes < kHugePage)
        return std::malloc(bytes);
    bytes = RoundUp(bytes, kHugePage);
    void* memory = std::aligned_alloc(kHugePage, bytes);
    if (memory != nullptr)
        madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
}
