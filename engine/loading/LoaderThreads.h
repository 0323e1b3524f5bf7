// The loader's second core: the largest pieces of work of a load (reading the file, the numbers of a long
// array, the expansion of a big mesh) are cut in two and done by two threads at once. What is read is the
// same, byte for byte, with one thread or two.
#pragma once

#include <cstddef>
#include <functional>

// Below this many bytes of text or of output, a second thread costs more than it saves (measured on the
// grids of 10 000, 100 000 and 1 000 000 triangles: only the last gains).
inline constexpr std::size_t SmallestPieceForTwoThreads = std::size_t(8) << 20;

// How many threads a load may use: 1, or 2 (the default on a machine with more than one core), and from
// which size of a piece of work on.
int LoaderThreads();
void SetLoaderThreads(int threads, std::size_t smallestPiece = SmallestPieceForTwoThreads);

// Whether work on this many bytes is worth a second thread.
bool WorthTwoThreads(std::size_t bytes);

// Runs `second` on another thread while `first` runs on this one, and returns when both are done. An
// exception from either is raised here once both have ended (the first one's when both raise). Without a
// second thread (one allowed, or none to be had) the two run here one after the other.
void RunInTwo(const std::function<void()>& first, const std::function<void()>& second);

// Runs work(first, last) over the items 0 to count: in two halves on two threads when the items' bytes are
// worth it, else at once on this thread.
template <typename Work>
void ForHalves(std::size_t count, std::size_t bytesPerItem, const Work& work) {
    if (!WorthTwoThreads(count * bytesPerItem)) return work(std::size_t(0), count);
    const std::size_t half = count / 2;
    RunInTwo([&] { work(std::size_t(0), half); }, [&] { work(half, count); });
}
