// sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae
// Writes a document the engine draws, with its textures beside it, from a model file of any format the door
// opens, and loads it back through the engine's loader before putting it in place. Exit status 0 when the
// document was written and loads cleanly (warnings on stderr name what was dropped), 1 when not, 2 on a usage
// error.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "MessageText.h"
#include "OutputFolder.h"
#include "SceneImport.h"

namespace {

constexpr const char* Usage = "usage: sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae\n";

// Sizes a scene can sensibly be scaled to: from a millimetre to ten thousand kilometres.
constexpr double SmallestSize = 1e-3, LargestSize = 1e7;

bool ParseSize(std::string_view text, double& size) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(size) && size >= SmallestSize &&
           size <= LargestSize;
}

int UsageError(const std::string& problem) {
    std::cerr << "sceneimport: " << problem << "\n" << Usage;
    return 2;
}

// Imports, then says what happened: 0 when the document is in place and loads cleanly, 1 when not.
int Import(const std::string& input, const std::string& output, const TImportOptions& options) {
    try {
        const TImportResult result = ImportScene(input, output, options);
        for (const std::string& warning : result.Warnings)
            std::cerr << "sceneimport: warning: " << FileMessage(input, warning) << "\n";
        for (const std::string& problem : result.Problems)
            std::cerr << "sceneimport: " << FileMessage(output, problem) << "\n";
        if (!result.Problems.empty()) {
            std::cerr << "sceneimport: " << FileMessage(output, "not written: the document would not load cleanly")
                      << "\n";
            return 1;
        }
        std::cout << EscapeForMessage(output) << ": " << result.Nodes << " node(s), " << result.WrittenTriangles
                  << " of " << result.SourceTriangles << " triangle(s)\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "sceneimport: " << error.what() << "\n";
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    TImportOptions options;
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--up" && i + 1 < argc &&
            (std::string_view(argv[i + 1]) == "z" || std::string_view(argv[i + 1]) == "y")) {
            options.ZUp = std::string_view(argv[++i]) == "z";
        } else if (arg == "--size" && i + 1 < argc) {
            double size = 0;
            if (!ParseSize(argv[++i], size))
                return UsageError("--size needs a number of metres from 0.001 to 10000000, not " +
                                  EscapeForMessage(argv[i]));
            options.SizeMetres = size;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (!arg.starts_with("--") && input.empty()) {
            input = arg;
        } else if (!arg.starts_with("--") && output.empty()) {
            output = arg;
        } else {
            return UsageError("unexpected argument " + EscapeForMessage(arg));
        }
    }
    if (input.empty() || output.empty()) return UsageError("an input and an output file are needed");
    std::error_code ignored;
    if (std::filesystem::equivalent(input, output, ignored))
        return UsageError(EscapeForMessage(output) + " is the input itself; the import would replace it");
    RemovePendingDocumentOnSignals();
    return Import(input, output, options);
}
