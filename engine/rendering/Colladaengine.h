// The rendering engine: the GL context of one drawing panel (or a headless pbuffer), the loaded assets, the
// texture store and the shader store. Every operation here needs the engine's context current on the calling
// thread, which holds from the end of the constructor to the destructor.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Colladaasset.h"
#include "NativeWindow.h"
#include "TexturePixels.h"

class TGlSurface;
class TStartupPrefetch;

// Start-up work a program begins before its engine exists: its documents read, and their textures decoded,
// ahead on a second thread, for the engine to take over (UsePrefetch). Ending it abandons what was not taken,
// after the step in hand.
struct TReadAheadEnd {
    void operator()(TStartupPrefetch* readAhead) const;
};
using TReadAhead = std::unique_ptr<TStartupPrefetch, TReadAheadEnd>;

// Starts reading `documents` in this order into `document`, which nothing else may use until an engine made on
// the same document has taken the read-ahead over, or it has ended.
TReadAhead StartReadAhead(TXmlDocument* document, std::vector<std::string> documents);

class TTexture {
public:
    TTexture() = default;
    ~TTexture();  // deletes the GL texture when Id is not 0
    TTexture(const TTexture&) = delete;
    TTexture& operator=(const TTexture&) = delete;

    int Unit = 0;          // GL_TEXTURE0_ARB + n
    unsigned Id = 0;       // GL texture object; 0 until uploaded
    std::string FileName;  // with Unit, the key the texture is found again by

    // Decodes the file (chosen by its lower-cased extension: .bmp, .jpg, .jpeg; anything else gives an empty
    // 0 x 0 image) and uploads it as RGBA on the unit. Decoder errors propagate; no GL object is made then.
    // Running out of memory raises a std::bad_alloc that names the file. With a pixel budget, an image larger
    // than what is left of it is refused before its pixels are decoded, and its pixels are taken from it.
    void LoadImageFile(const std::string& fileName, int unit, long long* pixelBudget = nullptr);
    // The upload half of LoadImageFile, for pixels decoded already: records the key, takes the pixels from
    // the budget and makes the GL texture.
    void Upload(const std::string& fileName, int unit, const TTexturePixels& pixels, long long* pixelBudget);
    void Bind();    // select the unit, enable GL_TEXTURE_2D, bind
    void Unbind();  // select the unit, disable GL_TEXTURE_2D
};

class TTextureEngine {
public:
    TTextureEngine() = default;  // no GL call: made before the context exists
    ~TTextureEngine();           // destroys every texture in list order
    TTextureEngine(const TTextureEngine&) = delete;
    TTextureEngine& operator=(const TTextureEngine&) = delete;

    TOwnedList<TTexture> Textures;
    // Where textures decoded ahead of their load are taken from; none, or the engine's (not owned).
    TStartupPrefetch* Prefetch = nullptr;

    // The index of the texture for (fileName, unit), loading the file the first time; never -1. Pixels
    // provided for the file name are uploaded instead of the file's; pixels beyond what is left of the budget
    // are refused with an error naming the file, as a decoded file's are.
    int LoadTexture(const std::string& fileName, int unit);
    // Pixels decoded already for a file name (the door decodes every format in memory), which LoadTexture takes
    // the first time it is asked for that name, on any unit.
    void Provide(const std::string& fileName, TTexturePixels pixels);

    static constexpr long long PixelBudget = TexturePixelBudget;
    long long PixelsLeft() const { return PixelBudgetLeft; }

private:
    // The first entry of Textures for each (file name, unit); the key's text is the entry's own FileName.
    struct TKey {
        std::string_view FileName;
        int Unit;
        bool operator==(const TKey&) const = default;
    };
    struct TKeyHash {
        std::size_t operator()(const TKey& key) const noexcept;
    };
    std::unordered_map<TKey, int, TKeyHash> Index;
    std::unordered_map<std::string, TTexturePixels> Provided;
    int IndexedCount = 0;  // entries of Textures already in Index
    long long PixelBudgetLeft = PixelBudget;
};

class TShaderEngine;

class TShader {
public:
    TShader(const std::string& name, const std::string& vertexFile, const std::string& fragmentFile);
    TShader(const TShader&) = delete;
    TShader& operator=(const TShader&) = delete;

    std::string Name;
    std::string VertexFile;
    std::string FragmentFile;
    std::string VertexSource;  // whole file; GL sees it up to its first NUL byte
    std::string FragmentSource;
    unsigned Program = 0;            // GLhandleARB; 0 before Build
    TShaderEngine* Owner = nullptr;  // the store that registered it; SetUniform keeps its Current in line

    void ReadSources();  // raises an error naming the file when one cannot be read
    // Reads, compiles and links; a failed compile or link prints the driver's log to standard error.
    void Build();
    void Use();
    // Sets an integer uniform of 1 to 4 components (type 1..4); leaves program 0 current and the owner's
    // Current at -1.
    void SetUniform(const char* name, int type, const int* values);
};

class TShaderEngine {
public:
    TShaderEngine() = default;  // no GL call: made before the context exists
    ~TShaderEngine();           // destroys every shader in list order, without GL calls
    TShaderEngine(const TShaderEngine&) = delete;
    TShaderEngine& operator=(const TShaderEngine&) = delete;

    TOwnedList<TShader> Shaders;
    int Current = -1;  // -1: the fixed pipeline

    int AddShader(const std::string& name, const std::string& vertexFile, const std::string& fragmentFile);
    void BuildAll();
    void UseShader(int index);  // no GL call when the program is current already
    void ClearShader();         // program 0, unconditionally
};

class TColladaEngine {
public:
    // The viewer's form: field of view in degrees and the clipping distances.
    TColladaEngine(TXmlDocument* document, TNativeWindow window, int width, int height, float fieldOfView,
                   float nearPlane, float farPlane);
    // The shading demo's form: 45 degrees, 0.1 and 100.
    TColladaEngine(TXmlDocument* document, TNativeWindow window, int width, int height);
    ~TColladaEngine();
    TColladaEngine(const TColladaEngine&) = delete;
    TColladaEngine& operator=(const TColladaEngine&) = delete;

    std::unique_ptr<TGlSurface> Context;  // the GL context and the drawable it is current on
    TNativeWindow Window;
    TXmlDocument* Document;  // not owned
    float FieldOfView;
    float NearPlane;
    float FarPlane;
    TOwnedList<TColladaAsset> Assets;
    std::unique_ptr<TTextureEngine> TextureEngine;
    std::unique_ptr<TShaderEngine> ShaderEngine;
    bool UseShaders = true;
    bool UseTextures = true;
    bool UseAttributes = false;
    // Documents read and textures decoded ahead, on a second thread; LoadAsset and the texture store take
    // from it where they would do that work themselves. Set by UsePrefetch.
    TReadAhead Prefetch;

    // The new asset's index, or -1 when LoadFromFile returned false. Loader errors propagate.
    int LoadAsset(const std::string& fileName);
    // Appends an asset that was loaded and linked already (by the engine's loader, or built from another
    // reader's model) after uploading its geometries, as LoadAsset does; its index.
    int AddAsset(std::unique_ptr<TColladaAsset> asset);
    // Hands over work begun before the engine existed; it must read into this engine's Document.
    void UsePrefetch(TReadAhead prefetch);
    void Resize(int width, int height);
    void BeginFrame();
    void RenderScene();
    void RenderLookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ, float upX,
                      float upY, float upZ);
    void RenderPlaced(float x, float y, float z, float angleX, float angleY, float angleZ, float scaleX, float scaleY,
                      float scaleZ);
    void UploadGeometries(TColladaAsset* asset);
    void DrawAsset(TColladaAsset* asset);
    void DrawGeometry(TGeometry* geometry);
    bool PrepareMaterials();

private:
    void Construct(int width, int height);
};
