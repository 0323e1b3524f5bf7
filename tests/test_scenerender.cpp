// scenerender run as a program: --frame puts far scenes into the picture with either up axis, --size makes
// square pictures, and a texture that cannot be read is named and skipped instead of ending the picture.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EngineDocuments.h"
#include "GlTestContext.h"
#include "TestImages.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

struct TRun {
    int Status = -1;
    std::string Errors;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs scenerender in the test's folder, so that documents and textures are named relative to it.
TRun Render(const std::string& arguments) {
    const std::string folder = TTempFile::Directory();
    const std::string errors = folder + "/scenerender.err";
    const std::string command =
        "cd '" + folder + "' && '" TOOLS_BIN_DIR "/scenerender' " + arguments + " >/dev/null 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(errors)};
}

struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgb;

    const unsigned char* At(int x, int y) const { return &Rgb[(std::size_t(y) * Width + x) * 3]; }
};

TPicture ReadPicture(const std::string& name) {
    TPicture picture;
    int channels = 0;
    const std::string path = TTempFile::Directory() + "/" + name;
    unsigned char* pixels = stbi_load(path.c_str(), &picture.Width, &picture.Height, &channels, 3);
    if (pixels == nullptr) return picture;
    picture.Rgb.assign(pixels, pixels + std::size_t(picture.Width) * picture.Height * 3);
    stbi_image_free(pixels);
    return picture;
}

// Where the pixels of one colour lie in a picture: how many, their mean position, and whether any touches the
// picture's edge (then the scene was cut off).
struct TColourSpread {
    int Count = 0;
    double MeanX = 0;
    double MeanY = 0;  // rows counted from the top
    bool TouchesEdge = false;
};

template <typename TMatch>
TColourSpread Spread(const TPicture& picture, TMatch matches) {
    TColourSpread spread;
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            if (!matches(picture.At(x, y))) continue;
            ++spread.Count;
            spread.MeanX += x;
            spread.MeanY += y;
            if (x == 0 || y == 0 || x == picture.Width - 1 || y == picture.Height - 1) spread.TouchesEdge = true;
        }
    if (spread.Count > 0) spread.MeanX /= spread.Count, spread.MeanY /= spread.Count;
    return spread;
}

bool Reddish(const unsigned char* p) { return p[0] > 128 && p[1] < 64 && p[2] < 64; }
bool Greenish(const unsigned char* p) { return p[1] > 128 && p[0] < 64 && p[2] < 64; }
bool Bluish(const unsigned char* p) { return p[2] > 128 && p[0] < 64 && p[1] < 64; }
bool Lit(const unsigned char* p) { return p[0] + p[1] + p[2] > 30; }

// What a framed picture draws over its background: a framed scene leaves the picture's corners to the
// background, a vertical gradient, so each row's background colour is known from the corners' colours.
struct TForeground {
    const TPicture& Picture;
    bool operator()(int x, int y) const {
        const unsigned char *top = Picture.At(0, 0), *bottom = Picture.At(0, Picture.Height - 1);
        const double t = Picture.Height > 1 ? double(y) / (Picture.Height - 1) : 0;
        const unsigned char* p = Picture.At(x, y);
        int difference = 0;
        for (int c = 0; c < 3; ++c) difference += std::abs(p[c] - int(top[c] * (1 - t) + bottom[c] * t + 0.5));
        return difference > 12;
    }
};

// The foreground's spread, as Spread gives it for a colour.
TColourSpread ForegroundSpread(const TPicture& picture) {
    TColourSpread spread;
    const TForeground foreground{picture};
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            if (!foreground(x, y)) continue;
            ++spread.Count;
            if (x == 0 || y == 0 || x == picture.Width - 1 || y == picture.Height - 1) spread.TouchesEdge = true;
        }
    return spread;
}

// A box of the given half sizes about (cx, cy, cz), every vertex in one colour, as twelve triangles.
TMesh Box(const std::string& name, const float centre[3], const float half[3], const float rgb[3]) {
    TMesh mesh{name, {}, {}, {}, {}, "triangles", {}};
    for (int corner = 0; corner < 8; ++corner) {
        for (int axis = 0; axis < 3; ++axis)
            mesh.Positions.push_back(centre[axis] + ((corner >> axis) & 1 ? half[axis] : -half[axis]));
        mesh.Colors.insert(mesh.Colors.end(), {rgb[0], rgb[1], rgb[2], 1.0f});
    }
    // Two triangles per face, corners numbered by their bits x, y, z.
    mesh.Corners = {0, 1, 3, 0, 3, 2, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                    2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 3, 7, 1, 7, 5};
    return mesh;
}

// A red box standing on a green one, far from the origin, the pair stacked along the up axis (2: z, 1: y). The
// nodes place them, so that the frame follows what drawing does with a node: the green box is a unit box
// scaled up, the red one lies off to the side in its geometry and is turned up by its node's rotation.
std::string StackedBoxes(int upAxis) {
    const float red[3] = {1, 0, 0}, green[3] = {0, 1, 0}, unit[3] = {1, 1, 1}, half[3] = {30, 30, 30};
    const float origin[3] = {0, 0, 0};
    float aside[3] = {0, 0, 0};
    aside[upAxis == 2 ? 1 : 0] = 80;  // +y, which a turn about x takes to +z; or +x, which one about z takes to +y
    TScene scene;
    scene.Meshes = {Box("Low", origin, unit, green), Box("High", aside, half, red)};
    scene.Nodes = {MakeNode("low", "#Low"), MakeNode("high", "#High")};
    for (TSceneNode& node : scene.Nodes) {
        node.Position[0] = 1200;
        node.Position[1] = -3400;
        node.Position[2] = 560;
    }
    for (float& scale : scene.Nodes[0].Scale) scale = 30;
    scene.Nodes[1].Rotation[upAxis == 2 ? 0 : 2] = 90;
    return scene.Document();
}

}  // namespace

TEST(SceneRenderFrame, AFarSceneFillsThePictureWithItsUpAxisUp) {
    for (const int upAxis : {2, 1}) {
        const std::string up = upAxis == 2 ? "z" : "y";
        SCOPED_TRACE("--up " + up);
        TTempFile document("stacked-" + up + ".dae", StackedBoxes(upAxis));
        TTempFile picture("stacked-" + up + ".png", "");

        // The default camera, near the origin, sees nothing of it.
        ASSERT_EQ(Render("--size 200 -o stacked-" + up + ".png stacked-" + up + ".dae").Status, 0);
        EXPECT_EQ(Spread(ReadPicture(picture.Path.substr(picture.Path.rfind('/') + 1)), Lit).Count, 0);

        ASSERT_EQ(Render("--frame --up " + up + " --size 200 -o stacked-" + up + ".png stacked-" + up + ".dae").Status,
                  0);
        const TPicture shot = ReadPicture("stacked-" + up + ".png");
        ASSERT_EQ(shot.Width, 200);
        const TColourSpread all = ForegroundSpread(shot), red = Spread(shot, Reddish), green = Spread(shot, Greenish);
        EXPECT_FALSE(all.TouchesEdge);
        EXPECT_GT(all.Count, 200 * 200 / 8) << "the scene should fill a good part of the picture";
        ASSERT_GT(red.Count, 0);
        ASSERT_GT(green.Count, 0);
        EXPECT_LT(red.MeanY, green.MeanY - 20) << "the upper box should be drawn above the lower";
    }
}

// A cube of six faces in six colours, each face its vertices' own: red on top, blue at the bottom along the
// up axis (2: z, 1: y), the others green.
std::string FacedCube(int upAxis) {
    TMesh mesh{"Cube", {}, {}, {}, {}, "triangles", {}};
    for (int axis = 0; axis < 3; ++axis)
        for (int side : {-1, 1}) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            const int first = static_cast<int>(mesh.Positions.size() / 3);
            for (const auto& [a, b] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
                float p[3];
                p[axis] = float(side), p[u] = float(a), p[v] = float(b);
                mesh.Positions.insert(mesh.Positions.end(), p, p + 3);
                float n[3] = {0, 0, 0};
                n[axis] = float(side);
                mesh.Normals.insert(mesh.Normals.end(), n, n + 3);
                const bool top = axis == upAxis && side > 0, bottom = axis == upAxis && side < 0;
                mesh.Colors.insert(mesh.Colors.end(),
                                   {top ? 1.0f : 0.0f, top || bottom ? 0.0f : 1.0f, bottom ? 1.0f : 0.0f, 1.0f});
            }
            // Wound counter-clockwise seen from outside, as the normal points.
            if (side > 0)
                mesh.Corners.insert(mesh.Corners.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
            else
                mesh.Corners.insert(mesh.Corners.end(), {first, first + 2, first + 1, first, first + 3, first + 2});
        }
    TScene scene;
    scene.Meshes = {mesh};
    scene.Nodes = {MakeNode("cube", "#Cube")};
    return scene.Document();
}

TEST(SceneRenderFrame, TheCameraLooksDownOnTheSceneFromInFrontAndToOneSide) {
    for (const int upAxis : {2, 1}) {
        const std::string up = upAxis == 2 ? "z" : "y";
        SCOPED_TRACE("--up " + up);
        TTempFile document("faced.dae", FacedCube(upAxis));
        TTempFile picture("faced.png", "");
        ASSERT_EQ(Render("--frame --up " + up + " --size 200 -o faced.png faced.dae").Status, 0);
        const TPicture shot = ReadPicture("faced.png");
        // From above the top shows and the bottom does not; from one side two side faces show, not one.
        EXPECT_GT(Spread(shot, Reddish).Count, 200 * 200 / 40) << "the top face should be seen";
        EXPECT_EQ(Spread(shot, Bluish).Count, 0) << "the bottom face should be hidden";
        // A green side in the light's shade is darker than Greenish takes.
        const auto green = [](const unsigned char* p) { return p[1] > 40 && p[0] < 20 && p[2] < 20; };
        int greenShades = 0;
        std::vector<int> seen;
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x)
                if (green(shot.At(x, y)) &&
                    std::none_of(seen.begin(), seen.end(), [&](int g) { return std::abs(g - shot.At(x, y)[1]) < 8; })) {
                    seen.push_back(shot.At(x, y)[1]);
                    ++greenShades;
                }
        EXPECT_GE(greenShades, 2) << "two side faces, lit differently";
    }
}

TEST(SceneRenderFrame, ABlackModelShowsAgainstTheBackground) {
    const float black[3] = {0, 0, 0}, origin[3] = {0, 0, 0}, half[3] = {1, 2, 0.5f};
    TScene scene;
    scene.Meshes = {Box("Black", origin, half, black)};
    scene.Nodes = {MakeNode("black", "#Black")};
    TTempFile document("black.dae", scene.Document());
    TTempFile picture("black.png", "");
    ASSERT_EQ(Render("--frame --size 120 -o black.png black.dae").Status, 0);
    const TPicture shot = ReadPicture("black.png");
    const TColourSpread shown = ForegroundSpread(shot);
    EXPECT_GT(shown.Count, 120 * 120 / 10);
    EXPECT_FALSE(shown.TouchesEdge);
    EXPECT_GT(Lit(shot.At(0, 0)), 0) << "the background is not black";
}

TEST(SceneRenderFrame, AWideSceneFitsAcrossATallPicture) {
    // The across fit, not just the up fit: a long row of boxes in a picture taller than wide.
    const float colour[3] = {1, 0, 0}, half[3] = {500, 40, 80};
    const float centre[3] = {-7000, 20, 3};
    TScene scene;
    scene.Meshes = {Box("Row", centre, half, colour)};
    scene.Nodes = {MakeNode("row", "#Row")};
    TTempFile document("row.dae", scene.Document());
    TTempFile picture("row.png", "");
    ASSERT_EQ(Render("--frame --size 60x300 -o row.png row.dae").Status, 0);
    const TPicture shot = ReadPicture("row.png");
    const TColourSpread shown = ForegroundSpread(shot);
    EXPECT_FALSE(shown.TouchesEdge);
    EXPECT_GT(shown.Count, 0);
    // Seen from one side the row runs slantwise, from near the picture's left edge to near its right.
    int left = shot.Width, right = -1;
    const TForeground foreground{shot};
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x)
            if (foreground(x, y)) left = std::min(left, x), right = std::max(right, x);
    EXPECT_GT(right - left, 50);
}

TEST(SceneRenderFrame, NothingToFrameKeepsTheDefaultCameraWithAWarning) {
    TScene empty;
    empty.Meshes = {TMesh{"Empty", {}, {}, {}, {}, "triangles", {}}};
    empty.Nodes = {MakeNode("empty", "#Empty")};
    // A node that puts its triangle beyond what a float camera can stand back from.
    TScene huge;
    huge.Meshes = {Triangle("Tri", 1)};
    huge.Nodes = {MakeNode("tri", "#Tri")};
    huge.Nodes[0].Position[0] = 3e38f;
    huge.Nodes[0].Scale[0] = huge.Nodes[0].Scale[1] = 3e38f;
    for (const auto& [name, scene] : {std::pair{"empty", empty}, std::pair{"huge", huge}}) {
        SCOPED_TRACE(name);
        TTempFile document(std::string(name) + ".dae", scene.Document());
        TTempFile picture(std::string(name) + ".png", "");
        const TRun run = Render("--frame -o " + std::string(name) + ".png " + name + ".dae");
        EXPECT_EQ(run.Status, 0);
        EXPECT_NE(run.Errors.find("nothing is drawn"), std::string::npos) << run.Errors;
        EXPECT_EQ(ReadPicture(std::string(name) + ".png").Width, 702);
        // A thumbnailer gets no picture rather than an empty one.
        const TRun thumbnail = Render("--thumbnail -o " + std::string(name) + "-thumb.png " + name + ".dae");
        EXPECT_EQ(thumbnail.Status, 1);
        EXPECT_NE(thumbnail.Errors.find("nothing is drawn"), std::string::npos) << thumbnail.Errors;
    }
}

TEST(SceneRenderOptions, SizeAndCameraOptionsAreChecked) {
    TScene scene;
    scene.Meshes = {Triangle("Tri", 1)};
    scene.Nodes = {MakeNode("tri", "#Tri")};
    TTempFile document("tri.dae", scene.Document());
    TTempFile picture("tri.png", "");

    ASSERT_EQ(Render("--size 96 -o tri.png tri.dae").Status, 0);
    const TPicture square = ReadPicture("tri.png");
    EXPECT_EQ(square.Width, 96);
    EXPECT_EQ(square.Height, 96);
    ASSERT_EQ(Render("--size 40x30 -o tri.png tri.dae").Status, 0);
    EXPECT_EQ(ReadPicture("tri.png").Height, 30);

    for (const char* wrong :
         {"--size 0", "--size 20x", "--size x20", "--size -5", "--size 1e3", "--size 16385",
          "--frame --lookat 0,0,0,1,0,0,0,0,1", "--frame --placed 0,0,-5,0,0,0,1,1,1", "--up x --frame"}) {
        const TRun run = Render(std::string(wrong) + " -o tri.png tri.dae");
        EXPECT_EQ(run.Status, 2) << wrong;
        EXPECT_NE(run.Errors.find("usage:"), std::string::npos) << wrong;
    }
}

TEST(SceneRenderTextures, AnUnreadableTextureIsNamedAndItsNodeDrawnUntextured) {
    // Three squares side by side: one with a red texture, one whose texture is missing, one whose texture is
    // not a JPEG at all.
    TScene scene;
    scene.Meshes = {Square("Good", -2.5f, 0, 1), Square("Gone", 0, 0, 1), Square("Junk", 2.5f, 0, 1)};
    for (TMesh& mesh : scene.Meshes) mesh.TexCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    scene.Nodes = {MakeNode("good", "#Good", "GoodMat"), MakeNode("gone", "#Gone", "GoneMat"),
                   MakeNode("junk", "#Junk", "JunkMat")};
    scene.Effects = {{"GoodMat-fx", "GoodImage"}, {"GoneMat-fx", "GoneImage"}, {"JunkMat-fx", "JunkImage"}};
    scene.Images = {{"GoodImage", "red.bmp"}, {"GoneImage", "nowhere.bmp"}, {"JunkImage", "junk.jpg"}};
    TTempFile document("textured.dae", scene.Document());
    TTempFile red("red.bmp", Bmp24(TRgbImage{1, 1, {255, 0, 0}}));
    TTempFile junk("junk.jpg", "not a picture");
    TTempFile picture("textured.png", "");

    const TRun run = Render("--size 300x100 --lookat 0,0,6,0,0,0,0,1,0 -o textured.png textured.dae");
    ASSERT_EQ(run.Status, 0) << run.Errors;
    EXPECT_NE(run.Errors.find("\"nowhere.bmp\""), std::string::npos) << run.Errors;
    EXPECT_NE(run.Errors.find("\"junk.jpg\""), std::string::npos) << run.Errors;
    EXPECT_EQ(run.Errors.find("red.bmp"), std::string::npos) << run.Errors;

    const TPicture shot = ReadPicture("textured.png");
    ASSERT_EQ(shot.Width, 300);
    // 2.5 units apart at a distance of 6 under a field of view of 45 degrees: 50 pixels apart.
    const unsigned char* good = shot.At(150 - 50, 50);
    const unsigned char* gone = shot.At(150, 50);
    const unsigned char* junked = shot.At(150 + 50, 50);
    EXPECT_TRUE(Reddish(good)) << int(good[0]) << ' ' << int(good[1]) << ' ' << int(good[2]);
    for (const unsigned char* plain : {gone, junked})
        EXPECT_GT(plain[0] + plain[1] + plain[2], 3 * 240) << "untextured: white";
}

TEST(SceneRenderTextures, ATextureBesideItsDocumentIsFoundFromAnotherFolder) {
    TScene scene;
    scene.Meshes = {Square("Good", 0, 0, 1)};
    scene.Meshes[0].TexCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    scene.Nodes = {MakeNode("good", "#Good", "GoodMat")};
    scene.Effects = {{"GoodMat-fx", "GoodImage"}};
    scene.Images = {{"GoodImage", "maps/red.bmp"}};
    TTempFile document("exported/beside.dae", scene.Document());
    TTempFile red("exported/maps/red.bmp", Bmp24(TRgbImage{1, 1, {255, 0, 0}}));
    TTempFile picture("beside.png", "");

    const TRun run = Render("--size 100 --lookat 0,0,6,0,0,0,0,1,0 -o beside.png exported/beside.dae");
    ASSERT_EQ(run.Status, 0) << run.Errors;
    EXPECT_EQ(run.Errors, "");
    const TPicture shot = ReadPicture("beside.png");
    ASSERT_EQ(shot.Width, 100);
    const unsigned char* middle = shot.At(50, 50);
    EXPECT_TRUE(Reddish(middle)) << int(middle[0]) << ' ' << int(middle[1]) << ' ' << int(middle[2]);
}

TEST(SceneRenderTextures, AMissingDocumentStillEndsTheRun) {
    // Only textures are forgiven: a document that cannot be read is an error with status 1.
    const TRun run = Render("-o none.png no-such-document.dae");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Errors.find("no-such-document.dae"), std::string::npos) << run.Errors;
}
