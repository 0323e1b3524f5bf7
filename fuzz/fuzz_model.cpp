// Model bytes of each format the door reads, the format chosen by the input's first byte, written to a folder of
// this process beside a small texture, a material library, a vertex buffer, a FIFO and a link out of the folder
// that models may name; then opened through the whole door (the model library's worker with small limits, the
// COLLADA readers, the asset builder, the textures' decoding). Whatever happens must end as an asset or as an
// error that names the file and gives a reason; a sanitizer report on the worker's own code is a finding.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ModelDoor.h"
#include "ModelWire.h"

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
        WriteBytes(root / "model" / "buffer.bin",
                   std::string(reinterpret_cast<const char*>(triangle), sizeof triangle));
        if (mkfifo((root / "model" / "fifo.bin").c_str(), 0600) != 0) __builtin_trap();
        fs::create_symlink("../outside.bin", root / "model" / "escape.bin");
        std::atexit([] { fs::remove_all(fs::path("/tmp/engine-fuzz-model-" + std::to_string(getpid()))); });
        return root / "model";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string model = (Folder() / (std::string("model") + Extensions[data[0] % FormatCount])).string();
    WriteBytes(model, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    TDoorOptions options;
    options.WorkerLimits = TWorkerLimits{2, 512ull << 20};
    try {
        // The whole door: the reader of the file's kind, the asset built from it, its textures decoded.
        TXmlDocument document;
        OpenModel(document, model, options);
    } catch (const std::exception& error) {
        const std::string message = error.what();
        // Every message names the file and gives a reason.
        if (message.rfind(model + ":", 0) != 0 || message.size() <= model.size() + 2) __builtin_trap();
        // The status the worker ends with when the sanitizers find a fault in its code or in a call it makes
        // (a crash in the model library ends it by its signal instead: the worker is there to contain those).
        if (message.rfind(model + ": the model reader ended with status " + std::to_string(WorkerSanitizerReport), 0) ==
            0) {
            std::fprintf(stderr, "%s\n", message.c_str());
            __builtin_trap();
        }
    }
    fs::remove(model);
    return 0;
}
