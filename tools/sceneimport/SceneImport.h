// sceneimport: the door and the document writer. A model file of any format the door opens becomes a document
// in the engine's conventions, with its textures as files beside it: the very asset the programs would draw,
// in metres with the requested axis up. What the import writes goes into the document's folder only, never
// over a file that was there, and the document takes its place only once it is complete and loads cleanly.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TImportOptions {
    bool ZUp = true;                   // false: y is up
    std::optional<double> SizeMetres;  // scale the scene so its largest extent is this long
};

struct TImportResult {
    std::vector<std::string> Warnings;  // what was dropped or changed, one line each, names escaped
    long long SourceTriangles = 0;      // that the door opened, counted once per node that draws them
    long long WrittenTriangles = 0;     // that the written document draws when loaded back
    int Nodes = 0;
    // The load of the written document by the engine's loader: its problems, each a line; none when it loads
    // cleanly. The document is in place only when there is none.
    std::vector<std::string> Problems;
};

// What stops an import: an unreadable model, or one with nothing to draw.
class TImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `output` and its textures beside it. Raises TImportError naming the file and the reason when no
// document can be written; any other error of the door, the writer or the output folder passes as it is.
TImportResult ImportScene(const std::string& input, const std::string& output, const TImportOptions& options);
