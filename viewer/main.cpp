// Vantrell, the walk-through viewer. Run it from a folder beside data/: without files it reads its scene under
// ../data/.
#include <cstdint>

#include "Application.h"
#include "HugePages.h"
#include "SceneFiles.h"
#include "Unitmain.h"

namespace {

const char* const Usage =
    "usage: vantrell [FILE ...]\n"
    "\n"
    "Walks through the scene of the given model files (COLLADA documents, glTF, OBJ, STL, PLY, 3DS or FBX\n"
    "models), drawn in the order given; the first takes the Phong program and the wireframe switch. The walk\n"
    "starts outside the scene with all of it in view, and its steps follow the scene's size. Texture names are\n"
    "found beside their file, as written, or by their file name beside it.\n"
    "Without files: the demo scene in ../data/ (models.dae, ground.dae, rocks.dae, sky.dae).\n"
    "Walk with w, s, a, d; look around by dragging the mouse over the picture.\n";

}  // namespace

int main(int argc, char** argv) {
    RestartWithHugePages(argv);
    const TCommandLine line = ReadCommandLine(
        argc, argv, DataFiles({"../data/models.dae", "../data/ground.dae", "../data/rocks.dae", "../data/sky.dae"}),
        SIZE_MAX, Usage);
    if (line.ExitStatus) return *line.ExitStatus;
    return RunApplication("Vantrell", [&line] { return std::make_unique<TForm1>(line.Scene); });
}
