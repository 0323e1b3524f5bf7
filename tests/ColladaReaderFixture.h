// Documents of other exporters' conventions, made of a few parts, read through ReadColladaScene; each test gets a
// directory of its own, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "ColladaReader.h"

// A source of `count` elements with the named parameters, whose array holds `values`.
inline std::string SourceText(const std::string& id, const std::string& values, int count, std::string_view params) {
    std::string paramText;
    for (const char name : params)
        paramText +=
            name == '_' ? "<param type=\"float\"/>" : std::string("<param name=\"") + name + "\" type=\"float\"/>";
    int numbers = 0;
    bool inNumber = false;
    for (const char c : values) {
        if (c != ' ' && !inNumber) ++numbers;
        inNumber = c != ' ';
    }
    return "<source id=\"" + id + "\"><float_array id=\"" + id + "-array\" count=\"" + std::to_string(numbers) + "\">" +
           values + "</float_array><technique_common><accessor source=\"#" + id + "-array\" count=\"" +
           std::to_string(count) + "\" stride=\"" + std::to_string(params.size()) + "\">" + paramText +
           "</accessor></technique_common></source>\n";
}

// The unit square in z = 0 (corners 0 0, 1 0, 1 1, 0 1) as the geometry "square", shared positions through
// <vertices>, with the given primitive blocks.
inline std::string SquareGeometry(const std::string& blocks) {
    return "<geometry id=\"square\" name=\"Square\"><mesh>\n" + SourceText("pos", "0 0 0 1 0 0 1 1 0 0 1 0", 4, "XYZ") +
           "<vertices id=\"verts\"><input semantic=\"POSITION\" source=\"#pos\"/></vertices>\n" + blocks +
           "</mesh></geometry>\n";
}

inline std::string TrianglesOfSquare(const std::string& material = "") {
    return "<triangles count=\"2\"" + (material.empty() ? "" : " material=\"" + material + "\"") +
           "><input semantic=\"VERTEX\" source=\"#verts\" offset=\"0\"/><p>0 1 2 0 2 3</p></triangles>\n";
}

// A whole document: the libraries given, and a visual scene of the given nodes.
inline std::string DocumentText(const std::string& libraries, const std::string& nodes, const std::string& asset = "") {
    return "<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.1\">\n" + asset + libraries +
           "<library_visual_scenes><visual_scene id=\"scene\">\n" + nodes +
           "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#scene\"/></scene>\n"
           "</COLLADA>\n";
}

struct TReadResult {
    TModelScene Scene;
    TLoadNotes Notes;
    bool Raised = false;
    std::string Error;
    std::string FileName;

    bool HasNote(std::string_view code) const {
        for (const TLoadNote& note : Notes.Items)
            if (note.Code == code) return true;
        return false;
    }
    const TLoadNote* Note(std::string_view code) const {
        for (const TLoadNote& note : Notes.Items)
            if (note.Code == code) return &note;
        return nullptr;
    }
    // The world position of the instance's vertex.
    std::array<double, 3> World(std::size_t instance, std::size_t vertex) const {
        const TModelInstance& placed = Scene.Instances.at(instance);
        const float* p = &Scene.Meshes.at(static_cast<std::size_t>(placed.Mesh)).Positions.at(vertex * 3);
        const auto& m = placed.World;
        return {m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + m[3], m[4] * p[0] + m[5] * p[1] + m[6] * p[2] + m[7],
                m[8] * p[0] + m[9] * p[1] + m[10] * p[2] + m[11]};
    }
};

class ColladaReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = std::filesystem::temp_directory_path() /
              (std::string("colladareader-") + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }

    TReadResult ReadFile(const std::string& path) {
        TReadResult result;
        result.FileName = path;
        try {
            result.Scene = ReadColladaScene(Document, path, &result.Notes);
        } catch (const TXmlError& error) {
            result.Raised = true;
            result.Error = error.what();
        }
        return result;
    }

    TReadResult Read(std::string_view text) {
        const std::string path = (Dir / "model.dae").string();
        std::ofstream(path, std::ios::binary) << text;
        return ReadFile(path);
    }

    std::filesystem::path Dir;
    TXmlDocument Document;
};

#define EXPECT_POINT(point, x, y, z)   \
    do {                               \
        const auto p_ = (point);       \
        EXPECT_NEAR(p_[0], (x), 1e-5); \
        EXPECT_NEAR(p_[1], (y), 1e-5); \
        EXPECT_NEAR(p_[2], (z), 1e-5); \
    } while (false)

// The 1-based line of the first occurrence of needle in text.
inline int LineNumber(std::string_view text, std::string_view needle) {
    const auto at = text.find(needle);
    int line = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) line += text[i] == '\n' ? 1 : 0;
    return line;
}
