#include "Contained.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

int RunContained(const std::function<int()>& work, const std::string& input) {
    std::cout.flush();
    std::cerr.flush();
    const pid_t child = fork();
    if (child < 0) return work();  // no process to spare: run unguarded rather than not at all
    if (child == 0) {
        const int status = work();
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        _exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) {
            std::cerr << "sceneimport: " << input << ": lost the import process: " << std::strerror(errno) << "\n";
            return 1;
        }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    std::cerr << "sceneimport: " << input << ": the model reader stopped on this file (" << strsignal(WTERMSIG(status))
              << "); it is malformed or too large\n";
    return 1;
}
