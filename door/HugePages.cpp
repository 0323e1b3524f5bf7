#include "HugePages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* HugePagesTunable = "glibc.malloc.hugetlb=";

bool SaysHugePages(const char* tunables) { return tunables && std::strstr(tunables, HugePagesTunable); }

}  // namespace

std::string TunablesWithHugePages() {
    const char* current = std::getenv("GLIBC_TUNABLES");
    if (SaysHugePages(current)) return current;
    const std::string ours = std::string(HugePagesTunable) + "1";
    return current && *current ? std::string(current) + ":" + ours : ours;
}

void RestartWithHugePages(char** argv) {
    if (SaysHugePages(std::getenv("GLIBC_TUNABLES"))) return;
    if (setenv("GLIBC_TUNABLES", TunablesWithHugePages().c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
}
