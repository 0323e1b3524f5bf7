// The texture path as the engine takes it: a document whose effects name image files, loaded and prepared by
// an engine, which opens, checks and decodes those files and uploads them. The first two bytes give the
// document's length; the rest of the input is the image, stored under both names a document can use here,
// fuzz-image.bmp and fuzz-image.jpg, in a folder of this process that becomes the working directory on the
// first input, so corpus and artifact paths must be absolute (fuzz/run.sh passes them so).
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "Colladaengine.h"
#include "FileRead.h"
#include "FuzzTempFile.h"
#include "ImageDecoders.h"

namespace {

struct TFuzzWorld {
    TFuzzWorld() {
        std::filesystem::create_directories(Folder);
        std::filesystem::current_path(Folder);
    }
    ~TFuzzWorld() { std::filesystem::remove_all(Folder); }

    const std::string Folder = "/tmp/engine-fuzz-" + std::to_string(getpid()) + "-textures";
    TXmlDocument Document;
    TColladaEngine Engine{&Document, TNativeWindow{}, 16, 16};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzWorld world;
    static const TFuzzTempFile document(".dae");
    static const TFuzzTempFile bmp("-textures/fuzz-image.bmp");
    static const TFuzzTempFile jpeg("-textures/fuzz-image.jpg");
    if (size < 2) return 0;
    const std::size_t documentSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
    document.Write(data + 2, documentSize);
    bmp.Write(data + 2 + documentSize, size - 2 - documentSize);
    jpeg.Write(data + 2 + documentSize, size - 2 - documentSize);

    TColladaEngine& engine = world.Engine;
    engine.Assets.Clear();
    engine.TextureEngine = std::make_unique<TTextureEngine>();  // deletes the last input's textures
    try {
        if (engine.LoadAsset(document.Path) < 0) return 0;
        engine.PrepareMaterials();
    } catch (const TXmlError&) {
    } catch (const TImageError&) {
    } catch (const TFileError&) {
    } catch (const std::length_error&) {}
    // Every texture that entered the store was uploaded, and stays within the limits.
    for (const auto& texture : engine.TextureEngine->Textures)
        if (texture->Id == 0) __builtin_trap();
    if (engine.TextureEngine->PixelsLeft() < 0) __builtin_trap();
    return 0;
}
