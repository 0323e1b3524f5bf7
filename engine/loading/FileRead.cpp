#include "FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "MessageText.h"

namespace {

[[noreturn]] void FailWithErrno(const std::string& fileName, const char* what) {
    const int error = errno;
    throw TFileError(FileMessage(fileName, std::string(what) + ": " + std::strerror(error)));
}

// A single read() of a regular file is limited below 2 GiB on Linux, so large files take several.
constexpr std::size_t MaxReadChunk = std::size_t(1) << 30;

}  // namespace

// O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it changes nothing for a regular file.
TReadFile::TReadFile(const std::string& fileName) : FileName(fileName) {
    Descriptor = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Descriptor < 0) FailWithErrno(fileName, "cannot open");
    struct stat info {};
    if (fstat(Descriptor, &info) != 0) {
        close(Descriptor);
        FailWithErrno(fileName, "cannot open");
    }
    if (!S_ISREG(info.st_mode)) {
        close(Descriptor);
        throw TFileError(FileMessage(fileName, "not a regular file"));
    }
    FileSize = static_cast<std::size_t>(info.st_size);
}

TReadFile::~TReadFile() { close(Descriptor); }

void TReadFile::Read(std::size_t offset, void* bytes, std::size_t count) const {
    auto* at = static_cast<unsigned char*>(bytes);
    while (count > 0) {
        const ssize_t got = pread(Descriptor, at, std::min(count, MaxReadChunk), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) FailWithErrno(FileName, "read failed");
        if (got == 0)
            throw TFileError(FileMessage(FileName, "read failed: the file ended " + std::to_string(count) +
                                                       " bytes short of its size when opened"));
        at += got;
        offset += static_cast<std::size_t>(got);
        count -= static_cast<std::size_t>(got);
    }
}

std::vector<unsigned char> TReadFile::ReadPrefix(std::size_t count) const {
    std::vector<unsigned char> bytes(std::min(count, FileSize));
    Read(0, bytes.data(), bytes.size());
    return bytes;
}

void TReadFile::FailOutOfMemory() const {
    throw TOutOfMemory(FileMessage(FileName, "out of memory for " + std::to_string(FileSize) + " bytes"));
}

std::vector<unsigned char> ReadWholeFile(const std::string& fileName) {
    return TReadFile(fileName).ReadWhole<std::vector<unsigned char>>();
}

std::string ReadWholeTextFile(const std::string& fileName) { return TReadFile(fileName).ReadWhole<std::string>(); }
