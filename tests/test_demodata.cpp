// The generated demo data as the programs meet it: every scene through the loader, every texture through the
// decoders, the Phong program on a headless context, the start views drawn by the engine, and the generator
// itself, which must write the same bytes on every run.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "Colladaasset.h"
#include "Colladaengine.h"
#include "GlExtensions.h"
#include "ImageDecoders.h"

namespace {

namespace fs = std::filesystem;

constexpr double Pi = 3.14159265358979323846;
const char* const WalkFiles[] = {"models.dae", "ground.dae", "rocks.dae", "sky.dae"};

// The programs run beside the data folder and open "../data/..." from there; so do these tests.
void EnterProgramFolder() { fs::current_path(fs::path(DEMO_DATA_DIR) / ".." / "bin"); }

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TLoaded {
    TXmlDocument Document;
    TColladaAsset Asset{&Document};
};

std::unique_ptr<TLoaded> Load(const std::string& file) {
    auto loaded = std::make_unique<TLoaded>();
    EXPECT_TRUE(loaded->Asset.LoadFromFile("../data/" + file)) << file;
    return loaded;
}

struct TPoint {
    double X = 0, Y = 0, Z = 0;
};

// A geometry vertex where the node puts it: scaled, turned about x, then y, then z, then moved.
TPoint Place(const TNode& node, const float* p) {
    double x = p[0] * node.Scale[0], y = p[1] * node.Scale[1], z = p[2] * node.Scale[2];
    const double ax = node.Rotation[0] * Pi / 180, ay = node.Rotation[1] * Pi / 180, az = node.Rotation[2] * Pi / 180;
    double t = y * std::cos(ax) - z * std::sin(ax);
    z = y * std::sin(ax) + z * std::cos(ax);
    y = t;
    t = x * std::cos(ay) + z * std::sin(ay);
    z = -x * std::sin(ay) + z * std::cos(ay);
    x = t;
    t = x * std::cos(az) - y * std::sin(az);
    y = x * std::sin(az) + y * std::cos(az);
    x = t;
    return {x + node.Position[0], y + node.Position[1], z + node.Position[2]};
}

// Every vertex of every node of the asset, where it is drawn.
std::vector<TPoint> WorldVertices(const TColladaAsset& asset) {
    std::vector<TPoint> points;
    for (const auto& node : asset.VisualScenes->Items) {
        if (node->GeometryIndex < 0) continue;  // reported by the linking test
        const TGeometry& geometry = *asset.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
        for (std::size_t i = 0; i + 2 < geometry.Positions.Count(); i += 3)
            points.push_back(Place(*node, &geometry.Positions[i]));
    }
    return points;
}

class DemoScene : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { EnterProgramFolder(); }
};

TEST_P(DemoScene, EveryNodeReachesAGeometryAnEffectAndAnImageFile) {
    const auto loaded = Load(GetParam());
    const TColladaAsset& asset = loaded->Asset;
    ASSERT_GT(asset.VisualScenes->Items.Count(), 0);
    for (const auto& node : asset.VisualScenes->Items) {
        EXPECT_NE(node->GeometryIndex, -1) << node->Name;
        EXPECT_NE(node->EffectIndex, -1) << node->Name;
    }
    for (const auto& effect : asset.Effects->Items) {
        ASSERT_NE(effect->ImageIndex, -1) << effect->Name;
        const std::string& file = asset.Images->FileNames[static_cast<std::size_t>(effect->ImageIndex)];
        EXPECT_EQ(file.rfind("../data/", 0), 0u) << file;
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    }
}

TEST_P(DemoScene, StreamsHoldOneTexturedVertexPerIndex) {
    const auto loaded = Load(GetParam());
    for (const auto& geometry : loaded->Asset.Geometries->Items) {
        SCOPED_TRACE(geometry->Name);
        // Exactly one primitive kind, and the expansion found nothing to drop.
        ASSERT_NE(geometry->TriangleIndices.Empty(), geometry->LineIndices.Empty());
        EXPECT_EQ(geometry->OutOfRangeIndices, 0);
        EXPECT_EQ(geometry->DroppedSlots, 0);
        const bool lines = geometry->TriangleIndices.Empty();
        const TIntArray& indices = lines ? geometry->LineIndices : geometry->TriangleIndices;
        const std::size_t vertices = indices.Count();
        EXPECT_EQ(vertices % (lines ? 2 : 3), 0u);
        for (std::size_t i = 0; i < vertices; ++i) ASSERT_EQ(indices[i], static_cast<int>(i));
        EXPECT_EQ(geometry->Positions.Count(), 3 * vertices);
        EXPECT_EQ(geometry->TexCoords.Count(), 2 * vertices);
        EXPECT_TRUE(geometry->Normals.Empty() || geometry->Normals.Count() == 3 * vertices);
        EXPECT_TRUE(geometry->Colors.Empty() || geometry->Colors.Count() == 4 * vertices);
        for (float value : geometry->Positions) ASSERT_TRUE(std::isfinite(value));
    }
}

TEST_P(DemoScene, DeclaresItsUpAxisForOtherImporters) {
    const std::string text = ReadBytes(fs::path("../data") / GetParam());
    const bool shadingModel = std::string(GetParam()) == "model.dae";
    EXPECT_NE(text.find(shadingModel ? "<up_axis>Y_UP</up_axis>" : "<up_axis>Z_UP</up_axis>"), std::string::npos);
    for (const char* part : {"<library_materials>", "<vertices id=", "<scene>", "<instance_visual_scene"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

// The values of every attribute written as `marker` (for example ` id="`) in the text, in order.
std::vector<std::string> AttributeValues(const std::string& text, const std::string& marker) {
    std::vector<std::string> values;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
        const std::size_t begin = at + marker.size();
        values.push_back(text.substr(begin, text.find('"', begin) - begin));
    }
    return values;
}

TEST_P(DemoScene, IdsAreUniqueAndEveryReferenceResolves) {
    const std::string text = ReadBytes(fs::path("../data") / GetParam());
    std::set<std::string> ids;
    for (const std::string& id : AttributeValues(text, " id=\""))
        EXPECT_TRUE(ids.insert(id).second) << "duplicate id " << id;
    int references = 0;
    for (const char* marker : {" url=\"#", " source=\"#", " target=\"#"})
        for (const std::string& reference : AttributeValues(text, marker)) {
            ++references;
            EXPECT_TRUE(ids.count(reference)) << "unresolved #" << reference;
        }
    EXPECT_GT(references, 0);
    // The inputs of each primitive element take the offsets 0, 1, 2, ... in document order.
    for (const char* kind : {"<triangles ", "<lines "}) {
        for (std::size_t at = text.find(kind); at != std::string::npos; at = text.find(kind, at + 1)) {
            const std::string inputs = text.substr(at, text.find("<p>", at) - at);
            int expected = 0;
            for (const std::string& offset : AttributeValues(inputs, " offset=\""))
                EXPECT_EQ(offset, std::to_string(expected++));
            EXPECT_GE(expected, 2);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllDocuments, DemoScene,
                         ::testing::Values("models.dae", "ground.dae", "rocks.dae", "sky.dae", "model.dae"));

class WalkScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnterProgramFolder();
        for (const char* file : WalkFiles) Assets[file] = Load(file);
    }
    static void TearDownTestSuite() { Assets.clear(); }
    static const TColladaAsset& Asset(const char* file) { return Assets.at(file)->Asset; }

    static inline std::map<std::string, std::unique_ptr<TLoaded>> Assets;
};

// Whether the viewer's first frame shows the point: eye (-4, 0, 2) heading 0.3 radians right of +x,
// 45 degrees high, 702 x 387.
bool InStartView(const TPoint& p) {
    const double fx = std::cos(0.3), fy = -std::sin(0.3);
    const double dx = p.X + 4, dy = p.Y, dz = p.Z - 2;
    const double ahead = dx * fx + dy * fy, across = dx * -fy + dy * fx;
    const double slope = std::tan(22.5 * Pi / 180);
    return ahead > 0.1 && std::fabs(dz) < ahead * slope && std::fabs(across) < ahead * slope * 702 / 387;
}

TEST_F(WalkScene, StartViewFallsOnTexturedColouredAndWireObjects) {
    const TColladaAsset& models = Asset("models.dae");
    int inView = 0, linesInView = 0, colouredInView = 0;
    std::set<int> effectsInView;
    for (const auto& node : models.VisualScenes->Items) {
        const TGeometry& geometry = *models.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
        TPoint centre;
        const double n = static_cast<double>(geometry.Positions.Count() / 3);
        for (std::size_t i = 0; i + 2 < geometry.Positions.Count(); i += 3) {
            const TPoint p = Place(*node, &geometry.Positions[i]);
            centre = {centre.X + p.X / n, centre.Y + p.Y / n, centre.Z + p.Z / n};
        }
        if (!InStartView(centre) || std::hypot(centre.X + 4, centre.Y) > 25) continue;
        ++inView;
        linesInView += !geometry.LineIndices.Empty();
        colouredInView += !geometry.Colors.Empty();
        effectsInView.insert(node->EffectIndex);
    }
    EXPECT_GE(inView, 5);
    EXPECT_GE(linesInView, 1);
    EXPECT_GE(colouredInView, 2);
    EXPECT_GE(effectsInView.size(), 3u);
}

TEST_F(WalkScene, GroundLiesBelowTheWalkerAndReachesPastItsSphere) {
    double reach = 0;
    for (const TPoint& p : WorldVertices(Asset("ground.dae"))) {
        const double r = std::hypot(p.X, p.Y);
        reach = std::max(reach, r);
        // Everywhere the walker can go (within 50 of the origin) the ground is flat and well below eye height.
        if (r <= 52) {
            EXPECT_GE(p.Z, 0.0);
            EXPECT_LE(p.Z, 0.2);
        }
    }
    EXPECT_GT(reach, 150);
}

TEST_F(WalkScene, SkyEnclosesEverythingWithinTheFarPlane) {
    double skyNearest = 1e9, skyFarthest = 0, skyLowest = 1e9, skyHighest = -1e9;
    for (const TPoint& p : WorldVertices(Asset("sky.dae"))) {
        const double d = std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z);
        if (p.Z > -1) skyNearest = std::min(skyNearest, std::hypot(p.X, p.Y) > 1 ? d : skyNearest);
        skyFarthest = std::max(skyFarthest, d);
        skyLowest = std::min(skyLowest, p.Z);
        skyHighest = std::max(skyHighest, p.Z);
    }
    // Seen from anywhere the walker may stand (50 from the origin), the whole dome is nearer than 500.
    EXPECT_LT(skyFarthest + 50, 500);
    EXPECT_LT(skyLowest, 0);
    EXPECT_GT(skyHighest, 0.9 * skyFarthest);
    for (const char* file : {"models.dae", "ground.dae", "rocks.dae"})
        for (const TPoint& p : WorldVertices(Asset(file)))
            ASSERT_LT(std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z), skyNearest) << file;
}

TEST_F(WalkScene, NoRockStandsAtTheStart) {
    for (const TPoint& p : WorldVertices(Asset("rocks.dae"))) ASSERT_GT(std::hypot(p.X + 4, p.Y), 1.5);
    EXPECT_GE(Asset("rocks.dae").VisualScenes->Items.Count(), 20);
}

class ShadingModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnterProgramFolder(); }
};

TEST_F(ShadingModel, CentredAndFillsTheViewTwelveUnitsAway) {
    const auto loaded = Load("model.dae");
    const std::vector<TPoint> points = WorldVertices(loaded->Asset);
    ASSERT_FALSE(points.empty());
    // Centred on the axis it turns about: the vertices balance about the origin.
    TPoint mean;
    double radius = 0, low = 1e9, high = -1e9;
    const double n = static_cast<double>(points.size());
    for (const TPoint& p : points) {
        mean = {mean.X + p.X / n, mean.Y + p.Y / n, mean.Z + p.Z / n};
        low = std::min(low, p.Y);
        high = std::max(high, p.Y);
        radius = std::max(radius, std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z));
    }
    EXPECT_NEAR(mean.X, 0, 0.1);
    EXPECT_NEAR(mean.Y, 0, 0.1);
    EXPECT_NEAR(mean.Z, 0, 0.1);
    EXPECT_GE(radius, 3.0);
    EXPECT_LE(radius, 4.0);
    // Turning about y keeps every vertex inside the 45 degree view from 12 units, and the height it spans
    // is more than half the view's.
    const double slope = std::tan(22.5 * Pi / 180);
    for (int degrees = 0; degrees < 360; degrees += 30) {
        const double a = degrees * Pi / 180;
        for (const TPoint& p : points) {
            const double depth = 12 - (-p.X * std::sin(a) + p.Z * std::cos(a));
            ASSERT_LT(std::fabs(p.Y), depth * slope) << degrees;
        }
    }
    EXPECT_GT((high - low) / (2 * 12 * slope), 0.5);
}

TEST_F(ShadingModel, NormalsAreUnitAndSmoothAcrossEveryTriangle) {
    const auto loaded = Load("model.dae");
    for (const auto& geometry : loaded->Asset.Geometries->Items) {
        const TFloatArray& n = geometry->Normals;
        ASSERT_EQ(n.Count(), geometry->Positions.Count());
        for (std::size_t v = 0; v < n.Count(); v += 3)
            ASSERT_NEAR(std::sqrt(n[v] * n[v] + n[v + 1] * n[v + 1] + n[v + 2] * n[v + 2]), 1.0, 1e-3);
        // A faceted mesh gives all three corners one normal but differs sharply between neighbours; a smooth
        // one bends a little within each triangle and never by much.
        int bending = 0;
        for (std::size_t t = 0; t < n.Count(); t += 9) {
            double least = 1;
            for (int a = 0; a < 3; ++a) {
                const int b = (a + 1) % 3;
                const std::size_t i = t + 3 * static_cast<std::size_t>(a), j = t + 3 * static_cast<std::size_t>(b);
                least = std::min(least, static_cast<double>(n[i] * n[j] + n[i + 1] * n[j + 1] + n[i + 2] * n[j + 2]));
            }
            ASSERT_GT(least, std::cos(25 * Pi / 180));
            bending += least < 0.99999;
        }
        EXPECT_GT(bending, static_cast<int>(n.Count() / 9 / 2));
    }
}

std::vector<fs::path> DataFiles(const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(DEMO_DATA_DIR))
        if (entry.path().extension() == extension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

TEST(DemoTextures, BitmapsAre24BitBottomUpWithTheirDeclaredSize) {
    const auto files = DataFiles(".bmp");
    ASSERT_GE(files.size(), 2u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = ReadBytes(file);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(Little(bytes, 2, 4), bytes.size());
        EXPECT_EQ(Little(bytes, 10, 4), 54u);
        EXPECT_EQ(Little(bytes, 14, 4), 40u);
        const std::uint32_t width = Little(bytes, 18, 4), height = Little(bytes, 22, 4);
        EXPECT_LT(static_cast<std::int32_t>(height), 65536);  // positive: rows stored bottom-up
        EXPECT_GT(static_cast<std::int32_t>(height), 0);
        EXPECT_EQ(Little(bytes, 28, 2), 24u);
        EXPECT_EQ(Little(bytes, 30, 4), 0u);
        EXPECT_EQ(bytes.size(), 54u + ((width * 3 + 3) & ~3u) * height);
        const TDecodedImage image = DecodeBmpFile(file.string());
        EXPECT_EQ(image.Width, static_cast<int>(width));
        EXPECT_EQ(image.Height, static_cast<int>(height));
    }
}

TEST(DemoTextures, JpegsAreCompleteAndDecode) {
    const auto files = DataFiles(".jpg");
    ASSERT_GE(files.size(), 2u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = ReadBytes(file);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
        const TDecodedImage image = DecodeJpegFile(file.string());
        EXPECT_GE(image.Width, 128);
        EXPECT_GE(image.Height, 128);
    }
}

// The viewer's engine on a headless pbuffer of its panel's size, with the program, uniforms and light the
// windows set up.
class DemoPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnterProgramFolder(); }

    void Start(float farPlane, const std::vector<std::string>& files) {
        Engine = std::make_unique<TColladaEngine>(&Document, TNativeWindow{}, Width, Height, 45.0f, 0.1f, farPlane);
        for (const std::string& file : files) ASSERT_GE(Engine->LoadAsset("../data/" + file), 0) << file;
        Engine->PrepareMaterials();
        Phong = Engine->ShaderEngine->AddShader("Phong", "../data/phong.vert", "../data/phong.frag");
        Engine->ShaderEngine->BuildAll();
        TShader* program = Engine->ShaderEngine->Shaders[static_cast<std::size_t>(Phong)];
        const int one = 1, zero = 0;
        program->SetUniform("UseTexture", 1, &one);
        program->SetUniform("Base", 1, &zero);
        const float specular[] = {0.4f, 0.4f, 0.4f, 1}, diffuse[] = {0.9f, 0.9f, 0.9f, 1};
        const float ambient[] = {0.3f, 0.3f, 0.3f, 1}, position[] = {0, 0, 20, 1}, shininess = 50;
        glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
        Engine->Assets[0]->ShaderIndex = Phong;
    }

    std::vector<unsigned char> Pixels() const {
        std::vector<unsigned char> rgba(static_cast<std::size_t>(Width) * Height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    static constexpr int Width = 702, Height = 387;
    TXmlDocument Document;
    std::unique_ptr<TColladaEngine> Engine;
    int Phong = -1;
};

TEST_F(DemoPictures, PhongProgramLinksAndTakesItsUniforms) {
    Start(500.0f, {"model.dae"});
    const TShader& program = *Engine->ShaderEngine->Shaders[static_cast<std::size_t>(Phong)];
    for (const std::string& source : {program.VertexSource, program.FragmentSource})
        EXPECT_TRUE(source.rfind("#version 110", 0) == 0 || source.rfind("#version 120", 0) == 0);
    GLint linked = 0;
    Gl::glGetObjectParameterivARB(program.Program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    ASSERT_EQ(linked, 1);
    EXPECT_NE(Gl::glGetUniformLocationARB(program.Program, "UseTexture"), -1);
    EXPECT_NE(Gl::glGetUniformLocationARB(program.Program, "Base"), -1);
}

TEST_F(DemoPictures, WalkStartViewShowsSkyAboveAndSceneryBelow) {
    Start(500.0f, {"models.dae", "ground.dae", "rocks.dae", "sky.dae"});
    const auto centreX = static_cast<float>(-4 + std::cos(0.3)), centreY = static_cast<float>(-std::sin(0.3));
    Engine->RenderLookAt(-4, 0, 2, centreX, centreY, 2, 0, 0, 1);
    const auto rgba = Pixels();
    auto at = [&](int x, int y) { return &rgba[(static_cast<std::size_t>(y) * Width + x) * 4]; };
    int skyTop = 0, filledBottom = 0;
    std::set<int> middleColours;
    for (int x = 0; x < Width; ++x) {
        const unsigned char* top = at(x, Height - 1);
        skyTop += top[2] > top[0] && top[2] > 150;
        const unsigned char* bottom = at(x, 0);
        filledBottom += bottom[0] + bottom[1] + bottom[2] > 60;
        const unsigned char* middle = at(x, Height / 2);
        middleColours.insert(middle[0] / 32 * 64 + middle[1] / 32 * 8 + middle[2] / 32);
    }
    EXPECT_GT(skyTop, Width * 9 / 10);
    EXPECT_EQ(filledBottom, Width);
    EXPECT_GE(middleColours.size(), 12u);
}

TEST_F(DemoPictures, ShadingModelFillsTheFrameWithAHighlight) {
    Start(100.0f, {"model.dae"});
    Engine->RenderPlaced(0, 0, -12, 0, 0, 0, 1, 1, 1);
    const auto rgba = Pixels();
    std::size_t covered = 0, brightest = 0;
    int lowestRow = Height, highestRow = -1;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] + rgba[i + 1] + rgba[i + 2] == 0) continue;
        ++covered;
        const int row = static_cast<int>(i / 4 / Width);
        lowestRow = std::min(lowestRow, row);
        highestRow = std::max(highestRow, row);
        brightest = std::max<std::size_t>(brightest, std::min({rgba[i], rgba[i + 1], rgba[i + 2]}));
    }
    EXPECT_GT(covered, rgba.size() / 4 * 15 / 100);
    EXPECT_GT(highestRow - lowestRow, Height * 6 / 10);
    EXPECT_GT(brightest, 200u);  // a white-ish specular spot
}

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        Output = fs::path(::testing::TempDir()) / ("demodata-" + std::to_string(::getpid()));
        fs::remove_all(Output);
    }
    void TearDown() override { fs::remove_all(Output); }

    static int Run(const std::string& arguments) {
        const std::string command = std::string(TOOLS_BIN_DIR) + "/demodata " + arguments + " 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path Output;
};

TEST_F(Generator, WritesTheSameBytesAsTheBuildWellUnderTwentyMegabytes) {
    ASSERT_EQ(Run(Output.string()), 0);
    std::set<std::string> built, again;
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(DEMO_DATA_DIR)) built.insert(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(Output)) {
        const std::string name = entry.path().filename().string();
        again.insert(name);
        total += entry.file_size();
        EXPECT_TRUE(ReadBytes(entry.path()) == ReadBytes(fs::path(DEMO_DATA_DIR) / name)) << name;
    }
    EXPECT_EQ(again, built);
    EXPECT_LT(total, 20u * 1024 * 1024);
    for (const char* file : WalkFiles) EXPECT_TRUE(again.count(file)) << file;
    EXPECT_TRUE(again.count("phong.vert") && again.count("phong.frag"));
}

TEST_F(Generator, FailsWithoutAFolderOrWhereNoFolderCanBeMade) {
    EXPECT_EQ(Run(""), 2);
    std::ofstream(Output.string()) << "a file where the folder should be";
    EXPECT_EQ(Run(Output.string()), 1);
    EXPECT_EQ(Run((Output / "inside").string()), 1);
}

}  // namespace
