#include "LoaderThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace {

// Half of a piece this big takes about as long as making and joining a thread, with room to spare.
constexpr std::size_t TwoThreadsFrom = std::size_t(1) << 18;

std::atomic<int> Threads{std::thread::hardware_concurrency() > 1 ? 2 : 1};

}  // namespace

int LoaderThreads() { return Threads.load(std::memory_order_relaxed); }

void SetLoaderThreads(int threads) { Threads.store(std::clamp(threads, 1, 2), std::memory_order_relaxed); }

bool WorthTwoThreads(std::size_t amount) { return LoaderThreads() > 1 && amount >= TwoThreadsFrom; }

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
