// sceneinfo [--json] [--arrays] [--all] FILE.dae: loads a scene file exactly as the engine does (no GL) and
// prints what will be drawn, the loader's notes on what will not and why, and what it read. Exit status 0
// loaded, 1 not loaded, 2 usage error.
#include <cstdio>
#include <string>
#include <string_view>

#include "Output.h"
#include "SceneReport.h"

namespace {

constexpr const char* Usage =
    "usage: sceneinfo [--json] [--arrays] [--all] FILE.dae\n"
    "  Loads a COLLADA scene file the way the engine does and prints a summary first:\n"
    "  loaded or not, how many nodes will be drawn, and the causes of what will not,\n"
    "  each with its count and first line. The loader's notes follow (when the load\n"
    "  fails, reading goes on past the failure and marks what it finds after it), then\n"
    "  what was read: geometries (stream sizes in vertices, with the numbers they\n"
    "  hold), nodes (rotation angles in degrees about x, y and z), effects, images.\n"
    "  Texture files are looked up relative to the working directory, as the programs do.\n"
    "  --json    print one JSON object instead of text, with every note; array counts\n"
    "            there are numbers, and attrib1/attrib2 are shader streams that no\n"
    "            document fills\n"
    "  --arrays  print every array's values as well\n"
    "  --all     print every note, not the first few of each cause\n"
    "  Of each cause the first 10000 notes are kept; --all and --json count the rest.\n"
    "Exit status: 0 loaded, 1 not loaded, 2 usage error.\n";

struct TOptions {
    bool Json = false;
    TOutputOptions Output;
    std::string File;
};

// False for a usage error.
bool ParseArguments(int argc, char** argv, TOptions& options) {
    bool haveFile = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--json") {
            options.Json = true;
        } else if (!optionsEnded && argument == "--arrays") {
            options.Output.Arrays = true;
        } else if (!optionsEnded && argument == "--all") {
            options.Output.All = true;
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

int main(int argc, char** argv) {
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
    TSceneReport report = BuildSceneReport(document, options.File);
    // The report holds what is printed; the tree need not stay beside the text made from it.
    document.Clear();
    ReportOpened(report, document);
    document.Clear();
    if (options.Json) {
        WriteJson(report, options.Output.Arrays, stdout);
    } else {
        const std::string text = FormatText(report, options.Output);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return report.Loaded ? 0 : 1;
}
