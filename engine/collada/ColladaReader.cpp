#include "ColladaReader.h"

#include <charconv>
#include <cmath>

#include "DecimalCommas.h"
#include "Libraries.h"
#include "NodeTree.h"
#include "SceneAssembly.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The document's unit and up axis, as its <asset> gives them.
void ReadFrame(const TXmlNode& root, TModelScene& scene, TLoadNotes* notes) {
    const TXmlNode asset = root.FirstChild("asset");
    if (!asset) return;
    if (const TXmlNode unit = asset.FirstChild("unit"); unit && unit.HasAttribute("meter")) {
        const std::string text = unit.AttributeText("meter");
        std::string storage;
        const std::string_view number = Trimmed(WithDecimalPoints(text, storage));
        double metres = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), metres);
        if (error == std::errc() && end == number.data() + number.size() && std::isfinite(metres) && metres > 0)
            scene.MetresPerUnit = metres;
        else if (notes)
            notes->Add(unit, "unit",
                       "gives the unit as " + NoteQuoted(text) + " metres, which is no length: metres are used");
    }
    if (const TXmlNode up = asset.FirstChild("up_axis")) {
        const std::string_view axis = Trimmed(up.Text());
        if (axis == "X_UP" || axis == "Y_UP" || axis == "Z_UP")
            scene.UpAxis = static_cast<char>(axis[0] - 'A' + 'a');
        else if (notes)
            notes->Add(up, "up-axis", "names " + NoteQuoted(axis) + ", which is no axis: y is taken as up");
    }
}

// The libraries the reader has no use for, each named once.
void NoteLeftOut(const TXmlNode& root, TLoadNotes& notes) {
    struct TLeftOut {
        std::string_view Prefix, What;
    };
    static constexpr TLeftOut LeftOut[] = {
        {"library_animation", "animations are not read: the scene is drawn unmoved"},
        {"library_physics", "physics is not read"},
        {"library_force_fields", "physics is not read"},
        {"library_cameras", "cameras are not read"},
        {"library_lights", "lights are not read"},
        {"library_kinematics", "kinematics are not read"},
        {"library_articulated_systems", "kinematics are not read"},
        {"library_joints", "kinematics are not read"},
    };
    for (TXmlNode child = root.FirstChildNode(); child; child = child.NextSibling())
        for (const TLeftOut& leftOut : LeftOut)
            if (child.Name().starts_with(leftOut.Prefix)) {
                notes.Add(child, "left-out", std::string(leftOut.What));
                break;
            }
}

// The <visual_scene> that <scene> instantiates, or the first there is.
TXmlNode SceneToDraw(const TXmlNode& root, const TLibraries& libraries) {
    const TXmlNode scene = root.FirstChild("scene");
    const TXmlNode instance = scene ? scene.FirstChild("instance_visual_scene") : TXmlNode();
    if (instance)
        if (const TXmlNode named = libraries.Follow(instance, "url", TLibraryKind::VisualScene)) return named;
    return libraries.FirstVisualScene();
}

}  // namespace

TModelScene ReadColladaScene(TXmlDocument& document, const std::string& fileName, TLoadNotes* notes) {
    if (notes) notes->FileName = fileName;
    document.LoadFromFile(fileName);
    TModelScene scene;
    const TXmlNode root = document.DocumentElement();
    if (!root) return scene;
    ReadFrame(root, scene, notes);
    if (notes) NoteLeftOut(root, *notes);
    const TLibraries libraries(root, notes);
    const TXmlNode visualScene = SceneToDraw(root, libraries);
    if (!visualScene) {
        if (notes) notes->Add(root, "no-scene", "holds no <visual_scene>: nothing is drawn");
        return scene;
    }
    TSceneAssembly assembly(libraries, scene, notes);
    WalkScene(visualScene, libraries, notes, [&](const TXmlNode& instance, const TMatrix& world, const TXmlNode& node) {
        bool goOn = true;
        Attempt(notes, [&] { goOn = assembly.Place(instance, world, node); });
        return goOn;
    });
    return scene;
}
