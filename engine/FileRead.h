// Whole-file reading for everything the engine opens besides documents: images and shader sources.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a file cannot be read: missing, not a regular file (a directory, a FIFO, a device), or
// failing mid-read. The message names the file.
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's bytes, read in one read after its size is known. Only regular files are read, so a directory or
// /dev/zero gives an error instead of an endless read or a huge allocation.
std::vector<unsigned char> ReadWholeFile(const std::string& fileName);
// The same, as text; every byte is kept (NUL bytes and CR LF included).
std::string ReadWholeTextFile(const std::string& fileName);
