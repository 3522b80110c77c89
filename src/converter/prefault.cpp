#include "prefault.h"

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace nconv {

void prefaultHeap(std::size_t bytes)
{
#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
    // Free space at the top of the heap would otherwise go back to the system at the next free().
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(4 * bytes));
    void* block = std::malloc(bytes);
    if (block == nullptr)
        return;
    const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(block) & ~(pageSize - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(block) + bytes;
    std::free(block);
    // Only a block taken from the program break is reused by the allocations that follow; one
    // that malloc mapped on its own, or a sanitizer's allocator handed out, is left alone.
    // An older kernel refuses the advice, which only costs the speed.
    if (end <= reinterpret_cast<std::uintptr_t>(sbrk(0)))
        madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)bytes;
#endif
}

} // namespace nconv
