// Loads one document one way, once, and prints the load's wall time, the process's peak resident memory and
// the load's processor time in user space and in the kernel (which provides and clears fresh memory), so
// that each way is measured in a process of its own.
//   loadpeak ours|ours-1|floor|peer|collada FILE.dae  (ours-1: the loader on one thread; collada: the reader of
//   every exporter's documents)
//   ->  "<wall ms> <peak kilobytes> <count read> <user ms> <kernel ms>"
#include <sys/resource.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

double Milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

}  // namespace

#include "LoadWays.h"

int main(int argc, char** argv) {
    using TLoad = std::size_t (*)(const std::string&);
    TLoad load = nullptr;
    if (argc == 3) {
        if (std::strcmp(argv[1], "ours") == 0) load = LoadOurs;
        if (std::strcmp(argv[1], "ours-1") == 0) load = LoadOursOneThread;
        if (std::strcmp(argv[1], "floor") == 0) load = LoadFloor;
        if (std::strcmp(argv[1], "peer") == 0) load = LoadPeer;
        if (std::strcmp(argv[1], "collada") == 0) load = LoadCollada;
    }
    if (load == nullptr) {
        std::fprintf(stderr, "usage: loadpeak ours|ours-1|floor|peer|collada FILE.dae\n");
        return 2;
    }
    try {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        const std::size_t read = load(argv[2]);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        getrusage(RUSAGE_SELF, &after);
        std::printf("%.1f %ld %zu %.1f %.1f\n", elapsed.count(), after.ru_maxrss, read,
                    Milliseconds(after.ru_utime) - Milliseconds(before.ru_utime),
                    Milliseconds(after.ru_stime) - Milliseconds(before.ru_stime));
        return read > 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "loadpeak: %s\n", error.what());
        return 1;
    }
}
