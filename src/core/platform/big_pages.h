#pragma once
// Memory for pictures of many megabytes. Pieces of a fine grid are copied a few dozen
// bytes per row, each row in another 4 KiB page of a board that spans thousands of them,
// so with ordinary pages nearly every row costs an address-translation miss. Blocks of
// 2 MiB and more are aligned to the kernel's big pages and asked for them, which also
// cuts a fresh picture's page faults by a factor of 512.

#include <cstddef>
#include <new>
#include <utility>

namespace tessaron {

inline constexpr std::size_t kBigPage = std::size_t{2} << 20;

// Asks the kernel to back the whole big pages inside [begin, begin + bytes) with big
// pages. A hint only: nothing changes where the kernel does not offer them.
void adviseBigPages(void* begin, std::size_t bytes);

void* allocateBig(std::size_t bytes);
void freeBig(void* block, std::size_t bytes) noexcept;

template <typename T>
struct BigPageAllocator {
    using value_type = T;
    BigPageAllocator() = default;
    template <typename U>
    BigPageAllocator(const BigPageAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(allocateBig(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { freeBig(p, n * sizeof(T)); }
    // Pixels about to be drawn over need no zeroing first: a vector grown with resize()
    // leaves them as they are.
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <typename U>
    friend bool operator==(const BigPageAllocator&, const BigPageAllocator<U>&) noexcept
    {
        return true;
    }
};

}  // namespace tessaron
