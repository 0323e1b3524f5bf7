#include "Unitmain.h"

#include <iostream>
#include <memory>
#include <stdexcept>

#include "Colladaengine.h"
#include "MessageText.h"
#include "MouseDrag.h"
#include "PhongShading.h"
#include "UserSceneView.h"
#include "WalkCamera.h"

namespace {

std::unique_ptr<TColladaEngine> Engine;
int ModelsIndex = -1;  // what LoadAsset gave the first document; -1 names no asset

TVector3 CameraPosition = {0.0, 0.0, 0.0};
double Pitch = 0.0;
double Yaw = 0.0;
TWalkLimits WalkLimits;
TKeyTable KeyState = {};
TMouseDrag Drag;

int PhongIndex = -1;
int UseTextureFlag = StartUseTextureFlag;
TLightColour LightDiffuse = StartLightDiffuse;
const TLightColour LightPosition = StartLightPosition;

// The user's scene stands z up, as the walk-through's ground does.
TDoorOptions UserFileOptions() {
    TDoorOptions options;
    options.UpAxis = 'z';
    return options;
}

// Each of the user's files as the door opened it ahead; the first opened is the one the program shades. A
// file that cannot be opened costs only itself: its message is kept for the message box after the start-up.
void LoadUserFiles(TColladaEngine& engine, TModelReadAhead& models, std::string& errors) {
    for (std::size_t index = 0; index < models.Files().size(); ++index) {
        try {
            TOpenedModel model = models.Take(index);
            for (const std::string& warning : model.Warnings)
                std::cerr << "vantrell: warning: " << FileMessage(models.Files()[index], warning) << "\n";
            const int asset = AddToEngine(engine, model);
            if (ModelsIndex == -1) ModelsIndex = asset;
        } catch (const std::exception& error) {
            errors += std::string(errors.empty() ? "" : "\n") + error.what();
        }
    }
}

// The eye outside the user's scene with all of it in view, the walk and the clipping fitted to its size.
void FrameUserScene(TColladaEngine& engine, int width, int height) {
    std::vector<const TColladaAsset*> assets;
    for (const auto& asset : engine.Assets) assets.push_back(asset.get());
    const std::optional<TUserSceneView> view =
        ViewOfUserScene(assets, engine.FieldOfView, static_cast<double>(width) / std::max(height, 1));
    if (!view) return;
    CameraPosition = view->CameraPosition;
    Pitch = view->Pitch;
    Yaw = view->Yaw;
    WalkLimits = view->Limits;
    engine.NearPlane = static_cast<float>(view->NearPlane);
    engine.FarPlane = static_cast<float>(view->FarPlane);
    engine.Resize(width, height);
}

}  // namespace

TForm1::TForm1(TSceneFiles scene) : TFormWindow("Vantrell", scene, UserFileOptions()), Scene(std::move(scene)) {
    CheckBox1 = AddCheckBox(8, 13, 129, 17, "Enable Phong shader", true, Click<&TForm1::CheckBox1Click>);
    CheckBox2 = AddCheckBox(160, 13, 105, 17, "Enable textures", true, Click<&TForm1::CheckBox2Click>);
    CheckBox3 = AddCheckBox(291, 13, 75, 17, "Wireframe", false, Click<&TForm1::CheckBox3Click>);
    Label1 = AddLabel(509, 14, 184, 13, "Press w,s,a,d or mouse down to move");
    EndControls();
}

TForm1::~TForm1() { FormClose(); }

void TForm1::FormCreate() {
    // The window's own painting is double-buffered already: TFormWindow is an Fl_Double_Window.
    Engine = std::make_unique<TColladaEngine>(&XMLDocument, PanelHandle(), PanelGraphics->w(), PanelGraphics->h(),
                                              45.0f, 0.1f, 500.0f);
    std::string errors;
    if (const std::unique_ptr<TModelReadAhead> models = TakeModelReadAhead()) {
        LoadUserFiles(*Engine, *models, errors);
    } else {
        Engine->UsePrefetch(TakeReadAhead());
        for (std::size_t document = 0; document < Scene.Documents.size(); ++document) {
            const int index = Engine->LoadAsset(Scene.Documents[document]);
            if (document == 0) ModelsIndex = index;
        }
    }
    SetUpPhong(*Engine, PhongIndex, UseTextureFlag, LightDiffuse.data(), LightPosition.data(), Scene.VertexFile.c_str(),
               Scene.FragmentFile.c_str());
    AttachPhong(*Engine, ModelsIndex, PhongIndex);
    CameraPosition[0] = -4.0;
    CameraPosition[2] = 2.0;
    Yaw = 0.3;
    if (Scene.UserFiles) FrameUserScene(*Engine, PanelGraphics->w(), PanelGraphics->h());
    if (!errors.empty()) throw std::runtime_error(errors);
}

void TForm1::FormResize() {
    if (Engine) Engine->Resize(PanelGraphics->w(), PanelGraphics->h());
}

void TForm1::FormClose() { Engine.reset(); }

void TForm1::FormKeyDown(int key) {
    if (key >= 0 && key < static_cast<int>(KeyState.size())) KeyState[key] = true;
}

void TForm1::FormKeyUp(int key) {
    if (key >= 0 && key < static_cast<int>(KeyState.size())) KeyState[key] = false;
}

void TForm1::ApplicationIdle() {
    if (!Engine) return;
    const TVector3 f = Forward(Pitch, Yaw);
    Engine->RenderLookAt(static_cast<float>(CameraPosition[0]), static_cast<float>(CameraPosition[1]),
                         static_cast<float>(CameraPosition[2]), static_cast<float>(CameraPosition[0] + f[0]),
                         static_cast<float>(CameraPosition[1] + f[1]), static_cast<float>(CameraPosition[2] + f[2]),
                         0.0f, 0.0f, 1.0f);
}

void TForm1::Timer1Timer() { WalkStep(CameraPosition, Pitch, Yaw, KeyState, WalkLimits); }

void TForm1::PanelGraphicsMouseDown(int x, int y) { Drag.Press(x, y); }

void TForm1::PanelGraphicsMouseMove(int x, int y) {
    if (const std::optional<TPixelStep> step = Drag.Move(x, y)) TurnView(Pitch, Yaw, step->Dx, step->Dy);
}

void TForm1::PanelGraphicsMouseUp(int, int) { Drag.Release(); }

void TForm1::CheckBox1Click() {
    if (Engine) SwitchShaders(*Engine, CheckBox1->value() != 0);
}

void TForm1::CheckBox2Click() {
    if (Engine) SwitchTextures(*Engine, CheckBox2->value() != 0, PhongIndex, UseTextureFlag, LightDiffuse.data());
}

void TForm1::CheckBox3Click() {
    if (Engine) SwitchWireframe(*Engine, ModelsIndex, CheckBox3->value() != 0);
}
