// Storage for one parsed tree at a time. The parser asks for pages of 32 KB, a scene of many elements for
// thousands of them; from the C library each would be faulted in a small page at a time, and a tree dropped
// and parsed again would be given back to the system and faulted in anew. Here pages are cut from a few
// blocks, large ones in huge pages, and a document object loading file after file keeps the blocks its last
// tree used.
#pragma once

#include <cstddef>
#include <vector>

#include "LargeAllocation.h"

class TTreeArena {
public:
    // Storage for `bytes`, 16-byte aligned, valid until Reuse or Release; null when it cannot be had.
    void* Allocate(std::size_t bytes) noexcept;
    // Makes every block available to the next tree. Only once the last tree has given back all it took.
    void Reuse();
    // Gives back the blocks the tree since the last Reuse did not reach, so that a small tree after a large
    // one does not keep the large one's memory.
    void ReleaseUnreached();
    void Release();

private:
    struct TBlock {
        TLargeArray<char> Bytes;
        std::size_t Size;
    };
    std::vector<TBlock> Blocks;
    std::size_t Current = 0;  // the block being cut; Blocks.size() when none is
    std::size_t Used = 0;     // bytes cut from the current block
};
