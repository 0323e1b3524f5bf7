// Turns a model file of any format the model reader knows into a document the engine draws: every mesh a
// geometry, every placed mesh a top-level node, every material a texture (its own, or a plain one with the
// material's colour in the vertices), in metres and with the requested up axis.
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
    std::vector<std::string> Warnings;  // what was dropped or changed, one line each
    long long SourceTriangles = 0;      // after splitting polygons into triangles
    long long WrittenTriangles = 0;     // in the document, counted once per node that draws them
    int Nodes = 0;
};

// What stops an import: an unreadable model, or one with nothing to draw.
class TImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `output` and its textures beside it. Raises TImportError when no document can be written.
TImportResult ImportScene(const std::string& input, const std::string& output, const TImportOptions& options);
