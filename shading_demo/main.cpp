// Lustrane, the shading demo. Run it from a folder beside data/: without a file it shows ../data/model.dae.
#include "Application.h"
#include "HugePages.h"
#include "SceneFiles.h"
#include "Unitmain.h"

namespace {

const char* const Usage =
    "usage: lustrane [FILE]\n"
    "\n"
    "Shows the model file (a COLLADA document, or a glTF, OBJ, STL, PLY, 3DS or FBX model) turning about its\n"
    "middle, y up, scaled to fill the view and lit by the Phong program; texture names are found beside the file,\n"
    "as written, or by their file name beside it. Without a file: ../data/model.dae. Drag to tilt and\n"
    "turn the model.\n";

}  // namespace

int main(int argc, char** argv) {
    RestartWithHugePages(argv);
    const TCommandLine line = ReadCommandLine(argc, argv, DataFiles({"../data/model.dae"}), 1, Usage);
    if (line.ExitStatus) return *line.ExitStatus;
    return RunApplication("Lustrane", [&line] { return std::make_unique<TForm1>(line.Scene); });
}
