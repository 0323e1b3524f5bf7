#include "LargeAllocation.h"

#include <sys/mman.h>
#include <cstdint>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
constexpr std::size_t Page = 4096;
// Below this a block most likely comes from memory the process has touched before.
constexpr std::size_t PopulateFrom = 64 << 10;

}  // namespace

// Every block is written whole right after it is made, so its pages are faulted in by one call rather than
// one trap per page, which costs more than the page's clearing on a virtual machine. Only advice: a kernel
// without it leaves the pages to be faulted in as they are written.
void PopulatePages(void* block, std::size_t bytes) {
    if (bytes < PopulateFrom) return;
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(block) + Page - 1) & ~(Page - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(Page - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

namespace {

// Kept right before every block: how to give it back.
struct alignas(16) TBlockHeader {
    void* Start;         // what malloc returned, or the first mapped byte
    std::size_t Mapped;  // bytes mapped from Start; 0 for a block from malloc
};

TBlockHeader* HeaderOf(void* block) { return static_cast<TBlockHeader*>(block) - 1; }

}  // namespace

void* AllocateLarge(std::size_t bytes, TPages pages) {
    if (bytes > static_cast<std::size_t>(-1) / 2 - 2 * HugePage) throw std::bad_alloc();
    if (bytes < HugePage) {
        void* start = std::malloc(sizeof(TBlockHeader) + bytes);
        if (!start) throw std::bad_alloc();
        void* block = static_cast<TBlockHeader*>(start) + 1;
        *HeaderOf(block) = {start, 0};
        if (pages == TPages::Now) PopulatePages(block, bytes);
        return block;
    }
    // Mapped with a huge page of slack, then cut down to the aligned block and the page before it, which
    // holds the header.
    const std::size_t pages4k = (bytes + Page - 1) / Page * Page;
    const std::size_t asked = pages4k + HugePage;
    void* mapping = mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t block = (first + Page + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t start = block - Page, end = block + pages4k;
    if (start > first) munmap(mapping, start - first);
    if (first + asked > end) munmap(reinterpret_cast<void*>(end), first + asked - end);
    void* const data = reinterpret_cast<void*>(block);
    *HeaderOf(data) = {reinterpret_cast<void*>(start), end - start};
    // Only advice: where the kernel offers no huge pages the block works the same. The part of the last
    // huge page that the block does not fill stays in small pages, so that memory is never held for it.
    madvise(data, bytes / HugePage * HugePage, MADV_HUGEPAGE);
    if (pages == TPages::Now) PopulatePages(data, bytes);
    return data;
}

void FreeLarge(void* block) noexcept {
    if (!block) return;
    const TBlockHeader header = *HeaderOf(block);
    if (header.Mapped == 0)
        std::free(header.Start);
    else
        munmap(header.Start, header.Mapped);
}
