#include "Unitmain.h"

#include <iostream>
#include <memory>

#include <GL/gl.h>

#include "Animation.h"
#include "Colladaengine.h"
#include "MessageText.h"
#include "ModelPlacement.h"
#include "MouseDrag.h"
#include "PhongShading.h"

namespace {

std::unique_ptr<TColladaEngine> Engine;
int ModelIndex = 0;
int PhongIndex = 0;
float ModelAngleX = 0.0f;
float ModelAngleY = 0.0f;
TMouseDrag Drag;
float LightPhase = 0.0f;
TLightColour LightPosition = StartLightPosition;
TLightColour LightDiffuse = StartLightDiffuse;
int UseTextureFlag = StartUseTextureFlag;

// The model stands this far in front of the eye, in a view of this field.
constexpr float ModelDistance = 12.0f;
constexpr double FieldOfView = 45.0;

// The demo shows its model y up, turning about its vertical axis.
TDoorOptions UserFileOptions() {
    TDoorOptions options;
    options.UpAxis = 'y';
    return options;
}

// The user's model as the door opened it ahead, centred and scaled to fill the view.
int LoadUserModel(TColladaEngine& engine, TModelReadAhead& models) {
    TOpenedModel model = models.Take(0);
    for (const std::string& warning : model.Warnings)
        std::cerr << "lustrane: warning: " << FileMessage(models.Files().front(), warning) << "\n";
    CentreAndFill(*model.Asset, ModelDistance, FieldOfView);
    return AddToEngine(engine, model);
}

}  // namespace

TForm1::TForm1(TSceneFiles scene) : TFormWindow("Lustrane", scene, UserFileOptions()), Scene(std::move(scene)) {
    // Added in tab order; "Light movement" sits left of "Wireframe" but comes after it.
    CheckBox1 = AddCheckBox(8, 13, 129, 17, "Enable Phong shader", true, Click<&TForm1::CheckBox1Click>);
    CheckBox2 = AddCheckBox(160, 13, 105, 17, "Enable textures", true, Click<&TForm1::CheckBox2Click>);
    CheckBox3 = AddCheckBox(419, 13, 75, 17, "Wireframe", false, Click<&TForm1::CheckBox3Click>);
    CheckBox4 = AddCheckBox(286, 13, 105, 17, "Light movement", false, nullptr);
    EndControls();
}

TForm1::~TForm1() { FormClose(); }

void TForm1::FormCreate() {
    // The window's own painting is double-buffered already: TFormWindow is an Fl_Double_Window.
    Engine = std::make_unique<TColladaEngine>(&XMLDocument, PanelHandle(), PanelGraphics->w(), PanelGraphics->h());
    if (const std::unique_ptr<TModelReadAhead> models = TakeModelReadAhead()) {
        ModelIndex = LoadUserModel(*Engine, *models);
    } else {
        Engine->UsePrefetch(TakeReadAhead());
        ModelIndex = Engine->LoadAsset(Scene.Documents.front());
    }
    SetUpPhong(*Engine, PhongIndex, UseTextureFlag, LightDiffuse.data(), LightPosition.data(), Scene.VertexFile.c_str(),
               Scene.FragmentFile.c_str());
    AttachPhong(*Engine, ModelIndex, PhongIndex);
}

void TForm1::FormResize() {
    if (Engine) Engine->Resize(PanelGraphics->w(), PanelGraphics->h());
}

void TForm1::FormClose() { Engine.reset(); }

void TForm1::ApplicationIdle() {
    if (!Engine) return;
    if (TColladaAsset* model = AssetAt(*Engine, ModelIndex)) {
        model->Rotation[0] = ModelAngleX;
        model->Rotation[1] = ModelAngleY;
    }
    Engine->RenderPlaced(0.0f, 0.0f, -ModelDistance, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
}

void TForm1::TimerTimer() {
    if (!Drag.Dragging) ModelAngleY = TurnStep(ModelAngleY);
    if (CheckBox4->value() != 0) {
        PlaceLightOnCircle(LightPosition.data(), LightPhase);
        // The position goes through the modelview matrix the last frame left: the placement 12 units ahead.
        // Without an engine there is no GL context to take it.
        if (Engine) glLightfv(GL_LIGHT0, GL_POSITION, LightPosition.data());
        LightPhase = NextLightPhase(LightPhase);
    }
}

void TForm1::PanelGraphicsMouseDown(int x, int y) { Drag.Press(x, y); }

void TForm1::PanelGraphicsMouseMove(int x, int y) {
    if (const std::optional<TPixelStep> step = Drag.Move(x, y)) DragModel(ModelAngleX, ModelAngleY, step->Dx, step->Dy);
}

void TForm1::PanelGraphicsMouseUp(int, int) { Drag.Release(); }

void TForm1::CheckBox1Click() {
    if (Engine) SwitchShaders(*Engine, CheckBox1->value() != 0);
}

void TForm1::CheckBox2Click() {
    if (Engine) SwitchTextures(*Engine, CheckBox2->value() != 0, PhongIndex, UseTextureFlag, LightDiffuse.data());
}

void TForm1::CheckBox3Click() {
    if (Engine) SwitchWireframe(*Engine, ModelIndex, CheckBox3->value() != 0);
}
