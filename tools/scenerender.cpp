// scenerender: one frame of COLLADA documents drawn headless through the engine, exactly as the programs
// draw it, written to a PNG file.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

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
    "usage: scenerender [--size WxH|N] [--lookat ex,ey,ez,cx,cy,cz,ux,uy,uz | --frame [--up z|y]]\n"
    "                   [--placed tx,ty,tz,ax,ay,az,sx,sy,sz] [--fov DEG --near N --far F]\n"
    "                   [--phong VERT FRAG] [--no-textures] [--wireframe] -o OUT.png FILE.dae...\n"
    "\n"
    "Loads each FILE in order, prepares its textures and draws one frame into an off-screen buffer of the\n"
    "given size (default 702x387; N alone: a square of N pixels), then writes it to OUT.png. Texture names\n"
    "are read from the working directory or else beside their document; a texture that cannot be read is\n"
    "named on standard error and its nodes are drawn untextured.\n"
    "  --lookat      camera eye, centre and up (default: the viewer's start view from (-4, 0, 2))\n"
    "  --frame       place the camera so that everything drawn fits the picture, seen from above and in\n"
    "                front; the clipping distances follow unless --near or --far are given\n"
    "  --up          the scene's up axis for --frame: z (the default) or y\n"
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
    std::vector<float> LookAt{
        -4.0f, 0.0f, 2.0f, static_cast<float>(-4.0 + std::cos(0.3)), static_cast<float>(-std::sin(0.3)), 2.0f,
        0.0f,  0.0f, 1.0f};
    std::vector<float> Placed;
    bool Frame = false;
    char UpAxis = 'z';
    float FieldOfView = 45.0f;
    std::optional<float> NearPlane;
    std::optional<float> FarPlane;
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

// WxH, or N for a square of N pixels (thumbnails).
void ParseSize(const std::string& text, TOptions& options) {
    const std::size_t x = text.find('x');
    char* end = nullptr;
    const long width = std::strtol(text.c_str(), &end, 10);
    const long height = x == std::string::npos ? width : std::strtol(text.c_str() + x + 1, &end, 10);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789x") == std::string::npos;
    if (!digitsOnly || *end != '\0' || width < 1 || height < 1 || width > 16384 || height > 16384)
        throw TUsageError("--size: expected WxH or N with each side from 1 to 16384, not " + text);
    options.Width = static_cast<int>(width);
    options.Height = static_cast<int>(height);
}

TOptions ParseArguments(int argc, char** argv) {
    TOptions options;
    bool lookAtGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw TUsageError(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--size")
            ParseSize(value(), options);
        else if (argument == "--lookat") {
            options.LookAt = ParseNine(value(), argument);
            lookAtGiven = true;
        } else if (argument == "--frame")
            options.Frame = true;
        else if (argument == "--up") {
            const std::string axis = value();
            if (axis != "z" && axis != "y") throw TUsageError("--up takes z or y, not " + axis);
            options.UpAxis = axis[0];
        } else if (argument == "--placed")
            options.Placed = ParseNine(value(), argument);
        else if (argument == "--fov")
            options.FieldOfView = ParseFloat(value(), argument);
        else if (argument == "--near")
            options.NearPlane = ParseFloat(value(), argument);
        else if (argument == "--far")
            options.FarPlane = ParseFloat(value(), argument);
        else if (argument == "--phong") {
            options.VertexFile = value();
            options.FragmentFile = value();
        } else if (argument == "--no-textures")
            options.Textures = false;
        else if (argument == "--wireframe")
            options.Wireframe = true;
        else if (argument == "-o")
            options.Output = value();
        else if (argument.size() > 1 && argument[0] == '-')
            throw TUsageError("unknown option " + argument);
        else
            options.Files.push_back(argument);
    }
    if (options.Frame && (lookAtGiven || !options.Placed.empty()))
        throw TUsageError("--frame places the camera itself; it does not go with --lookat or --placed");
    if (options.Output.empty()) throw TUsageError("no output file given (-o OUT.png)");
    if (options.Files.empty()) throw TUsageError("no document given");
    return options;
}

using TPoint = std::array<double, 3>;

double Dot(const TPoint& a, const TPoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TPoint Cross(const TPoint& a, const TPoint& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Turns p by the angle in degrees about the axis (0 x, 1 y, 2 z), counter-clockwise looking down the axis, as
// glRotatef does.
void Turn(TPoint& p, double degrees, int axis) {
    const double radians = degrees * M_PI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    const double pu = p[u], pv = p[v];
    p[u] = c * pu - s * pv;
    p[v] = s * pu + c * pv;
}

// What drawing does to a vertex with one translate, three rotations and scale: scaled first, then turned about
// x, y and z, then moved.
void Place(TPoint& p, const TFloatArray& position, const TFloatArray& rotation, const TFloatArray& scale) {
    for (int i = 0; i < 3; ++i) p[i] *= scale[i];
    Turn(p, rotation[0], 0);
    Turn(p, rotation[1], 1);
    Turn(p, rotation[2], 2);
    for (int i = 0; i < 3; ++i) p[i] += position[i];
}

bool HasThree(const TFloatArray& values) { return values.Count() >= 3; }

// Every vertex that a frame draws, in scene coordinates; vertices that are not finite there are left out.
std::vector<TPoint> DrawnVertices(const TColladaEngine& engine) {
    std::vector<TPoint> points;
    for (const auto& asset : engine.Assets) {
        if (!asset->Visible) continue;
        for (const auto& node : asset->VisualScenes->Items) {
            if (node->GeometryIndex == -1) continue;
            if (!HasThree(node->Position) || !HasThree(node->Rotation) || !HasThree(node->Scale)) continue;
            const TGeometry* g = asset->Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
            if (g->TriangleIndices.Empty() && g->LineIndices.Empty()) continue;
            for (std::size_t i = 0; i + 2 < g->Positions.Count(); i += 3) {
                TPoint p{g->Positions[i], g->Positions[i + 1], g->Positions[i + 2]};
                Place(p, node->Position, node->Rotation, node->Scale);
                Place(p, asset->Position, asset->Rotation, asset->Scale);
                if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) points.push_back(p);
            }
        }
    }
    return points;
}

struct TFraming {
    std::vector<float> LookAt;
    float NearPlane;
    float FarPlane;
};

constexpr double FrameElevationDegrees = 30.0;
constexpr double FrameMargin = 1.05;  // the picture's sides stay this much wider than the scene

// The camera looks at the middle of the points' box from above and in front: for a z-up scene from -y, for a
// y-up scene from +z (the same side once the scene is turned up), raised by the elevation. It stands back just
// so far that every point lies within the field of view, both across and up, with a small margin; the
// clipping planes enclose the points. Nothing to frame, or too far to frame in single precision: nullopt.
std::optional<TFraming> FrameAll(const std::vector<TPoint>& points, char upAxis, double fieldOfViewDegrees,
                                 double aspect) {
    if (points.empty()) return std::nullopt;
    TPoint low = points.front(), high = points.front();
    for (const TPoint& p : points)
        for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], p[i]), high[i] = std::max(high[i], p[i]);
    const TPoint centre{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    const TPoint extent{high[0] - low[0], high[1] - low[1], high[2] - low[2]};
    double size = std::sqrt(Dot(extent, extent));
    if (!(size > 0.0) || !std::isfinite(size)) size = 1.0;

    const TPoint up = upAxis == 'y' ? TPoint{0, 1, 0} : TPoint{0, 0, 1};
    const TPoint front = upAxis == 'y' ? TPoint{0, 0, 1} : TPoint{0, -1, 0};
    const double elevation = FrameElevationDegrees * M_PI / 180.0;
    TPoint back;  // from the centre towards the eye
    for (int i = 0; i < 3; ++i) back[i] = std::cos(elevation) * front[i] + std::sin(elevation) * up[i];
    TPoint right = Cross(up, back);  // horizontal already: up and back span the vertical plane
    const double rightLength = std::sqrt(Dot(right, right));
    for (double& r : right) r /= rightLength;
    const TPoint screenUp = Cross(back, right);

    const double tanUp = std::tan(fieldOfViewDegrees * M_PI / 360.0) / FrameMargin;
    const double tanAcross = tanUp * aspect;
    double distance = 0.0;
    for (const TPoint& p : points) {
        const TPoint d{p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        const double needed = std::max(std::abs(Dot(d, right)) / tanAcross, std::abs(Dot(d, screenUp)) / tanUp);
        distance = std::max(distance, Dot(d, back) + needed);
    }
    distance += size * 0.01;  // no point on the axis right at the eye
    double nearest = distance, farthest = 0.0;
    for (const TPoint& p : points) {
        const TPoint d{p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        const double depth = distance - Dot(d, back);
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
    }
    TFraming framing;
    for (int i = 0; i < 3; ++i) framing.LookAt.push_back(static_cast<float>(centre[i] + distance * back[i]));
    for (int i = 0; i < 3; ++i) framing.LookAt.push_back(static_cast<float>(centre[i]));
    for (int i = 0; i < 3; ++i) framing.LookAt.push_back(static_cast<float>(up[i]));
    framing.NearPlane = static_cast<float>(std::max(nearest / 2, size * 1e-3));
    framing.FarPlane = static_cast<float>(farthest * 1.5 + size * 1e-3);
    // A scene near the limits of single precision gives a camera that GL cannot take.
    const auto finite = [](float value) { return std::isfinite(value); };
    if (!std::all_of(framing.LookAt.begin(), framing.LookAt.end(), finite) || !finite(framing.FarPlane))
        return std::nullopt;
    return framing;
}

// Points the camera at everything drawn and fits the clipping planes to it, unless they were given.
void FrameCamera(TColladaEngine& engine, TOptions& options) {
    const double aspect = static_cast<double>(options.Width) / options.Height;
    const std::optional<TFraming> framing =
        FrameAll(DrawnVertices(engine), options.UpAxis, options.FieldOfView, aspect);
    if (!framing) {
        std::cerr << "scenerender: warning: nothing is drawn within single-precision range, so --frame keeps "
                     "the default camera\n";
        return;
    }
    options.LookAt = framing->LookAt;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(options.FieldOfView, aspect, options.NearPlane.value_or(framing->NearPlane),
                   options.FarPlane.value_or(framing->FarPlane));
    glMatrixMode(GL_MODELVIEW);
}

// A relative texture name that does not name a file from the working directory is looked for in the folder of
// its document, where exporters put it; the name stays as written when it is not there either.
void FindBesideDocument(std::string& fileName, const std::filesystem::path& documentFolder) {
    std::error_code error;
    if (fileName.empty() || std::filesystem::path(fileName).is_absolute() || std::filesystem::exists(fileName, error))
        return;
    const std::filesystem::path beside = documentFolder / fileName;
    if (std::filesystem::exists(beside, error)) fileName = beside.string();
}

// A texture that cannot be read costs the picture that texture only: the file is named on standard error and
// the nodes that use it are drawn untextured. The textures are loaded here in the order in which material
// preparation asks for them, which then only finds them again. documentFolders holds each asset's folder.
void LoadTexturesOrWarn(TColladaEngine& engine, const std::vector<std::filesystem::path>& documentFolders) {
    std::set<const TEffect*> untextured;
    for (int assetIndex = 0; assetIndex < engine.Assets.Count(); ++assetIndex) {
        TColladaAsset* asset = engine.Assets[static_cast<std::size_t>(assetIndex)];
        for (const auto& node : asset->VisualScenes->Items) {
            if (node->EffectIndex == -1) continue;
            TEffect* effect = asset->Effects->Items[static_cast<std::size_t>(node->EffectIndex)];
            if (untextured.count(effect) != 0)
                std::cerr << "scenerender: warning: node \"" << node->Name << "\" drawn untextured too\n";
            if (effect->ImageIndex == -1) continue;
            std::string& fileName = asset->Images->FileNames[static_cast<std::size_t>(effect->ImageIndex)];
            FindBesideDocument(fileName, documentFolders[static_cast<std::size_t>(assetIndex)]);
            try {
                engine.TextureEngine->LoadTexture(fileName, GL_TEXTURE0_ARB);
            } catch (const std::exception& error) {
                std::cerr << "scenerender: warning: texture \"" << fileName << "\" left out (" << error.what()
                          << "): node \"" << node->Name << "\" drawn untextured\n";
                effect->ImageIndex = -1;
                untextured.insert(effect);
            }
        }
    }
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
    if (!stbi_write_png(options.Output.c_str(), options.Width, options.Height, 4, rows.data(), options.Width * 4))
        throw std::runtime_error(options.Output + ": cannot write the picture");
}

int Run(TOptions options) {
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, options.Width, options.Height, options.FieldOfView,
                          options.NearPlane.value_or(0.1f), options.FarPlane.value_or(500.0f));
    std::vector<std::filesystem::path> documentFolders;  // one for each asset
    for (const std::string& file : options.Files) {
        if (engine.LoadAsset(file) == -1)
            std::cerr << file << ": no asset: the document lacks a geometry or visual-scene library\n";
        else
            documentFolders.push_back(std::filesystem::path(file).parent_path());
    }
    // The programs' start-up and switches: the textures are always prepared, and clearing "Enable textures"
    // then switches them off.
    int phongIndex = -1;
    int useTextureFlag = StartUseTextureFlag;
    TLightColour lightDiffuse = StartLightDiffuse;
    LoadTexturesOrWarn(engine, documentFolders);
    if (options.VertexFile.empty()) {
        engine.PrepareMaterials();
    } else {
        SetUpPhong(engine, phongIndex, useTextureFlag, lightDiffuse.data(), StartLightPosition.data(),
                   options.VertexFile.c_str(), options.FragmentFile.c_str());
        AttachPhong(engine, 0, phongIndex);
    }
    if (!options.Textures) SwitchTextures(engine, false, phongIndex, useTextureFlag, lightDiffuse.data());
    if (options.Wireframe) SwitchWireframe(engine, 0, true);
    if (options.Frame) FrameCamera(engine, options);
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
