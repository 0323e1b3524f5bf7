// Writes a large COLLADA document for load measurements: one wavy grid mesh of about the requested number
// of triangles, with positions, normals and texture coordinates, in the naming conventions the loader reads
// and valid for other importers too. Deterministic.
//   meshgen TRIANGLES OUT.dae
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

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

double Height(double x, double y) {
    return 0.5 * std::sin(x * 0.7) * std::cos(y * 0.5);
}

void WriteSource(FILE* out, const std::string& id, int count, int stride, const char* params,
                 const auto& writeValues) {
    std::fprintf(out, "<source id=\"%s\"><float_array id=\"%s-array\" count=\"%d\">", id.c_str(), id.c_str(),
                 count * stride);
    writeValues();
    std::fprintf(out, "</float_array><technique_common><accessor source=\"#%s-array\" count=\"%d\" stride=\"%d\">",
                 id.c_str(), count, stride);
    for (const char* p = params; *p; ++p) std::fprintf(out, "<param name=\"%c\" type=\"float\"/>", *p);
    std::fprintf(out, "</accessor></technique_common></source>\n");
}

void WriteDocument(FILE* out, const TGrid& grid) {
    const std::string name = "Grid";
    const double spacing = 0.1;
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
                      "<asset><created>2026-01-01T00:00:00</created><modified>2026-01-01T00:00:00</modified>"
                      "<up_axis>Z_UP</up_axis></asset>\n<library_geometries>\n"
                      "<geometry id=\"Grid\" name=\"Grid\"><mesh>\n");
    const auto eachVertex = [&](auto&& write) {
        for (int r = 0; r <= grid.Rows; ++r)
            for (int c = 0; c <= grid.Columns; ++c) write(c * spacing, r * spacing, c, r);
    };
    WriteSource(out, name + "-Position", grid.Vertices(), 3, "XYZ", [&] {
        eachVertex([&](double x, double y, int, int) { std::fprintf(out, "%.5g %.5g %.5g ", x, y, Height(x, y)); });
    });
    WriteSource(out, name + "-Normals", grid.Vertices(), 3, "XYZ", [&] {
        eachVertex([&](double x, double y, int, int) {
            const double dx = 0.35 * std::cos(x * 0.7) * std::cos(y * 0.5);
            const double dy = -0.25 * std::sin(x * 0.7) * std::sin(y * 0.5);
            const double length = std::sqrt(dx * dx + dy * dy + 1.0);
            std::fprintf(out, "%.4f %.4f %.4f ", -dx / length, -dy / length, 1.0 / length);
        });
    });
    WriteSource(out, name + "-UV", grid.Vertices(), 2, "ST", [&] {
        eachVertex([&](double, double, int c, int r) {
            std::fprintf(out, "%.4f %.4f ", static_cast<double>(c) / grid.Columns, static_cast<double>(r) / grid.Rows);
        });
    });
    std::fprintf(out, "<vertices id=\"Grid-Vertices\"><input semantic=\"POSITION\" source=\"#Grid-Position\"/>"
                      "</vertices>\n<triangles count=\"%d\">"
                      "<input semantic=\"VERTEX\" source=\"#Grid-Vertices\" offset=\"0\"/>"
                      "<input semantic=\"NORMAL\" source=\"#Grid-Normals\" offset=\"1\"/>"
                      "<input semantic=\"TEXCOORD\" source=\"#Grid-UV\" offset=\"2\" set=\"0\"/><p>",
                 grid.Triangles());
    const int stride = grid.Columns + 1;
    for (int r = 0; r < grid.Rows; ++r)
        for (int c = 0; c < grid.Columns; ++c) {
            const int a = r * stride + c, b = a + 1, d = a + stride, e = d + 1;
            std::fprintf(out, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d ", a, a, a, b, b, b, e, e, e, a,
                         a, a, e, e, e, d, d, d);
        }
    std::fprintf(out, "</p></triangles>\n</mesh></geometry>\n</library_geometries>\n"
                      "<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n"
                      "<node id=\"Grid-node\" name=\"Grid\"><translate>0 0 0</translate>"
                      "<rotate>0 0 1 0</rotate><rotate>0 1 0 0</rotate><rotate>1 0 0 0</rotate>"
                      "<scale>1 1 1</scale><instance_geometry url=\"#Grid\"/></node>\n"
                      "</visual_scene></library_visual_scenes>\n"
                      "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n");
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
