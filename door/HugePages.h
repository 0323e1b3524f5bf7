// Large models in transparent huge pages. A model of a million triangles is built in buffers that are written
// once, and the GL driver's first frame of it fills buffers as large; where a page fault is dear (virtual
// machines) a fault for every 4 KB page is most of the time before the first frame (a 1M-triangle glb in
// Vantrell: 1.6 s -> 0.7 s). glibc backs its allocations with huge pages only when its tunable says so before
// the process starts.
#pragma once

#include <string>

// The value of GLIBC_TUNABLES that asks for huge pages, keeping the other tunables of the environment; a
// choice of the user's own (glibc.malloc.hugetlb set already, to any value) stands.
std::string TunablesWithHugePages();

// Starts the program again, as it was started, with huge pages asked for, unless the environment speaks of
// them already; returns only when it cannot (the program then runs on as it is).
void RestartWithHugePages(char** argv);
