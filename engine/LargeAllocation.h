// Storage for the loader's large arrays and document buffers. Blocks of a huge page or more are aligned to
// huge pages and marked for them, so that filling a mesh of millions of vertices takes a few thousand page
// faults instead of a few hundred thousand, and reading it back misses the TLB far less often.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

struct TFreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

template <typename T>
using TLargeArray = std::unique_ptr<T[], TFreeDeleter>;

// Uninitialised storage for `count` trivially copyable values; raises std::bad_alloc when it cannot be had.
void* AllocateLarge(std::size_t bytes);

template <typename T>
TLargeArray<T> AllocateLargeArray(std::size_t count) {
    if (count == 0) return nullptr;
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return TLargeArray<T>(static_cast<T*>(AllocateLarge(count * sizeof(T))));
}
