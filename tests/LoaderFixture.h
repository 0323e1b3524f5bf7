// Loads inline COLLADA text through the same classes the engine uses, so that each case is a few lines of
// document and a few checks. Every test gets a directory of its own, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "ArrayValues.h"
#include "Colladaasset.h"
#include "XmlDocument.h"

// What one load gave: the asset (filled as far as the load got), whether LoadFromFile returned true, and the
// message of the error it raised, if any.
struct TLoadResult {
    std::unique_ptr<TColladaAsset> Asset;
    bool Loaded = false;
    bool Raised = false;
    std::string Error;
    std::string FileName;

    TGeometry& Geometry(int i) const { return *(*Asset->Geometries).Items[i]; }
    TNode& Node(int i) const { return *(*Asset->VisualScenes).Items[i]; }
    TEffect& Effect(int i) const { return *(*Asset->Effects).Items[i]; }
};

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = std::filesystem::temp_directory_path() / (std::string("loadertest-") + std::to_string(::getpid()) + "-" +
                                                        info->test_suite_name() + "-" + info->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }

    std::string WriteFile(std::string_view content, const std::string& name = "scene.dae") const {
        const std::string path = (Dir / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return path;
    }

    TLoadResult LoadFile(const std::string& path) {
        TLoadResult result;
        result.FileName = path;
        result.Asset = std::make_unique<TColladaAsset>(&Document);
        try {
            result.Loaded = result.Asset->LoadFromFile(path);
        } catch (const TXmlError& error) {
            result.Raised = true;
            result.Error = error.what();
        }
        return result;
    }

    TLoadResult Load(std::string_view content) { return LoadFile(WriteFile(content)); }

    std::filesystem::path Dir;
    TXmlDocument Document;
};

// A document of the given libraries under a COLLADA root.
inline std::string Collada(std::string_view body) {
    return std::string("<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.0\">\n") + std::string(body) + "\n</COLLADA>\n";
}

// A visual scene with one fully described node that instances the geometry named by url.
inline std::string SceneWith(std::string_view nodes) {
    return "<library_visual_scenes><visual_scene id=\"Scene\">" + std::string(nodes) +
           "</visual_scene></library_visual_scenes>";
}

inline std::string PlacedNode(std::string_view name, std::string_view url, std::string_view symbol = "") {
    std::string node = "<node name=\"" + std::string(name) +
                       "\"><translate>1 2 3</translate><rotate>0 0 1 30</rotate><rotate>0 1 0 20</rotate>"
                       "<rotate>1 0 0 10</rotate><scale>1 1 1</scale><instance_geometry url=\"" +
                       std::string(url) + "\">";
    if (!symbol.empty())
        node += "<bind_material><technique_common><instance_material symbol=\"" + std::string(symbol) +
                "\" target=\"#m\"/></technique_common></bind_material>";
    return node + "</instance_geometry></node>";
}

// The 1-based line of the first occurrence of needle in text (0 when absent): lets a test name the line an
// error must report without counting by hand.
inline int LineOf(std::string_view text, std::string_view needle) {
    const auto at = text.find(needle);
    if (at == std::string_view::npos) return 0;
    int line = 1;
    for (std::size_t i = 0; i < at; ++i)
        if (text[i] == '\n') ++line;
    return line;
}

// Checks an error message has the form "FILE:LINE: <element> ..." and mentions what.
inline void ExpectErrorAt(const TLoadResult& result, int line, std::string_view element, std::string_view what = "") {
    EXPECT_TRUE(result.Raised) << "no error raised";
    const std::string prefix = result.FileName + ":" + std::to_string(line) + ": <" + std::string(element) + ">";
    EXPECT_EQ(result.Error.rfind(prefix, 0), 0u) << "message: " << result.Error << "\nexpected prefix: " << prefix;
    if (!what.empty()) {
        EXPECT_NE(result.Error.find(what), std::string::npos) << "message: " << result.Error;
    }
}

// A malformed-XML message starts "FILE:LINE:COLUMN:".
inline bool HasLineAndColumn(const std::string& message, const std::string& file, int line) {
    const std::string prefix = file + ":" + std::to_string(line) + ":";
    if (message.rfind(prefix, 0) != 0) return false;
    std::size_t at = prefix.size();
    const std::size_t digits = at;
    while (at < message.size() && std::isdigit(static_cast<unsigned char>(message[at]))) ++at;
    return at > digits && at < message.size() && message[at] == ':';
}

inline std::string Source(std::string_view id, std::size_t count, std::string_view values) {
    return "<source id=\"" + std::string(id) + "\"><float_array id=\"" + std::string(id) + "-array\" count=\"" +
           std::to_string(count) + "\">" + std::string(values) + "</float_array></source>";
}

inline std::string Mesh(std::string_view name, std::string_view content) {
    return "<geometry id=\"" + std::string(name) + "\" name=\"" + std::string(name) + "\"><mesh>" +
           std::string(content) + "</mesh></geometry>";
}

inline std::string Geometries(std::string_view geometries) {
    return "<library_geometries>" + std::string(geometries) + "</library_geometries>";
}

// A <triangles> or <lines> element with the given number of inputs (all offsets distinct) and <p> text.
inline std::string Primitive(std::string_view kind, int count, int inputs, std::string_view p) {
    static const char* const semantics[] = {"VERTEX", "NORMAL", "TEXCOORD", "COLOR", "TEXTANGENT"};
    std::string text = "<" + std::string(kind) + " count=\"" + std::to_string(count) + "\">";
    for (int i = 0; i < inputs; ++i)
        text += "<input semantic=\"" + std::string(semantics[i % 5]) + "\" source=\"#s" + std::to_string(i) +
                "\" offset=\"" + std::to_string(i) + "\"/>";
    return text + "<p>" + std::string(p) + "</p></" + std::string(kind) + ">";
}

// A document with the given geometries and a scene without nodes, enough for LoadFromFile to succeed.
inline std::string GeometryDocument(std::string_view geometries) {
    return Collada(Geometries(geometries) + SceneWith(""));
}
