// Lustrane, the shading demo. Run it from a folder beside data/: without a file it shows ../data/model.dae.
#include "Application.h"
#include "SceneFiles.h"
#include "Unitmain.h"

namespace {

const char* const Usage =
    "usage: lustrane [FILE.dae]\n"
    "\n"
    "Shows the COLLADA document turning, lit by the Phong program; texture names are read relative to the\n"
    "document's folder. Without a file: ../data/model.dae. Drag to tilt and turn the model.\n";

}  // namespace

int main(int argc, char** argv) {
    const TCommandLine line = ReadCommandLine(argc, argv, DataFiles({"../data/model.dae"}), 1, Usage);
    if (line.ExitStatus) return *line.ExitStatus;
    return RunApplication("Lustrane", [&line] { return std::make_unique<TForm1>(line.Scene); });
}
