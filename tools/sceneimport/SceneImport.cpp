#include "SceneImport.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "BmpFile.h"
#include "DocumentOfAsset.h"
#include "LoadCheck.h"
#include "MessageText.h"
#include "ModelDoor.h"
#include "OutputFolder.h"

namespace fs = std::filesystem;

namespace {

// A file name for a texture from the name its model gave it: its last path component without its
// extension, in characters any file system takes.
std::string StemOf(const std::string& name) {
    std::string stem = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
    if (const std::size_t dot = stem.find_last_of('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
    for (char& c : stem)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            c = '_';
    while (!stem.empty() && stem.front() == '.') stem.erase(stem.begin());
    return stem.empty() ? "texture" : stem;
}

// The texture files of the document, each written the first time the document names it, as the bytes it was
// read from when they were a bitmap or a JPEG image, else as a bitmap of its pixels.
class TTextureFiles {
public:
    TTextureFiles(const TOpenedModel& model, TOutputFolder& folder) : Model(model), Folder(folder) {}

    // The file written for the texture store's key; an image the door has no pixels for is drawn plain.
    std::string FileOf(const std::string& key) {
        if (const auto done = Files.find(key); done != Files.end()) return done->second;
        const auto texture = std::find_if(Model.Textures.begin(), Model.Textures.end(),
                                          [&](const TDoorTexture& t) { return t.Key == key; });
        std::string file;
        if (texture == Model.Textures.end()) {
            file = key == PlainTextureKey ? Folder.WriteNew("plain", ".bmp", EncodeBmp24({1, 1, {255, 255, 255, 255}}))
                                          : FileOf(PlainTextureKey);
        } else {
            const bool copied = !texture->Encoded.empty();
            file = Folder.WriteNew(StemOf(texture->Name), copied && texture->Jpeg ? ".jpg" : ".bmp",
                                   copied ? texture->Encoded : EncodeBmp24(texture->Pixels));
        }
        return Files.emplace(key, file).first->second;
    }

private:
    const TOpenedModel& Model;
    TOutputFolder& Folder;
    std::map<std::string, std::string> Files;
};

}  // namespace

TImportResult ImportScene(const std::string& input, const std::string& output, const TImportOptions& options) {
    TXmlDocument document;
    TDoorOptions door;
    door.UpAxis = options.ZUp ? 'z' : 'y';
    door.SizeMetres = options.SizeMetres;
    door.KeepImageFiles = true;
    TOpenedModel model = OpenModel(document, input, door);
    TImportResult result;
    result.Warnings = model.Warnings;
    for (const TLoadNote& note : model.Notes.Items)
        result.Warnings.push_back("line " + std::to_string(note.Line) + ": " + note.Element + " " + note.Message);
    const TDrawnCounts counts = CountDrawn(*model.Asset);
    if (counts.Nodes == 0) throw TImportError(FileMessage(input, "nothing to draw: no node places triangles or lines"));
    result.SourceTriangles = counts.Triangles;
    result.Nodes = static_cast<int>(counts.Nodes);

    const fs::path target = fs::absolute(output);
    TOutputFolder folder(target.parent_path().string());
    TTextureFiles textures(model, folder);
    const std::string text = DocumentOfAsset(
        *model.Asset, [&](const std::string& key) { return textures.FileOf(key); }, options.ZUp ? "Z_UP" : "Y_UP");
    const TLoadCheck check = CheckDocument(folder.WriteDocument(target.filename().string(), text));
    result.Problems = check.Problems;
    result.WrittenTriangles = check.DrawnTriangles;
    if (!check.Loaded && result.Problems.empty()) result.Problems.push_back("the written document does not load");
    if (result.Problems.empty()) folder.CommitDocument();
    return result;
}
