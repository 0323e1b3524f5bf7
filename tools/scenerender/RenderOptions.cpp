#include "RenderOptions.h"

#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

#include "MessageText.h"

const char* const Usage =
    "usage: scenerender [--size WxH|N] [--lookat ex,ey,ez,cx,cy,cz,ux,uy,uz | --frame | --thumbnail] [--up z|y]\n"
    "                   [--placed tx,ty,tz,ax,ay,az,sx,sy,sz] [--fov DEG --near N --far F]\n"
    "                   [--phong VERT FRAG] [--no-textures] [--wireframe] -o OUT.png FILE...\n"
    "\n"
    "Opens each FILE in order, as the programs do (a COLLADA document, or a glTF, OBJ, STL, PLY, 3DS or FBX\n"
    "model), decodes its textures and draws one frame into an off-screen buffer of the given size (default\n"
    "702x387; N alone: a square of N pixels), then writes it to OUT.png. Texture names are found beside their\n"
    "document, as written, or by their file name beside it; a texture that cannot be read is named on\n"
    "standard error and drawn without.\n"
    "  --lookat      camera eye, centre and up (default: the viewer's start view from (-4, 0, 2))\n"
    "  --frame       place the camera so that everything drawn fits the picture, seen from in front, to one\n"
    "                side and above, and light it over a grey background; the clipping distances follow\n"
    "                unless --near or --far are given\n"
    "  --thumbnail   as --frame, with the bounds a file manager's thumbnailer needs: little time and memory,\n"
    "                textures decoded no larger than the picture needs\n"
    "  --up          the axis a scene stands up along, z (the default) or y: models of other formats are\n"
    "                turned to it, and --frame looks at the scene that way up\n"
    "  --placed      draw the scene moved, turned (degrees about x, y, z) and scaled, as the shading demo\n"
    "                does, e.g. 0,0,-12,0,0,0,1,1,1\n"
    "  --fov, --near, --far  the projection (default 45, 0.1, 500)\n"
    "  --phong       build this vertex and fragment program, set the programs' light, and give it to the\n"
    "                first document\n"
    "  --no-textures draw as with \"Enable textures\" cleared\n"
    "  --wireframe   draw the first document, and so all after it, as lines\n";

namespace {

float ParseFloat(const std::string& text, const std::string& option) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    float value = 0.0f;
    if (!(stream >> value) || !stream.eof() || !std::isfinite(value))
        throw TUsageError(option + ": not a number: " + EscapeForMessage(text));
    return value;
}

float ParsePositive(const std::string& text, const std::string& option) {
    const float value = ParseFloat(text, option);
    if (!(value > 0)) throw TUsageError(option + ": not a positive number: " + EscapeForMessage(text));
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
void ParseSize(const std::string& text, TRenderOptions& options) {
    const std::size_t x = text.find('x');
    char* end = nullptr;
    const long width = std::strtol(text.c_str(), &end, 10);
    const long height = x == std::string::npos ? width : std::strtol(text.c_str() + x + 1, &end, 10);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789x") == std::string::npos;
    if (!digitsOnly || *end != '\0' || width < 1 || height < 1 || width > 16384 || height > 16384)
        throw TUsageError("--size: expected WxH or N with each side from 1 to 16384, not " + EscapeForMessage(text));
    options.Width = static_cast<int>(width);
    options.Height = static_cast<int>(height);
}

}  // namespace

TRenderOptions ParseArguments(int argc, char** argv) {
    TRenderOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw TUsageError(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--size")
            ParseSize(value(), options);
        else if (argument == "--lookat")
            options.LookAt = ParseNine(value(), argument);
        else if (argument == "--frame")
            options.Frame = true;
        else if (argument == "--thumbnail")
            options.Frame = options.Thumbnail = true;
        else if (argument == "--up") {
            const std::string axis = value();
            if (axis != "z" && axis != "y") throw TUsageError("--up takes z or y, not " + EscapeForMessage(axis));
            options.UpAxis = axis[0];
        } else if (argument == "--placed")
            options.Placed = ParseNine(value(), argument);
        else if (argument == "--fov") {
            options.FieldOfView = ParsePositive(value(), argument);
            if (options.FieldOfView >= 180) throw TUsageError("--fov: the field of view must be below 180 degrees");
        } else if (argument == "--near")
            options.NearPlane = ParsePositive(value(), argument);
        else if (argument == "--far")
            options.FarPlane = ParsePositive(value(), argument);
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
            throw TUsageError("unknown option " + EscapeForMessage(argument));
        else
            options.Files.push_back(argument);
    }
    if (options.Frame && (!options.LookAt.empty() || !options.Placed.empty()))
        throw TUsageError("--frame places the camera itself; it does not go with --lookat or --placed");
    if (options.Output.empty()) throw TUsageError("no output file given (-o OUT.png)");
    if (options.Files.empty()) throw TUsageError("no document given");
    return options;
}
