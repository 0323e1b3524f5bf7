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

// The folder the running program lies in, or none when the system does not say.
std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

// A program started elsewhere than beside its data goes to its own folder, where ../data/ is.
void FindOwnData() {
    std::error_code error;
    if (std::filesystem::is_directory("../data", error)) return;
    const std::filesystem::path folder = ProgramFolder();
    if (!folder.empty() && std::filesystem::is_directory(folder / ".." / "data", error))
        std::filesystem::current_path(folder, error);
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
    // The user's files are named from where the program was started, before it moves to its own data.
    FindOwnData();
    if (documents.empty()) return {own, std::nullopt};
    if (documents.size() > maxDocuments)
        return UsageError(
            program,
            "too many files: " + std::to_string(documents.size()) + " given, at most " + std::to_string(maxDocuments),
            usage);
    TCommandLine line{{std::move(documents), Absolute(own.VertexFile), Absolute(own.FragmentFile), true}, std::nullopt};
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::path(line.Scene.Documents.front()).parent_path(), ignored);
    return line;
}
