// Preloaded into a program (LD_PRELOAD) to time its start-up from outside: at the first glXSwapBuffers it
// writes the milliseconds since the harness started the program (FIRST_FRAME_START) to the file named by
// FIRST_FRAME_FILE. With SWAP_COUNT_FILE set, it also counts every swap in that file (see TSwapCount), for
// frame rates. Calls pass through unchanged.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>

#include <unistd.h>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// The wall-clock time at which the harness started the program: FIRST_FRAME_START in microseconds since the
// epoch, as bash gives it just before the program's exec (${EPOCHREALTIME/[.,]/}). Negative when missing or
// malformed.
double StartMilliseconds() {
    const char* text = std::getenv("FIRST_FRAME_START");
    if (!text || *text == '\0') return -1;
    char* end = nullptr;
    const long long microseconds = std::strtoll(text, &end, 10);
    return *end == '\0' && microseconds > 0 ? static_cast<double>(microseconds) / 1000.0 : -1;
}

void RecordFirstFrame() {
    static std::atomic<bool> done{false};
    if (done.exchange(true)) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double start = StartMilliseconds();
    const char* name = std::getenv("FIRST_FRAME_FILE");
    if (!name || start < 0) return;
    // Written whole and then renamed, so that a reader never sees half a number.
    const std::string partial = std::string(name) + ".partial";
    if (FILE* out = std::fopen(partial.c_str(), "w")) {
        std::fprintf(out, "%.1f\n", now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - start);
        if (std::fclose(out) == 0) std::rename(partial.c_str(), name);
    }
}

// The file named by SWAP_COUNT_FILE, kept mapped so that counting costs no system call per frame: the swaps
// so far and the CLOCK_MONOTONIC nanoseconds at the return of the last, as two native 64-bit integers. A
// reader takes two readings some time apart; frames per second are their difference in swaps over their
// difference in time.
struct TSwapCount {
    std::atomic<std::uint64_t> Swaps;
    std::atomic<std::uint64_t> LastNanoseconds;
};

TSwapCount* MapSwapCount() {
    const char* name = std::getenv("SWAP_COUNT_FILE");
    if (!name) return nullptr;
    const int file = open(name, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (file < 0) return nullptr;
    void* mapped = nullptr;
    if (ftruncate(file, sizeof(TSwapCount)) == 0)
        mapped = mmap(nullptr, sizeof(TSwapCount), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    close(file);
    return mapped == MAP_FAILED ? nullptr : static_cast<TSwapCount*>(mapped);
}

void CountSwap() {
    static TSwapCount* const count = MapSwapCount();
    if (!count) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->LastNanoseconds.store(static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + now.tv_nsec);
    count->Swaps.fetch_add(1);
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using TSwap = void (*)(Display*, GLXDrawable);
    static const auto next = reinterpret_cast<TSwap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    next(display, drawable);
    RecordFirstFrame();
    CountSwap();
}
