#include "TreeArena.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::size_t Alignment = 16;
// Each block is twice the last, so a tree of N bytes takes a few dozen blocks however large it is, and the
// last block leaves at most half unused; its unused pages are never touched, so they take no memory.
constexpr std::size_t FirstBlock = std::size_t(256) << 10;
constexpr std::size_t LargestBlock = std::size_t(64) << 20;

std::size_t Aligned(std::size_t bytes) { return (bytes + Alignment - 1) / Alignment * Alignment; }

}  // namespace

void* TTreeArena::Allocate(std::size_t bytes) noexcept {
    if (bytes > LargestBlock * 64) return nullptr;
    const std::size_t size = Aligned(bytes);
    while (Current < Blocks.size()) {
        TBlock& block = Blocks[Current];
        if (block.Size - Used >= size) {
            void* const cut = block.Bytes.get() + Used;
            Used += size;
            return cut;
        }
        ++Current;
        Used = 0;
    }
    const std::size_t last = Blocks.empty() ? FirstBlock / 2 : Blocks.back().Size;
    const std::size_t blockSize = std::max(size, std::min(last * 2, LargestBlock));
    try {
        Blocks.reserve(Blocks.size() + 1);
        Blocks.push_back({AllocateLargeArray<char>(blockSize, TPages::Later), blockSize});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    Current = Blocks.size() - 1;
    Used = size;
    return Blocks.back().Bytes.get();
}

void TTreeArena::Reuse() {
    Current = 0;
    Used = 0;
}

void TTreeArena::ReleaseUnreached() { Blocks.resize(std::min(Blocks.size(), Current + 1)); }

void TTreeArena::Release() {
    Blocks.clear();
    Reuse();
}
