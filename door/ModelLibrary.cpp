#include "ModelLibrary.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "FileRead.h"
#include "MessageText.h"
#include "ModelFormats.h"
#include "ModelWire.h"
#include "WorkerProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* WorkerProgram = "modelreader";

// What every read may take whatever the file: the library, its readers and a small model (the worker maps 20 MB
// before it reads). A grid of 1M triangles needs 130 MB of address space in the worker as a binary glTF of
// 28 MB, and 350 MB as an OBJ of 64 MB: the ceiling leaves room for models that expand more.
constexpr std::uint64_t BaseMemory = 256ull << 20;
constexpr std::uint64_t MemoryPerInputByte = 12;
constexpr double BaseSeconds = 20;
constexpr double InputBytesPerSecond = 4e6;
// A .gltf's buffers are counted from the .bin files of its folder and below, as far as this many entries.
constexpr int BufferSearchEntries = 4096;
constexpr int BufferSearchDepth = 3;

std::uint64_t SizeOf(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::is_regular_file(path, error) ? fs::file_size(path, error) : 0;
    return error ? 0 : size;
}

std::string LowerExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::uint64_t BufferBytesBeside(const fs::path& model) {
    std::error_code error;
    const fs::path folder = model.parent_path().empty() ? fs::path(".") : model.parent_path();
    fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied, error);
    std::uint64_t bytes = 0;
    for (int seen = 0; !error && entry != fs::recursive_directory_iterator() && seen < BufferSearchEntries;
         entry.increment(error), ++seen) {
        if (entry.depth() >= BufferSearchDepth) entry.disable_recursion_pending();
        if (LowerExtension(entry->path()) == ".bin") bytes += SizeOf(entry->path());
    }
    return bytes;
}

std::string MegabytesText(std::uint64_t bytes) { return std::to_string((bytes + (1 << 19)) >> 20) + " MB"; }

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, seconds == std::floor(seconds) ? "%.0f s" : "%.1f s", seconds);
    return text;
}

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw TModelLibraryError(FileMessage(fileName, reason));
}

// The folder of the running program: the worker is beside it, or, for a tool installed in bin/, in the
// programs' folder.
std::string FindWorker(const std::string& fileName) {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error) Fail(fileName, "cannot find the model reader: the running program's folder is unknown");
    for (const fs::path& candidate : {folder / WorkerProgram, folder / MODELREADER_FROM_BIN / WorkerProgram}) {
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    Fail(fileName, std::string("cannot find the model reader (") + WorkerProgram + ") beside " +
                       EscapeForMessage(folder.string()));
}

TFormatVerdict JudgeFile(const std::string& fileName) {
    const TReadFile file(fileName);
    return JudgeModelFormat(fileName, file.ReadPrefix(FormatSignatureBytes), file.Size());
}

std::string Trimmed(const std::string& text) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

// The scene in the worker's answer, or the reason there is none, with the limit met where one was.
TModelScene SceneOf(const std::string& fileName, const TWorkerRun& run, const TWorkerLimits& limits) {
    const std::string slow = "the model library took more than " + SecondsText(limits.Seconds) + " on this file";
    const std::string large = "needed more than " + MegabytesText(limits.MemoryBytes);
    switch (run.End) {
    case EWorkerEnd::OutOfTime: Fail(fileName, slow);
    case EWorkerEnd::OverMemory: Fail(fileName, large);
    case EWorkerEnd::OutputTooLarge:
        Fail(fileName, "the model reader's answer is larger than " + MegabytesText(limits.MemoryBytes));
    case EWorkerEnd::Signalled:
        if (run.Code == SIGXCPU || (run.Code == SIGKILL && run.CpuSeconds >= limits.Seconds)) Fail(fileName, slow);
        Fail(fileName, std::string("the model library stopped on this file (") +
                           (sigdescr_np(run.Code) ? sigdescr_np(run.Code) : "signal " + std::to_string(run.Code)) +
                           ")");
    case EWorkerEnd::Exited: break;
    }
    const std::string said = EscapeForMessage(Trimmed(run.Errors));
    if (run.Code == WorkerOutOfMemory) Fail(fileName, large);
    if (run.Code == WorkerFailed) Fail(fileName, said.empty() ? "the model library gave no reason" : said);
    if (run.Code != WorkerRead)
        Fail(fileName,
             "the model reader ended with status " + std::to_string(run.Code) + (said.empty() ? "" : ": " + said));
    TModelScene scene;
    try {
        scene = DecodeModelScene(run.Output.Bytes());
    } catch (const TModelWireError& error) {
        Fail(fileName, std::string("the model reader's answer ") + error.what());
    }
    for (std::string& warning : scene.Warnings) warning = EscapeForMessage(warning);
    return scene;
}

}  // namespace

TWorkerLimits WorkerLimitsFor(const std::string& fileName) {
    std::uint64_t bytes = SizeOf(fileName);
    if (LowerExtension(fileName) == ".gltf") bytes += BufferBytesBeside(fileName);
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    const std::uint64_t half = pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) / 2 * pageSize : ~0ull;
    TWorkerLimits limits;
    limits.MemoryBytes = std::min(BaseMemory + std::min(bytes, half) * MemoryPerInputByte, std::max(half, BaseMemory));
    limits.Seconds = BaseSeconds + std::floor(static_cast<double>(bytes) / InputBytesPerSecond);
    return limits;
}

bool ModelLibraryReads(const std::string& fileName) {
    try {
        return JudgeFile(fileName).Format.has_value();
    } catch (const TFileError&) {
        return false;
    }
}

TModelScene ReadWithModelLibrary(const std::string& fileName, const TWorkerLimits& limits) {
    TFormatVerdict verdict;
    try {
        verdict = JudgeFile(fileName);
    } catch (const TFileError& error) {
        throw TModelLibraryError(error.what());
    }
    if (!verdict.Format) Fail(fileName, verdict.Refusal);
    const TWorkerBounds bounds{limits.Seconds, limits.MemoryBytes, limits.MemoryBytes};
    TWorkerRun run;
    try {
        run = RunWorker(FindWorker(fileName), {"--", fileName}, bounds);
    } catch (const std::system_error& error) {
        Fail(fileName, std::string("cannot start the model reader: ") + error.what());
    }
    return SceneOf(fileName, run, limits);
}
