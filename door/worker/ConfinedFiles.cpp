#include "ConfinedFiles.h"

#include <sys/stat.h>
#include <assimp/IOStream.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FileRead.h"

namespace {

// Reads one regular file through the engine's file reader, which checked it on its descriptor when it opened.
class TConfinedStream : public Assimp::IOStream {
public:
    explicit TConfinedStream(const std::string& path) : File(path) {}

    size_t Read(void* buffer, size_t size, size_t count) override {
        if (size == 0 || count == 0 || Position >= File.Size()) return 0;
        const std::size_t whole = std::min(count, (File.Size() - Position) / size);
        File.Read(Position, buffer, whole * size);
        Position += whole * size;
        return whole;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        std::size_t base = 0;
        if (origin == aiOrigin_CUR) base = Position;
        if (origin == aiOrigin_END) base = File.Size();
        if (offset > File.Size() - base) return aiReturn_FAILURE;
        Position = base + offset;
        return aiReturn_SUCCESS;
    }
    size_t Tell() const override { return Position; }
    size_t FileSize() const override { return File.Size(); }
    void Flush() override {}

private:
    TReadFile File;
    std::size_t Position = 0;
};

bool HoldsControlBytes(const char* name) {
    for (const char* c = name; *c; ++c)
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return true;
    return false;
}

std::string Canonical(const char* name) {
    char resolved[PATH_MAX];
    return realpath(name, resolved) ? std::string(resolved) : std::string();
}

}  // namespace

TConfinedFiles::TConfinedFiles(const std::string& model) : Folder(model.substr(0, model.find_last_of('/') + 1)) {}

std::string TConfinedFiles::Allowed(const char* name) const {
    const auto refuse = [&](const std::string& reason) {
        Refuse(name, reason);
        return std::string();
    };
    if (HoldsControlBytes(name)) return refuse("its name holds a control byte");
    const std::string path = Canonical(name);
    if (path.empty()) return errno == ENOENT || errno == ENOTDIR ? std::string() : refuse(std::strerror(errno));
    if (path.compare(0, Folder.size(), Folder) != 0)
        return refuse("it lies outside the model's folder " + Folder.substr(0, Folder.size() - 1));
    // Looked at before the open, so that a FIFO or a device is never opened; the open checks again on its
    // descriptor.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return refuse("it is not a regular file");
    return path;
}

void TConfinedFiles::Refuse(const char* name, const std::string& reason) const {
    std::string refusal = "refused to open " + std::string(name) + ": " + reason;
    if (std::find(RefusalList.begin(), RefusalList.end(), refusal) == RefusalList.end())
        RefusalList.push_back(std::move(refusal));
}

bool TConfinedFiles::Exists(const char* name) const { return name && !Allowed(name).empty(); }

Assimp::IOStream* TConfinedFiles::Open(const char* name, const char* mode) {
    if (!name || !mode || std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+')) return nullptr;
    const std::string path = Allowed(name);
    if (path.empty()) return nullptr;
    try {
        return new TConfinedStream(path);
    } catch (const TFileError& error) {
        Refuse(name, error.what());
        return nullptr;
    }
}

void TConfinedFiles::Close(Assimp::IOStream* stream) { delete stream; }

bool TConfinedFiles::ComparePaths(const char* one, const char* second) const {
    const std::string a = Canonical(one), b = Canonical(second);
    return !a.empty() && a == b;
}
