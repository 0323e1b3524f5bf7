// sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae
// Writes a document the engine draws, with its textures beside it, from a model file of any format the model
// reader knows, and loads it back through the engine's loader before calling it done. Exit status 0 when the
// document was written and loads cleanly (warnings on stderr name what was dropped), 1 when not, 2 on a
// usage error.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "Contained.h"
#include "LoadCheck.h"
#include "MemoryLimit.h"
#include "SceneImport.h"

namespace {

constexpr const char* Usage = "usage: sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae\n";

bool ParseSize(std::string_view text, double& size) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(size) && size > 0;
}

// Imports, then proves the document by loading it back: 0 when it loads cleanly, 1 when not.
int Import(const std::string& input, const std::string& output, const TImportOptions& options) {
    try {
        const TImportResult result = ImportScene(input, output, options);
        for (const std::string& warning : result.Warnings) std::cerr << "sceneimport: warning: " << warning << "\n";
        const TLoadCheck check = CheckDocument(output);
        for (const std::string& problem : check.Problems)
            std::cerr << "sceneimport: " << output << ": " << problem << "\n";
        if (!check.Loaded || !check.Problems.empty()) {
            std::cerr << "sceneimport: the written document does not load cleanly\n";
            return 1;
        }
        std::cout << output << ": " << result.Nodes << " node(s), " << check.DrawnTriangles << " of "
                  << result.SourceTriangles << " triangle(s)\n";
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
            if (!ParseSize(argv[++i], size)) {
                std::cerr << "sceneimport: --size needs a positive number of metres\n" << Usage;
                return 2;
            }
            options.SizeMetres = size;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (!arg.starts_with("--") && input.empty()) {
            input = arg;
        } else if (!arg.starts_with("--") && output.empty()) {
            output = arg;
        } else {
            std::cerr << "sceneimport: unexpected argument " << arg << "\n" << Usage;
            return 2;
        }
    }
    if (input.empty() || output.empty()) {
        std::cerr << Usage;
        return 2;
    }
    std::error_code ignored;
    if (std::filesystem::equivalent(input, output, ignored)) {
        std::cerr << "sceneimport: " << output << " is the input itself; the import would replace it\n" << Usage;
        return 2;
    }

    // The document's folder is made for it, as the textures go beside the document.
    if (const auto folder = std::filesystem::path(output).parent_path(); !folder.empty())
        std::filesystem::create_directories(folder, ignored);

    return RunContained(
        [&] {
            LimitMemoryFor(std::filesystem::file_size(input, ignored));
            return Import(input, output, options);
        },
        input);
}
