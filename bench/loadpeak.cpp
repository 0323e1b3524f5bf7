// Loads one document one way, once, and prints the load's wall time and the process's peak resident memory,
// so that each way's memory is measured in a process of its own.
//   loadpeak ours|floor|peer FILE.dae   ->   "<milliseconds> <peak kilobytes> <count read>"
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/resource.h>

#include "LoadWays.h"

int main(int argc, char** argv) {
    using TLoad = std::size_t (*)(const std::string&);
    TLoad load = nullptr;
    if (argc == 3) {
        if (std::strcmp(argv[1], "ours") == 0) load = LoadOurs;
        if (std::strcmp(argv[1], "floor") == 0) load = LoadFloor;
        if (std::strcmp(argv[1], "peer") == 0) load = LoadPeer;
    }
    if (load == nullptr) {
        std::fprintf(stderr, "usage: loadpeak ours|floor|peer FILE.dae\n");
        return 2;
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        const std::size_t read = load(argv[2]);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%.1f %ld %zu\n", elapsed.count(), usage.ru_maxrss, read);
        return read > 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "loadpeak: %s\n", error.what());
        return 1;
    }
}
