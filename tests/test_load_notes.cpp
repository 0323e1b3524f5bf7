// The loader's notes: each code from a small document that triggers it, at the line of the element it
// concerns; recording leaves what is loaded exactly as it is; and the survey reads on past errors that end
// an ordinary load.
#include "LoaderFixture.h"

#include <sstream>

namespace {

template <typename Visit>
void ForEachArray(const TGeometry& g, Visit&& visit) {
    visit(g.Positions);
    visit(g.Normals);
    visit(g.TexCoords);
    visit(g.Colors);
    visit(g.TriangleIndices);
    visit(g.LineIndices);
}

// Everything a load gives, in one text, so that two loads can be compared whole.
std::string Dump(const TLoadResult& result) {
    std::ostringstream out;
    out << result.Loaded << result.Raised << result.Error << "\n";
    for (const auto& g : result.Asset->Geometries->Items) {
        out << g->Name << ":" << g->OutOfRangeIndices << "," << g->DroppedSlots;
        ForEachArray(*g, [&](const auto& array) {
            out << " [";
            for (const auto value : array) out << value << " ";
            out << "]";
        });
        out << "\n";
    }
    for (const auto& n : result.Asset->VisualScenes->Items) {
        out << n->Name << " " << n->GeometryName << " " << n->MaterialSymbol << " " << n->GeometryIndex << " "
            << n->EffectIndex;
        for (const TFloatArray* array : {&n->Position, &n->Rotation, &n->Scale})
            for (const float value : *array) out << " " << value;
        out << "\n";
    }
    for (const auto& e : result.Asset->Effects->Items)
        out << e->Name << " " << e->ImageName << " " << e->ImageIndex << "\n";
    for (std::size_t i = 0; i < result.Asset->Images->Names.size(); ++i)
        out << result.Asset->Images->Names[i] << " " << result.Asset->Images->FileNames[i] << "\n";
    return out.str();
}

class LoadNotesTest : public LoaderTest {
protected:
    // Loads the text with a sink (a survey or not) and without one; both loads must give the same asset.
    TLoadResult LoadNoted(std::string_view text, TLoadNotes& notes) {
        const std::string path = WriteFile(text);
        const std::string without = Dump(LoadFile(path));
        TLoadResult result;
        result.FileName = path;
        result.Asset = std::make_unique<TColladaAsset>(&Document);
        result.Asset->Notes = &notes;
        try {
            result.Loaded = result.Asset->LoadFromFile(path);
        } catch (const TXmlError& error) {
            result.Raised = true;
            result.Error = error.what();
        }
        if (!notes.Survey) {
            EXPECT_EQ(Dump(result), without) << "recording notes changed what was loaded";
        }
        return result;
    }
};

struct TNoteCase {
    const char* Code;
    std::string Document;
    const char* At;  // the text the note's line holds first
};

const std::string Positions = Source("G-Position", 3, "0 0 0");

// A node of the given placement elements, on a line of its own, instancing "G".
std::string NodeOfG(std::string_view name, std::string_view placement) {
    return "\n" + Node(name, std::string(placement) + InstanceGeometry("#G"));
}

// An effect library whose effect, on a line of its own, makes its surface from the named image.
std::string EffectOf(std::string_view name, std::string_view image) {
    return Library("effects", "\n" + Effect(name, SurfaceParam(image)));
}

std::vector<TNoteCase> NoteCases() {
    const std::string scene = SceneWith("");
    return {
        {"source-id", GeometryDocument(Mesh("G", "\n" + Source("g-Position", 3, "0 0 0"))), "<source id=\"g-"},
        {"source-after", GeometryDocument(Mesh("G", Positions + "<vertices id=\"v\"/>\n" + Source("G-UV", 2, "0 0"))),
         "<source id=\"G-UV"},
        {"no-mesh", GeometryDocument("\n<geometry name=\"G\"/>"), "<geometry name"},
        {"no-source", GeometryDocument("\n" + Mesh("G", "")), "<geometry"},
        {"no-p", GeometryDocument(Mesh("G", Positions + "\n<triangles count=\"1\"><input/></triangles>")),
         "<triangles"},
        {"no-streams",
         GeometryDocument(Mesh("G", Source("x", 3, "0 0 0") + "\n" + Primitive("triangles", 1, 1, "0 0 0"))),
         "<triangles"},
        {"slot-mismatch",
         GeometryDocument(
             Mesh("G", Positions + Source("G-Normals", 3, "0 0 1") + "\n" + Primitive("triangles", 1, 1, "0 0 0"))),
         "<triangles"},
        {"polylist-only", GeometryDocument("\n" + Mesh("G", Positions + "<polylist count=\"1\"/>")), "<geometry"},
        {"no-primitive", GeometryDocument("\n" + Mesh("G", Positions)), "<geometry"},
        {"extra-primitive",
         GeometryDocument(Mesh("G", Positions + "\n" + Primitive("triangles", 1, 1, "0 0 0") +
                                        Primitive("triangles", 1, 1, "0 0 0") + Primitive("lines", 1, 1, "0 0"))),
         "<triangles"},
        {"index-range", GeometryDocument(Mesh("G", Positions + "\n" + Primitive("triangles", 1, 1, "0 0 5"))),
         "<triangles"},
        {"dropped-slots",
         GeometryDocument(Mesh("G", Source("G-Position", 6, "0 0 0 1 1 1") + Source("G-Normals", 3, "0 0 1") + "\n" +
                                        Primitive("triangles", 1, 1, "0 1 0"))),
         "<triangles"},
        {"read-as-geometry", GeometryDocument(Mesh("G", "") + "\n<extra name=\"X\"/>"), "<extra"},
        {"read-as-effect",
         Collada("<library_effects><effect name=\"E\"/>\n<extra name=\"X\"/></library_effects>" + Geometries("") +
                 scene),
         "<extra"},
        {"no-scene", Collada(Geometries("") + "\n<library_visual_scenes/>"), "<library_visual_scenes"},
        {"extra-scene",
         Collada(Geometries("") + "<library_visual_scenes><visual_scene/>\n<visual_scene id=\"B\"><node/>"
                                  "</visual_scene></library_visual_scenes>"),
         "<visual_scene id=\"B\""},
        {"nested-node", Collada(Geometries("") + SceneWith("\n" + Node("Group", NodeOfG("Inner", "")))),
         "<node name=\"Group\""},
        {"matrix-node", Collada(Geometries("") + SceneWith(NodeOfG("M", "<matrix/>"))), "<node name=\"M\""},
        {"no-translate", Collada(Geometries("") + SceneWith(NodeOfG("T", "<rotate/>"))), "<node name=\"T\""},
        {"no-scale", Collada(Geometries("") + SceneWith(NodeOfG("S", "<translate/>"))), "<node name=\"S\""},
        {"rotate-order",
         Collada(Geometries("") +
                 SceneWith(NodeOfG("R", "<translate/><rotate>0 0 1 5</rotate>\n<scale>1 1 1</scale>"))),
         "<scale>1"},
        {"rotate-axis",
         Collada(Geometries("") + SceneWith(NodeOfG("A",
                                                    "<translate/><rotate>0 0 1 5</rotate>\n<rotate>1 0 0 7</rotate>"
                                                    "<rotate>1 0 0 0</rotate><scale/>"))),
         "<rotate>1 0 0 7"},
        {"geometry-link", Collada(Geometries("") + SceneWith("\n" + PlacedNode("N", "#Nothing"))), "<node name=\"N\""},
        {"effect-link",
         Collada(EffectOf("Wood", "") + Geometries("") + SceneWith("\n" + PlacedNode("N", "#G", "Wood"))),
         "<node name=\"N\""},
        {"image-link", Collada(EffectOf("Wood-fx", "Picture") + Geometries("") + scene), "<effect"},
        {"no-library", Collada(Geometries("")), "<COLLADA"},
    };
}

TEST_F(LoadNotesTest, EachCodeFromADocumentThatTriggersIt) {
    for (const TNoteCase& test : NoteCases()) {
        SCOPED_TRACE(test.Code);
        TLoadNotes notes;
        LoadNoted(test.Document, notes);
        const TLoadNote* found = nullptr;
        for (const TLoadNote& note : notes.Items)
            if (note.Code == test.Code && !found) found = &note;
        ASSERT_NE(found, nullptr) << test.Document;
        EXPECT_EQ(found->Line, LineOf(test.Document, test.At)) << found->Message;
        EXPECT_FALSE(found->Element.empty());
        EXPECT_FALSE(found->Message.empty());
        EXPECT_FALSE(found->AfterFailure);
    }
}

TEST_F(LoadNotesTest, DocumentsThatFollowTheRulesGiveNoNotes) {
    TLoadNotes notes;
    const auto r =
        LoadNoted(Collada(EffectOf("Wood-fx", "I") + Library("images", Image("I", "w.bmp")) +
                          Geometries(Mesh("G", Positions + Source("G-Normals", 3, "0 0 1") + "<vertices id=\"v\"/>" +
                                                   Primitive("triangles", 1, 2, "0 0 0 0 0 0"))) +
                          SceneWith(PlacedNode("N", "#G", "Wood"))),
                  notes);
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_TRUE(r.Asset->Draws(r.Node(0)));
    for (const TLoadNote& note : notes.Items) ADD_FAILURE() << note.Code << ": " << note.Message;
}

// The notes name what a reading rule leaves out, and their counts are those the loader used.
TEST_F(LoadNotesTest, MessagesCountWhatTheLoaderCounted) {
    TLoadNotes notes;
    LoadNoted(GeometryDocument(Mesh("G", Positions + Source("G-Normals", 3, "0 0 1") +
                                             Primitive("triangles", 1, 3, "0 0 0 0 0 0 9 9 9") +
                                             "<polygons count=\"2\"/><polygons/>")),
              notes);
    std::string all;
    for (const TLoadNote& note : notes.Items) all += note.Code + ": " + note.Message + "\n";
    EXPECT_NE(all.find("slot-mismatch: of geometry \"G\" has 3 <input> element(s), so each corner is read as 3 index "
                       "slot(s), but 2 stream(s)"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("extra-primitive: geometry \"G\": only its first <triangles> is read; the rest (2 <polygons>)"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("index-range: 2 index slot(s)"), std::string::npos) << all;
    EXPECT_NE(all.find("dropped-slots: the last 1 index slot(s)"), std::string::npos) << all;
}

// A load links both ways in one pass; its notes and indices are those of the two passes run one after the other.
TEST_F(LoadNotesTest, OnePassLinksAsTheTwoPassesDo) {
    std::string nodes;
    const char* links[][2] = {{"#G", "a"}, {"#X", "b"}, {"#G", "c"}, {"#Y", ""}, {"#G", "b"}, {"#Z", "a"}};
    for (std::size_t i = 0; i < std::size(links); ++i)
        nodes += "\n" + PlacedNode("n" + std::to_string(i), links[i][0], links[i][1]);
    const std::string document =
        Collada(Library("effects", Effect("a-fx", "") + Effect("b", "")) +
                Geometries(Mesh("G", Positions + Primitive("triangles", 1, 1, "0 0 0"))) + SceneWith(nodes));
    TLoadNotes notes;
    const TLoadResult loaded = LoadNoted(document, notes);
    ASSERT_TRUE(loaded.Loaded) << loaded.Error;
    const auto summary = [](const TColladaAsset& asset, const TLoadNotes& made) {
        std::string text;
        for (const auto& node : asset.VisualScenes->Items)
            text +=
                node->Name + " " + std::to_string(node->GeometryIndex) + " " + std::to_string(node->EffectIndex) + "\n";
        for (const TLoadNote& note : made.Items) text += std::to_string(note.Line) + " " + note.Code + "\n";
        return text;
    };
    const std::string onePass = summary(*loaded.Asset, notes);
    EXPECT_EQ(onePass,
              "n0 0 0\nn1 -1 -1\nn2 0 -1\nn3 -1 -1\nn4 0 -1\nn5 -1 0\n"
              "5 geometry-link\n7 geometry-link\n9 geometry-link\n5 effect-link\n6 effect-link\n8 effect-link\n");
    notes.Items.clear();
    for (const auto& node : loaded.Asset->VisualScenes->Items) node->GeometryIndex = node->EffectIndex = 7;
    loaded.Asset->LinkNodeGeometries();
    loaded.Asset->LinkNodeEffects();
    EXPECT_EQ(summary(*loaded.Asset, notes), onePass);
}

const std::string Blocked = Collada(
    Library("effects", "\n<effect id=\"E\"/>\n<effect name=\"F-fx\"/>") + "\n" +
    Library("images",
            Image("I", "a.bmp") + "\n<image name=\"J\"><init_from><x/></init_from></image>" + Image("K", "k.jpg")) +
    "\n" +
    Geometries("<geometry id=\"G\"/>\n" + Mesh("H", Positions + "<triangles><input/><p>0</p></triangles>") + "\n" +
               Mesh("L", Source("L-Position", 3, "0 0 0") + Primitive("triangles", 1, 1, "0 0 0"))) +
    "\n" +
    SceneWith(PlacedNode("N", "#L", "F") + "\n<node><instance_geometry url=\"#L\"/></node>\n" + PlacedNode("P", "#H")));

TEST_F(LoadNotesTest, OrdinaryLoadStillFailsAtTheFirstError) {
    TLoadNotes notes;
    const auto r = LoadNoted(Blocked, notes);
    ExpectErrorAt(r, 4, "effect", "has no attribute \"name\"");
    EXPECT_TRUE(notes.Items.empty());
}

TEST_F(LoadNotesTest, SurveyRecordsEveryErrorAndReadsOn) {
    TLoadNotes notes;
    notes.Survey = true;
    const auto r = LoadNoted(Blocked, notes);
    EXPECT_FALSE(r.Raised) << r.Error;
    std::vector<std::pair<int, std::string>> errors;
    for (const TLoadNote& note : notes.Items)
        if (note.Code == "error") errors.emplace_back(note.Line, note.Element + " " + note.Message);
    EXPECT_EQ(errors, (std::vector<std::pair<int, std::string>>{
                          {4, "<effect> has no attribute \"name\""},
                          {7, "<init_from> holds more than a single text"},
                          {8, "<geometry> has no attribute \"name\""},
                          {9, "<triangles> has no attribute \"count\""},
                          {LineOf(Blocked, "<node><instance"), "<node> has no attribute \"name\""}}));
    EXPECT_FALSE(notes.Items.front().AfterFailure);
    for (std::size_t i = 1; i < notes.Items.size(); ++i)
        EXPECT_TRUE(notes.Items[i].AfterFailure) << notes.Items[i].Code;

    // A failed effect or image is left out; a geometry or node without its name is read on with an empty one,
    // which links to nothing. Everything after is read and linked.
    ASSERT_EQ(r.Asset->Effects->Items.Count(), 1);
    EXPECT_EQ(r.Asset->Images->Names, (std::vector<std::string>{"I", "K"}));
    EXPECT_EQ(r.Asset->Images->FileNames, (std::vector<std::string>{"a.bmp", "k.jpg"}));
    ASSERT_EQ(r.Asset->Geometries->Items.Count(), 3);
    EXPECT_EQ(r.Geometry(0).Name, "");
    EXPECT_TRUE(r.Geometry(1).TriangleIndices.Empty()) << "the failed <triangles> reads nothing";
    ASSERT_EQ(r.Asset->VisualScenes->Items.Count(), 3);
    EXPECT_EQ(r.Node(0).GeometryIndex, 2);
    EXPECT_EQ(r.Node(0).EffectIndex, 0);
    EXPECT_TRUE(r.Asset->Draws(r.Node(0)));
    EXPECT_EQ(r.Node(1).Name, "");
    EXPECT_EQ(r.Node(2).Name, "P");
    EXPECT_FALSE(r.Asset->Draws(r.Node(2)));
}

TEST_F(LoadNotesTest, SurveyGoesOnWithoutARequiredLibrary) {
    TLoadNotes notes;
    notes.Survey = true;
    const auto r = LoadNoted(Collada(SceneWith("\n" + PlacedNode("N", "#G"))), notes);
    EXPECT_FALSE(r.Loaded);
    ASSERT_EQ(notes.Items.size(), 2u);
    EXPECT_EQ(notes.Items[0].Code, "no-library");
    EXPECT_EQ(notes.Items[0].Message, "has no <library_geometries>");
    EXPECT_EQ(notes.Items[1].Code, "geometry-link");
    EXPECT_EQ(notes.Items[1].Line, 4);
    EXPECT_TRUE(notes.Items[1].AfterFailure);
}

}  // namespace
