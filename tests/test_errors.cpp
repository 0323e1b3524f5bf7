// Documents that must fail, and fail well: every error names the file, the line and the element; hostile
// counts are refused before anything is allocated; deep nesting neither overflows the stack nor takes long.
#include "LoaderFixture.h"

#include <cctype>
#include <chrono>

namespace {

using ErrorTest = LoaderTest;

// The document with the marked element on a line of its own, so the expected line is easy to find.
std::string Marked(std::string_view before, std::string_view marked, std::string_view after) {
    return Collada(std::string(before) + "\n" + std::string(marked) + "\n" + std::string(after));
}

struct MissingAttributeCase {
    std::string Document;
    std::string Marker;  // text that starts the line the error must name
    std::string Element;
    std::string Attribute;
};

TEST_F(ErrorTest, MissingRequiredAttributesNameFileLineAndElement) {
    const std::string cube = Mesh("Cube", Source("Cube-Position", 3, "0 0 0"));
    const std::string scene = SceneWith(PlacedNode("N", "#Cube"));
    const std::vector<MissingAttributeCase> cases = {
        {Marked("<library_geometries>", "<geometry id=\"g\"><mesh/></geometry>", "</library_geometries>" + scene),
         "<geometry id", "geometry", "name"},
        {Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"G-Position\">",
                "<float_array>1 2 3</float_array>", "</source></mesh></geometry></library_geometries>" + scene),
         "<float_array>", "float_array", "count"},
        {Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"x\"/>",
                "<triangles><input/><p>0 0 0</p></triangles>", "</mesh></geometry></library_geometries>" + scene),
         "<triangles>", "triangles", "count"},
        {Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"x\"/>",
                "<lines><input/><p>0 0</p></lines>", "</mesh></geometry></library_geometries>" + scene),
         "<lines>", "lines", "count"},
        {Marked(Geometries(cube) + "<library_visual_scenes><visual_scene>" + PlacedNode("A", "#Cube"),
                "<node id=\"n\"><instance_geometry url=\"#Cube\"/></node>", "</visual_scene></library_visual_scenes>"),
         "<node id", "node", "name"},
        {Marked(Geometries(cube) + "<library_visual_scenes><visual_scene><node name=\"A\"><translate/><scale/>",
                "<instance_geometry/>", "</node></visual_scene></library_visual_scenes>"),
         "<instance_geometry/>", "instance_geometry", "url"},
        {Marked(
             Geometries(cube) + "<library_visual_scenes><visual_scene><node name=\"A\"><translate/><scale/>"
                                "<instance_geometry url=\"#Cube\"><bind_material><technique_common>",
             "<instance_material target=\"#m\"/>",
             "</technique_common></bind_material></instance_geometry></node></visual_scene></library_visual_scenes>"),
         "<instance_material", "instance_material", "symbol"},
        {Marked("<library_effects><effect name=\"A-fx\"/>", "<effect id=\"B-fx\"/>", "</library_effects>" + cube),
         "<effect id", "effect", "name"},
        {Marked("<library_effects><effect name=\"A-fx\"/>", "<extra/>", "</library_effects>" + cube), "<extra/>",
         "extra", "name"},
        {Marked("<library_images>", "<image id=\"i\"><init_from>a.bmp</init_from></image>",
                "</library_images>" + Geometries(cube) + scene),
         "<image id", "image", "name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Document);
        const auto r = Load(c.Document);
        EXPECT_FALSE(r.Loaded);
        ExpectErrorAt(r, LineOf(c.Document, "\n" + c.Marker) + 1, c.Element,
                      "has no attribute \"" + c.Attribute + "\"");
    }
}

// Counts come from the file and are hostile: anything but a plain decimal integer in range is an error.
TEST_F(ErrorTest, CountsThatAreNotIntegersInRange) {
    for (const char* count : {"-1", "4294967296", "99999999999999999999", "1e3", "0x10", "", "+", "3.0"}) {
        for (const char* kind : {"float_array", "triangles", "lines"}) {
            const std::string text =
                std::string(kind) == "float_array"
                    ? Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"G-Position\">",
                             std::string("<float_array count=\"") + count + "\">1 2 3</float_array>",
                             "</source></mesh></geometry></library_geometries>" + SceneWith(""))
                    : Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"x\"/>",
                             std::string("<") + kind + " count=\"" + count + "\"><input/><p>0 1 2</p></" + kind + ">",
                             "</mesh></geometry></library_geometries>" + SceneWith(""));
            SCOPED_TRACE(text);
            const auto r = Load(text);
            EXPECT_FALSE(r.Loaded);
            ExpectErrorAt(r, 4, kind);
        }
    }
}

// A declared count may exceed its text by at most the text's length plus 64; beyond that a few bytes
// would make the loader allocate gigabytes.
TEST_F(ErrorTest, OverDeclaredCounts) {
    const auto floats = [](std::string_view count, std::string_view text) {
        return Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"G-Position\">",
                      "<float_array count=\"" + std::string(count) + "\">" + std::string(text) + "</float_array>",
                      "</source></mesh></geometry></library_geometries>" + SceneWith(""));
    };
    const auto start = std::chrono::steady_clock::now();
    auto r = Load(floats("2000000000", ""));
    ExpectErrorAt(r, 4, "float_array", "declares 2000000000 values but its text can hold at most 64");
    r = Load(floats("2147483647", "1 2"));
    ExpectErrorAt(r, 4, "float_array", "declares 2147483647 values but its text can hold at most 67");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    r = Load(floats("68", "1 2"));
    ExpectErrorAt(r, 4, "float_array", "declares 68 values but its text can hold at most 67");
    r = Load(floats("67", "1 2"));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Geometry(0).Positions.Count(), 67u);
    EXPECT_EQ(r.Geometry(0).Positions[1], 2.0f);
    EXPECT_EQ(r.Geometry(0).Positions[66], 0.0f);

    // For an index list the declared number is count x inputs x corners.
    const auto triangles = [](int count, int inputs, std::string_view p) {
        return Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"x\"/>",
                      Primitive("triangles", count, inputs, p),
                      "</mesh></geometry></library_geometries>" + SceneWith(""));
    };
    r = Load(triangles(24, 1, "0 1 2"));
    ExpectErrorAt(r, 4, "triangles", "declares 72 values but its text can hold at most 69");
    r = Load(triangles(23, 1, "0 1 2"));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Geometry(0).TriangleIndices.Count(), 69u);
}

TEST_F(ErrorTest, IndexCountsBeyondThirtyTwoBitsAreErrors) {
    for (const std::string& primitive :
         {Primitive("triangles", 715827883, 2, "0 1 2"), Primitive("lines", 1073741824, 2, "0 1"),
          Primitive("triangles", 2147483647, 5, ""), Primitive("triangles", 400000000, 2, "0")}) {
        const std::string text = Marked("<library_geometries><geometry name=\"G\"><mesh><source id=\"x\"/>", primitive,
                                        "</mesh></geometry></library_geometries>" + SceneWith(""));
        SCOPED_TRACE(text);
        const auto r = Load(text);
        EXPECT_FALSE(r.Loaded);
        ExpectErrorAt(r, 4, primitive.substr(1, primitive.find(' ') - 1));
    }
}

TEST_F(ErrorTest, MalformedDocumentsNameLineAndColumn) {
    const std::vector<std::pair<std::string, int>> documents = {
        {"", 1},
        {"not xml at all", 1},
        {"<COLLADA>\n<library_geometries>\n<geometry name=\"G\"", 3},
        {"<COLLADA>\n<a>\n</b>\n</COLLADA>", 3},
        {std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11), 1},
    };
    for (const auto& [text, line] : documents) {
        const auto r = Load(text);
        EXPECT_TRUE(r.Raised) << text;
        EXPECT_TRUE(HasLineAndColumn(r.Error, r.FileName, line)) << r.Error;
    }
    const auto missing = LoadFile((Dir / "absent.dae").string());
    EXPECT_TRUE(missing.Raised);
    EXPECT_NE(missing.Error.find("absent.dae"), std::string::npos);
    const auto directory = LoadFile(Dir.string());
    EXPECT_TRUE(directory.Raised);
    EXPECT_NE(directory.Error.find(Dir.string()), std::string::npos);
}

// Names are opaque bytes; only messages escape them.
TEST_F(ErrorTest, OddBytesInNames) {
    const std::string odd = "G\xFF\x01\xC3\xA9";
    auto r = Load(GeometryDocument(Mesh(odd, Source(odd + "-Position", 3, "1 2 3"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Geometry(0).Name, odd);
    EXPECT_EQ(r.Geometry(0).Positions.Count(), 3u);

    r = Load(Marked("<library_geometries><geometry name=\"A\"/>", "<g\xFF\xFE/>", "</library_geometries>"));
    EXPECT_TRUE(r.Raised);
    std::string lower = r.Error;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(lower.find("<g\\xff\\xfe>"), std::string::npos) << r.Error;
}

TEST_F(ErrorTest, DeepNestingLoadsQuickly) {
    const std::string cube = Geometries(Mesh("Cube", Source("Cube-Position", 3, "0 0 0")));
    const std::string documents[] = {
        Collada(cube +
                SceneWith("<node name=\"Deep\">" + Nested("node", 100000) + "</node>" + PlacedNode("N", "#Cube"))),
        Collada(cube + "<extra>" + Nested("extra", 100000) + "</extra>" + SceneWith(PlacedNode("N", "#Cube"))),
        Collada(Geometries("<geometry name=\"G\"><mesh>" + Nested("source", 100000) + "</mesh></geometry>") +
                SceneWith("")),
    };
    for (const std::string& text : documents) {
        const auto start = std::chrono::steady_clock::now();
        const auto r = Load(text);
        EXPECT_TRUE(r.Loaded) << r.Error;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
}

}  // namespace
