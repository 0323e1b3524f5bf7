#include "MemoryLimit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

void LimitMemoryFor(std::uintmax_t inputBytes) {
#if defined(__SANITIZE_ADDRESS__)
    (void)inputBytes;
#else
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return;
    const std::uintmax_t most = std::numeric_limits<rlim_t>::max() / 2;
    const std::uintmax_t half = static_cast<std::uintmax_t>(pages) / 2 * static_cast<std::uintmax_t>(pageSize);
    const std::uintmax_t bytes =
        std::max(half, inputBytes > most / MemoryPerInputByte ? most : inputBytes * MemoryPerInputByte);
    rlimit limit{};
    if (getrlimit(RLIMIT_DATA, &limit) != 0) return;
    // Never raise a limit the user has set lower.
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= bytes) return;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_DATA, &limit);
#endif
}
