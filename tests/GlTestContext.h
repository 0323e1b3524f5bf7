// A headless engine for tests: an EGL pbuffer of a chosen size, no display needed. Tests that need GL derive
// their fixture from THeadlessEngineTest (64 x 64 by default) or construct THeadlessEngine themselves.
#pragma once

#include <unistd.h>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "Colladaengine.h"

// An engine on a headless pbuffer with the XML document it loads through.
struct THeadlessEngine {
    explicit THeadlessEngine(int width = 64, int height = 64)
        : Engine(std::make_unique<TColladaEngine>(&Document, TNativeWindow{}, width, height)) {}

    TXmlDocument Document;
    std::unique_ptr<TColladaEngine> Engine;
};

// A file with the given contents in a directory of this test process, removed again with the object.
class TTempFile {
public:
    TTempFile(const std::string& name, const std::string& contents) : Path(Directory() + "/" + name) {
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
        std::ofstream(Path, std::ios::binary) << contents;
    }
    ~TTempFile() { std::filesystem::remove(Path); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    static std::string Directory() { return ::testing::TempDir() + "engine-tests-" + std::to_string(getpid()); }

    const std::string Path;
};

class THeadlessEngineTest : public ::testing::Test {
protected:
    THeadlessEngine Headless;
    TColladaEngine& Engine = *Headless.Engine;

    // The RGBA bytes of one pixel of the pbuffer, counted from its bottom-left corner.
    static std::array<unsigned char, 4> Pixel(int x, int y) {
        std::array<unsigned char, 4> rgba{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }
};
