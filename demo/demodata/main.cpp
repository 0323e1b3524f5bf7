// demodata FOLDER: writes the demo data of both programs into FOLDER (created when missing): the scene
// documents, their BMP and JPEG textures and the GLSL sources of the "Phong" program. The output depends on
// nothing but this program, so every build writes the same bytes.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>

#include "Image.h"
#include "Scenes.h"
#include "Shaders.h"
#include "Textures.h"

namespace {

struct TTextureFile {
    const char* Name;
    TImage (*Make)();
};

const TTextureFile TextureFiles[] = {
    {"bricks.bmp", MakeBricks}, {"crate.bmp", MakeCrate},   {"checker.bmp", MakePaving},
    {"logo.bmp", MakeEmblem},   {"grass.jpg", MakeGrass},   {"rock.jpg", MakeRock},
    {"sky.jpg", MakeSky},       {"marble.jpg", MakeMarble}, {"knot.jpg", MakeKnotPattern},
};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot be written");
}

void WriteTextures(const std::string& folder) {
    for (const TTextureFile& file : TextureFiles) {
        const std::string path = folder + "/" + file.Name;
        const TImage image = file.Make();
        if (path.ends_with(".bmp"))
            WriteBmp(image, path);
        else
            WriteJpeg(image, path, 90);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: demodata FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        WriteTextures(folder);
        WriteText(folder + "/phong.vert", PhongVertexSource);
        WriteText(folder + "/phong.frag", PhongFragmentSource);
        WriteWalkScenes(folder);
        WriteShadingModel(folder);
    } catch (const std::exception& error) {
        std::cerr << "demodata: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
