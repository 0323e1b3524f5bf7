// sceneimport end to end: model files written by the tests (or copied real ones) go through the import, and
// the documents it writes are read back through the engine's loader and compared with where the source puts
// each vertex, what it names things and how its textures look.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <set>

#include "FileRead.h"
#include "ImageDecoders.h"
#include "LoaderFixture.h"
#include "MeshData.h"
#include "PngImages.h"
#include "SceneImport.h"
#include "WorkerFixture.h"

namespace {

namespace fs = std::filesystem;

// A 4x4 row-major matrix of the test's own, so that expected positions do not come from the code under test.
using TMat = std::array<double, 16>;

TMat Multiply(const TMat& a, const TMat& b) {
    TMat out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) out[r * 4 + c] += a[r * 4 + k] * b[k * 4 + c];
    return out;
}

// Rotation by `degrees` about a unit axis (Rodrigues), with a translation.
TMat AxisAngle(double x, double y, double z, double degrees, double tx = 0, double ty = 0, double tz = 0) {
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    return {t * x * x + c,
            t * x * y - s * z,
            t * x * z + s * y,
            tx,
            t * x * y + s * z,
            t * y * y + c,
            t * y * z - s * x,
            ty,
            t * x * z - s * y,
            t * y * z + s * x,
            t * z * z + c,
            tz,
            0,
            0,
            0,
            1};
}

TMat Diagonal(double x, double y, double z) { return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

std::array<double, 3> Apply(const TMat& m, double x, double y, double z) {
    return {m[0] * x + m[1] * y + m[2] * z + m[3], m[4] * x + m[5] * y + m[6] * z + m[7],
            m[8] * x + m[9] * y + m[10] * z + m[11]};
}

// What the engine does with a loaded node: translate, rotate about z, y, x, scale, as glTranslate and
// glRotate define them.
TMat EngineMatrix(const TNode& node) {
    const TMat t = AxisAngle(1, 0, 0, 0, node.Position[0], node.Position[1], node.Position[2]);
    const TMat r = Multiply(Multiply(AxisAngle(0, 0, 1, node.Rotation[2]), AxisAngle(0, 1, 0, node.Rotation[1])),
                            AxisAngle(1, 0, 0, node.Rotation[0]));
    return Multiply(Multiply(t, r), Diagonal(node.Scale[0], node.Scale[1], node.Scale[2]));
}

using TPoints = std::vector<std::array<double, 3>>;

// Every drawn corner of the loaded document where the engine puts it, in a fixed order.
TPoints WorldCorners(const TLoadResult& loaded) {
    TPoints points;
    for (const auto& node : loaded.Asset->VisualScenes->Items) {
        if (node->GeometryIndex < 0) continue;
        const TGeometry& g = *loaded.Asset->Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
        const TMat m = EngineMatrix(*node);
        for (std::size_t v = 0; v + 2 < g.Positions.Count(); v += 3)
            points.push_back(Apply(m, g.Positions[v], g.Positions[v + 1], g.Positions[v + 2]));
    }
    std::sort(points.begin(), points.end());
    return points;
}

void ExpectSamePoints(TPoints expected, TPoints actual, double tolerance) {
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (int a = 0; a < 3; ++a) ASSERT_NEAR(expected[i][a], actual[i][a], tolerance) << "corner " << i;
}

// The first corner's normal and the normal by winding of the loaded triangle starting at vertex `first`.
std::pair<TVec3, TVec3> NormalAndWinding(const TGeometry& g, std::size_t first = 0) {
    auto at = [&](std::size_t v) {
        return std::array<double, 3>{g.Positions[v * 3], g.Positions[v * 3 + 1], g.Positions[v * 3 + 2]};
    };
    const auto p = at(first), q = at(first + 1), r = at(first + 2);
    const double u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]}, v[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
    const TVec3 winding{static_cast<float>(u[1] * v[2] - u[2] * v[1]), static_cast<float>(u[2] * v[0] - u[0] * v[2]),
                        static_cast<float>(u[0] * v[1] - u[1] * v[0])};
    return {{g.Normals[first * 3], g.Normals[first * 3 + 1], g.Normals[first * 3 + 2]}, winding};
}

// A unit right triangle as a COLLADA geometry named `id`, and a node for it with a matrix.
constexpr std::array<std::array<double, 3>, 3> Triangle{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0.5}}};

std::string TriangleGeometry(const std::string& id, const std::string& name) {
    return "<geometry id=\"" + id + "\" name=\"" + name + "\"><mesh><source id=\"" + id + "-p\"><float_array id=\"" +
           id +
           "-a\" count=\"9\">0 0 0 1 0 0 0 1 0.5</float_array>"
           "<technique_common><accessor source=\"#" +
           id +
           "-a\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" type=\"float\"/>"
           "</accessor></technique_common></source><vertices id=\"" +
           id +
           "-v\"><input semantic=\"POSITION\" "
           "source=\"#" +
           id + "-p\"/></vertices><triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#" + id +
           "-v\" offset=\"0\"/><p>0 1 2</p></triangles></mesh></geometry>";
}

std::string MatrixText(const TMat& m) {
    std::string text;
    for (double v : m) text += std::to_string(v) + " ";
    return text;
}

std::string SourceDocument(const std::string& geometries, const std::string& nodes,
                           const std::string& asset = "<unit meter=\"1\"/><up_axis>Y_UP</up_axis>") {
    return "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" "
           "version=\"1.4.1\"><asset>" +
           asset + "</asset><library_geometries>" + geometries +
           "</library_geometries><library_visual_scenes><visual_scene id=\"S\">" + nodes +
           "</visual_scene></library_visual_scenes><scene><instance_visual_scene url=\"#S\"/></scene></COLLADA>\n";
}

class SceneImportTest : public LoaderTest {
protected:
    // Imports `input` (a path) into Dir/out/scene.dae and loads the result through the engine's loader.
    TLoadResult Import(const std::string& input, TImportOptions options = {}) {
        fs::create_directories(Dir / "out");
        Output = (Dir / "out" / "scene.dae").string();
        Result = ImportScene(input, Output, options);
        TLoadResult loaded = LoadFile(Output);
        EXPECT_TRUE(loaded.Loaded) << loaded.Error;
        return loaded;
    }

    TImportOptions YUp() const {
        TImportOptions options;
        options.ZUp = false;
        return options;
    }

    bool Warned(const std::string& text) const {
        return std::any_of(Result.Warnings.begin(), Result.Warnings.end(),
                           [&](const std::string& w) { return w.find(text) != std::string::npos; });
    }

    const std::string& ImageFileOf(const TLoadResult& loaded, const TNode& node) const {
        const TEffect& effect = *loaded.Asset->Effects->Items[static_cast<std::size_t>(node.EffectIndex)];
        return loaded.Asset->Images->FileNames[static_cast<std::size_t>(effect.ImageIndex)];
    }

    std::string Output;
    TImportResult Result;
};

TEST_F(SceneImportTest, NestedNodesLandWhereTheSourcePutsThem) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(-1, 1), angle(-180, 180), size(0.2, 3);
    auto randomPlacement = [&] {
        double x = unit(random), y = unit(random), z = unit(random);
        const double length = std::sqrt(x * x + y * y + z * z) + 1e-9;
        return Multiply(AxisAngle(x / length, y / length, z / length, angle(random), 10 * unit(random),
                                  10 * unit(random), 10 * unit(random)),
                        Diagonal(size(random), size(random), size(random)));
    };
    // Parents with uniform scale keep their children free of shear; the last child is sheared on purpose.
    const TMat parent = Multiply(randomPlacement(), Diagonal(1, 1, 1));
    const TMat uniformParent = Multiply(AxisAngle(0, 0, 1, 40, 1, 2, 3), Diagonal(2, 2, 2));
    const TMat child = randomPlacement(), other = randomPlacement();
    TMat sheared = Diagonal(1, 1, 1);
    sheared[1] = 0.7;
    const TMat mirrored = Multiply(AxisAngle(0, 1, 0, 30, 2, 0, 0), Diagonal(1, -1.5, 1));
    auto instance = [](const std::string& name, const TMat& m, const std::string& inner = "") {
        return "<node name=\"" + name + "\"><matrix>" + MatrixText(m) + "</matrix><instance_geometry url=\"#tri\"/>" +
               inner + "</node>";
    };
    const std::string nodes = instance("top", parent) + "<node name=\"holder\"><matrix>" + MatrixText(uniformParent) +
                              "</matrix>" + instance("child", child) +
                              instance("other", other, instance("grandchild", child)) + instance("sheared", sheared) +
                              instance("mirrored", mirrored) + "</node>";
    // The text holds six decimals; the expectations use the same rounded numbers.
    auto rounded = [](const TMat& m) {
        TMat out;
        for (int i = 0; i < 16; ++i) out[i] = std::stod(std::to_string(m[i]));
        return out;
    };
    const TMat holder = rounded(uniformParent);
    const std::vector<TMat> worlds = {rounded(parent),
                                      Multiply(holder, rounded(child)),
                                      Multiply(holder, rounded(other)),
                                      Multiply(Multiply(holder, rounded(other)), rounded(child)),
                                      Multiply(holder, rounded(sheared)),
                                      Multiply(holder, rounded(mirrored))};
    TPoints expected;
    for (const TMat& world : worlds)
        for (const auto& p : Triangle) expected.push_back(Apply(world, p[0], p[1], p[2]));

    const TLoadResult loaded = Import(WriteFile(SourceDocument(TriangleGeometry("tri", "tri"), nodes)), YUp());
    ExpectSamePoints(expected, WorldCorners(loaded), 2e-3);
    EXPECT_EQ(loaded.Asset->VisualScenes->Items.Count(), 6);
    // The sheared and the mirrored node, and the grandchild turned inside a parent scaled unevenly, need
    // geometries of their own; the other three share one.
    EXPECT_EQ(loaded.Asset->Geometries->Items.Count(), 4);
    EXPECT_TRUE(Warned("mirrored or sheared"));
    // Every node keeps positive scales, so triangles that agree with their normals where they are stored
    // agree where they are drawn: the mirrored copy has been turned back.
    for (const auto& g : loaded.Asset->Geometries->Items)
        for (std::size_t t = 0; t + 9 <= g->Positions.Count(); t += 9) {
            const auto [normal, winding] = NormalAndWinding(*g, t / 3);
            EXPECT_GT(normal.X * winding.X + normal.Y * winding.Y + normal.Z * winding.Z, 0) << g->Name;
        }
}

// Units and up axis

TEST_F(SceneImportTest, CentimetresAndZUpBecomeMetresInEitherUpAxis) {
    const TMat at = AxisAngle(1, 0, 0, 0, 100, 200, 300);
    const std::string source = WriteFile(SourceDocument(
        TriangleGeometry("tri", "tri"),
        "<node name=\"n\"><matrix>" + MatrixText(at) + "</matrix><instance_geometry url=\"#tri\"/></node>",
        "<unit meter=\"0.01\"/><up_axis>Z_UP</up_axis>"));
    TPoints zUp, yUp;
    for (const auto& p : Triangle) {
        const double x = (p[0] + 100) / 100, y = (p[1] + 200) / 100, z = (p[2] + 300) / 100;
        zUp.push_back({x, y, z});
        yUp.push_back({x, z, -y});  // z up turned to y up: a quarter turn about x
    }
    ExpectSamePoints(zUp, WorldCorners(Import(source)), 1e-4);
    ExpectSamePoints(yUp, WorldCorners(Import(source, YUp())), 1e-4);
}

TEST_F(SceneImportTest, SizeScalesTheWholeSceneToItsLargestExtent) {
    const std::string nodes = "<node name=\"a\"><matrix>" + MatrixText(AxisAngle(1, 0, 0, 0)) +
                              "</matrix><instance_geometry url=\"#tri\"/></node><node name=\"b\"><matrix>" +
                              MatrixText(AxisAngle(1, 0, 0, 0, 9, 0, 0)) +
                              "</matrix><instance_geometry url=\"#tri\"/></node>";
    TImportOptions options = YUp();
    options.SizeMetres = 2.5;
    const TPoints corners =
        WorldCorners(Import(WriteFile(SourceDocument(TriangleGeometry("tri", "tri"), nodes)), options));
    double low = 1e9, high = -1e9;
    for (const auto& p : corners) {
        low = std::min(low, p[0]);
        high = std::max(high, p[0]);
    }
    EXPECT_NEAR(high - low, 2.5, 1e-4);  // the source spans 10 along x, more than along y or z
}

// Names

TEST_F(SceneImportTest, CollidingAndMarkupNamesStayDistinctAndReadBackAsWritten) {
    const std::string geometries = TriangleGeometry("g1", "a &amp; &lt;b&gt; &quot;c&quot;") +
                                   TriangleGeometry("g2", "a &amp; &lt;b&gt; &quot;c&quot;");
    const std::string nodes =
        "<node name=\"same\"><instance_geometry url=\"#g1\"/></node>"
        "<node name=\"same\"><instance_geometry url=\"#g2\"/></node>"
        "<node name=\"same-2\"><instance_geometry url=\"#g1\"/></node>";
    const TLoadResult loaded = Import(WriteFile(SourceDocument(geometries, nodes)));
    ASSERT_EQ(loaded.Asset->VisualScenes->Items.Count(), 3);
    std::set<std::string> nodeNames;
    for (const auto& node : loaded.Asset->VisualScenes->Items) {
        nodeNames.insert(node->Name);
        EXPECT_GE(node->GeometryIndex, 0) << node->Name;
        EXPECT_GE(node->EffectIndex, 0) << node->Name;
    }
    EXPECT_EQ(nodeNames.size(), 3u);
    std::set<std::string> geometryNames;
    for (const auto& g : loaded.Asset->Geometries->Items) geometryNames.insert(g->Name);
    ASSERT_EQ(geometryNames.size(), 2u);
    // Whatever the collision suffix, the source's markup characters come back as text.
    for (const std::string& name : geometryNames) EXPECT_EQ(name.rfind("a & <b> \"c\"", 0), 0u) << name;
}

// Looks and textures

class TextureImportTest : public SceneImportTest {
protected:
    // An OBJ quad with texture coordinates, its material naming `texture` (may be absent) with colour Kd.
    std::string WriteObj(const std::string& texture) {
        WriteFile("newmtl look\nKd 0.2 0.4 0.6\n" + (texture.empty() ? "" : "map_Kd " + texture + "\n"), "quad.mtl");
        return WriteFile(
            "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
            "usemtl look\nf 1/1 2/2 3/3 4/4\n",
            "quad.obj");
    }
};

TEST_F(TextureImportTest, APngBecomesABmpWithEveryPixel) {
    const int w = 5, h = 3;  // odd sizes catch row padding and flips
    std::vector<unsigned char> rgba;
    for (int i = 0; i < w * h; ++i)
        rgba.insert(rgba.end(), {static_cast<unsigned char>(i * 17), static_cast<unsigned char>(255 - i * 9),
                                 static_cast<unsigned char>(i * 3), static_cast<unsigned char>(i * 16)});
    ASSERT_TRUE(stbi_write_png((Dir / "look.png").c_str(), w, h, 4, rgba.data(), w * 4));
    const TLoadResult loaded = Import(WriteObj("look.png"));
    ASSERT_EQ(loaded.Asset->VisualScenes->Items.Count(), 1);
    const std::string file = ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]);
    EXPECT_EQ(file, "look.bmp");  // a bare name, beside the document
    const fs::path written = fs::path(Output).parent_path() / file;

    const TDecodedImage engine = DecodeBmpFile(written.string());
    EXPECT_EQ(engine.Width, w);
    EXPECT_EQ(engine.Height, h);
    ASSERT_EQ(engine.Rgb.size(), static_cast<std::size_t>(w * h * 3));
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(engine.Rgb[i * 3 + c], rgba[i * 4 + c]) << "pixel " << i;
    // A textured surface shows its texture unchanged: no colours multiply it.
    EXPECT_TRUE(loaded.Geometry(0).Colors.Empty());
    EXPECT_FALSE(loaded.Geometry(0).TexCoords.Empty());
}

TEST_F(TextureImportTest, AnImageIsCopiedOnlyAsWhatItHoldsAndItsNameIsPrintedSafely) {
    // A PNG named .jpg is no JPEG: it is written as a bitmap the engine decodes, not copied under its name.
    ASSERT_TRUE(stbi_write_png((Dir / "look.jpg").c_str(), 2, 2, 3, std::vector<unsigned char>(12, 77).data(), 6));
    const TLoadResult loaded = Import(WriteObj("look.jpg"));
    const std::string file = ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]);
    EXPECT_EQ(file, "look.bmp");
    EXPECT_EQ(DecodeBmpFile((fs::path(Output).parent_path() / file).string()).Rgb, std::vector<unsigned char>(12, 77));
    EXPECT_FALSE(fs::exists(fs::path(Output).parent_path() / "plain.bmp")) << "a texture the document does not name";
    // A texture name that would drive the terminal reaches the warnings with its control bytes escaped.
    Import(WriteObj("gone\x1b]0;owned\x07.png"));
    ASSERT_FALSE(Result.Warnings.empty());
    for (const std::string& warning : Result.Warnings) EXPECT_EQ(warning.find('\x1b'), std::string::npos) << warning;
}

TEST_F(TextureImportTest, AJpegNamedByAnotherMachinesPathIsFoundBesideTheModelAndKeptAsItIs) {
    const std::vector<unsigned char> pixels(8 * 8 * 3, 128);
    ASSERT_TRUE(stbi_write_jpg((Dir / "look.jpg").c_str(), 8, 8, 3, pixels.data(), 90));
    const TLoadResult loaded = Import(WriteObj("C:\\art\\look.jpg"));
    EXPECT_TRUE(Result.Warnings.empty()) << Result.Warnings.front();
    const std::string file = ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]);
    EXPECT_EQ(file, "look.jpg");
    EXPECT_EQ(ReadWholeFile((fs::path(Output).parent_path() / file).string()),
              ReadWholeFile((Dir / "look.jpg").string()));
}

TEST_F(TextureImportTest, AMissingTextureIsNamedAndTheMaterialKeepsItsColour) {
    const TLoadResult loaded = Import(WriteObj("textures/gone.png"));
    EXPECT_TRUE(Warned((Dir / "textures/gone.png").string())) << "no warning names the path tried";
    const TGeometry& g = loaded.Geometry(0);
    ASSERT_EQ(g.Colors.Count(), 6u * 4u);  // two triangles
    for (std::size_t v = 0; v < g.Colors.Count(); v += 4) {
        EXPECT_FLOAT_EQ(g.Colors[v], 0.2f);
        EXPECT_FLOAT_EQ(g.Colors[v + 1], 0.4f);
        EXPECT_FLOAT_EQ(g.Colors[v + 2], 0.6f);
    }
    // The texture it does get is white, so the colour is what shows when textures are on.
    const std::string file = ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]);
    const TDecodedImage plain = DecodeBmpFile((fs::path(Output).parent_path() / file).string());
    EXPECT_TRUE(std::all_of(plain.Rgb.begin(), plain.Rgb.end(), [](unsigned char c) { return c == 255; }));
}

TEST_F(TextureImportTest, BesideItsModelTheImportWritesOverNoFileOfTheUsers) {
    // A user's own plain.bmp and look.bmp lie beside the model; the import needs both names for itself.
    const std::string theirs = "not ours";
    WriteFile(theirs, "plain.bmp");
    WriteFile(theirs, "look.bmp");
    const std::vector<unsigned char> pixels(4 * 4 * 4, 200);
    ASSERT_TRUE(stbi_write_png((Dir / "look.png").c_str(), 4, 4, 4, pixels.data(), 16));
    const std::string model = WriteObj("look.png");
    WriteFile(
        "mtllib quad.mtl\nmtllib plain.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
        "usemtl look\nf 1/1 2/2 3/3\nusemtl flat\nf 1 3 4\n",
        "quad.obj");
    WriteFile("newmtl flat\nKd 1 0 0\n", "plain.mtl");
    Output = (Dir / "scene.dae").string();
    Result = ImportScene(model, Output, {});
    const TLoadResult loaded = LoadFile(Output);
    ASSERT_TRUE(loaded.Loaded);
    for (const char* name : {"plain.bmp", "look.bmp"}) {
        const std::vector<unsigned char> bytes = ReadWholeFile((Dir / name).string());
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), theirs) << name;
    }
    for (const auto& node : loaded.Asset->VisualScenes->Items)
        EXPECT_TRUE(fs::exists(Dir / ImageFileOf(loaded, *node))) << ImageFileOf(loaded, *node);
}

TEST_F(TextureImportTest, OpacityCarriesIntoTheColourButNoneAtAllIsTakenForOpaque) {
    for (const auto& [dissolve, alpha] : {std::pair{"0.25", 0.25f}, std::pair{"0", 1.0f}}) {
        WriteFile(std::string("newmtl look\nKd 1 1 0\nd ") + dissolve + "\n", "quad.mtl");
        WriteFile("mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nusemtl look\nf 1 2 3\n", "quad.obj");
        const TLoadResult loaded = Import((Dir / "quad.obj").string());
        ASSERT_EQ(loaded.Geometry(0).Colors.Count(), 12u);
        EXPECT_FLOAT_EQ(loaded.Geometry(0).Colors[3], alpha) << "d " << dissolve;
    }
}

TEST_F(TextureImportTest, AGltfBaseColourTintsItsTextureAndWhiteLeavesItAlone) {
    const float data[15] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1};  // positions, then texture coordinates
    WriteFile(std::string_view(reinterpret_cast<const char*>(data), sizeof data), "tri.bin");
    const std::vector<unsigned char> pixels(2 * 2 * 4, 255);
    ASSERT_TRUE(stbi_write_png((Dir / "t.png").c_str(), 2, 2, 4, pixels.data(), 8));
    for (const std::string factor : {"[1, 0.5, 0.25, 1]", "[1, 1, 1, 1]"}) {
        SCOPED_TRACE(factor);
        const std::string gltf =
            R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
            "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "material": 0}]}],
            "materials": [{"pbrMetallicRoughness": {"baseColorFactor": )" +
            factor +
            R"(, "baseColorTexture": {"index": 0}}}],
            "textures": [{"source": 0}], "images": [{"uri": "t.png"}],
            "buffers": [{"uri": "tri.bin", "byteLength": 60}],
            "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36}, {"buffer": 0, "byteOffset": 36, "byteLength": 24}],
            "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]},
                          {"bufferView": 1, "componentType": 5126, "count": 3, "type": "VEC2"}]})";
        const TLoadResult loaded = Import(WriteFile(gltf, "tri.gltf"));
        const TGeometry& g = loaded.Geometry(0);
        EXPECT_EQ(ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]), "t.bmp");
        EXPECT_EQ(g.TexCoords.Count(), 6u);
        if (factor == "[1, 1, 1, 1]") {
            EXPECT_TRUE(g.Colors.Empty());
        } else {
            ASSERT_EQ(g.Colors.Count(), 12u);
            EXPECT_FLOAT_EQ(g.Colors[1], 0.5f);
            EXPECT_FLOAT_EQ(g.Colors[2], 0.25f);
        }
    }
}

TEST_F(SceneImportTest, ABinaryGltfWithAnEmbeddedTextureGetsItsTextureAsAFile) {
    const TLoadResult loaded = Import(TEST_DATA_DIR "/import/BoxTextured.glb");
    ASSERT_EQ(loaded.Asset->VisualScenes->Items.Count(), 1);
    const std::string file = ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]);
    EXPECT_EQ(fs::path(file).extension(), ".bmp");
    const TDecodedImage image = DecodeBmpFile((fs::path(Output).parent_path() / file).string());
    EXPECT_GT(image.Width, 1);
    EXPECT_EQ(Result.SourceTriangles, 12);
    EXPECT_TRUE(Result.Warnings.empty()) << Result.Warnings.front();
}

// Primitives

TEST_F(SceneImportTest, LinesStayLinesAndPointsAreDroppedWithAWarning) {
    const std::string source = WriteFile("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 1\nl 1 2 3\np 4\nf 1 2 3 4\n", "mixed.obj");
    const TLoadResult loaded = Import(source);
    int lines = 0, triangles = 0;
    for (const auto& g : loaded.Asset->Geometries->Items) {
        lines += static_cast<int>(g->LineIndices.Count() / 2);
        triangles += static_cast<int>(g->TriangleIndices.Count() / 3);
    }
    EXPECT_EQ(lines, 2);      // the polyline's two segments
    EXPECT_EQ(triangles, 2);  // the quad
    EXPECT_TRUE(Warned("point"));
}

TEST_F(SceneImportTest, TrianglesAreWoundToAgreeWithTheirNormalsAndZeroNormalsReplaced) {
    // Both triangles lie in the xz plane; the first says its front faces +y but is wound facing -y, the
    // second says nothing.
    for (const char* normal : {"0 1 0", "0 0 0"}) {
        const std::string stl =
            std::string("solid s\nfacet normal ") + normal +
            "\nouter loop\nvertex 0 0 0\nvertex 2 0 0\nvertex 0 0 3\nendloop\nendfacet\nendsolid s\n";
        const TLoadResult loaded = Import(WriteFile(stl, "flat.stl"), YUp());
        const auto [n, winding] = NormalAndWinding(loaded.Geometry(0));
        SCOPED_TRACE(normal);
        EXPECT_NEAR(std::fabs(n.Y), 1, 1e-6);
        EXPECT_GT(n.X * winding.X + n.Y * winding.Y + n.Z * winding.Z, 0);
    }
}

// Real files, and the command

TEST_F(SceneImportTest, RealFilesOfEveryKindImportWithAllTheirTriangles) {
    // The triangles each file holds, read from its own text or header: a cube of six quads, the facet count of
    // a binary STL header, the counts of the COLLADA files' <triangles>.
    for (const auto& [file, triangles] : {std::pair{TEST_DATA_DIR "/import/phong_cube.fbx", 12},
                                          {TEST_DATA_DIR "/import/cube.ply", 12},
                                          {TEST_DATA_DIR "/import/Spider_binary.stl", 1368},
                                          {REALWORLD_DIR "/c3dl/gun.dae", 1074},
                                          {REALWORLD_DIR "/away3d/workshopgood.dae", 53 + 24}}) {
        SCOPED_TRACE(file);
        const TLoadResult loaded = Import(file);
        long long drawn = 0;
        for (const auto& node : loaded.Asset->VisualScenes->Items) {
            ASSERT_GE(node->GeometryIndex, 0);
            drawn += static_cast<long long>(loaded.Geometry(node->GeometryIndex).TriangleIndices.Count() / 3);
        }
        EXPECT_EQ(Result.SourceTriangles, triangles);
        EXPECT_EQ(drawn, triangles);
    }
}

TEST_F(SceneImportTest, DroppedCamerasAndLightsAreNamedWithTheirLines) {
    Import(REALWORLD_DIR "/other/duck_triangulate.dae");
    EXPECT_TRUE(Warned("line 33: <library_cameras> cameras are not read"));
    EXPECT_TRUE(Warned("line 47: <library_lights> lights are not read"));
}

TEST_F(SceneImportTest, FbxCentimetresBecomeMetres) {
    // The cube of the file is 1 unit wide, and its unit the centimetre.
    const TPoints corners = WorldCorners(Import(TEST_DATA_DIR "/import/phong_cube.fbx"));
    double low = 1e9, high = -1e9;
    for (const auto& p : corners) {
        low = std::min(low, p[0]);
        high = std::max(high, p[0]);
    }
    EXPECT_NEAR(high - low, 0.01, 1e-5);
}

TEST_F(SceneImportTest, TheCommandSaysWhatHappenedInItsExitStatus) {
    const std::string tool = TOOLS_BIN_DIR "/sceneimport";
    const std::string out = (Dir / "cmd.dae").string();
    auto run = [](const std::string& command) {
        return WEXITSTATUS(std::system((command + " 2>/dev/null >/dev/null").c_str()));
    };
    EXPECT_EQ(run(tool), 2);
    EXPECT_EQ(run(tool + " --up x " TEST_DATA_DIR "/import/cube.ply " + out), 2);
    EXPECT_EQ(run(tool + " --size -1 " TEST_DATA_DIR "/import/cube.ply " + out), 2);
    const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string model = WriteFile(text, "model.obj");
    EXPECT_EQ(run(tool + " " + model + " " + (Dir / "." / "model.obj").string()), 2);
    EXPECT_EQ(ReadWholeFile(model).size(), text.size()) << "the input was written over";
    EXPECT_EQ(run(tool + " " + (Dir / "absent.obj").string() + " " + out), 1);
    EXPECT_EQ(run(tool + " " + WriteFile("not a model at all", "junk.obj") + " " + out), 1);
    // The reader asserts on a face count its file does not hold; the command still ends in an error.
    EXPECT_EQ(run(tool + " " + WriteFile("OFF\n3 2 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "short.off") + " " + out), 1);
    EXPECT_EQ(run(tool + " --up y --size 3 " TEST_DATA_DIR "/import/cube.ply " + out), 0);
    EXPECT_TRUE(fs::exists(out));
}

// The output folder

// sceneimport run as a user runs it, in a bounded child process: its exit status and what it printed.
struct TCommandRun {
    int Status = -1;
    std::string Errors;
};

TCommandRun RunImport(const std::string& arguments, const fs::path& folder) {
    const std::string errors = (folder / "errors.txt").string();
    const TBoundedRun run = RunBounded([&] {
        const int status =
            std::system(("'" TOOLS_BIN_DIR "/sceneimport' " + arguments + " >/dev/null 2>'" + errors + "'").c_str());
        return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    });
    EXPECT_TRUE(run.Ended) << arguments;
    const std::vector<unsigned char> text = ReadWholeFile(errors);
    return {run.Ended ? std::stoi(run.Text) : -1, std::string(text.begin(), text.end())};
}

std::string Contents(const fs::path& path) {
    const std::vector<unsigned char> bytes = ReadWholeFile(path.string());
    return {bytes.begin(), bytes.end()};
}

TEST_F(TextureImportTest, LinksInTheOutputFolderAreNeverFollowedNorItsFilesWrittenOver) {
    const std::vector<unsigned char> pixels(4 * 4 * 3, 90);
    ASSERT_TRUE(stbi_write_png((Dir / "look.png").c_str(), 4, 4, 3, pixels.data(), 12));
    const std::string model = WriteObj("look.png");
    fs::create_directories(Dir / "out");
    WriteFile("a shell's start-up file", "outside.txt");
    // The names the import wants for its textures lead outside the folder.
    fs::create_symlink(Dir / "outside.txt", Dir / "out" / "look.bmp");
    fs::create_symlink(Dir / "outside.txt", Dir / "out" / "plain.bmp");
    WriteFile("the user's", "out/look-2.bmp");
    const TCommandRun run = RunImport("'" + model + "' '" + (Dir / "out" / "scene.dae").string() + "'", Dir);
    EXPECT_EQ(run.Status, 0) << run.Errors;
    EXPECT_EQ(Contents(Dir / "outside.txt"), "a shell's start-up file");
    EXPECT_EQ(Contents(Dir / "out" / "look-2.bmp"), "the user's");
    EXPECT_TRUE(fs::is_symlink(Dir / "out" / "look.bmp"));
    const TLoadResult loaded = LoadFile((Dir / "out" / "scene.dae").string());
    ASSERT_TRUE(loaded.Loaded) << loaded.Error;
    EXPECT_EQ(ImageFileOf(loaded, *loaded.Asset->VisualScenes->Items[0]), "look-3.bmp");
}

TEST_F(SceneImportTest, AFailedImportLeavesTheFolderAsItWas) {
    const std::string triangle = WriteFile("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "model.obj");
    const fs::path output = Dir / "out" / "scene.dae";
    ASSERT_EQ(RunImport("'" + triangle + "' '" + output.string() + "'", Dir).Status, 0);
    const std::string before = Contents(output);
    const std::string junk = WriteFile("not a model at all", "junk.obj");
    const TCommandRun failed = RunImport("'" + junk + "' '" + output.string() + "'", Dir);
    EXPECT_EQ(failed.Status, 1);
    EXPECT_NE(failed.Errors.find(junk), std::string::npos) << failed.Errors;
    EXPECT_EQ(Contents(output), before);
    for (const auto& entry : fs::directory_iterator(Dir / "out"))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary file was left: " << entry.path();
    // An input that is not there makes no folder for its output.
    const TCommandRun missing =
        RunImport("'" + (Dir / "absent.obj").string() + "' '" + (Dir / "new" / "a.dae").string() + "'", Dir);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_FALSE(fs::exists(Dir / "new"));
}

TEST_F(SceneImportTest, NumbersAndNamesFromTheCommandLineAreCheckedAndPrintedSafely) {
    const std::string model = WriteFile("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "model.obj");
    for (const char* size : {"1e300", "inf", "nan", "0", "-2", "1e-9", "3m"}) {
        const TCommandRun run =
            RunImport("--size " + std::string(size) + " '" + model + "' '" + (Dir / "o.dae").string() + "'", Dir);
        EXPECT_EQ(run.Status, 2) << size;
        EXPECT_NE(run.Errors.find("--size"), std::string::npos) << run.Errors;
    }
    // A name that would set the terminal's title is printed with its control bytes escaped.
    const std::string hostile = (Dir / "\x1b]0;owned\x07.obj").string();
    const TCommandRun run = RunImport("'" + hostile + "' '" + (Dir / "o.dae").string() + "'", Dir);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Errors.find('\x1b'), std::string::npos) << run.Errors;
    EXPECT_NE(run.Errors.find("\\x1B]0;owned\\x07.obj"), std::string::npos) << run.Errors;
}

}  // namespace
