#include "FramedPicture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "Colladaengine.h"
#include "SceneFraming.h"

namespace {

// From above the camera's left shoulder, in eye coordinates (set while the modelview matrix is the identity):
// the top of a model seen from above and its side towards the left are lit, the side away from the light is
// left to the ambient light, so that the three faces of a box in view show three shades.
constexpr GLfloat LightDirection[4] = {-0.6f, 0.5f, 0.6f, 0.0f};
constexpr GLfloat LightDiffuse[4] = {0.75f, 0.75f, 0.75f, 1.0f};
constexpr GLfloat LightSpecular[4] = {0.35f, 0.35f, 0.35f, 1.0f};
constexpr GLfloat SceneAmbient[4] = {0.35f, 0.35f, 0.35f, 1.0f};
constexpr GLfloat MaterialSpecular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
constexpr GLfloat MaterialShininess = 40.0f;
// Light grey at the top to a darker grey at the bottom: neither black nor white models vanish against it.
constexpr GLfloat BackgroundTop[3] = {0.80f, 0.81f, 0.83f};
constexpr GLfloat BackgroundBottom[3] = {0.50f, 0.51f, 0.53f};

void DrawBackground() {
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor3fv(BackgroundBottom);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glColor3fv(BackgroundTop);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

// Lighting of the fixed pipeline, the vertex colours as the material's ambient and diffuse colour, both sides
// of a surface lit (nothing culls back faces, and models are not always wound outwards).
void SetUpLight() {
    glLightfv(GL_LIGHT0, GL_POSITION, LightDirection);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, LightSpecular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, SceneAmbient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, MaterialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, MaterialShininess);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);  // nodes scale their normals with their geometry
}

}  // namespace

bool RenderFramed(TColladaEngine& engine, const TRenderOptions& options, bool lit) {
    std::vector<const TColladaAsset*> assets;
    for (const auto& asset : engine.Assets) assets.push_back(asset.get());
    const double aspect = static_cast<double>(options.Width) / options.Height;
    const std::optional<TFraming> framing = FrameAssets(assets, options.UpAxis, options.FieldOfView, aspect);
    if (!framing) return false;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(options.FieldOfView, aspect, options.NearPlane.value_or(static_cast<float>(framing->NearPlane)),
                   options.FarPlane.value_or(static_cast<float>(framing->FarPlane)));
    engine.BeginFrame();
    DrawBackground();
    if (lit) SetUpLight();
    const TFraming& f = *framing;
    gluLookAt(f.Eye[0], f.Eye[1], f.Eye[2], f.Centre[0], f.Centre[1], f.Centre[2], f.Up[0], f.Up[1], f.Up[2]);
    engine.RenderScene();
    return true;
}
