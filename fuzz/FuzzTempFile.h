// The loader and the shader reader only take file names, so the fuzz input goes through a file of this
// process (one per process, as libFuzzer's -jobs runs several side by side).
#pragma once

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class TFuzzTempFile {
public:
    explicit TFuzzTempFile(const char* suffix) : Path("/tmp/engine-fuzz-" + std::to_string(getpid()) + suffix) {}
    ~TFuzzTempFile() { std::remove(Path.c_str()); }
    TFuzzTempFile(const TFuzzTempFile&) = delete;
    TFuzzTempFile& operator=(const TFuzzTempFile&) = delete;

    // Replaces the file's content by the input; aborts when it cannot, as a fuzz run on a full disk tells nothing.
    void Write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* file = std::fopen(Path.c_str(), "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) __builtin_trap();
    }

    const std::string Path;
};
