#include "RecordPool.h"

#include <cstdint>
#include <new>

#include "LargeAllocation.h"

// At the start of every block, which is aligned to its size, so that a record finds its block by rounding
// its address down.
struct TRecordPool::TBlock {
    TBlock* Previous = nullptr;
    TBlock* Next = nullptr;
    void* FreeSlots = nullptr;  // freed records, each holding the next one's address
    std::size_t Live = 0;
    std::size_t Carved = 0;  // slots handed out at least once; those after them were never touched
    bool Listed = false;     // in WithRoom
};

namespace {

constexpr std::size_t Alignment = 16;
constexpr std::size_t Round(std::size_t bytes, std::size_t to) { return (bytes + to - 1) / to * to; }
// The slots start after the header, on a cache line of their own.
constexpr std::size_t FirstSlot = 64;

}  // namespace

TRecordPool::TRecordPool(std::size_t recordSize)
    : SlotBytes(Round(recordSize < sizeof(void*) ? sizeof(void*) : recordSize, Alignment)),
      SlotsPerBlock((BlockBytes - FirstSlot) / SlotBytes) {
    static_assert(sizeof(TBlock) <= FirstSlot);
    if (SlotBytes > BlockBytes / 2) throw std::bad_alloc();
}

TRecordPool::~TRecordPool() {
    while (WithRoom) {
        TBlock* const block = WithRoom;
        Unlink(block);
        FreeLarge(block);
    }
    while (Empty) {
        TBlock* const block = Empty;
        Empty = block->Next;
        FreeLarge(block);
    }
}

void* TRecordPool::Allocate() {
    const std::lock_guard<std::mutex> lock(Mutex);
    TBlock* const block = WithRoom ? WithRoom : TakeBlock();
    void* record;
    if (block->FreeSlots) {
        record = block->FreeSlots;
        block->FreeSlots = *static_cast<void**>(record);
    } else {
        record = reinterpret_cast<char*>(block) + FirstSlot + block->Carved * SlotBytes;
        ++block->Carved;
    }
    ++block->Live;
    if (!block->FreeSlots && block->Carved == SlotsPerBlock) Unlink(block);
    return record;
}

void TRecordPool::Free(void* record) noexcept {
    if (!record) return;
    const std::lock_guard<std::mutex> lock(Mutex);
    TBlock* const block = reinterpret_cast<TBlock*>(reinterpret_cast<std::uintptr_t>(record) & ~(BlockBytes - 1));
    *static_cast<void**>(record) = block->FreeSlots;
    block->FreeSlots = record;
    if (--block->Live == 0) {
        if (block->Listed) Unlink(block);
        Retire(block);
    } else if (!block->Listed) {
        LinkFirst(block);
    }
}

std::size_t TRecordPool::HeldBlocks() const {
    const std::lock_guard<std::mutex> lock(Mutex);
    return Held;
}

// A kept empty block, or a new one; listed with room either way.
TRecordPool::TBlock* TRecordPool::TakeBlock() {
    TBlock* block = Empty;
    if (block) {
        Empty = block->Next;
        --EmptyCount;
        *block = TBlock{};
    } else {
        // Aligned to a huge page, which is this block's size, and faulted in as one when first written.
        block = new (AllocateLarge(BlockBytes, TPages::Later)) TBlock{};
        ++Held;
    }
    LinkFirst(block);
    return block;
}

void TRecordPool::Retire(TBlock* block) noexcept {
    if (EmptyCount < KeptEmptyBlocks) {
        block->Next = Empty;
        Empty = block;
        ++EmptyCount;
        return;
    }
    FreeLarge(block);
    --Held;
}

void TRecordPool::LinkFirst(TBlock* block) noexcept {
    block->Previous = nullptr;
    block->Next = WithRoom;
    if (WithRoom) WithRoom->Previous = block;
    WithRoom = block;
    block->Listed = true;
}

void TRecordPool::Unlink(TBlock* block) noexcept {
    if (block->Previous) block->Previous->Next = block->Next;
    if (block->Next) block->Next->Previous = block->Previous;
    if (WithRoom == block) WithRoom = block->Next;
    block->Previous = block->Next = nullptr;
    block->Listed = false;
}
