// The model library's only way to files in the worker. A file is opened only when it is the model or lies in the
// model's folder or below it once `..` and symbolic links are resolved, when its name holds no control byte,
// and when it is a regular file, checked on the descriptor it is read through (a FIFO is refused, not waited
// on). Nothing is ever written, created or removed. Each refusal is kept, in words naming the file, for the
// worker to report.
#pragma once

#include <assimp/IOSystem.hpp>

#include <string>
#include <vector>

class TConfinedFiles : public Assimp::IOSystem {
public:
    // `model`: the model file's canonical path; its folder is the one files may be read from.
    explicit TConfinedFiles(const std::string& model);

    bool Exists(const char* name) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* name, const char* mode = "rb") override;
    void Close(Assimp::IOStream* stream) override;
    bool ComparePaths(const char* one, const char* second) const override;
    bool CreateDirectory(const std::string&) override { return false; }
    bool ChangeDirectory(const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }

    // "refused to open NAME: REASON", one for each file refused, in the order they were asked for.
    const std::vector<std::string>& Refusals() const { return RefusalList; }

private:
    // The canonical path of a file the library may read; empty when it may not, with the refusal kept (a file
    // that does not exist is no refusal: readers probe for optional files).
    std::string Allowed(const char* name) const;
    void Refuse(const char* name, const std::string& reason) const;  // once for each name and reason

    std::string Folder;  // canonical, with a trailing slash
    mutable std::vector<std::string> RefusalList;
};
