// The many-node scene the frame and node-load benchmarks share: N nodes, each placing the same textured, lit
// triangle with a translation, three rotations and a scale, written to a file of its own.
#pragma once

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "StreamConventions.h"

inline std::string ManyNodeDocument(int nodes) {
    const auto source = [](TStreamKind stream, const char* values) {
        const TStreamConvention& convention = StreamConvention(stream);
        const int count = 3 * convention.Components();
        return "<source id=\"Tri" + std::string(convention.Suffix) + "\"><float_array count=\"" +
               std::to_string(count) + "\">" + values + "</float_array></source>";
    };
    std::ostringstream out;
    out << "<COLLADA><library_geometries><geometry name=\"Tri\"><mesh>"
        << source(TStreamKind::Positions, "0 0 0 1 0 0 0 1 0") << source(TStreamKind::Normals, "0 0 1 0 0 1 0 0 1")
        << source(TStreamKind::TexCoords, "0 0 1 0 0 1")
        << "<triangles count=\"1\"><input/><input/><input/><p>0 0 0 1 1 1 2 2 2</p></triangles>"
           "</mesh></geometry></library_geometries><library_visual_scenes><visual_scene>";
    for (int i = 0; i < nodes; ++i)
        out << "<node name=\"n" << i << "\"><translate>" << i % 10 << " " << i % 7 << " 0</translate>"
            << "<rotate>0 0 1 10</rotate><rotate>0 1 0 20</rotate><rotate>1 0 0 30</rotate>"
            << "<scale>1 1 1</scale><instance_geometry url=\"#Tri\"/></node>";
    out << "</visual_scene></library_visual_scenes></COLLADA>";
    return out.str();
}

// The document in a temporary file, removed with this object.
class TManyNodeFile {
public:
    explicit TManyNodeFile(int nodes)
        : Path((std::filesystem::temp_directory_path() /
                ("bench_nodes_" + std::to_string(getpid()) + "_" + std::to_string(nodes) + ".dae"))
                   .string()) {
        std::ofstream(Path) << ManyNodeDocument(nodes);
    }
    ~TManyNodeFile() { std::filesystem::remove(Path); }
    TManyNodeFile(const TManyNodeFile&) = delete;
    TManyNodeFile& operator=(const TManyNodeFile&) = delete;

    const std::string Path;
};
