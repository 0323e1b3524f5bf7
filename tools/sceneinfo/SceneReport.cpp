#include "SceneReport.h"

#include <exception>
#include <filesystem>
#include <unordered_set>

#include "FileRead.h"
#include "ImageDecoders.h"
#include "ModelDoor.h"
#include "TextureRule.h"

namespace {

// A user needs to know why a load failed, whether it raised an error or returned false.
std::string FailureOf(const TLoadNotes& notes, const std::string& file) {
    for (const TLoadNote& note : notes.Items)
        if (note.Code == "no-library")
            return file + ":" + std::to_string(note.Line) + ": " + note.Element + " " + note.Message;
    return file + ": the document was not loaded";
}

// Whether the file's first bytes begin an image the decoders read; a file that cannot be read does not.
bool HoldsImage(const std::string& path) {
    try {
        return LooksLikeImage(TReadFile(path).ReadPrefix(64));
    } catch (const TFileError&) {
        return false;
    }
}

// The texture files the nodes' material chains name, found as the programs find them: one that is not there,
// and one that holds no image the decoders read, draw untextured.
void NoteTextures(const TColladaAsset& asset, const std::string& documentFile, TLoadNotes& notes) {
    std::unordered_set<std::string> checked;
    for (const auto& node : asset.VisualScenes->Items) {
        const std::string* file = asset.TextureFileOf(*node);
        if (!file || !checked.insert(*file).second) continue;
        const TXmlNode origin = notes.OriginOf(node.get());
        const std::optional<std::string> found = FindTexture(*file, documentFile);
        if (!found)
            notes.Add(origin, "texture-missing",
                      "texture file " + NoteQuoted(*file) + " (of node " + NoteQuoted(node->Name) +
                          ") is not found beside the document, as written, or by its file name beside it: the node "
                          "is drawn without it");
        else if (!HoldsImage(*found))
            notes.Add(origin, "texture-format",
                      "texture file " + NoteQuoted(*file) + " (of node " + NoteQuoted(node->Name) +
                          ") holds no image the engine decodes (BMP, JPEG, PNG, GIF or TGA): the node is drawn "
                          "without it");
    }
}

// The codes whose notes, taken together, say the document was written to another exporter's conventions:
// sources named otherwise, index slots shared through <vertices>, polygons, matrices, node hierarchies.
bool FollowsOtherConventions(const std::vector<TLoadNote>& notes) {
    static const std::unordered_set<std::string_view> codes = {"source-id",     "source-after",  "no-streams",
                                                               "slot-mismatch", "polylist-only", "matrix-node",
                                                               "nested-node",   "no-translate",  "effect-link"};
    for (const TLoadNote& note : notes)
        if (codes.count(note.Code) ||
            (note.Code == "error" && note.Message.find("no attribute \"name\"") != std::string::npos))
            return true;
    return false;
}

// The notes before the failure come from the load, those after it from the survey when there was one.
std::vector<TCause> CausesOf(const std::vector<TLoadNote>& notes, const TLoadNotes& load, const TLoadNotes* survey) {
    std::vector<TCause> causes;
    for (const TLoadNote& note : notes) {
        auto cause = causes.begin();
        while (cause != causes.end() && (cause->Code != note.Code || cause->AfterFailure != note.AfterFailure)) ++cause;
        if (cause == causes.end()) {
            causes.push_back({note.Code, 0, note.Line, note.AfterFailure});
            cause = causes.end() - 1;
        }
        ++cause->Count;
    }
    for (TCause& cause : causes) {
        cause.NotKept = load.NotKept(cause.Code, cause.AfterFailure);
        if (survey && cause.AfterFailure) cause.NotKept += survey->NotKept(cause.Code, true);
        cause.Count += cause.NotKept;
    }
    return causes;
}

std::string ErrorText(const std::exception& error, const std::string& file) {
    // TXmlError messages already name the file; others (an allocation that failed) do not.
    const std::string message = error.what();
    return message.rfind(file + ":", 0) == 0 ? message : file + ": " + message;
}

}  // namespace

TSceneReport BuildSceneReport(TXmlDocument& document, const std::string& file) {
    TSceneReport report;
    report.File = file;
    report.Asset = std::make_unique<TColladaAsset>(&document);
    TLoadNotes notes;
    report.Asset->Notes = &notes;
    bool readable = true;
    try {
        report.Loaded = report.Asset->LoadFromFile(file);
        if (!report.Loaded) report.Error = FailureOf(notes, file);
    } catch (const TXmlMemoryError& error) {
        // A survey would only meet the same wall, holding a second asset beside this one.
        report.Error = ErrorText(error, file);
        report.OutgrewMemory = true;
        readable = false;
    } catch (const std::exception& error) {
        report.Error = ErrorText(error, file);
        readable = static_cast<bool>(document.DocumentElement());
    }
    report.Asset->Notes = nullptr;

    if (report.Loaded) {
        NoteTextures(*report.Asset, file, notes);
        for (const auto& node : report.Asset->VisualScenes->Items) report.NodesDrawn += report.Asset->Draws(*node);
    }
    report.Notes = std::move(notes.Items);

    // The same reading again, going on past every error, for what else stands in the way. A document that
    // cannot be parsed at all has nothing more to survey.
    TLoadNotes found;
    const bool surveyed = !report.Loaded && readable;
    if (surveyed) {
        TColladaAsset survey(&document);
        found.Survey = true;
        survey.Notes = &found;
        try {
            survey.LoadFromFile(file);
            NoteTextures(survey, file, found);
        } catch (const std::exception&) {
            // Only the file itself failing to parse, or outgrowing its memory, ends a survey, and the load
            // has reported that already.
        }
        for (TLoadNote& note : found.Items)
            if (note.AfterFailure) report.Notes.push_back(std::move(note));
    }
    report.Causes = CausesOf(report.Notes, notes, surveyed ? &found : nullptr);
    report.OtherConventions = FollowsOtherConventions(report.Notes);
    return report;
}

void ReportOpened(TSceneReport& report, TXmlDocument& document) {
    if (report.OutgrewMemory) {
        report.OpenError = report.Error;
        return;
    }
    try {
        const TOpenedModel model = OpenModel(document, report.File);
        const TDrawnCounts counts = CountDrawn(*model.Asset);
        report.Opened = TOpenedSummary{ReaderName(model.Reader), counts.Nodes, counts.Triangles, counts.Textures};
    } catch (const std::exception& error) {
        report.OpenError = error.what();
    }
}

long long TSceneReport::NoteCount() const {
    long long count = 0;
    for (const TCause& cause : Causes) count += cause.Count;
    return count;
}
