// scenerender: one frame of documents and models drawn headless through the engine, as the programs draw it,
// written to a PNG file; with --frame lit and framed, and as a file manager's thumbnailer with --thumbnail.
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "Colladaengine.h"
#include "FramedPicture.h"
#include "MessageText.h"
#include "ModelDoor.h"
#include "PhongShading.h"
#include "RenderOptions.h"
#include "StbImageWrite.h"

namespace {

// A file manager runs its thumbnailer on every file it shows, unattended: a picture takes at most this long
// and this much memory, whatever the file, or the process ends and the file manager shows no picture.
constexpr unsigned ThumbnailSeconds = 30;
constexpr rlim_t ThumbnailMemoryBytes = rlim_t{3} << 30;

void BoundThumbnail() {
    alarm(ThumbnailSeconds);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers reserve far more address space than they use.
    rlimit limit{ThumbnailMemoryBytes, ThumbnailMemoryBytes};
    rlimit current{};
    if (getrlimit(RLIMIT_AS, &current) == 0 && (current.rlim_cur == RLIM_INFINITY || current.rlim_cur > limit.rlim_cur))
        setrlimit(RLIMIT_AS, &limit);
#endif
}

// The viewer's start view: from (-4, 0, 2) along the heading 0.3 radians right of +x, z up.
std::vector<float> ViewerStartView() {
    return {-4.0f, 0.0f, 2.0f, static_cast<float>(-4.0 + std::cos(0.3)), static_cast<float>(-std::sin(0.3)), 2.0f,
            0.0f,  0.0f, 1.0f};
}

void Render(TColladaEngine& engine, const TRenderOptions& options) {
    const std::vector<float>& p = options.Placed;
    const std::vector<float> l = options.LookAt.empty() ? ViewerStartView() : options.LookAt;
    if (!p.empty())
        engine.RenderPlaced(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8]);
    else
        engine.RenderLookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
}

// The pbuffer has one colour buffer, which stays readable after the swap; PNG rows run top-down.
void WritePicture(const TRenderOptions& options) {
    const auto width = static_cast<std::size_t>(options.Width);
    const auto height = static_cast<std::size_t>(options.Height);
    std::vector<unsigned char> pixels(width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.Width, options.Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<unsigned char> rows(pixels.size());
    for (std::size_t y = 0; y < height; ++y)
        std::copy_n(&pixels[(height - 1 - y) * width * 4], width * 4, &rows[y * width * 4]);
    if (!stbi_write_png(options.Output.c_str(), options.Width, options.Height, 4, rows.data(), options.Width * 4))
        throw std::runtime_error(FileMessage(options.Output, "cannot write the picture"));
}

int Run(const TRenderOptions& options) {
    if (options.Thumbnail) BoundThumbnail();
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, options.Width, options.Height, options.FieldOfView,
                          options.NearPlane.value_or(0.1f), options.FarPlane.value_or(500.0f));
    TDoorOptions door;
    door.UpAxis = options.UpAxis;
    door.Thumbnail = options.Thumbnail;
    for (const std::string& file : options.Files) {
        TOpenedModel model = OpenModel(document, file, door);
        for (const std::string& warning : model.Warnings)
            std::cerr << "scenerender: warning: " << FileMessage(file, warning) << "\n";
        AddToEngine(engine, model);
    }
    // The programs' start-up and switches: the textures are always prepared, and clearing "Enable textures"
    // then switches them off.
    int phongIndex = -1;
    int useTextureFlag = StartUseTextureFlag;
    TLightColour lightDiffuse = StartLightDiffuse;
    const bool phong = !options.VertexFile.empty();
    if (!phong) {
        engine.PrepareMaterials();
    } else {
        SetUpPhong(engine, phongIndex, useTextureFlag, lightDiffuse.data(), StartLightPosition.data(),
                   options.VertexFile.c_str(), options.FragmentFile.c_str());
        AttachPhong(engine, 0, phongIndex);
    }
    if (!options.Textures) SwitchTextures(engine, false, phongIndex, useTextureFlag, lightDiffuse.data());
    if (options.Wireframe) SwitchWireframe(engine, 0, true);
    const bool framed = options.Frame && RenderFramed(engine, options, !phong);
    if (options.Frame && !framed) {
        // A file manager shows its own icon for a file it gets no picture of: better than an empty one.
        if (options.Thumbnail) throw std::runtime_error(FileMessage(options.Files.front(), "nothing is drawn"));
        std::cerr << "scenerender: warning: nothing is drawn within single-precision range, so --frame keeps the "
                     "default camera\n";
    }
    if (!framed) Render(engine, options);
    WritePicture(options);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << Usage;
        return 0;
    }
    try {
        return Run(ParseArguments(argc, argv));
    } catch (const TUsageError& error) {
        std::cerr << "scenerender: " << error.what() << "\n\n" << Usage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "scenerender: " << error.what() << '\n';
        return 1;
    }
}
