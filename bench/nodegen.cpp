// Writes the many-node scene the node benchmarks load, for loading in a process of its own (loadpeak).
//   nodegen NODES FILE.dae
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ManyNodes.h"

int main(int argc, char** argv) {
    const int nodes = argc == 3 ? std::atoi(argv[1]) : 0;
    if (nodes <= 0) {
        std::fprintf(stderr, "usage: nodegen NODES FILE.dae\n");
        return 2;
    }
    std::ofstream out(argv[2]);
    out << ManyNodeDocument(nodes);
    return out.flush() ? 0 : 1;
}
