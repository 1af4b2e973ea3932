#include "core/platform/big_pages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessaron {

void adviseBigPages(void* begin, std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kBigPage - 1) & ~(kBigPage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kBigPage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)bytes;
#endif
}

void* allocateBig(std::size_t bytes)
{
    if (bytes < kBigPage)
        return ::operator new(bytes);
    // aligned_alloc wants a multiple of the alignment.
    const std::size_t rounded = (bytes + kBigPage - 1) & ~(kBigPage - 1);
    if (rounded < bytes)
        throw std::bad_alloc();
    void* block = std::aligned_alloc(kBigPage, rounded);
    if (!block)
        throw std::bad_alloc();
    // Only the whole big pages the pixels fill: a big page for the last few rows would
    // hold up to 2 MiB of memory nobody uses.
    adviseBigPages(block, bytes);
    return block;
}

void freeBig(void* block, std::size_t bytes) noexcept
{
    if (bytes < kBigPage)
        ::operator delete(block);
    else
        std::free(block);
}

}  // namespace tessaron
