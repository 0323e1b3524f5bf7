// Malformed documents name the file, the line and the element, as the engine's loader's errors do; what is
// left out is noted with its line and element; real exporters' documents that small ones cannot stand for.
#include "ColladaReaderFixture.h"

namespace {

void ExpectErrorAt(const TReadResult& r, const std::string& text, std::string_view needle, std::string_view element,
                   std::string_view what) {
    ASSERT_TRUE(r.Raised) << "no error for " << needle;
    const std::string prefix =
        r.FileName + ":" + std::to_string(LineNumber(text, needle)) + ": <" + std::string(element) + "> ";
    EXPECT_EQ(r.Error.rfind(prefix, 0), 0u) << r.Error << "\nexpected prefix: " << prefix;
    EXPECT_NE(r.Error.find(what), std::string::npos) << r.Error;
}

std::string Placed() { return "<node><instance_geometry url=\"#square\"/></node>"; }

std::string WithBlock(const std::string& block) {
    return DocumentText("<library_geometries>\n" + SquareGeometry(block) + "</library_geometries>\n", Placed());
}

TEST_F(ColladaReaderTest, MalformedDocumentsNameFileLineAndElement) {
    struct TCase {
        std::string Text, Needle, Element, What;
    };
    const TCase cases[] = {
        {WithBlock("<triangles count=\"2\">\n<input source=\"#verts\" offset=\"0\"/><p>0 1 2</p></triangles>"),
         "<input source", "input", "has no attribute \"semantic\""},
        {WithBlock("<triangles count=\"1\"><input semantic=\"NORMAL\" source=\"#nrm\" offset=\"1\"/>\n<input "
                   "semantic=\"VERTEX\" source=\"#verts\" offset=\"0\"/><p>0 0 1 0 2 0</p></triangles>"),
         "<triangles", "input", "links to the source \"#nrm\""},
        {WithBlock("<triangles count=\"400000000\">\n<input semantic=\"VERTEX\" source=\"#verts\" "
                   "offset=\"0\"/><p>0 1 2</p></triangles>"),
         "<triangles count=\"400000000\"", "triangles", "declares 1200000000 values"},
        {WithBlock("<triangles count=\"400000000\">\n<input semantic=\"VERTEX\" source=\"#verts\" offset=\"0\"/>"
                   "<input semantic=\"NORMAL\" source=\"#pos\" offset=\"1\"/><p>0 1 2</p></triangles>"),
         "<triangles count=\"400000000\"", "triangles", "more than 32-bit indexing allows"},
        {WithBlock("<polylist count=\"2\"><input semantic=\"VERTEX\" source=\"#verts\" offset=\"0\"/>\n<vcount>3 "
                   "-3</vcount><p>0 1 2</p></polylist>"),
         "<vcount>", "vcount", "gives a polygon -3 corners"},
        {DocumentText("<library_geometries><geometry id=\"square\"><mesh>\n<source id=\"pos\"><float_array "
                      "count=\"3\">0 0 0</float_array></source><vertices id=\"v\"><input semantic=\"POSITION\" "
                      "source=\"#pos\"/></vertices><triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" "
                      "offset=\"0\"/><p>0 0 0</p></triangles></mesh></geometry></library_geometries>",
                      Placed()),
         "<source id=\"pos\">", "source", "has no <technique_common> with an <accessor>"},
        {DocumentText("<library_geometries><geometry id=\"square\"><mesh>" + SourceText("pos", "0 0 0", 1, "XYZ") +
                          "</mesh></geometry></library_geometries>",
                      "<node>\n<instance_geometry/></node>"),
         "<instance_geometry/>", "instance_geometry", "has no attribute \"url\""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Needle);
        ExpectErrorAt(Read(c.Text), c.Text, c.Needle, c.Element, c.What);
    }
}

TEST_F(ColladaReaderTest, WhatIsLeftOutIsNotedWithItsLine) {
    const std::string text =
        "<?xml version=\"1.0\"?>\n<NOTCOLLADA>\n<library_animations/>\n<library_lights/>\n"
        "<library_geometries>" +
        SquareGeometry(TrianglesOfSquare()) +
        "</library_geometries><library_visual_scenes><visual_scene id=\"s\"><node>"
        "<instance_geometry url=\"#square\"/>\n<instance_node url=\"other.dae#n\"/>"
        "</node></visual_scene></library_visual_scenes></NOTCOLLADA>";
    const auto r = Read(text);
    ASSERT_FALSE(r.Raised) << r.Error;
    EXPECT_EQ(r.Scene.Instances.size(), 1u);  // whatever the root is named
    std::vector<std::pair<std::string, int>> found;
    for (const TLoadNote& note : r.Notes.Items) found.emplace_back(note.Element, note.Line);
    const std::vector<std::pair<std::string, int>> expected{
        {"<library_animations>", 3}, {"<library_lights>", 4}, {"<instance_node>", LineNumber(text, "<instance_node")}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(r.Notes.Items[2].Code, "external-link");
}

TEST_F(ColladaReaderTest, RealExportersDocuments) {
    struct TExpected {
        const char* File;
        std::size_t Triangles;
        std::size_t Instances;
    };
    // Counted from each file's text apart from this reader (quads as two triangles): clock's <scene> names its
    // third visual scene, whose one node holds 8 triangles and 102 quads; sphere mixes <triangles> and
    // <polygons>; jenga keeps its normals in <vertices>; gem places its mesh through <instance_node> under a
    // <matrix>; arm_segment_a binds two materials to the blocks of one geometry.
    const TExpected files[] = {{"c3dl/clock.dae", 212, 2},
                               {"c3dl/sphere.dae", 1984, 2},
                               {"bullet/jenga.dae", 4874, 73},
                               {"other/gem.dae", 720, 1},
                               {"bullet/arm_segment_a.dae", 1536, 2}};
    for (const TExpected& file : files) {
        SCOPED_TRACE(file.File);
        const auto r = ReadFile(std::string(REALWORLD_DIR) + "/" + file.File);
        ASSERT_FALSE(r.Raised) << r.Error;
        std::size_t triangles = 0;
        for (const TModelInstance& instance : r.Scene.Instances)
            triangles += r.Scene.Meshes[static_cast<std::size_t>(instance.Mesh)].Indices.size() / 3;
        EXPECT_EQ(triangles, file.Triangles);
        EXPECT_EQ(r.Scene.Instances.size(), file.Instances);
    }
    const auto arm = ReadFile(std::string(REALWORLD_DIR) + "/bullet/arm_segment_a.dae");
    ASSERT_EQ(arm.Scene.Materials.size(), 2u);
    EXPECT_NE(arm.Scene.Meshes[0].Material, arm.Scene.Meshes[1].Material);
}

}  // namespace
