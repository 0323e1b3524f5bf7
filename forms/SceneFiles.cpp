#include "SceneFiles.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace {

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

TCommandLine UsageError(const char* program, const std::string& problem, const char* usage) {
    std::cerr << std::filesystem::path(program).filename().string() << ": " << problem << "\n\n" << usage;
    return {{}, 2};
}

}  // namespace

TSceneFiles DataFiles(std::vector<std::string> documents) {
    return {std::move(documents), "../data/phong.vert", "../data/phong.frag"};
}

TCommandLine ReadCommandLine(int argc, const char* const* argv, const TSceneFiles& own, std::size_t maxDocuments,
                             const char* usage) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    std::vector<std::string> documents;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            return {{}, 0};
        }
        if (argument.size() > 1 && argument[0] == '-') return UsageError(program, "unknown option " + argument, usage);
        documents.push_back(Absolute(argument));
    }
    if (documents.empty()) return {own, std::nullopt};
    if (documents.size() > maxDocuments)
        return UsageError(
            program,
            "too many files: " + std::to_string(documents.size()) + " given, at most " + std::to_string(maxDocuments),
            usage);
    TCommandLine line{{std::move(documents), Absolute(own.VertexFile), Absolute(own.FragmentFile)}, std::nullopt};
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::path(line.Scene.Documents.front()).parent_path(), ignored);
    return line;
}
