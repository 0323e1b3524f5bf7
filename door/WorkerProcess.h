// One run of a worker program, bounded: started with fork and exec (nothing but async-signal-safe calls between
// them, as the callers have GL driver threads), killed when its parent dies, with an address-space ceiling, a
// CPU-time limit, no core dumps and nothing to read; its standard output and error taken through pipes up to
// their caps, and the run ended when a wall-clock deadline passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "LargeAllocation.h"

struct TWorkerBounds {
    double Seconds = 20;                       // wall clock, and CPU time
    std::uint64_t MemoryBytes = 512ull << 20;  // address space
    std::uint64_t OutputBytes = 512ull << 20;  // standard output kept; past it the worker is killed
};

// How the run ended.
enum class EWorkerEnd {
    Exited,          // by itself, with Code its exit status
    Signalled,       // by a signal it did not get from us, Code its number (SIGXCPU or SIGKILL at the CPU limit)
    OutOfTime,       // killed at the deadline
    OutputTooLarge,  // killed when its output passed OutputBytes
    OverMemory,      // killed when its resident memory passed MemoryBytes (where the ceiling cannot be set)
};

class TWorkerOutput {
public:
    std::span<const unsigned char> Bytes() const { return {Data.get(), Size}; }
    void Append(std::size_t count);                     // after writing `count` bytes at Space()
    std::span<unsigned char> Space(std::size_t least);  // room for at least `least` bytes after the last
    void Clear();

private:
    TLargeArray<unsigned char> Data;  // in huge pages: a large model arrives as tens of megabytes
    std::size_t Size = 0, Capacity = 0;
};

struct TWorkerRun {
    EWorkerEnd End = EWorkerEnd::Exited;
    int Code = 0;
    TWorkerOutput Output;
    std::string Errors;  // its standard error, the first 16 KiB
    double CpuSeconds = 0;
    std::uint64_t PeakBytes = 0;  // resident
};

// Runs `program` with `arguments` (argv[1] on). Raises std::system_error when no process can be started.
TWorkerRun RunWorker(const std::string& program, const std::vector<std::string>& arguments,
                     const TWorkerBounds& bounds);

// Whether this build can set an address-space ceiling (sanitizer builds reserve terabytes of shadow memory and
// cannot); without one, RunWorker watches the worker's resident memory instead.
bool CanLimitAddressSpace();
