// scenerender's command line: what to draw, how, and where to write the picture.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern const char* const Usage;

struct TRenderOptions {
    int Width = 702;
    int Height = 387;
    std::vector<float> LookAt;  // nine numbers: eye, centre, up
    std::vector<float> Placed;  // nine numbers: translation, angles about x, y, z, scales
    bool Frame = false;
    bool Thumbnail = false;
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

// Raises TUsageError for anything the command line gets wrong, naming the option.
TRenderOptions ParseArguments(int argc, char** argv);
