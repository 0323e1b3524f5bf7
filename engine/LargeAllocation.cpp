#include "LargeAllocation.h"

#include <sys/mman.h>
#include <cstdint>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
constexpr std::size_t Page = 4096;
// Below this a block most likely comes from memory the process has touched before.
constexpr std::size_t PopulateFrom = 64 << 10;

// Every block is written whole right after it is made, so its pages are faulted in by one call rather than
// one trap per page, which costs more than the page's clearing on a virtual machine. Only advice: a kernel
// without it leaves the pages to be faulted in as they are written.
void Populate(void* block, std::size_t bytes) {
    if (bytes < PopulateFrom) return;
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(block) + Page - 1) & ~(Page - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(Page - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

}  // namespace

void* AllocateLarge(std::size_t bytes) {
    if (bytes < HugePage) {
        void* block = std::malloc(bytes);
        if (!block) throw std::bad_alloc();
        Populate(block, bytes);
        return block;
    }
    const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* block = std::aligned_alloc(HugePage, rounded);
    if (!block) throw std::bad_alloc();
    // Only advice: where the kernel offers no huge pages the block works the same. The part of the last
    // huge page that the block does not fill stays in small pages, so that memory is never held for it.
    madvise(block, bytes / HugePage * HugePage, MADV_HUGEPAGE);
    Populate(block, bytes);
    return block;
}
