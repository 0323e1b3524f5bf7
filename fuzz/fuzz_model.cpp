// Model bytes of each format the door reads through the model library, the format chosen by the input's first
// byte, written to a folder of this process beside a small texture, a material library, a vertex buffer, a
// FIFO and a link out of the folder that models may name; then read through the door, worker and all, with
// small limits. Whatever the library does with them must end as a scene that passed the door's checks or as
// an error that names the file and gives a reason; a sanitizer report from the worker is a finding.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ModelLibrary.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* Extensions[] = {".gltf", ".glb", ".obj", ".stl", ".ply", ".3ds", ".fbx", ".dae"};
constexpr std::size_t FormatCount = sizeof Extensions / sizeof *Extensions;

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) __builtin_trap();
}

// The folder, made once for the process: what a model may name beside it, and a file outside it.
const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path root = "/tmp/engine-fuzz-model-" + std::to_string(getpid());
        fs::remove_all(root);
        fs::create_directories(root / "model");
        WriteBytes(root / "outside.bin", std::string(36, '\x7f'));
        // A 2 x 1 24-bit bitmap: 14 + 40 header bytes and one row of 8 bytes.
        std::string bmp("BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 30);
        bmp += std::string(24, '\0') + "\xff\0\0\0\xff\0\0\0";
        WriteBytes(root / "model" / "texture.bmp", bmp);
        WriteBytes(root / "model" / "m.mtl", "newmtl m\nKd 1 0 0\nmap_Kd texture.bmp\n");
        WriteBytes(root / "model" / "nul.mtl", "newmtl m\nmap_Kd ../../.ssh/id_ed25519%00.jpg\n");
        const float triangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
        WriteBytes(root / "model" / "buffer.bin", std::string(reinterpret_cast<const char*>(triangle), sizeof triangle));
        if (mkfifo((root / "model" / "fifo.bin").c_str(), 0600) != 0) __builtin_trap();
        fs::create_symlink("../outside.bin", root / "model" / "escape.bin");
        std::atexit([] { fs::remove_all(fs::path("/tmp/engine-fuzz-model-" + std::to_string(getpid()))); });
        return root / "model";
    }();
    return folder;
}

bool SanitizerReport(const std::string& message) {
    return message.find("Sanitizer") != std::string::npos || message.find("runtime error:") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string model = (Folder() / (std::string("model") + Extensions[data[0] % FormatCount])).string();
    WriteBytes(model, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    TWorkerLimits limits;
    limits.Seconds = 5;
    limits.MemoryBytes = 512ull << 20;
    try {
        const TModelScene scene = ReadWithModelLibrary(model, limits);
        for (const std::string& warning : scene.Warnings)
            if (SanitizerReport(warning)) __builtin_trap();
    } catch (const TModelLibraryError& error) {
        const std::string message = error.what();
        // Every message names the file and gives a reason.
        if (message.rfind(model + ": ", 0) != 0 || message.size() <= model.size() + 2) __builtin_trap();
        if (SanitizerReport(message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            __builtin_trap();
        }
    }
    fs::remove(model);
    return 0;
}
