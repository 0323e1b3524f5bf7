// Writes a large COLLADA document for load measurements: one wavy grid mesh of about the requested number
// of triangles, with positions, normals and texture coordinates, in the layout of all our documents (the
// loader reads it, other importers too). Deterministic.
//   meshgen TRIANGLES OUT.dae
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "StreamingWriter.h"

namespace {

struct TGrid {
    int Columns;  // quads along x
    int Rows;     // quads along y
    int Vertices() const { return (Columns + 1) * (Rows + 1); }
    int Triangles() const { return Columns * Rows * 2; }
};

TGrid GridFor(long long triangles) {
    const int columns = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(triangles) / 2.0)));
    const int rows = std::max(1, static_cast<int>((triangles / 2 + columns - 1) / columns));
    return {columns, rows};
}

double Height(double x, double y) { return 0.5 * std::sin(x * 0.7) * std::cos(y * 0.5); }

void WriteDocument(FILE* out, const TGrid& grid) {
    const double spacing = 0.1;
    TStreamingWriter writer(out, "Z_UP", "meshgen", "Grid");
    // Numbers one space apart: every vertex but the first gets a space before it.
    const auto eachVertex = [&](auto&& write) {
        for (int r = 0; r <= grid.Rows; ++r)
            for (int c = 0; c <= grid.Columns; ++c) write(r + c == 0 ? "" : " ", c * spacing, r * spacing, c, r);
    };
    writer.Source(TStreamKind::Positions, grid.Vertices(), [&] {
        eachVertex([&](const char* space, double x, double y, int, int) {
            std::fprintf(out, "%s%.5g %.5g %.5g", space, x, y, Height(x, y));
        });
    });
    writer.Source(TStreamKind::Normals, grid.Vertices(), [&] {
        eachVertex([&](const char* space, double x, double y, int, int) {
            const double dx = 0.35 * std::cos(x * 0.7) * std::cos(y * 0.5);
            const double dy = -0.25 * std::sin(x * 0.7) * std::sin(y * 0.5);
            const double length = std::sqrt(dx * dx + dy * dy + 1.0);
            std::fprintf(out, "%s%.4f %.4f %.4f", space, -dx / length, -dy / length, 1.0 / length);
        });
    });
    writer.Source(TStreamKind::TexCoords, grid.Vertices(), [&] {
        eachVertex([&](const char* space, double, double, int c, int r) {
            std::fprintf(out, "%s%.4f %.4f", space, static_cast<double>(c) / grid.Columns,
                         static_cast<double>(r) / grid.Rows);
        });
    });
    const int stride = grid.Columns + 1;
    writer.Finish(grid.Triangles(), [&] {
        for (int r = 0; r < grid.Rows; ++r)
            for (int c = 0; c < grid.Columns; ++c) {
                const int a = r * stride + c, b = a + 1, d = a + stride, e = d + 1;
                std::fprintf(out, "%s%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", r + c == 0 ? "" : " ", a,
                             a, a, b, b, b, e, e, e, a, a, a, e, e, e, d, d, d);
            }
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoll(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: meshgen TRIANGLES OUT.dae\n");
        return 2;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    WriteDocument(out, GridFor(std::atoll(argv[1])));
    const bool written = std::fclose(out) == 0;
    return written ? 0 : 1;
}
