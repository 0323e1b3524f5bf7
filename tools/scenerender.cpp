// scenerender: one frame of COLLADA documents drawn headless through the engine, exactly as the programs
// draw it, written to a PNG file.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "Colladaengine.h"
#include "PhongShading.h"

// The library's own code is not held to our warning level.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

const char* const Usage =
    "usage: scenerender [--size WxH] [--lookat ex,ey,ez,cx,cy,cz,ux,uy,uz]\n"
    "                   [--placed tx,ty,tz,ax,ay,az,sx,sy,sz] [--fov DEG --near N --far F]\n"
    "                   [--phong VERT FRAG] [--no-textures] [--wireframe] -o OUT.png FILE.dae...\n"
    "\n"
    "Loads each FILE in order, prepares its textures and draws one frame into an off-screen buffer of the\n"
    "given size (default 702x387), then writes it to OUT.png.\n"
    "  --lookat      camera eye, centre and up (default: the viewer's start view from (-4, 0, 2))\n"
    "  --placed      draw the scene moved, turned (degrees about x, y, z) and scaled, as the shading demo\n"
    "                does, e.g. 0,0,-12,0,0,0,1,1,1\n"
    "  --fov, --near, --far  the projection (default 45, 0.1, 500)\n"
    "  --phong       build this vertex and fragment program, set the programs' light, and give it to the\n"
    "                first document\n"
    "  --no-textures draw as with \"Enable textures\" cleared\n"
    "  --wireframe   draw the first document, and so all after it, as lines\n";

struct TOptions {
    int Width = 702;
    int Height = 387;
    // The viewer's start view: from (-4, 0, 2) along the heading 0.3 radians right of +x, z up.
    std::vector<float> LookAt{-4.0f, 0.0f, 2.0f, static_cast<float>(-4.0 + std::cos(0.3)),
                              static_cast<float>(-std::sin(0.3)), 2.0f, 0.0f, 0.0f, 1.0f};
    std::vector<float> Placed;
    float FieldOfView = 45.0f;
    float NearPlane = 0.1f;
    float FarPlane = 500.0f;
    std::string VertexFile;
    std::string FragmentFile;
    bool Textures = true;
    bool Wireframe = false;
    std::string Output;
    std::vector<std::string> Files;
};

class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

float ParseFloat(const std::string& text, const std::string& option) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    float value = 0.0f;
    if (!(stream >> value) || !stream.eof() || !std::isfinite(value))
        throw TUsageError(option + ": not a number: " + text);
    return value;
}

std::vector<float> ParseNine(const std::string& text, const std::string& option) {
    std::vector<float> values;
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) values.push_back(ParseFloat(item, option));
    if (values.size() != 9) throw TUsageError(option + " takes nine numbers separated by commas");
    return values;
}

void ParseSize(const std::string& text, TOptions& options) {
    const std::size_t x = text.find('x');
    char* end = nullptr;
    const long width = std::strtol(text.c_str(), &end, 10);
    const long height = x == std::string::npos ? 0 : std::strtol(text.c_str() + x + 1, &end, 10);
    if (x == std::string::npos || *end != '\0' || width < 1 || height < 1 || width > 16384 || height > 16384)
        throw TUsageError("--size: expected WxH with each side from 1 to 16384, not " + text);
    options.Width = static_cast<int>(width);
    options.Height = static_cast<int>(height);
}

TOptions ParseArguments(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw TUsageError(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--size") ParseSize(value(), options);
        else if (argument == "--lookat") options.LookAt = ParseNine(value(), argument);
        else if (argument == "--placed") options.Placed = ParseNine(value(), argument);
        else if (argument == "--fov") options.FieldOfView = ParseFloat(value(), argument);
        else if (argument == "--near") options.NearPlane = ParseFloat(value(), argument);
        else if (argument == "--far") options.FarPlane = ParseFloat(value(), argument);
        else if (argument == "--phong") {
            options.VertexFile = value();
            options.FragmentFile = value();
        } else if (argument == "--no-textures") options.Textures = false;
        else if (argument == "--wireframe") options.Wireframe = true;
        else if (argument == "-o") options.Output = value();
        else if (argument.size() > 1 && argument[0] == '-') throw TUsageError("unknown option " + argument);
        else options.Files.push_back(argument);
    }
    if (options.Output.empty()) throw TUsageError("no output file given (-o OUT.png)");
    if (options.Files.empty()) throw TUsageError("no document given");
    return options;
}

void Render(TColladaEngine& engine, const TOptions& options) {
    const std::vector<float>& p = options.Placed;
    const std::vector<float>& l = options.LookAt;
    if (!p.empty())
        engine.RenderPlaced(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8]);
    else
        engine.RenderLookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
}

// The pbuffer has one colour buffer, which stays readable after the swap; PNG rows run top-down.
void WritePicture(const TOptions& options) {
    const auto width = static_cast<std::size_t>(options.Width);
    const auto height = static_cast<std::size_t>(options.Height);
    std::vector<unsigned char> pixels(width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.Width, options.Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<unsigned char> rows(pixels.size());
    for (std::size_t y = 0; y < height; ++y)
        std::copy_n(&pixels[(height - 1 - y) * width * 4], width * 4, &rows[y * width * 4]);
    if (!stbi_write_png(options.Output.c_str(), options.Width, options.Height, 4, rows.data(),
                        options.Width * 4))
        throw std::runtime_error(options.Output + ": cannot write the picture");
}

int Run(const TOptions& options) {
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, options.Width, options.Height, options.FieldOfView,
                          options.NearPlane, options.FarPlane);
    for (const std::string& file : options.Files) {
        if (engine.LoadAsset(file) == -1)
            std::cerr << file << ": no asset: the document lacks a geometry or visual-scene library\n";
    }
    // The programs' start-up and switches: the textures are always prepared, and clearing "Enable textures"
    // then switches them off.
    int phongIndex = -1;
    int useTextureFlag = 1;
    float lightDiffuse[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    const float lightPosition[4] = {0.0f, 0.0f, 20.0f, 1.0f};
    if (options.VertexFile.empty()) {
        engine.PrepareMaterials();
    } else {
        SetUpPhong(engine, phongIndex, useTextureFlag, lightDiffuse, lightPosition, options.VertexFile.c_str(),
                   options.FragmentFile.c_str());
        AttachPhong(engine, 0, phongIndex);
    }
    if (!options.Textures) SwitchTextures(engine, false, phongIndex, useTextureFlag, lightDiffuse);
    if (options.Wireframe) SwitchWireframe(engine, 0, true);
    Render(engine, options);
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
