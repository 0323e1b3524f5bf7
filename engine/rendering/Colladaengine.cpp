#include "Colladaengine.h"

#include <GL/glu.h>

#include "GlExtensions.h"
#include "GlSurface.h"
#include "StartupPrefetch.h"

namespace {

// Construction may meet a panel of height 0; the projection then uses height 1 rather than divide by zero.
double AspectRatio(int width, int height) {
    return static_cast<double>(width) / static_cast<double>(height == 0 ? 1 : height);
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

}  // namespace

void TReadAheadEnd::operator()(TStartupPrefetch* readAhead) const { delete readAhead; }

TReadAhead StartReadAhead(TXmlDocument* document, std::vector<std::string> documents) {
    return TReadAhead(new TStartupPrefetch(document, std::move(documents)));
}

TColladaEngine::TColladaEngine(TXmlDocument* document, TNativeWindow window, int width, int height, float fieldOfView,
                               float nearPlane, float farPlane)
    : Window(window), Document(document), FieldOfView(fieldOfView), NearPlane(nearPlane), FarPlane(farPlane) {
    Construct(width, height);
}

TColladaEngine::TColladaEngine(TXmlDocument* document, TNativeWindow window, int width, int height)
    : TColladaEngine(document, window, width, height, 45.0f, 0.1f, 100.0f) {}

// The stores make no GL call, so they exist before the context; the GL state follows the context, and the
// extension look-up comes last because it needs the context current. When a construction step fails, the
// members made so far are released by their owners as the exception leaves.
void TColladaEngine::Construct(int width, int height) {
    TextureEngine = std::make_unique<TTextureEngine>();
    ShaderEngine = std::make_unique<TShaderEngine>();
    Context = std::make_unique<TGlSurface>(Window, width, height);

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, AspectRatio(width, height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    Gl::LoadExtensions(Context->LookUp());
    const std::vector<std::string> missing = Gl::MissingEntryPoints();
    if (!missing.empty()) throw std::runtime_error("OpenGL driver lacks " + JoinNames(missing));
}

// Buffers, textures and programs go while the context is still current; the context goes before its drawable.
TColladaEngine::~TColladaEngine() {
    TextureEngine->Prefetch = nullptr;
    Prefetch.reset();
    for (const auto& asset : Assets) {
        for (const auto& geometry : asset->Geometries->Items) {
            for (const TGeometryStream& stream : GeometryStreams) {
                unsigned& buffer = (*geometry).*stream.Buffer;
                if (buffer != 0) Gl::glDeleteBuffers(1, &buffer);
            }
        }
    }
    Assets.Clear();
    TextureEngine.reset();
    ShaderEngine.reset();
    Context.reset();
}

int TColladaEngine::LoadAsset(const std::string& fileName) {
    std::optional<TStartupPrefetch::TLoadedDocument> early = Prefetch ? Prefetch->TakeDocument(fileName) : std::nullopt;
    std::unique_ptr<TColladaAsset> asset = early ? std::move(early->Asset) : std::make_unique<TColladaAsset>(Document);
    if (!(early ? early->Loaded : asset->LoadFromFile(fileName))) return -1;
    return AddAsset(std::move(asset));
}

int TColladaEngine::AddAsset(std::unique_ptr<TColladaAsset> asset) {
    UploadGeometries(asset.get());
    Assets.Add(std::move(asset));
    return Assets.Count() - 1;
}

// A prefetch that reads into another document than the engine's would race the engine's own loads into it.
void TColladaEngine::UsePrefetch(TReadAhead prefetch) {
    if (!prefetch || prefetch->Document() != Document) return;
    Prefetch = std::move(prefetch);
    TextureEngine->Prefetch = Prefetch.get();
}

void TColladaEngine::Resize(int width, int height) {
    if (height == 0) return;
    Context->Resize(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, AspectRatio(width, height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TColladaEngine::BeginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TColladaEngine::RenderScene() {
    ShaderEngine->ClearShader();
    for (int index = 0; index < Assets.Count(); ++index) DrawAsset(Assets[index]);
    Context->SwapBuffers();
}

void TColladaEngine::RenderLookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ,
                                  float upX, float upY, float upZ) {
    BeginFrame();
    gluLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
    RenderScene();
}

void TColladaEngine::RenderPlaced(float x, float y, float z, float angleX, float angleY, float angleZ, float scaleX,
                                  float scaleY, float scaleZ) {
    BeginFrame();
    glTranslatef(x, y, z);
    glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
    glRotatef(angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(angleX, 1.0f, 0.0f, 0.0f);
    glScalef(scaleX, scaleY, scaleZ);
    RenderScene();
}
