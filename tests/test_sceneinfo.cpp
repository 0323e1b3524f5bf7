// The sceneinfo tool, run as a user runs it: exit status, the JSON it prints, and the warnings it gives.
#include "LoaderFixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// A strict JSON reader, enough to check that the output is valid JSON and to look values up.
struct TJson {
    enum class EKind { Null, Bool, Number, String, Array, Object } Kind = EKind::Null;
    bool Bool = false;
    std::string Text;  // a string's value, or a number's text as printed
    std::vector<TJson> Items;
    std::vector<std::pair<std::string, TJson>> Members;

    const TJson& operator[](std::string_view key) const {
        for (const auto& [name, value] : Members)
            if (name == key) return value;
        throw std::out_of_range("no key " + std::string(key));
    }
    const TJson& operator[](std::size_t i) const { return Items.at(i); }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const auto& member : Members) keys.push_back(member.first);
        return keys;
    }
    bool IsNull() const { return Kind == EKind::Null; }
    float Float() const { return std::strtof(Text.c_str(), nullptr); }
    int Int() const { return std::stoi(Text); }
};

class TJsonParser {
public:
    explicit TJsonParser(std::string_view text) : Text(text) {}
    TJson Document() {
        TJson value = Value();
        Space();
        if (At != Text.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("invalid JSON at " + std::to_string(At) + ": " + what);
    }
    void Space() {
        while (At < Text.size() && (Text[At] == ' ' || Text[At] == '\n' || Text[At] == '\t' || Text[At] == '\r')) ++At;
    }
    bool Take(std::string_view word) {
        if (Text.substr(At, word.size()) != word) return false;
        At += word.size();
        return true;
    }
    TJson Value() {
        Space();
        TJson value;
        if (Take("null")) return value;
        if (Take("true") || Take("false")) {
            value.Kind = TJson::EKind::Bool;
            value.Bool = Text[At - 1] == 'e' && Text[At - 2] == 'u';
            return value;
        }
        if (At >= Text.size()) Fail("end of text");
        if (Text[At] == '"') {
            value.Kind = TJson::EKind::String;
            value.Text = String();
        } else if (Text[At] == '[') {
            value.Kind = TJson::EKind::Array;
            ++At;
            Space();
            if (!Take("]")) do
                    value.Items.push_back(Value());
                while (Separator(']'));
        } else if (Text[At] == '{') {
            value.Kind = TJson::EKind::Object;
            ++At;
            Space();
            if (!Take("}")) do {
                    Space();
                    if (At >= Text.size() || Text[At] != '"') Fail("key expected");
                    std::string key = String();
                    Space();
                    if (!Take(":")) Fail("colon expected");
                    value.Members.emplace_back(key, Value());
                } while (Separator('}'));
        } else {
            value.Kind = TJson::EKind::Number;
            const std::size_t start = At;
            if (At < Text.size() && Text[At] == '-') ++At;
            if (At >= Text.size() || !std::isdigit(static_cast<unsigned char>(Text[At]))) Fail("value expected");
            while (At < Text.size() && std::string_view("0123456789.eE+-").find(Text[At]) != std::string_view::npos)
                ++At;
            value.Text = std::string(Text.substr(start, At - start));
        }
        return value;
    }
    bool Separator(char close) {
        Space();
        if (Take(",")) return true;
        if (!Take(std::string_view(&close, 1))) Fail("separator expected");
        return false;
    }
    std::string String() {
        ++At;
        std::string out;
        while (true) {
            if (At >= Text.size()) Fail("unterminated string");
            const char c = Text[At++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("raw control byte in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = At < Text.size() ? Text[At++] : '\0';
            switch (e) {
            case '"':
            case '\\':
            case '/': out += e; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                const unsigned long code = std::stoul(std::string(Text.substr(At, 4)), nullptr, 16);
                At += 4;
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default: Fail("unknown escape");
            }
        }
    }

    std::string_view Text;
    std::size_t At = 0;
};

struct TRun {
    int Status = -1;
    std::string Output;
};

class SceneInfoTest : public LoaderTest {
protected:
    // Runs sceneinfo in the test's directory with the given arguments (already shell-quoted as needed).
    TRun Run(const std::string& arguments) const {
        const std::string command =
            "cd '" + Dir.string() + "' && '" + std::string(TOOLS_BIN_DIR) + "/sceneinfo' " + arguments + " 2>/dev/null";
        TRun run;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        std::size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Output.append(buffer, read);
        const int status = pclose(pipe);
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    TJson RunJson(std::string_view document, const std::string& options, int expectedStatus) {
        WriteFile(document);
        const TRun run = Run(options + " --json scene.dae");
        EXPECT_EQ(run.Status, expectedStatus) << run.Output;
        try {
            return TJsonParser(run.Output).Document();
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what() << "\n" << run.Output;
            return TJson();
        }
    }
    static bool HasWarning(const TJson& report, std::initializer_list<std::string_view> parts) {
        for (const TJson& warning : report["warnings"].Items) {
            bool all = true;
            for (std::string_view part : parts) all = all && warning.Text.find(part) != std::string::npos;
            if (all) return true;
        }
        return false;
    }
};

const std::string Textured = Collada(
    "<library_effects><effect name=\"Wood-fx\"><profile_COMMON><newparam><surface><init_from>WoodImage"
    "</init_from></surface></newparam></profile_COMMON></effect></library_effects>"
    "<library_images><image name=\"WoodImage\"><init_from>wood.bmp</init_from></image></library_images>" +
    Geometries(Mesh("Box", Source("Box-Position", 9, "0 0 0 1 0 0 0.1 1e-7 3.4028235e38") +
                               Source("Box-UV", 6, "0 0 1 0 0 1") +
                               "<vertices id=\"Box-Vertex\"><input semantic=\"POSITION\" source=\"#Box-Position\"/>"
                               "</vertices><triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#Box-Vertex\" "
                               "offset=\"0\"/><input semantic=\"TEXCOORD\" source=\"#Box-UV\" offset=\"1\" set=\"0\"/>"
                               "<p>0 0 1 1 2 2</p></triangles>")) +
    SceneWith(PlacedNode("Table", "#Box", "Wood")));

TEST_F(SceneInfoTest, JsonOfALoadedScene) {
    WriteFile("BM", "wood.bmp");
    const TJson report = RunJson(Textured, "", 0);
    EXPECT_EQ(report.Keys(),
              (std::vector<std::string>{"file", "loaded", "error", "geometries", "nodes", "effects", "images",
                                        "warnings", "notes", "summary", "opened", "openError"}));
    // The loader reads it with no note: the programs draw it through the loader, its one triangle textured.
    EXPECT_EQ(report["opened"]["reader"].Text, "engine");
    EXPECT_EQ(report["opened"]["nodes"].Int(), 1);
    EXPECT_EQ(report["opened"]["triangles"].Int(), 1);
    EXPECT_EQ(report["file"].Text, "scene.dae");
    EXPECT_TRUE(report["loaded"].Bool);
    EXPECT_TRUE(report["error"].IsNull());
    const TJson& box = report["geometries"][0];
    EXPECT_EQ(box.Keys(), (std::vector<std::string>{"name", "counts"}));
    EXPECT_EQ(box["name"].Text, "Box");
    EXPECT_EQ(box["counts"].Keys(), (std::vector<std::string>{"positions", "normals", "texcoords", "colors", "attrib1",
                                                              "attrib2", "triangleIndices", "lineIndices"}));
    EXPECT_EQ(box["counts"]["positions"].Int(), 9);
    EXPECT_EQ(box["counts"]["texcoords"].Int(), 6);
    EXPECT_EQ(box["counts"]["normals"].Int(), 0);
    EXPECT_EQ(box["counts"]["triangleIndices"].Int(), 3);
    const TJson& node = report["nodes"][0];
    EXPECT_EQ(node.Keys(), (std::vector<std::string>{"name", "position", "rotation", "scale", "geometryName",
                                                     "geometryIndex", "materialSymbol", "effectIndex"}));
    EXPECT_EQ(node["name"].Text, "Table");
    EXPECT_EQ(node["rotation"][0].Float(), 10.0f);
    EXPECT_EQ(node["rotation"][2].Float(), 30.0f);
    EXPECT_EQ(node["position"].Items.size(), 3u);
    EXPECT_EQ(node["geometryName"].Text, "Box");
    EXPECT_EQ(node["geometryIndex"].Int(), 0);
    EXPECT_EQ(node["materialSymbol"].Text, "Wood");
    EXPECT_EQ(node["effectIndex"].Int(), 0);
    const TJson& effect = report["effects"][0];
    EXPECT_EQ(effect.Keys(), (std::vector<std::string>{"name", "imageName", "imageIndex"}));
    EXPECT_EQ(effect["imageIndex"].Int(), 0);
    EXPECT_EQ(report["images"][0].Keys(), (std::vector<std::string>{"name", "fileName"}));
    EXPECT_EQ(report["images"][0]["fileName"].Text, "wood.bmp");
    EXPECT_TRUE(report["warnings"].Items.empty()) << report["warnings"][0].Text;
    EXPECT_TRUE(report["notes"].Items.empty());
    const TJson& summary = report["summary"];
    EXPECT_EQ(summary.Keys(), (std::vector<std::string>{"loaded", "nodes", "nodesDrawn", "otherConventions",
                                                        "importCommand", "causes"}));
    EXPECT_TRUE(summary["loaded"].Bool);
    EXPECT_EQ(summary["nodes"].Int(), 1);
    EXPECT_EQ(summary["nodesDrawn"].Int(), 1);
    EXPECT_FALSE(summary["otherConventions"].Bool);
    EXPECT_TRUE(summary["importCommand"].IsNull());
    EXPECT_TRUE(summary["causes"].Items.empty());
}

TEST_F(SceneInfoTest, ArraysReadBackAsTheSameFloats) {
    const TJson report = RunJson(Textured, "--arrays", 0);
    const TJson& arrays = report["geometries"][0]["arrays"];
    EXPECT_EQ(arrays.Keys(), (std::vector<std::string>{"positions", "normals", "texcoords", "colors", "attrib1",
                                                       "attrib2", "triangleIndices", "lineIndices"}));
    const TJson& positions = arrays["positions"];
    ASSERT_EQ(positions.Items.size(), 9u);
    // Corners use positions 0, 1, 2: the last is 0.1, 1e-7, 3.4028235e38.
    EXPECT_EQ(positions[6].Float(), 0.1f);
    EXPECT_EQ(positions[7].Float(), 1e-7f);
    EXPECT_EQ(positions[8].Float(), 3.4028235e38f);
    EXPECT_EQ(arrays["triangleIndices"][2].Int(), 2);
    EXPECT_TRUE(arrays["normals"].Items.empty());
}

TEST_F(SceneInfoTest, FailedLoadShowsWhatWasRead) {
    const std::string text = Collada(Geometries(Mesh("Box", Source("Box-Position", 3, "1 2 3"))) +
                                     "<library_visual_scenes><visual_scene>" + PlacedNode("A", "#Box") +
                                     "\n<node><instance_geometry url=\"#Box\"/></node></visual_scene>"
                                     "</library_visual_scenes>");
    const TJson report = RunJson(text, "", 1);
    EXPECT_FALSE(report["loaded"].Bool);
    EXPECT_EQ(report["error"].Text, "scene.dae:4: <node> has no attribute \"name\"");
    EXPECT_EQ(report["geometries"].Items.size(), 1u);
    ASSERT_EQ(report["nodes"].Items.size(), 1u);
    EXPECT_EQ(report["nodes"][0]["geometryName"].Text, "Box");
    EXPECT_TRUE(report["nodes"][0]["geometryIndex"].IsNull());
    EXPECT_TRUE(report["nodes"][0]["effectIndex"].IsNull());

    const TJson noScenes = RunJson(Collada(Geometries("")), "", 1);
    EXPECT_EQ(noScenes["error"].Text, "scene.dae:2: <COLLADA> has no <library_visual_scenes>");
    const TJson malformed = RunJson("<COLLADA>\n<a>", "", 1);
    EXPECT_EQ(malformed["error"].Text.rfind("scene.dae:2:", 0), 0u) << malformed["error"].Text;
}

TEST_F(SceneInfoTest, UsageErrors) {
    WriteFile(Textured);
    EXPECT_EQ(Run("").Status, 2);
    EXPECT_EQ(Run("--jsn scene.dae").Status, 2);
    EXPECT_EQ(Run("scene.dae scene.dae").Status, 2);
    EXPECT_EQ(Run("--json").Status, 2);
    EXPECT_EQ(Run("missing.dae").Status, 1);
    EXPECT_EQ(Run("--arrays -- scene.dae").Status, 0);
}

TEST_F(SceneInfoTest, TextNamesWhatWasRead) {
    WriteFile(Textured);
    const TRun run = Run("--arrays scene.dae");
    EXPECT_EQ(run.Status, 0);
    for (const char* part : {"Loaded: 1 of 1 node will be drawn", "\"Box\": 1 triangle, positions 3 (9 numbers)",
                             "texcoords 3 (6 numbers)", "\"Table\" (drawn)", "rotation about x 10, y 20, z 30 degrees",
                             "\"Wood-fx\"", "texture-missing 1, first at line 3",
                             "\"wood.bmp\" (of node \"Table\") is not found", "0.1 1e-07 3.4028235e+38"})
        EXPECT_NE(run.Output.find(part), std::string::npos) << part << "\n" << run.Output;
}

TEST_F(SceneInfoTest, NotesCarryCodeLineAndElement) {
    const std::string unread = "\n<polylist count=\"1\"><input/><p>0</p></polylist>";
    const std::string text = Collada(Geometries(Mesh("Poly", Source("Poly-Position", 3, "0 0 0") + unread)) +
                                     SceneWith("\n<node name=\"M\"><matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</matrix>"
                                               "<instance_geometry url=\"#Poly\"/></node>"));
    const TJson report = RunJson(text, "", 0);
    ASSERT_EQ(report["notes"].Items.size(), 2u);
    const TJson& polylist = report["notes"][0];
    EXPECT_EQ(polylist.Keys(), (std::vector<std::string>{"code", "line", "element", "message", "afterFailure"}));
    EXPECT_EQ(polylist["code"].Text, "polylist-only");
    EXPECT_EQ(polylist["line"].Int(), LineOf(text, "<mesh>"));
    EXPECT_EQ(polylist["element"].Text, "<mesh>");
    EXPECT_NE(polylist["message"].Text.find("1 <polylist>"), std::string::npos) << polylist["message"].Text;
    EXPECT_FALSE(polylist["afterFailure"].Bool);
    EXPECT_EQ(report["notes"][1]["code"].Text, "matrix-node");
    EXPECT_EQ(report["notes"][1]["line"].Int(), LineOf(text, "<node name=\"M\""));
    EXPECT_EQ(report["warnings"][1].Text.rfind("line " + std::to_string(LineOf(text, "<node")) + ": ", 0), 0u);

    const TJson& summary = report["summary"];
    EXPECT_EQ(summary["nodesDrawn"].Int(), 0);
    EXPECT_TRUE(summary["otherConventions"].Bool);
    EXPECT_EQ(summary["importCommand"].Text, "sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae");
    ASSERT_EQ(summary["causes"].Items.size(), 2u);
    EXPECT_EQ(summary["causes"][1]["code"].Text, "matrix-node");
    EXPECT_EQ(summary["causes"][1]["count"].Int(), 1);
    EXPECT_EQ(summary["causes"][1]["firstLine"].Int(), LineOf(text, "<node"));
}

// Texture files are judged as the programs will find and decode them: one that is missing, and one that holds
// no image the decoders read, both draw untextured.
TEST_F(SceneInfoTest, TextureFilesThatGiveNoTexture) {
    auto document = [](std::string_view file) {
        return Collada(
            "<library_effects><effect name=\"W-fx\"><profile_COMMON><newparam><surface><init_from>I"
            "</init_from></surface></newparam></profile_COMMON></effect></library_effects>"
            "<library_images><image name=\"I\"><init_from>" +
            std::string(file) + "</init_from></image></library_images>" + Geometries(Mesh("G", "")) +
            SceneWith("\n" + PlacedNode("A", "#G", "W") + PlacedNode("B", "#G", "W")));
    };
    auto codes = [](const TJson& report) {
        std::vector<std::string> found;
        for (const TJson& note : report["notes"].Items)
            if (note["code"].Text.rfind("texture-", 0) == 0) found.push_back(note["code"].Text);
        return found;
    };
    WriteFile("PNG", "wood.png");
    WriteFile("BM", "wood.BMP");
    const TJson png = RunJson(document("wood.png"), "", 0);
    EXPECT_EQ(codes(png), (std::vector<std::string>{"texture-format"})) << "one note for a file two nodes use";
    EXPECT_EQ(png["notes"][1]["line"].Int(), LineOf(document("wood.png"), "<node"));
    EXPECT_EQ(codes(RunJson(document("wood.BMP"), "", 0)), std::vector<std::string>{});
    EXPECT_EQ(codes(RunJson(document("gone.jpg"), "", 0)), (std::vector<std::string>{"texture-missing"}));
    // A file is judged by what it holds, not by its name.
    const std::vector<unsigned char> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    WriteFile(std::string(signature.begin(), signature.end()), "named.bmp");
    EXPECT_EQ(codes(RunJson(document("named.bmp"), "", 0)), std::vector<std::string>{});
}

// A document that fails on its first nameless element: the survey goes on and finds every other blocker,
// including the links and textures that only a completed read can check.
TEST_F(SceneInfoTest, SurveyPastTheFailureFindsEveryBlocker) {
    const std::string text = Collada(
        "<library_effects>\n<effect id=\"E\"/>\n<effect id=\"F\"/></library_effects>\n" +
        Geometries("<geometry id=\"G\"><mesh/></geometry>\n" +
                   Mesh("H", Source("H-positions", 3, "0 0 0") + "<triangles count=\"1\"><input/><p>0 0 0</p>"
                                                                 "</triangles>")) +
        "\n" +
        SceneWith(PlacedNode("N", "#H", "E") + "\n<node name=\"M\"><matrix/><instance_geometry url=\"#H\"/></node>"));
    const TJson report = RunJson(text, "", 1);
    EXPECT_EQ(report["error"].Text, "scene.dae:4: <effect> has no attribute \"name\"");
    std::vector<std::pair<std::string, int>> after;
    for (const TJson& note : report["notes"].Items) {
        EXPECT_TRUE(note["afterFailure"].Bool) << note["message"].Text;
        after.emplace_back(note["code"].Text, note["line"].Int());
    }
    const int effects = LineOf(text, "<effect id=\"F\""), geometries = LineOf(text, "<library_geometries>");
    const int mesh = LineOf(text, "<geometry id=\"H\"");
    const int scene = LineOf(text, "<library_visual_scenes>"), matrix = LineOf(text, "<node name=\"M\"");
    EXPECT_EQ(after, (std::vector<std::pair<std::string, int>>{{"error", effects},
                                                               {"error", geometries},
                                                               {"no-source", geometries},
                                                               {"source-id", mesh},
                                                               {"no-streams", mesh},
                                                               {"matrix-node", matrix},
                                                               {"effect-link", scene}}));
    EXPECT_TRUE(report["geometries"].Items.empty()) << "the asset shows what the load itself read";
    EXPECT_FALSE(report["summary"]["loaded"].Bool);
    EXPECT_TRUE(report["summary"]["otherConventions"].Bool);

    WriteFile(text);
    const TRun run = Run("scene.dae");
    for (const char* part : {"Not loaded: scene.dae:4: <effect> has no attribute \"name\"",
                             "Reading on past the failure found 7 more notes", "sceneimport [--up z|y]",
                             "error           2, first at line 5 (after the failure)"})
        EXPECT_NE(run.Output.find(part), std::string::npos) << part << "\n" << run.Output;
}

TEST_F(SceneInfoTest, DefaultShowsTheFirstFewOfEachCause) {
    std::string nodes;
    for (int i = 0; i < 5; ++i)
        nodes += "<node name=\"S" + std::to_string(i) + "\"><translate/><instance_geometry url=\"#G\"/></node>\n";
    WriteFile(Collada(Geometries(Mesh("G", "")) + SceneWith(nodes)));
    const TRun few = Run("scene.dae");
    EXPECT_NE(few.Output.find("no-scale        5, first at line 3"), std::string::npos) << few.Output;
    EXPECT_NE(few.Output.find("node \"S2\" has no <scale>"), std::string::npos);
    EXPECT_EQ(few.Output.find("node \"S3\" has no <scale>"), std::string::npos);
    EXPECT_NE(few.Output.find("... 2 more"), std::string::npos);
    const TRun all = Run("--all scene.dae");
    EXPECT_NE(all.Output.find("line 7: <node> node \"S4\" has no <scale>"), std::string::npos) << all.Output;
}

// Of each cause the first notes are kept and the rest only counted: the counts stay exact, and --all and the
// JSON say how many notes are not there.
TEST_F(SceneInfoTest, NotesBeyondThoseKeptAreCounted) {
    const long long kept = TLoadNotes::KeptPerCause;
    std::string empties;
    for (long long i = 0; i < kept + 5; ++i) empties += "<a name=\"\"/>";
    const std::string text = GeometryDocument(Mesh("G", Source("G-Position", 3, "0 0 0")) + empties);
    WriteFile(text);
    const TRun all = Run("--all scene.dae");
    for (const std::string& part :
         {"read-as-geometry " + std::to_string(kept + 5), std::string("    ... and 5 more not kept\n")})
        EXPECT_NE(all.Output.find(part), std::string::npos) << part;

    const TJson report = RunJson(text, "", 0);
    long long notes = 0;
    for (const TJson& note : report["notes"].Items) notes += note["code"].Text == "read-as-geometry";
    EXPECT_EQ(notes, kept);
    for (const TJson& cause : report["summary"]["causes"].Items) {
        SCOPED_TRACE(cause["code"].Text);
        if (cause["code"].Text == "no-primitive") {
            // A cause with every note kept reads as before.
            EXPECT_EQ(cause.Keys(), (std::vector<std::string>{"code", "count", "firstLine", "afterFailure"}));
        } else {
            EXPECT_EQ(cause["count"].Text, std::to_string(kept + 5));
            EXPECT_EQ(cause["notKept"].Text, "5");
        }
    }
}

TEST_F(SceneInfoTest, OddBytesGiveValidJson) {
    const std::string odd = "N\x01&quot;\\\xE9\xC3\xA9\x7F";
    const TJson report = RunJson(GeometryDocument(Mesh(odd, "")), "", 0);
    EXPECT_EQ(report["geometries"][0]["name"].Text, "N\x01\"\\\xC3\xA9\xC3\xA9\x7F");
}

TEST_F(SceneInfoTest, DeepNestingIsFast) {
    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "<node>";
    nested += "<instance_geometry url=\"#G\"/>";
    for (int i = 0; i < 100000; ++i) nested += "</node>";
    const auto start = std::chrono::steady_clock::now();
    const TJson report =
        RunJson(Collada(Geometries(Mesh("G", "")) + SceneWith("<node name=\"Top\">" + nested + "</node>")), "", 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(HasWarning(report, {"\"Top\"", "nested"}));
}

// Runs sceneinfo on the file in a child with its output thrown away; gives the wall time and peak memory.
struct TMeasured {
    int Status = -1;
    double Seconds = 0;
    long long PeakBytes = 0;
};

TMeasured RunMeasured(const std::string& file, const char* option) {
    const std::string tool = std::string(TOOLS_BIN_DIR) + "/sceneinfo";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        alarm(30);  // a hang ends as SIGALRM instead of stalling the suite
        execl(tool.c_str(), tool.c_str(), option, file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    TMeasured run;
    rusage usage{};
    wait4(pid, &run.Status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakBytes = static_cast<long long>(usage.ru_maxrss) * 1024;
    return run;
}

// The bounds hold for the optimised build; AddressSanitizer's shadow memory, quarantine and checks multiply
// both, and a quadratic cost would still exceed the wider bounds many times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr long long SanitizedMemory = 5, SanitizedTime = 10;
#else
constexpr long long SanitizedMemory = 1, SanitizedTime = 1;
#endif
// Each of these runs takes a quarter of a second on an idle machine, but a cold start beside other tests on
// two cores has taken over two (fresh memory is slow to come by on a virtual machine); a reading that went
// quadratic on a million elements would take minutes.
constexpr double SecondsBound = 8.0 * SanitizedTime;

// Documents of about a megabyte shaped to make a tool that looks from every element at every other one, or
// repeats a long name in every note, take quadratic time or memory. Each must stay within a bound linear in
// its size, in text and in JSON (which carries every note).
TEST_F(SceneInfoTest, QuadraticShapesStayLinear) {
    constexpr int Many = 7000;
    std::string vertices, inputs, indices;
    for (int i = 0; i < Many; ++i) {
        const std::string id = "v" + std::to_string(i);
        vertices += "<vertices id=\"" + id + "\"><input semantic=\"POSITION\" source=\"#G-Position\"/></vertices>\n";
        inputs += "<input semantic=\"VERTEX\" source=\"#" + id + "\" offset=\"" + std::to_string(i) + "\"/>\n";
        indices += "0 1 2 ";
    }
    const std::string sharedVertices =
        GeometryDocument(Mesh("G", Source("G-Position", 3, "0 0 0") + vertices + "<triangles count=\"1\">" + inputs +
                                       "<p>" + indices + "</p></triangles>"));

    const std::string longName(400000, 'n');
    std::string sources;
    while (sources.size() < 600000) sources += "<source/>\n";
    const std::string longNameManySources = GeometryDocument(Mesh(longName, sources));

    std::string nodes;
    while (nodes.size() < 1000000) nodes += "<node><instance_geometry url=\"#G\"/></node>\n";
    const std::string namelessNodes = Collada(Geometries("") + SceneWith(nodes));

    for (const auto& [name, text] :
         {std::pair{"shared vertices", sharedVertices}, std::pair{"long name, many sources", longNameManySources},
          std::pair{"nameless nodes", namelessNodes}}) {
        const std::string path = WriteFile(text, "big.dae");
        for (const char* option : {"--all", "--json"}) {
            SCOPED_TRACE(std::string(name) + " " + option);
            const TMeasured run = RunMeasured(path, option);
            ASSERT_TRUE(WIFEXITED(run.Status)) << "status " << run.Status;
            const long long limit = SanitizedMemory * (16LL * static_cast<long long>(text.size()) + (64LL << 20));
            EXPECT_LT(run.Seconds, SecondsBound);
            EXPECT_LT(run.PeakBytes, limit) << run.PeakBytes / 1024 << " KiB for " << text.size() << " bytes";
            std::fprintf(stderr, "%s %s: %zu bytes, %.3f s, %lld KiB\n", name, option, text.size(), run.Seconds,
                         run.PeakBytes / 1024);
        }
    }
}

// Empty elements after a geometry are each read as a geometry, each with notes many times its bytes. The
// load stops where the markup outgrows its memory; the report stays within the same bound, with no second
// reading that would meet the same wall.
TEST_F(SceneInfoTest, DenseMarkupStaysUnderBound) {
    std::string empties;
    while (empties.size() < (12u << 20)) empties += "<a name=\"\"/>";
    const std::string text = GeometryDocument(Mesh("G", Source("G-Position", 3, "0 0 0")) + empties);
    const std::string path = WriteFile(text, "dense.dae");
    for (const char* option : {"--all", "--json"}) {
        SCOPED_TRACE(option);
        const TMeasured run = RunMeasured(path, option);
        ASSERT_TRUE(WIFEXITED(run.Status) && WEXITSTATUS(run.Status) == 1) << "status " << run.Status;
        EXPECT_LT(run.Seconds, SecondsBound);
        EXPECT_LT(run.PeakBytes, SanitizedMemory * (16LL * static_cast<long long>(text.size()) + (64LL << 20)))
            << run.PeakBytes / 1024 << " KiB for " << text.size() << " bytes";
    }
    const TRun summary = Run("dense.dae");
    EXPECT_NE(summary.Output.find(": <a> takes the load past the "), std::string::npos)
        << summary.Output.substr(0, 500);
}

}  // namespace
