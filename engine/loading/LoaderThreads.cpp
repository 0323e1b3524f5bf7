#include "LoaderThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> Threads{std::thread::hardware_concurrency() > 1 ? 2 : 1};
std::atomic<std::size_t> SmallestPiece{SmallestPieceForTwoThreads};

}  // namespace

int LoaderThreads() { return Threads.load(std::memory_order_relaxed); }

void SetLoaderThreads(int threads, std::size_t smallestPiece) {
    Threads.store(std::clamp(threads, 1, 2), std::memory_order_relaxed);
    SmallestPiece.store(smallestPiece, std::memory_order_relaxed);
}

bool WorthTwoThreads(std::size_t bytes) {
    return LoaderThreads() > 1 && bytes >= SmallestPiece.load(std::memory_order_relaxed);
}

void RunInTwo(const std::function<void()>& first, const std::function<void()>& second) {
    std::exception_ptr secondError;
    std::thread helper;
    if (LoaderThreads() > 1) {
        try {
            helper = std::thread([&] {
                try {
                    second();
                } catch (...) {
                    secondError = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: the second part runs here after the first.
        }
    }
    std::exception_ptr firstError;
    try {
        first();
    } catch (...) {
        firstError = std::current_exception();
    }
    if (helper.joinable())
        helper.join();
    else if (!firstError)
        second();
    if (firstError) std::rethrow_exception(firstError);
    if (secondError) std::rethrow_exception(secondError);
}
