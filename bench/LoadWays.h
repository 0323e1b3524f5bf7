// The ways a document is loaded for comparison, shared by the in-process timings (bench_load) and the
// one-load-per-process driver that measures peak memory (loadpeak). Each returns a count taken from what it
// read, so that no work can be optimised away.
#pragma once

#include <cstddef>
#include <string>

// LoadFromFile into a fresh asset; the number of triangle indices read.
std::size_t LoadOurs(const std::string& path);
// The same with the loader held to one thread: the baseline of its second core.
std::size_t LoadOursOneThread(const std::string& path);

// The floor: the file read into the same kind of buffer the loader reads into, parsed in place by pugixml
// with the loader's options, and every number of every text read once by the cheapest scan that still
// honours signs, fractions and exponents. No storage, no checks, no rounding care; the number of numbers.
std::size_t LoadFloor(const std::string& path);

// The door (ModelDoor.h), as the programs open a file a user gives them: for a document in the engine's
// conventions, LoadFromFile behind the check that it reads with no note; the number of triangle indices.
std::size_t LoadThroughDoor(const std::string& path);

// The reader of every exporter's documents (ColladaReader.h); the number of triangle indices it placed.
std::size_t LoadCollada(const std::string& path);

// The peer importer, with no post-processing steps; the number of faces it read, or 0 when it failed.
std::size_t LoadPeer(const std::string& path);
