// sceneinfo [--json] [--arrays] FILE.dae: loads a scene file exactly as the engine does (no GL) and prints
// what it read and why something of it will not be drawn. Exit status 0 loaded, 1 not loaded, 2 usage error.
#include <cstdio>
#include <string>
#include <string_view>

#include "Output.h"
#include "SceneReport.h"

namespace {

constexpr const char* Usage =
    "usage: sceneinfo [--json] [--arrays] FILE.dae\n"
    "  Loads a COLLADA scene file the way the engine does and prints what was read:\n"
    "  geometries with their array sizes, nodes, effects, images, and warnings about\n"
    "  what will not be drawn and why.\n"
    "  --json    print one JSON object instead of text\n"
    "  --arrays  print every array's values as well\n"
    "Exit status: 0 loaded, 1 not loaded, 2 usage error.\n";

struct TOptions {
    bool Json = false;
    bool Arrays = false;
    std::string File;
};

// False for a usage error.
bool ParseArguments(int argc, char** argv, TOptions& options)
{
    bool haveFile = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--json") {
            options.Json = true;
        } else if (!optionsEnded && argument == "--arrays") {
            options.Arrays = true;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            std::fprintf(stderr, "sceneinfo: unknown option %s\n", EscapeForMessage(argument).c_str());
            return false;
        } else if (haveFile) {
            std::fprintf(stderr, "sceneinfo: only one file can be given\n");
            return false;
        } else {
            options.File = argument;
            haveFile = true;
        }
    }
    if (!haveFile) std::fprintf(stderr, "sceneinfo: no file given\n");
    return haveFile;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    TOptions options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    TXmlDocument document;
    const TSceneReport report = BuildSceneReport(document, options.File);
    const std::string text = options.Json ? FormatJson(report, options.Arrays) : FormatText(report, options.Arrays);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return report.Loaded ? 0 : 1;
}
