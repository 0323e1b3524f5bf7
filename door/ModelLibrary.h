// Model files of the formats the model library reads for the door (ModelFormats.h), read in a worker process of
// their own (worker/): the library meets hostile files, so it runs with a time limit and a memory ceiling that
// follow the file's size, reads only the model's own folder and below, dies with its caller, and what it sends
// back is checked as a hostile file would be.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "ModelScene.h"

// The bounds of one read; WorkerLimitsFor gives those that follow the file. A thumbnailer passes tighter ones.
struct TWorkerLimits {
    double Seconds = 20;                       // wall clock and CPU time of the worker
    std::uint64_t MemoryBytes = 512ull << 20;  // its address space, and the most it may send back
};

// Why a model could not be read: "FILE: REASON", with the file named and any text from the file escaped.
class TModelLibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds that follow the input: a few hundred MB and 20 s for a file of kilobytes, growing with its size (and
// for a .gltf, with the .bin files beside and below it, which its buffers usually are).
TWorkerLimits WorkerLimitsFor(const std::string& fileName);

// Reads a model file of an accepted format through the model library, in a worker process bounded by
// `limits`. Raises TModelLibraryError naming the file and the reason or the limit met; never returns a scene
// that has not passed every check of the worker's answer.
TModelScene ReadWithModelLibrary(const std::string& fileName, const TWorkerLimits& limits);

// Whether the file is of a format the door reads through the model library, by its name and first bytes; the
// file is not read whole. False for a file that cannot be opened or is not a regular file.
bool ModelLibraryReads(const std::string& fileName);
