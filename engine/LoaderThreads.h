// The loader's second core: the largest pieces of work of a load (reading the file, the numbers of a long
// array, the expansion of a big mesh) are cut in two and done by two threads at once. What is read is the
// same, byte for byte, with one thread or two.
#pragma once

#include <cstddef>
#include <functional>

// How many threads a load may use: 1, or 2 (the default on a machine with more than one core).
int LoaderThreads();
void SetLoaderThreads(int threads);

// Whether work on this many bytes or items is worth a second thread: below it, starting one costs more than
// it saves.
bool WorthTwoThreads(std::size_t amount);

// Runs `second` on another thread while `first` runs on this one, and returns when both are done. An
// exception from either is raised here once both have ended (the first one's when both raise). Without a
// second thread (one allowed, or none to be had) the two run here one after the other.
void RunInTwo(const std::function<void()>& first, const std::function<void()>& second);
