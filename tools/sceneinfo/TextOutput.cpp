#include "Output.h"

#include <charconv>

namespace {

std::string Quoted(std::string_view text) { return "\"" + EscapeForMessage(text) + "\""; }

std::string Number(float value) { return FloatText(value); }
std::string Number(int value) { return std::to_string(value); }

template <typename T>
std::string Values(const TNumericArray<T>& array)
{
    std::string text;
    for (const T& value : array) text += (text.empty() ? "" : " ") + Number(value);
    return "(" + text + ")";
}

// An index as the link passes left it: nothing was linked when the load failed.
std::string Link(const TSceneReport& report, int index)
{
    if (!report.Linked()) return "not linked";
    return index < 0 ? "none" : std::to_string(index);
}

void Geometries(const TSceneReport& report, bool withArrays, std::string& out)
{
    const auto& items = report.Asset->Geometries->Items;
    out += "Geometries (" + std::to_string(items.Count()) + ")\n";
    int index = 0;
    for (const auto& geometry : items) {
        out += "  [" + std::to_string(index++) + "] " + Quoted(geometry->Name) + ":";
        const char* separator = " ";
        ForEachGeometryArray(*geometry, [&](const char* key, const auto& array) {
            out += separator + std::string(key) + " " + std::to_string(array.Count());
            separator = ", ";
        });
        out += "\n";
        if (withArrays)
            ForEachGeometryArray(*geometry, [&](const char* key, const auto& array) {
                out += std::string("      ") + key + " " + Values(array) + "\n";
            });
    }
}

void Nodes(const TSceneReport& report, std::string& out)
{
    const auto& items = report.Asset->VisualScenes->Items;
    out += "Nodes (" + std::to_string(items.Count()) + ")\n";
    int index = 0;
    for (const auto& node : items) {
        out += "  [" + std::to_string(index++) + "] " + Quoted(node->Name) + ": position " + Values(node->Position) +
               ", rotation " + Values(node->Rotation) + ", scale " + Values(node->Scale) + "\n";
        out += "      geometry " + Quoted(node->GeometryName) + " -> " + Link(report, node->GeometryIndex) +
               ", material " + Quoted(node->MaterialSymbol) + " -> effect " + Link(report, node->EffectIndex) + "\n";
    }
}

void Materials(const TSceneReport& report, std::string& out)
{
    const auto& effects = report.Asset->Effects->Items;
    out += "Effects (" + std::to_string(effects.Count()) + ")\n";
    int index = 0;
    for (const auto& effect : effects)
        out += "  [" + std::to_string(index++) + "] " + Quoted(effect->Name) + ": image " +
               Quoted(effect->ImageName) + " -> " + Link(report, effect->ImageIndex) + "\n";
    const TLibraryImages& images = *report.Asset->Images;
    out += "Images (" + std::to_string(images.Names.size()) + ")\n";
    for (std::size_t i = 0; i < images.Names.size() && i < images.FileNames.size(); ++i)
        out += "  [" + std::to_string(i) + "] " + Quoted(images.Names[i]) + ": file " +
               Quoted(images.FileNames[i]) + "\n";
}

}  // namespace

std::string FloatText(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatText(const TSceneReport& report, bool withArrays)
{
    std::string out = "File: " + EscapeForMessage(report.File) + "\n";
    out += report.Loaded ? "Loaded\n" : "Not loaded: " + EscapeForMessage(report.Error.value_or("")) + "\n";
    if (!report.Loaded) out += "(the libraries show what was read up to the failure)\n";
    Geometries(report, withArrays, out);
    Nodes(report, out);
    Materials(report, out);
    out += "Warnings (" + std::to_string(report.Warnings.size()) + ")\n";
    for (const std::string& warning : report.Warnings) out += "  - " + warning + "\n";
    return out;
}
