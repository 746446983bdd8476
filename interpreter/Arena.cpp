#include "interpreter/Arena.h"

#include "model/Node.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace {
thread_local CArena* t_pCurrent = nullptr;

constexpr std::size_t kAlignment = alignof(std::max_align_t);
constexpr std::size_t kMaxBlock = 4 * 1024 * 1024;

std::size_t AlignUp(std::size_t bytes) {
    return (bytes + kAlignment - 1) & ~(kAlignment - 1);
}
} // namespace

CArena::CArena(std::size_t limitBytes) : m_nLimit(limitBytes) {
}

CArena::~CArena() {
    for (auto it = m_adopted.rbegin(); it != m_adopted.rend(); ++it)
        delete *it;
}

void* CArena::Allocate(std::size_t bytes) {
    bytes = AlignUp(bytes == 0 ? 1 : bytes);
    if (static_cast<std::size_t>(m_pEnd - m_pNext) >= bytes) {
        void* result = m_pNext;
        m_pNext += bytes;
        return result;
    }
    return AllocateSlow(bytes);
}

void* CArena::AllocateSlow(std::size_t bytes) {
    // A request as large as a block gets a block of its own; the current block stays open.
    const bool dedicated = bytes >= m_nNextBlock;
    const std::size_t blockSize = dedicated ? bytes : m_nNextBlock;
    if (blockSize > m_nLimit || m_nUsed > m_nLimit - blockSize)
        throw CMemoryLimitError();
    m_blocks.emplace_back(new std::byte[blockSize]);
    m_nUsed += blockSize;
    std::byte* block = m_blocks.back().get();
    if (dedicated)
        return block;
    m_nNextBlock = std::min(m_nNextBlock * 2, kMaxBlock);
    m_pNext = block + bytes;
    m_pEnd = block + blockSize;
    return block;
}

void CArena::Adopt(CNode* node) {
    m_adopted.push_back(node);
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

CArena& CArena::Current() {
    if (t_pCurrent)
        return *t_pCurrent;
    // Values made outside any run (tests, tools) live as long as their thread.
    thread_local CArena s_threadArena;
    return s_threadArena;
}

CArenaScope::CArenaScope(CArena& arena) : m_pPrevious(t_pCurrent) {
    t_pCurrent = &arena;
}

CArenaScope::~CArenaScope() {
    t_pCurrent = m_pPrevious;
}
