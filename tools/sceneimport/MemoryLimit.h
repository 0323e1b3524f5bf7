// A ceiling on the memory the import may take. Model readers trust the counts a file declares; a few bytes
// that declare billions of vertices would otherwise take all the machine's memory before anything fails.
// Past the ceiling an allocation fails, and the import with it.
#pragma once

#include <cstdint>

// Generous for any real model: the largest imports take about fifteen times their file's size (a glTF's
// buffers lie in files of their own, so half the machine's memory is always allowed).
inline constexpr std::uintmax_t MemoryPerInputByte = 32;

// Sets the process's data limit to the larger of half the physical memory and MemoryPerInputByte x
// inputBytes. Sanitizer builds, which reserve vast shadow mappings, are left without a limit.
void LimitMemoryFor(std::uintmax_t inputBytes);
