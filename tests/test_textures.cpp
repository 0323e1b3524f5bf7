// The texture store on a headless engine: the texels GL holds, the look-up by file and unit, and the exact GL
// calls of loading, binding, unbinding and destruction. The GL 1.1 texture functions are interposed by this
// executable (recording, then forwarding to the driver); glActiveTextureARB is wrapped through its pointer.
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "FileRead.h"
#include "GlExtensions.h"
#include "GlTestContext.h"
#include "ImageDecoders.h"
#include "TestImages.h"
#include "TextureFiles.h"

namespace {

struct TCall {
    std::string Name;
    std::vector<long long> Args;
    bool operator==(const TCall&) const = default;
};

void PrintTo(const TCall& call, std::ostream* out) {
    *out << call.Name << "(";
    for (std::size_t i = 0; i < call.Args.size(); ++i) *out << (i ? ", " : "") << "0x" << std::hex << call.Args[i];
    *out << ")";
}

bool Recording = false;
std::vector<TCall> Calls;
bool DeletedWithoutContext = false;

void Record(std::string name, std::vector<long long> args) {
    if (Recording) Calls.push_back({std::move(name), std::move(args)});
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

PFNGLACTIVETEXTUREARBPROC DriverActiveTexture = nullptr;

void APIENTRY RecordActiveTexture(GLenum unit) {
    Record("glActiveTextureARB", {unit});
    DriverActiveTexture(unit);
}

}  // namespace

extern "C" {

void glGenTextures(GLsizei n, GLuint* textures) {
    static const auto real = Real<void (*)(GLsizei, GLuint*)>("glGenTextures");
    real(n, textures);
    Record("glGenTextures", {n});
}

void glPixelStorei(GLenum name, GLint value) {
    static const auto real = Real<void (*)(GLenum, GLint)>("glPixelStorei");
    Record("glPixelStorei", {name, value});
    real(name, value);
}

void glBindTexture(GLenum target, GLuint texture) {
    static const auto real = Real<void (*)(GLenum, GLuint)>("glBindTexture");
    Record("glBindTexture", {target, texture});
    real(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    static const auto real = Real<void (*)(GLenum, GLenum, GLint)>("glTexParameteri");
    Record("glTexParameteri", {target, name, value});
    real(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    static const auto real =
        Real<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*)>("glTexImage2D");
    Record("glTexImage2D", {target, level, internalFormat, width, height, border, format, type});
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}

void glEnable(GLenum capability) {
    static const auto real = Real<void (*)(GLenum)>("glEnable");
    Record("glEnable", {capability});
    real(capability);
}

void glDisable(GLenum capability) {
    static const auto real = Real<void (*)(GLenum)>("glDisable");
    Record("glDisable", {capability});
    real(capability);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    static const auto real = Real<void (*)(GLsizei, const GLuint*)>("glDeleteTextures");
    Record("glDeleteTextures", {n, n > 0 ? textures[0] : 0});
    if (eglGetCurrentContext() == EGL_NO_CONTEXT) DeletedWithoutContext = true;
    real(n, textures);
}

}  // extern "C"

namespace {

constexpr int Unit0 = GL_TEXTURE0_ARB;

class TextureStore : public THeadlessEngineTest {
protected:
    void SetUp() override {
        DriverActiveTexture = Gl::glActiveTextureARB;
        Gl::glActiveTextureARB = RecordActiveTexture;
        Calls.clear();
        DeletedWithoutContext = false;
    }
    void TearDown() override {
        Recording = false;
        Gl::glActiveTextureARB = DriverActiveTexture;
    }

    // A file in the test's temporary folder, kept until the test ends.
    std::string File(const std::string& name, const std::string& contents) {
        Files.push_back(std::make_unique<TTempFile>(name, contents));
        return Files.back()->Path;
    }

    std::vector<TCall> Recorded(const std::function<void()>& action) {
        Calls.clear();
        Recording = true;
        action();
        Recording = false;
        return Calls;
    }

    TTexture& Texture(int index) { return *Engine.TextureEngine->Textures[std::size_t(index)]; }

    // The texture's level 0 as GL holds it: RGBA rows, the first row first, no padding.
    TRgbImage ReadBack(int index, std::vector<unsigned char>& rgba) {
        DriverActiveTexture(GLenum(Texture(index).Unit));
        glBindTexture(GL_TEXTURE_2D, Texture(index).Id);
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        rgba.assign(std::size_t(width) * height * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!rgba.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        // Turned back into a top-first RGB image, to compare with what was written.
        TRgbImage image{width, height, {}};
        for (int row = height - 1; row >= 0; --row)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c) image.Rgb.push_back(rgba[(std::size_t(row) * width + x) * 4 + c]);
        return image;
    }

    std::vector<std::unique_ptr<TTempFile>> Files;
};

TEST_F(TextureStore, ThreeByTwoBmpIsUploadedBottomRowFirstExactly) {
    const int index = Engine.TextureEngine->LoadTexture(File("three.bmp", Bmp24(ThreeByTwo())), Unit0);
    std::vector<unsigned char> rgba;
    ReadBack(index, rgba);
    EXPECT_EQ(rgba,
              (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x80, 0x80, 0x80, 0xFF,
                                          0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF}));
}

TEST_F(TextureStore, ThreeByTwoJpegIsUploadedWithinTolerance) {
    TJpegOptions options;
    options.Quality = 100;
    options.FullChroma = true;
    const int index = Engine.TextureEngine->LoadTexture(File("three.jpg", WriteJpeg(ThreeByTwo(), options)), Unit0);
    std::vector<unsigned char> rgba;
    const TRgbImage image = ReadBack(index, rgba);
    ASSERT_EQ(image.Rgb.size(), ThreeByTwo().Rgb.size());
    for (std::size_t i = 0; i < image.Rgb.size(); ++i)
        EXPECT_LE(std::abs(int(image.Rgb[i]) - int(ThreeByTwo().Rgb[i])), 8) << "byte " << i;
    for (std::size_t i = 3; i < rgba.size(); i += 4) EXPECT_EQ(rgba[i], 255);
}

TEST_F(TextureStore, ImagesOfAnyWidthKeepTheirSizeAndDoNotShear) {
    for (const auto& [width, height] : {std::pair{5, 3}, std::pair{300, 200}}) {
        const TRgbImage expected = Gradient(width, height);
        const std::string name = "gradient" + std::to_string(width) + ".bmp";
        const int index = Engine.TextureEngine->LoadTexture(File(name, Bmp24(expected)), Unit0);
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 1);
        std::vector<unsigned char> rgba;
        const TRgbImage image = ReadBack(index, rgba);
        EXPECT_EQ(image.Width, width);
        EXPECT_EQ(image.Height, height);
        EXPECT_EQ(image.Rgb, expected.Rgb) << width << " x " << height;
    }
}

TEST_F(TextureStore, OneTexturePerFileAndUnit) {
    TTextureEngine& store = *Engine.TextureEngine;
    const std::string wall = File("wall.jpg", WriteJpeg(Gradient(4, 4)));
    const std::string shouting = File("WALL.JPG", WriteJpeg(Gradient(4, 4)));
    EXPECT_EQ(store.LoadTexture(wall, Unit0), 0);
    // Asked again, the file is not read again: it may even be gone by then.
    std::filesystem::remove(wall);
    EXPECT_EQ(store.LoadTexture(wall, Unit0), 0);
    EXPECT_THROW(store.LoadTexture(wall, Unit0 + 1), TFileError);
    Files.push_back(std::make_unique<TTempFile>("wall.jpg", WriteJpeg(Gradient(4, 4))));
    EXPECT_EQ(store.LoadTexture(wall, Unit0 + 1), 1);
    EXPECT_EQ(store.LoadTexture(shouting, Unit0), 2);
    EXPECT_EQ(store.LoadTexture(wall, Unit0 + 1), 1);
    ASSERT_EQ(store.Textures.Count(), 3);
    EXPECT_EQ(Texture(1).Unit, Unit0 + 1);
    EXPECT_EQ(Texture(2).FileName, shouting);
    EXPECT_NE(Texture(0).Id, Texture(1).Id);
    std::vector<unsigned char> rgba;
    EXPECT_EQ(ReadBack(2, rgba).Width, 4);  // decoded as JPEG despite the capitals
}

TEST_F(TextureStore, UnknownExtensionsGiveAnEmptyTextureWithoutReadingTheFile) {
    TTextureEngine& store = *Engine.TextureEngine;
    const std::vector<std::string> names = {"missing/photo.png", "missing/no-extension", "missing.jpg/inside",
                                            "missing/photo.jpg.txt"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(store.LoadTexture(names[i], Unit0), int(i)) << names[i];
        EXPECT_NE(Texture(int(i)).Id, 0u);
        std::vector<unsigned char> rgba;
        EXPECT_EQ(ReadBack(int(i), rgba).Width, 0) << names[i];
    }
    EXPECT_EQ(store.LoadTexture("missing/photo.png", Unit0), 0);
    // A capitalised known extension is not unknown: the file is looked for.
    EXPECT_THROW(store.LoadTexture("missing/photo.JPEG", Unit0), TFileError);
}

// The decoder is chosen by the text from the name's last '.' after its last '/', lower-cased; tools tell a user
// which texture files will be empty by the same rule (TextureDecoderFor), and the store looks for a missing
// file only when it has a decoder for the name.
TEST_F(TextureStore, TheExtensionAloneChoosesTheDecoder) {
    TTextureEngine& store = *Engine.TextureEngine;
    const std::pair<std::string, ETextureDecoder> cases[] = {
        {"gone/a.bmp", ETextureDecoder::Bmp},      {"gone/a.BMP", ETextureDecoder::Bmp},
        {"gone/.bmp", ETextureDecoder::Bmp},       {"gone/a.jpg", ETextureDecoder::Jpeg},
        {"gone/a.Jpeg", ETextureDecoder::Jpeg},    {"a.b/c.JPG", ETextureDecoder::Jpeg},
        {"gone/a.png", ETextureDecoder::None},     {"gone/a.tga", ETextureDecoder::None},
        {"gone/a", ETextureDecoder::None},         {"gone.jpg/a", ETextureDecoder::None},
        {"gone/a.jpg.txt", ETextureDecoder::None}, {"gone/a.", ETextureDecoder::None},
        {"gone/a.jpe", ETextureDecoder::None},     {"gone/a.bmp ", ETextureDecoder::None}};
    for (const auto& [name, decoder] : cases) {
        EXPECT_EQ(TextureDecoderFor(name), decoder) << name;
        bool looked = false;
        try {
            store.LoadTexture(name, Unit0);
        } catch (const TFileError&) {
            looked = true;
        }
        EXPECT_EQ(looked, decoder != ETextureDecoder::None) << name;
    }
}

TEST_F(TextureStore, LoadingMakesExactlyTheUploadCalls) {
    const std::string file = File("three.bmp", Bmp24(ThreeByTwo()));
    int index = -1;
    const std::vector<TCall> calls = Recorded([&] { index = Engine.TextureEngine->LoadTexture(file, Unit0 + 2); });
    const long long id = Texture(index).Id;
    const std::vector<TCall> expected = {
        {"glActiveTextureARB", {Unit0 + 2}},
        {"glGenTextures", {1}},
        {"glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}},
        {"glBindTexture", {GL_TEXTURE_2D, id}},
        {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT}},
        {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}},
        {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}},
        {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}},
        {"glTexImage2D", {GL_TEXTURE_2D, 0, GL_RGBA, 3, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE}},
    };
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(Recorded([&] { Engine.TextureEngine->LoadTexture(file, Unit0 + 2); }).empty());
}

TEST_F(TextureStore, AFileThatFailsToDecodeAddsNothingAndMakesNoGlObject) {
    TTextureEngine& store = *Engine.TextureEngine;
    const std::string broken = File("broken.bmp", Bmp24(Gradient(4, 4)).substr(0, 70));
    const std::string folder = TTempFile::Directory() + "/folder.jpg";
    std::filesystem::create_directories(folder);
    for (const std::string& name : {broken, folder}) {
        std::string message;
        const std::vector<TCall> calls = Recorded([&] {
            try {
                store.LoadTexture(name, Unit0);
            } catch (const TImageError& error) {
                message = "decoder: " + std::string(error.what());
            } catch (const TFileError& error) {
                message = "file: " + std::string(error.what());
            }
        });
        EXPECT_EQ(message, (name == broken ? "decoder: " + name + ": truncated BMP pixel data (16 of 48 bytes)"
                                           : "file: " + name + ": not a regular file"));
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(store.Textures.Count(), 0);
    }
    std::filesystem::remove(folder);
}

TEST_F(TextureStore, BindAndUnbindWorkOnTheTexturesOwnUnit) {
    const int index = Engine.TextureEngine->LoadTexture(File("three.bmp", Bmp24(ThreeByTwo())), Unit0 + 1);
    TTexture& texture = Texture(index);
    DriverActiveTexture(Unit0);
    const long long id = texture.Id;
    EXPECT_EQ(Recorded([&] { texture.Bind(); }), (std::vector<TCall>{{"glActiveTextureARB", {Unit0 + 1}},
                                                                     {"glEnable", {GL_TEXTURE_2D}},
                                                                     {"glBindTexture", {GL_TEXTURE_2D, id}}}));
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, Unit0 + 1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    EXPECT_EQ(Recorded([&] { texture.Unbind(); }),
              (std::vector<TCall>{{"glActiveTextureARB", {Unit0 + 1}}, {"glDisable", {GL_TEXTURE_2D}}}));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, id);  // still bound: only texturing is off
    DriverActiveTexture(Unit0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureStore, DestroyingTheEngineDeletesEveryTextureOnceWithTheContextCurrent) {
    TTextureEngine& store = *Engine.TextureEngine;
    store.LoadTexture(File("a.bmp", Bmp24(ThreeByTwo())), Unit0);
    store.LoadTexture(File("b.jpg", WriteJpeg(ThreeByTwo())), Unit0);
    store.LoadTexture("c.png", Unit0);
    store.LoadTexture(File("a.bmp", Bmp24(ThreeByTwo())), Unit0 + 1);
    std::vector<TCall> expected;
    for (const auto& texture : store.Textures) expected.push_back({"glDeleteTextures", {1, texture->Id}});
    EXPECT_EQ(Recorded([&] { Headless.Engine.reset(); }), expected);
    EXPECT_FALSE(DeletedWithoutContext);
}

}  // namespace
