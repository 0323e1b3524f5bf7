#include "FileRead.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

// The size of a regular file, checked before it is opened for reading.
std::size_t RegularFileSize(const std::string& fileName) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0)
        throw TFileError(fileName + ": cannot open: " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw TFileError(fileName + ": not a regular file");
    return static_cast<std::size_t>(info.st_size);
}

template <typename Bytes>
Bytes ReadAll(const std::string& fileName) {
    const std::size_t size = RegularFileSize(fileName);
    std::ifstream stream(fileName, std::ios::binary);
    if (!stream)
        throw TFileError(fileName + ": cannot open: " + std::strerror(errno));
    Bytes bytes(size, 0);
    if (size > 0 && !stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        throw TFileError(fileName + ": read failed");
    return bytes;
}

}  // namespace

std::vector<unsigned char> ReadWholeFile(const std::string& fileName) {
    return ReadAll<std::vector<unsigned char>>(fileName);
}

std::string ReadWholeTextFile(const std::string& fileName) {
    return ReadAll<std::string>(fileName);
}
