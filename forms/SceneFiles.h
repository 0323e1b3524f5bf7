// What a program opens: its own data files, named relative to the folder it runs in (beside ../data/), or the
// COLLADA documents its user names on the command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct TSceneFiles {
    std::vector<std::string> Documents;  // loaded in this order; the first is the one the program shades
    std::string VertexFile;              // the "Phong" program's sources
    std::string FragmentFile;
    // The user's own files, opened through the door and framed, rather than the program's demo scene.
    bool UserFiles = false;
};

// The program's own documents with the Phong sources, all in ../data/.
TSceneFiles DataFiles(std::vector<std::string> documents);

struct TCommandLine {
    TSceneFiles Scene;
    std::optional<int> ExitStatus;  // the program ends at once: 0 after --help, 2 after a usage error
};

// Reads "[--help] [FILE ...]" with at most maxDocuments files; --help prints the usage on standard output, a
// mistake prints it on standard error. The program's own data is what ../data/ holds, or, when the working
// directory has no ../data/, the data folder beside the program's own folder (it is then started from
// anywhere): without files the program enters its own folder and the scene is `own`, untouched. Files take the
// place of own's documents: they and own's Phong sources are made absolute, and then the first file's folder
// becomes the working directory, so that texture names written relative to the document are found. (A folder
// that cannot be entered is left to the load, whose error the program shows.)
TCommandLine ReadCommandLine(int argc, const char* const* argv, const TSceneFiles& own, std::size_t maxDocuments,
                             const char* usage);
