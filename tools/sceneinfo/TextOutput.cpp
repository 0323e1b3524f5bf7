#include "Output.h"

#include <charconv>

#include "MessageText.h"

namespace {

std::string Number(float value) { return FloatText(value); }
std::string Number(int value) { return std::to_string(value); }

template <typename T>
std::string Values(const TNumericArray<T>& array) {
    std::string text;
    for (const T& value : array) text += (text.empty() ? "" : " ") + Number(value);
    return "(" + text + ")";
}

// An index as the link passes left it: nothing was linked when the load failed.
std::string Link(const TSceneReport& report, int index) {
    if (!report.Linked()) return "not linked";
    return index < 0 ? "none" : std::to_string(index);
}

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Where(const TLoadNote& note) {
    std::string where = note.Line > 0 ? "line " + std::to_string(note.Line) + ": " : std::string();
    if (!note.Element.empty()) where += note.Element + " ";
    return where;
}

// What the programs draw of the file, opened through the door, whichever reader that takes.
void Opened(const TSceneReport& report, std::string& out) {
    if (report.OpenError) {
        out += "The programs cannot open it: " + *report.OpenError + "\n";
        return;
    }
    if (!report.Opened) return;
    const TOpenedSummary& opened = *report.Opened;
    const std::string reader = opened.Reader == "engine"    ? "the engine's loader"
                               : opened.Reader == "collada" ? "the engine's COLLADA reader"
                                                            : "the model library";
    out += "The programs open it through " + reader + ": they draw " + Plural(opened.Nodes, "node", "nodes") + ", " +
           Plural(opened.Triangles, "triangle", "triangles") + " and " +
           Plural(opened.Textures, "texture", "textures") + ".\n";
}

void Summary(const TSceneReport& report, std::string& out) {
    if (report.Loaded) {
        const int nodes = report.Asset->VisualScenes->Items.Count();
        out += "Loaded: " + std::to_string(report.NodesDrawn) + " of " + Plural(nodes, "node", "nodes") +
               " will be drawn\n";
    } else {
        out += "Not loaded: " + report.Error.value_or("") + "\nThe engine's loader draws nothing of it.";
        long long after = 0;
        for (const TCause& cause : report.Causes)
            if (cause.AfterFailure) after += cause.Count;
        if (after > 0)
            out += " Reading on past the failure found " + Plural(after, "more note", "more notes") +
                   ", marked \"after the failure\" below.";
        out += "\n";
    }
    if (report.OtherConventions)
        out += "This file follows another exporter's conventions, which the engine's loader does not read; " +
               std::string(ImportCommand) + " rewrites it into the form that loader reads.\n";
    Opened(report, out);
    if (report.Causes.empty()) {
        out += "No notes: nothing in the document departs from what the engine draws.\n";
        return;
    }
    out += "Causes (" + Plural(report.NoteCount(), "note", "notes") + "):\n";
    for (const TCause& cause : report.Causes)
        out += "  " + cause.Code + std::string(cause.Code.size() < 16 ? 16 - cause.Code.size() : 1, ' ') +
               std::to_string(cause.Count) +
               (cause.FirstLine > 0 ? ", first at line " + std::to_string(cause.FirstLine) : "") +
               (cause.AfterFailure ? " (after the failure)" : "") + "\n";
}

void Notes(const TSceneReport& report, bool all, std::string& out) {
    if (report.Notes.empty()) return;
    constexpr int FirstFew = 3;
    out += all ? "\nNotes\n"
               : "\nNotes (the first " + std::to_string(FirstFew) + " of each cause; --all shows every one)\n";
    for (const TCause& cause : report.Causes) {
        out += "  " + cause.Code + " (" + std::to_string(cause.Count) + ")" +
               (cause.AfterFailure ? " after the failure" : "") + "\n";
        int shown = 0;
        for (const TLoadNote& note : report.Notes) {
            if (note.Code != cause.Code || note.AfterFailure != cause.AfterFailure) continue;
            if (!all && shown == FirstFew) {
                out += "    ... " + std::to_string(cause.Count - shown) + " more\n";
                break;
            }
            // Messages come from the loader with the document's names already made safe to print.
            out += "    " + Where(note) + note.Message + "\n";
            ++shown;
        }
        if (all && cause.NotKept > 0) out += "    ... and " + std::to_string(cause.NotKept) + " more not kept\n";
    }
}

void Geometries(const TSceneReport& report, bool withArrays, std::string& out) {
    const auto& items = report.Asset->Geometries->Items;
    if (items.Count() == 0) return;
    out += "\nGeometries (" + std::to_string(items.Count()) + ")\n";
    int index = 0;
    for (const auto& geometry : items) {
        out += "  [" + std::to_string(index++) + "] " + QuotedForMessage(geometry->Name) + ": ";
        // Without a stream the index list stays as read, a list of slots rather than of vertices.
        const std::size_t triangles = geometry->TriangleIndices.Count() / 3, lines = geometry->LineIndices.Count() / 2;
        const std::size_t slots = geometry->TriangleIndices.Count() + geometry->LineIndices.Count();
        if (geometry->PresentStreamCount() == 0 && slots > 0)
            out += Plural(slots, "index slot", "index slots") + " and no vertex data";
        else if (triangles > 0)
            out += Plural(triangles, "triangle", "triangles");
        else if (lines > 0)
            out += Plural(lines, "line", "lines");
        else
            out += "no index list";
        ForEachGeometryArray(*geometry, [&](const char* key, const auto& array, std::size_t components) {
            if (array.Empty() || components == 1) return;
            out += ", " + std::string(key) + " " + std::to_string(array.Count() / components) + " (" +
                   Plural(array.Count(), "number", "numbers") + ")";
        });
        out += "\n";
        if (withArrays)
            ForEachGeometryArray(*geometry, [&](const char* key, const auto& array, std::size_t) {
                out += std::string("      ") + key + " " + Values(array) + "\n";
            });
    }
    out += "  (each stream's count is in vertices, followed by the numbers it holds)\n";
}

void Nodes(const TSceneReport& report, std::string& out) {
    const auto& items = report.Asset->VisualScenes->Items;
    if (items.Count() == 0) return;
    out += "\nNodes (" + std::to_string(items.Count()) + ")\n";
    int index = 0;
    for (const auto& node : items) {
        const TFloatArray& r = node->Rotation;
        const std::string rotation = r.Count() == 3 ? "rotation about x " + Number(r[0]) + ", y " + Number(r[1]) +
                                                          ", z " + Number(r[2]) + " degrees"
                                                    : "rotation ()";
        out += "  [" + std::to_string(index++) + "] " + QuotedForMessage(node->Name) +
               (report.Loaded ? (report.Asset->Draws(*node) ? " (drawn)" : " (not drawn)") : "") + ": position " +
               Values(node->Position) + ", " + rotation + ", scale " + Values(node->Scale) + "\n";
        out += "      geometry " + QuotedForMessage(node->GeometryName) + " -> " + Link(report, node->GeometryIndex) +
               ", material " + QuotedForMessage(node->MaterialSymbol) + " -> effect " +
               Link(report, node->EffectIndex) + "\n";
    }
}

void Materials(const TSceneReport& report, std::string& out) {
    const auto& effects = report.Asset->Effects->Items;
    if (effects.Count() > 0) out += "\nEffects (" + std::to_string(effects.Count()) + ")\n";
    int index = 0;
    for (const auto& effect : effects)
        out += "  [" + std::to_string(index++) + "] " + QuotedForMessage(effect->Name) + ": image " +
               QuotedForMessage(effect->ImageName) + " -> " + Link(report, effect->ImageIndex) + "\n";
    const TLibraryImages& images = *report.Asset->Images;
    if (!images.Names.empty()) out += "\nImages (" + std::to_string(images.Names.size()) + ")\n";
    for (std::size_t i = 0; i < images.Names.size() && i < images.FileNames.size(); ++i)
        out += "  [" + std::to_string(i) + "] " + QuotedForMessage(images.Names[i]) + ": file " +
               QuotedForMessage(images.FileNames[i]) + "\n";
}

}  // namespace

std::string FloatText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatText(const TSceneReport& report, const TOutputOptions& options) {
    std::string out = "File: " + EscapeForMessage(report.File) + "\n";
    Summary(report, out);
    Notes(report, options.All, out);
    const bool any = report.Asset->Geometries->Items.Count() > 0 || report.Asset->VisualScenes->Items.Count() > 0 ||
                     report.Asset->Effects->Items.Count() > 0 || !report.Asset->Images->Names.empty();
    if (!report.Loaded && any) out += "\nWhat the load read up to the failure:\n";
    Geometries(report, options.Arrays, out);
    Nodes(report, out);
    Materials(report, out);
    return out;
}
