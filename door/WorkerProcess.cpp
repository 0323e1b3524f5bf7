#include "WorkerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>

#include "HugePages.h"

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

constexpr std::size_t ErrorsKept = 16 << 10;
// How often the worker's resident memory is looked at where no ceiling can be set.
constexpr int MemoryWatchMilliseconds = 20;

[[noreturn]] void FailSystem(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

class TDescriptor {
public:
    TDescriptor() = default;
    explicit TDescriptor(int fd) : Fd(fd) {}
    ~TDescriptor() { Close(); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return Fd; }
    void Reset(int fd) {
        Close();
        Fd = fd;
    }
    void Close() {
        if (Fd >= 0) close(Fd);
        Fd = -1;
    }

private:
    int Fd = -1;
};

// The descriptor moved above 0, 1 and 2 where a caller without a standard input or output got one of them, so
// that putting the worker's three in place never overwrites another or keeps close-on-exec.
int AboveStandard(int fd) {
    if (fd < 0 || fd > 2) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    return moved;
}

struct TPipe {
    TDescriptor Read, Write;
    TPipe() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) FailSystem("pipe2");
        Read.Reset(fds[0]);
        Write.Reset(AboveStandard(fds[1]));
        if (Write.Get() < 0) FailSystem("fcntl");
    }
};

// Blocks every signal for its lifetime, so that no handler of the parent runs in the child between fork and
// exec.
class TSignalsBlocked {
public:
    TSignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &Saved);
    }
    ~TSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &Saved, nullptr); }
    const sigset_t& SavedMask() const { return Saved; }

private:
    sigset_t Saved;
};

rlim_t LimitOf(double value) {
    return value >= static_cast<double>(RLIM_INFINITY) ? RLIM_INFINITY : static_cast<rlim_t>(value);
}

// In the child, between fork and exec: only async-signal-safe calls, no allocation, no lock.
[[noreturn]] void BecomeWorker(const char* program, char* const* argv, char* const* envp, pid_t parent, int input,
                               int output, int errors, const rlimit& memory, const rlimit& cpu, const sigset_t& mask) {
    // A parent that died before this line would never send the signal: its death is seen in the parent id.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
    if (dup2(input, 0) < 0 || dup2(output, 1) < 0 || dup2(errors, 2) < 0) _exit(127);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    setrlimit(RLIMIT_CPU, &cpu);
    if (!Sanitized) setrlimit(RLIMIT_AS, &memory);
    // Descriptors the caller left open without close-on-exec are none of the worker's business.
    syscall(SYS_close_range, 3u, ~0u, 0u);
    // The parent's handlers must not run here once signals are let through; exec would reset them anyway.
    for (int number = 1; number < NSIG; ++number) {
        struct sigaction action {};
        if (sigaction(number, nullptr, &action) == 0 && action.sa_handler != SIG_DFL &&
            (action.sa_handler != SIG_IGN || number == SIGPIPE))
            signal(number, SIG_DFL);
    }
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    execve(program, argv, envp);
    static const char failed[] = "cannot start the model reader: execve failed\n";
    [[maybe_unused]] const ssize_t ignored = write(2, failed, sizeof failed - 1);
    _exit(127);
}

std::uint64_t ResidentBytes(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/statm", static_cast<int>(pid));
    FILE* file = std::fopen(path, "r");
    if (!file) return 0;
    unsigned long long size = 0, resident = 0;
    const int got = std::fscanf(file, "%llu %llu", &size, &resident);
    std::fclose(file);
    return got == 2 ? resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

// Kills and reaps the child unless it has been reaped already, whatever ends the parent's wait.
class TChild {
public:
    explicit TChild(pid_t pid) : Pid(pid) {}
    ~TChild() {
        if (Pid > 0) {
            kill(Pid, SIGKILL);
            Reap(nullptr);
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;
    pid_t Get() const { return Pid; }
    void Kill() { kill(Pid, SIGKILL); }
    int Reap(rusage* usage) {
        int status = 0;
        while (wait4(Pid, &status, 0, usage) < 0 && errno == EINTR) {}
        Pid = -1;
        return status;
    }

private:
    pid_t Pid;
};

}  // namespace

bool CanLimitAddressSpace() { return !Sanitized; }

void TWorkerOutput::Append(std::size_t count) { Size += count; }

std::span<unsigned char> TWorkerOutput::Space(std::size_t least) {
    if (Capacity - Size < least) {
        const std::size_t capacity = std::max(Size + least, Capacity * 2);
        TLargeArray<unsigned char> grown = AllocateLargeArray<unsigned char>(capacity);
        if (Size > 0) std::memcpy(grown.get(), Data.get(), Size);
        Data = std::move(grown);
        Capacity = capacity;
    }
    return {Data.get() + Size, Capacity - Size};
}

void TWorkerOutput::Clear() {
    Data.reset();
    Size = Capacity = 0;
}

TWorkerRun RunWorker(const std::string& program, const std::vector<std::string>& arguments,
                     const TWorkerBounds& bounds) {
    // Everything the child needs is made before the fork.
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    // The worker's allocations in huge pages: the model library makes a large model in many blocks that are
    // written once, and a fault for every small page costs more than the read itself on a virtual machine (a
    // 1M-triangle glb: 0.56 s -> 0.16 s).
    std::string tunables = "GLIBC_TUNABLES=" + TunablesWithHugePages();
    std::vector<char*> envp;
    for (char** variable = environ; *variable; ++variable)
        if (std::strncmp(*variable, "GLIBC_TUNABLES=", 15) != 0) envp.push_back(*variable);
    envp.push_back(tunables.data());
    envp.push_back(nullptr);
    TDescriptor input(AboveStandard(open("/dev/null", O_RDONLY | O_CLOEXEC)));
    if (input.Get() < 0) FailSystem("open /dev/null");
    TPipe output, errors;
    const rlimit memory{LimitOf(static_cast<double>(bounds.MemoryBytes)),
                        LimitOf(static_cast<double>(bounds.MemoryBytes))};
    const rlim_t cpuSeconds = LimitOf(std::ceil(bounds.Seconds));
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    const pid_t parent = getpid();
    const auto start = std::chrono::steady_clock::now();

    pid_t pid;
    {
        TSignalsBlocked blocked;
        pid = fork();
        if (pid == 0)
            BecomeWorker(argv[0], argv.data(), envp.data(), parent, input.Get(), output.Write.Get(), errors.Write.Get(),
                         memory, cpu, blocked.SavedMask());
    }
    if (pid < 0) FailSystem("fork");
    TChild child(pid);
    output.Write.Close();
    errors.Write.Close();
    input.Close();
    // A larger pipe takes a large model in fewer turns between the two processes.
    fcntl(output.Read.Get(), F_SETPIPE_SZ, 1 << 20);

    // The worker's end shows on this descriptor, so that a worker that closed its pipes and went on is still
    // bounded by the deadline.
    TDescriptor process(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
    if (process.Get() < 0) FailSystem("pidfd_open");

    TWorkerRun run;
    const auto deadline = start + std::chrono::duration<double>(bounds.Seconds);
    bool outputOpen = true, errorsOpen = true, running = true;
    std::optional<EWorkerEnd> killed;
    while ((outputOpen || errorsOpen || running) && !killed) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            killed = EWorkerEnd::OutOfTime;
            break;
        }
        const long long wait = std::min<long long>(left.count() + 1, Sanitized ? MemoryWatchMilliseconds : 60'000);
        pollfd fds[3] = {{outputOpen ? output.Read.Get() : -1, POLLIN, 0},
                         {errorsOpen ? errors.Read.Get() : -1, POLLIN, 0},
                         {running ? process.Get() : -1, POLLIN, 0}};
        const int ready = poll(fds, 3, static_cast<int>(wait));
        if (ready < 0 && errno != EINTR) FailSystem("poll");
        if (Sanitized && running && ResidentBytes(child.Get()) > bounds.MemoryBytes) killed = EWorkerEnd::OverMemory;
        if (ready <= 0) continue;
        if (fds[0].revents) {
            const std::span<unsigned char> space = run.Output.Space(1 << 20);
            const ssize_t got = read(output.Read.Get(), space.data(), space.size());
            if (got > 0) run.Output.Append(static_cast<std::size_t>(got));
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) outputOpen = false;
            if (run.Output.Bytes().size() > bounds.OutputBytes) killed = EWorkerEnd::OutputTooLarge;
        }
        if (fds[1].revents) {
            char buffer[4096];
            const ssize_t got = read(errors.Read.Get(), buffer, sizeof buffer);
            if (got > 0 && run.Errors.size() < ErrorsKept)
                run.Errors.append(buffer, std::min(static_cast<std::size_t>(got), ErrorsKept - run.Errors.size()));
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) errorsOpen = false;
        }
        if (fds[2].revents) running = false;
    }
    if (killed) {
        child.Kill();
        run.Output.Clear();
    }
    rusage usage{};
    const int status = child.Reap(&usage);
    run.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.PeakBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    if (killed) {
        run.End = *killed;
    } else if (WIFSIGNALED(status)) {
        run.End = EWorkerEnd::Signalled;
        run.Code = WTERMSIG(status);
    } else {
        run.End = EWorkerEnd::Exited;
        run.Code = WEXITSTATUS(status);
    }
    return run;
}
