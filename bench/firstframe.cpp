// Preloaded into a program (LD_PRELOAD) to time its start-up from outside: at the first glXSwapBuffers it
// writes the milliseconds since the process started, as the kernel recorded it, to the file named by
// FIRST_FRAME_FILE. Calls pass through unchanged.
#include <GL/glx.h>
#include <dlfcn.h>

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// The process's start in clock ticks after boot: field 22 of /proc/self/stat, counted after the command
// name's closing parenthesis, since the name may hold spaces.
double StartMilliseconds() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat) return -1;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* p = read ? std::strrchr(line, ')') : nullptr;
    if (!p) return -1;
    unsigned long long ticks = 0;
    // After ")": state is field 3, starttime field 22.
    if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                    &ticks) != 1)
        return -1;
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void RecordFirstFrame() {
    static std::atomic<bool> done{false};
    if (done.exchange(true)) return;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
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

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using TSwap = void (*)(Display*, GLXDrawable);
    static const auto next = reinterpret_cast<TSwap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    next(display, drawable);
    RecordFirstFrame();
}
