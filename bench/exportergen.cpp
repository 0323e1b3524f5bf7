// Writes one wavy grid mesh twice, for the reader of every exporter's documents against the engine's loader:
// as exporters write it (shared positions through <vertices>, one <polylist> of quads and triangles, normals
// and texture coordinates by indices of their own, a node placed by <matrix>) and in the engine's conventions
// (the same triangles through TStreamingWriter). Every fourth row of cells is split into two triangles.
// Deterministic.
//   exportergen TRIANGLES EXPORTER.dae ENGINE.dae
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "StreamingWriter.h"

namespace {

struct TGrid {
    long long Columns, Rows;
    long long Vertices() const { return (Columns + 1) * (Rows + 1); }
    bool Split(long long row) const { return row % 4 == 3; }
    long long Triangles() const { return Columns * Rows * 2; }
    long long Polygons() const {
        long long splitRows = 0;
        for (long long r = 0; r < Rows; ++r) splitRows += Split(r) ? 1 : 0;
        return Columns * (Rows + splitRows);
    }
    // Positions go row by row; the normals the other way round, and the texture coordinates column by column,
    // as exporters number streams each in an order of their own.
    long long Position(long long c, long long r) const { return r * (Columns + 1) + c; }
    long long Normal(long long c, long long r) const { return Vertices() - 1 - Position(c, r); }
    long long TexCoord(long long c, long long r) const { return c * (Rows + 1) + r; }
};

constexpr double Spacing = 0.1;

double Height(double x, double y) { return 0.5 * std::sin(x * 0.7) * std::cos(y * 0.5); }

void WritePosition(FILE* out, long long c, long long r) {
    const double x = c * Spacing, y = r * Spacing;
    std::fprintf(out, "%.5g %.5g %.5g ", x, y, Height(x, y));
}

void WriteNormal(FILE* out, long long c, long long r) {
    const double x = c * Spacing, y = r * Spacing;
    const double dx = 0.35 * std::cos(x * 0.7) * std::cos(y * 0.5), dy = -0.25 * std::sin(x * 0.7) * std::sin(y * 0.5);
    const double length = std::sqrt(dx * dx + dy * dy + 1.0);
    std::fprintf(out, "%.4f %.4f %.4f ", -dx / length, -dy / length, 1.0 / length);
}

void WriteTexCoord(FILE* out, const TGrid& grid, long long c, long long r) {
    std::fprintf(out, "%.4f %.4f ", static_cast<double>(c) / grid.Columns, static_cast<double>(r) / grid.Rows);
}

// Every cell's corners counter-clockwise, as quads or as two triangles: write(corners, count) per polygon.
void EachPolygon(const TGrid& grid, const std::function<void(const long long (*)[2], int)>& write) {
    for (long long r = 0; r < grid.Rows; ++r)
        for (long long c = 0; c < grid.Columns; ++c) {
            const long long quad[4][2] = {{c, r}, {c + 1, r}, {c + 1, r + 1}, {c, r + 1}};
            if (!grid.Split(r)) {
                write(quad, 4);
                continue;
            }
            const long long first[3][2] = {{c, r}, {c + 1, r}, {c + 1, r + 1}};
            const long long second[3][2] = {{c, r}, {c + 1, r + 1}, {c, r + 1}};
            write(first, 3);
            write(second, 3);
        }
}

void WriteCorner(FILE* out, const TGrid& grid, const long long corner[2]) {
    std::fprintf(out, "%lld %lld %lld ", grid.Position(corner[0], corner[1]), grid.Normal(corner[0], corner[1]),
                 grid.TexCoord(corner[0], corner[1]));
}

// Each stream's entries in the order of its own indices.
template <typename Write>
void EachInOrder(const TGrid& grid, long long (TGrid::*index)(long long, long long) const, Write&& write) {
    std::vector<std::pair<long long, long long>> cells(static_cast<std::size_t>(grid.Vertices()));
    for (long long r = 0; r <= grid.Rows; ++r)
        for (long long c = 0; c <= grid.Columns; ++c) cells[static_cast<std::size_t>((grid.*index)(c, r))] = {c, r};
    for (const auto& [c, r] : cells) write(c, r);
}

void Source(FILE* out, const char* name, long long count, const char* params, const std::function<void()>& values) {
    const long long stride = static_cast<long long>(std::string(params).size());
    std::fprintf(out, "<source id=\"Grid-mesh-%s\"><float_array id=\"Grid-mesh-%s-array\" count=\"%lld\">", name, name,
                 count * stride);
    values();
    std::fprintf(out,
                 "</float_array><technique_common><accessor source=\"#Grid-mesh-%s-array\" count=\"%lld\" "
                 "stride=\"%lld\">",
                 name, count, stride);
    for (const char* p = params; *p; ++p) std::fprintf(out, "<param name=\"%c\" type=\"float\"/>", *p);
    std::fprintf(out, "</accessor></technique_common></source>\n");
}

void WriteExporterStyle(FILE* out, const TGrid& grid) {
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                 "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
                 "<asset><contributor><authoring_tool>exportergen</authoring_tool></contributor>"
                 "<unit name=\"meter\" meter=\"1\"/><up_axis>Z_UP</up_axis></asset>\n"
                 "<library_geometries><geometry id=\"Grid-mesh\" name=\"Grid\"><mesh>\n");
    Source(out, "positions", grid.Vertices(), "XYZ",
           [&] { EachInOrder(grid, &TGrid::Position, [&](long long c, long long r) { WritePosition(out, c, r); }); });
    Source(out, "normals", grid.Vertices(), "XYZ",
           [&] { EachInOrder(grid, &TGrid::Normal, [&](long long c, long long r) { WriteNormal(out, c, r); }); });
    Source(out, "map-0", grid.Vertices(), "ST", [&] {
        EachInOrder(grid, &TGrid::TexCoord, [&](long long c, long long r) { WriteTexCoord(out, grid, c, r); });
    });
    std::fprintf(out,
                 "<vertices id=\"Grid-mesh-vertices\"><input semantic=\"POSITION\" source=\"#Grid-mesh-positions\"/>"
                 "</vertices>\n<polylist count=\"%lld\"><input semantic=\"VERTEX\" source=\"#Grid-mesh-vertices\" "
                 "offset=\"0\"/><input semantic=\"NORMAL\" source=\"#Grid-mesh-normals\" offset=\"1\"/><input "
                 "semantic=\"TEXCOORD\" source=\"#Grid-mesh-map-0\" offset=\"2\" set=\"0\"/>\n<vcount>",
                 grid.Polygons());
    EachPolygon(grid, [&](const long long(*)[2], int count) { std::fprintf(out, "%d ", count); });
    std::fprintf(out, "</vcount>\n<p>");
    EachPolygon(grid, [&](const long long(*corners)[2], int count) {
        for (int k = 0; k < count; ++k) WriteCorner(out, grid, corners[k]);
    });
    std::fprintf(out,
                 "</p></polylist>\n</mesh></geometry></library_geometries>\n"
                 "<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\"><node id=\"Grid\" "
                 "name=\"Grid\" type=\"NODE\"><matrix sid=\"transform\">1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</matrix>"
                 "<instance_geometry url=\"#Grid-mesh\" name=\"Grid\"/></node></visual_scene>"
                 "</library_visual_scenes>\n<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n");
}

// The same triangles, in the engine's conventions: each corner gives its position, normal and texture
// coordinate indices, a quad's two triangles split as the exporter-style fan splits it.
void WriteEngineStyle(FILE* out, const TGrid& grid) {
    TStreamingWriter writer(out, "Z_UP", "exportergen", "Grid");
    writer.Source(TStreamKind::Positions, grid.Vertices(), [&] {
        EachInOrder(grid, &TGrid::Position, [&](long long c, long long r) { WritePosition(out, c, r); });
    });
    writer.Source(TStreamKind::Normals, grid.Vertices(), [&] {
        EachInOrder(grid, &TGrid::Normal, [&](long long c, long long r) { WriteNormal(out, c, r); });
    });
    writer.Source(TStreamKind::TexCoords, grid.Vertices(), [&] {
        EachInOrder(grid, &TGrid::TexCoord, [&](long long c, long long r) { WriteTexCoord(out, grid, c, r); });
    });
    writer.Finish(grid.Triangles(), [&] {
        EachPolygon(grid, [&](const long long(*corners)[2], int count) {
            for (int k = 1; k + 1 < count; ++k)
                for (const int corner : {0, k, k + 1}) WriteCorner(out, grid, corners[corner]);
        });
    });
}

bool Write(const char* path, const std::function<void(FILE*)>& write) {
    FILE* out = std::fopen(path, "wb");
    if (!out) {
        std::perror(path);
        return false;
    }
    write(out);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long long triangles = argc == 4 ? std::atoll(argv[1]) : 0;
    if (triangles <= 0) {
        std::fprintf(stderr, "usage: exportergen TRIANGLES EXPORTER.dae ENGINE.dae\n");
        return 2;
    }
    const long long columns = std::max(1LL, static_cast<long long>(std::sqrt(triangles / 2.0)));
    const TGrid grid{columns, std::max(1LL, (triangles / 2 + columns - 1) / columns)};
    const bool written = Write(argv[2], [&](FILE* out) { WriteExporterStyle(out, grid); }) &&
                         Write(argv[3], [&](FILE* out) { WriteEngineStyle(out, grid); });
    return written ? 0 : 1;
}
