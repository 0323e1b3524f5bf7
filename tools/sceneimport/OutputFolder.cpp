#include "OutputFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "FileRead.h"
#include "MessageText.h"

namespace {

// The temporary document's path for the signal handler, which may only read it: a fixed buffer set before
// the file exists and cleared after it is gone.
char PendingPath[4096];
std::atomic<bool> Pending{false};

void RemovePending(int signal) {
    if (Pending.load()) unlink(PendingPath);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

[[noreturn]] void Fail(const std::string& path, const std::string& what, int error) {
    throw TOutputError(FileMessage(path, what + ": " + std::strerror(error)));
}

void WriteAll(int descriptor, std::span<const unsigned char> bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) Fail(path, "cannot be written", written < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(written);
    }
}

// Whether the regular file `name` in the folder holds exactly these bytes; links and anything else do not.
bool Holds(int folder, const std::string& name, std::span<const unsigned char> bytes) {
    const int descriptor = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status {};
    bool same = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                static_cast<std::size_t>(status.st_size) == bytes.size();
    std::vector<unsigned char> held(same ? bytes.size() : 0);
    std::size_t done = 0;
    while (same && done < held.size()) {
        const ssize_t got = read(descriptor, held.data() + done, held.size() - done);
        if (got <= 0) same = false;
        done += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    close(descriptor);
    return same && std::equal(held.begin(), held.end(), bytes.begin());
}

}  // namespace

TOutputFolder::TOutputFolder(const std::string& folder) : Folder(folder.empty() ? "." : folder) {
    std::error_code error;
    std::filesystem::create_directories(Folder, error);
    Descriptor = open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Descriptor < 0) Fail(Folder, "cannot be opened as the output folder", errno);
}

TOutputFolder::~TOutputFolder() {
    DiscardDocument();
    close(Descriptor);
}

std::string TOutputFolder::WriteNew(const std::string& stem, const std::string& extension,
                                    std::span<const unsigned char> bytes) {
    for (int attempt = 1;; ++attempt) {
        const std::string name = (attempt == 1 ? stem : stem + "-" + std::to_string(attempt)) + extension;
        const std::string path = Folder + "/" + name;
        const int descriptor =
            openat(Descriptor, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            if (errno != EEXIST) Fail(path, "cannot be created", errno);
            if (Holds(Descriptor, name, bytes)) return name;
            continue;
        }
        try {
            WriteAll(descriptor, bytes, path);
        } catch (...) {
            close(descriptor);
            unlinkat(Descriptor, name.c_str(), 0);
            throw;
        }
        if (close(descriptor) != 0) Fail(path, "cannot be written", errno);
        return name;
    }
}

std::string TOutputFolder::WriteDocument(const std::string& name, const std::string& text) {
    DiscardDocument();
    std::string pattern = Folder + "/." + name + ".XXXXXX";
    if (pattern.size() >= sizeof PendingPath) throw TOutputError(FileMessage(pattern, "path too long"));
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    // The name is fixed before the file exists, so that a signal meeting it removes no other file.
    std::memcpy(PendingPath, path.data(), path.size());
    const int descriptor = mkostemp(path.data(), O_CLOEXEC);
    if (descriptor < 0) Fail(pattern, "cannot be created", errno);
    std::memcpy(PendingPath, path.data(), path.size());
    Pending = true;
    PendingName = path.data();
    PendingTarget = Folder + "/" + name;
    try {
        WriteAll(descriptor, {reinterpret_cast<const unsigned char*>(text.data()), text.size()}, PendingTarget);
        if (fchmod(descriptor, 0644) != 0 || fsync(descriptor) != 0) Fail(PendingTarget, "cannot be written", errno);
    } catch (...) {
        close(descriptor);
        DiscardDocument();
        throw;
    }
    if (close(descriptor) != 0) {
        const int error = errno;
        DiscardDocument();
        Fail(PendingTarget, "cannot be written", error);
    }
    return PendingName;
}

void TOutputFolder::CommitDocument() {
    if (PendingName.empty()) return;
    if (rename(PendingName.c_str(), PendingTarget.c_str()) != 0) {
        const int error = errno;
        DiscardDocument();
        Fail(PendingTarget, "cannot be put in place", error);
    }
    Pending = false;
    PendingName.clear();
}

void TOutputFolder::DiscardDocument() {
    if (PendingName.empty()) return;
    Pending = false;
    unlink(PendingName.c_str());
    PendingName.clear();
}

void RemovePendingDocumentOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::signal(signal, RemovePending);
}
