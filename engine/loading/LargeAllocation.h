// Storage for the loader's large arrays and document buffers. Blocks of a huge page or more are aligned to
// huge pages and marked for them, so that filling a mesh of millions of vertices takes a few thousand page
// faults instead of a few hundred thousand, and reading it back misses the TLB far less often. They are
// mapped from the system and unmapped when freed, so a load's memory is given back when it is done with,
// whatever the process allocated before (the C library keeps blocks below a threshold it raises as large
// blocks come and go).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

// Gives back a block of AllocateLarge; nothing for a null pointer.
void FreeLarge(void* block) noexcept;

struct TLargeDeleter {
    void operator()(void* block) const { FreeLarge(block); }
};

template <typename T>
using TLargeArray = std::unique_ptr<T[], TLargeDeleter>;

// Whether a new block's pages are provided at once, or left to the writers, which may be two threads that
// each provide their own part (PopulatePages) or a writer that may not need them all.
enum class TPages { Now, Later };

// Uninitialised storage for `count` trivially copyable values; raises std::bad_alloc when it cannot be had.
void* AllocateLarge(std::size_t bytes, TPages pages = TPages::Now);

// Provides the pages of part of a block at once: one call instead of one fault per page. Only advice.
void PopulatePages(void* first, std::size_t bytes);

template <typename T>
TLargeArray<T> AllocateLargeArray(std::size_t count, TPages pages = TPages::Now) {
    if (count == 0) return nullptr;
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return TLargeArray<T>(static_cast<T*>(AllocateLarge(count * sizeof(T), pages)));
}
