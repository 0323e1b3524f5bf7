#include "LargeAllocation.h"

#include <sys/mman.h>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;

}  // namespace

void* AllocateLarge(std::size_t bytes) {
    if (bytes < 2 * HugePage) {
        if (void* block = std::malloc(bytes)) return block;
        throw std::bad_alloc();
    }
    const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* block = std::aligned_alloc(HugePage, rounded);
    if (!block) throw std::bad_alloc();
    // Only advice: where the kernel offers no huge pages the block works the same.
    madvise(block, rounded, MADV_HUGEPAGE);
    return block;
}
