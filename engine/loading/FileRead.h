// Reading files for everything the engine opens: documents, images and shader sources. A file is opened once
// and every check and read goes through that one descriptor, so that a file swapped for a FIFO or a device
// between a check and a read cannot make the engine block or read without end.
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Raised when a file cannot be read: missing, not a regular file (a directory, a FIFO, a device), or
// failing mid-read. The message names the file.
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An allocation failure while a file was read or decoded, with a message that names the file. It is still a
// std::bad_alloc for callers that handle running out of memory as such.
class TOutOfMemory : public std::bad_alloc {
public:
    explicit TOutOfMemory(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

private:
    std::string Message;
};

// One regular file, open for reading until destroyed. Opening never blocks (a FIFO is refused, not waited
// on), and the size is the one the open file had when it was checked.
class TReadFile {
public:
    explicit TReadFile(const std::string& fileName);
    ~TReadFile();
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;

    std::size_t Size() const { return FileSize; }
    const std::string& Name() const { return FileName; }

    // Reads `count` bytes from `offset`, which must lie within Size(); raises TFileError when the file
    // ends sooner (it shrank after it was opened) or the read fails.
    void Read(std::size_t offset, void* bytes, std::size_t count) const;
    // At most `count` bytes from the start: the file's first bytes, as many as it has.
    std::vector<unsigned char> ReadPrefix(std::size_t count) const;
    // All Size() bytes, into a std::vector<unsigned char> or a std::string. Running out of memory for them
    // raises TOutOfMemory naming the file.
    template <typename Bytes>
    Bytes ReadWhole() const {
        Bytes bytes;
        try {
            bytes.resize(FileSize);
        } catch (const std::bad_alloc&) {
            FailOutOfMemory();
        }
        Read(0, bytes.data(), bytes.size());
        return bytes;
    }

private:
    [[noreturn]] void FailOutOfMemory() const;

    std::string FileName;
    int Descriptor = -1;
    std::size_t FileSize = 0;
};

// The file's bytes, read after its size is known. Only regular files are read, so a directory or /dev/zero
// gives an error instead of an endless read or a huge allocation.
std::vector<unsigned char> ReadWholeFile(const std::string& fileName);
// The same, as text; every byte is kept (NUL bytes and CR LF included).
std::string ReadWholeTextFile(const std::string& fileName);
