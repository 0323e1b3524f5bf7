#include "HugePages.h"

#include <limits.h>
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
    // The executable by its own path, not by /proc/self/exe: a process takes its name from the file it was
    // started from, and pgrep, killall and the desktop find the program by that name.
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return;
    self[length] = '\0';
    if (setenv("GLIBC_TUNABLES", TunablesWithHugePages().c_str(), 1) != 0) return;
    execv(self, argv);
}
