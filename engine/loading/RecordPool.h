// Storage for a great many records of one size, cut from blocks of one huge page each. A scene of a hundred
// thousand nodes would otherwise take a hundred thousand blocks from the C library, spread over its heap among
// everything else: faulted in a small page at a time on a first load, and on the next load written into the
// free lists the last one left, a cache miss each. Here the records of a load lie side by side, a block is
// faulted in at once, and a few empty blocks are kept for the next load.
#pragma once

#include <cstddef>
#include <mutex>

class TRecordPool {
public:
    static constexpr std::size_t BlockBytes = std::size_t(2) << 20;
    // Empty blocks kept for the next records; beyond them, an emptied block goes back to the system.
    static constexpr std::size_t KeptEmptyBlocks = 16;

    // Records of `recordSize` bytes, 16-byte aligned; a record must be smaller than half a block.
    explicit TRecordPool(std::size_t recordSize);
    // Gives back every block; only once every record has been freed.
    ~TRecordPool();
    TRecordPool(const TRecordPool&) = delete;
    TRecordPool& operator=(const TRecordPool&) = delete;

    // Raises std::bad_alloc when no block can be had.
    void* Allocate();
    // Any record of this pool, from any thread; nothing for null.
    void Free(void* record) noexcept;

    // The blocks held, with records or kept empty.
    std::size_t HeldBlocks() const;

private:
    struct TBlock;
    TBlock* TakeBlock();
    void Retire(TBlock* block) noexcept;
    void LinkFirst(TBlock* block) noexcept;
    void Unlink(TBlock* block) noexcept;

    const std::size_t SlotBytes;
    const std::size_t SlotsPerBlock;
    mutable std::mutex Mutex;
    TBlock* WithRoom = nullptr;  // blocks holding records that have room for more, most recent first
    TBlock* Empty = nullptr;     // empty blocks kept, singly linked
    std::size_t EmptyCount = 0;
    std::size_t Held = 0;
};
