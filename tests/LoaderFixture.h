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
#include "ColladaText.h"
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
