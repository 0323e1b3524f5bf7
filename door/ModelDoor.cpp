#include "ModelDoor.h"

#include <cmath>
#include <set>
#include <unordered_set>

#include "AssetBounds.h"
#include "AssetBuilder.h"
#include "ColladaReader.h"
#include "Colladaengine.h"
#include "DoorTextures.h"
#include "FileRead.h"
#include "MessageText.h"
#include "ModelFormats.h"
#include "ModelLibrary.h"
#include "TextureRule.h"

namespace {

// Enough of a file's start to tell an XML document from anything else, and a model format by its signature.
constexpr std::size_t PrefixBytes = std::max<std::size_t>(64, FormatSignatureBytes);

// An XML document starts, after an optional byte-order mark and white space, with '<', in UTF-8 or UTF-16.
bool BeginsAsXml(const std::vector<unsigned char>& prefix) {
    for (unsigned char byte : prefix) {
        if (byte == 0 || byte == 0xEF || byte == 0xBB || byte == 0xBF || byte == 0xFE || byte == 0xFF) continue;
        if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n') continue;
        return byte == '<';
    }
    return false;
}

bool NamedDae(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || fileName.find('/', dot) != std::string::npos) return false;
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "dae" || extension == "xml";
}

// Scales the whole scene of an asset the engine's loader read: a node's position and scale by the same factor
// scale everything it draws about the origin.
void ScaleToSize(TColladaAsset& asset, double size, std::vector<std::string>& warnings) {
    const double extent = DrawnBounds(asset).LargestExtent();
    const double factor = size / extent;
    if (!(extent > 0) || !std::isfinite(factor)) {
        warnings.push_back("the model has no extent to scale to the size asked for");
        return;
    }
    for (const auto& node : asset.VisualScenes->Items)
        for (TFloatArray* values : {&node->Position, &node->Scale})
            for (std::size_t i = 0; i < values->Count(); ++i) (*values)[i] = static_cast<float>((*values)[i] * factor);
}

// The engine's loader, with a sink that only tells whether the document departs from its conventions: the
// asset when it does not, none when it does. Malformed XML raises: no other reader would read it either.
std::unique_ptr<TColladaAsset> LoadInConventions(TXmlDocument& document, const std::string& fileName) {
    auto asset = std::make_unique<TColladaAsset>(&document);
    TLoadNotes notes;
    notes.FileName = fileName;
    notes.StopAtFirst = true;
    asset->Notes = &notes;
    bool loaded = false;
    try {
        loaded = asset->LoadFromFile(fileName);
    } catch (const TNoteStop&) {
        return nullptr;
    } catch (const TXmlMemoryError&) {
        throw;
    } catch (const TXmlError&) {
        if (!document.DocumentElement()) throw;
        return nullptr;  // a departure that the engine's loader cannot read past: another reader's document
    }
    asset->Notes = nullptr;
    if (!loaded || !notes.Items.empty()) return nullptr;
    return asset;
}

void GatherEngineTextures(TColladaAsset& asset, TTextureGathering& textures) {
    std::unordered_set<std::string> asked;
    for (const auto& node : asset.VisualScenes->Items) {
        const std::string* name = asset.TextureFileOf(*node);
        if (!name || !asked.insert(*name).second) continue;
        if (textures.FromFileAs(*name)) continue;
        // What cannot be had is drawn as if its texture were plain white: in the colours of its vertices.
        const std::string plain = textures.Plain();
        asset.Images->FileNames[static_cast<std::size_t>(
            asset.Effects->Items[static_cast<std::size_t>(node->EffectIndex)]->ImageIndex)] = plain;
    }
}

TOpenedModel Build(TOpenedModel model, const TModelScene& scene, TXmlDocument& document, const std::string& fileName,
                   const TDoorOptions& options) {
    model.Warnings.insert(model.Warnings.end(), scene.Warnings.begin(), scene.Warnings.end());
    TTextureGathering textures(fileName, options, model.Warnings);
    std::vector<std::string> keys;
    for (const TModelImage& image : scene.Images)
        keys.push_back(image.Path.empty() ? textures.Embedded(image.Name, image.Bytes) : textures.FromFile(image.Path));
    TBuildOptions build;
    build.UpAxis = options.UpAxis;
    build.SizeMetres = options.SizeMetres;
    build.PlainImageKey = textures.Plain();
    model.Asset = BuildAsset(scene, keys, &document, build, model.Warnings);
    model.Textures = textures.Take();
    return model;
}

TOpenedModel OpenDocument(TXmlDocument& document, const std::string& fileName, const TDoorOptions& options) {
    TOpenedModel model;
    if (std::unique_ptr<TColladaAsset> asset = LoadInConventions(document, fileName)) {
        model.Reader = EReader::Engine;
        model.Asset = std::move(asset);
        if (options.SizeMetres) ScaleToSize(*model.Asset, *options.SizeMetres, model.Warnings);
        TTextureGathering textures(fileName, options, model.Warnings);
        GatherEngineTextures(*model.Asset, textures);
        model.Textures = textures.Take();
        return model;
    }
    model.Reader = EReader::Collada;
    model.Notes.FileName = fileName;
    const TModelScene scene = ReadColladaScene(document, fileName, &model.Notes);
    return Build(std::move(model), scene, document, fileName, options);
}

TWorkerLimits LimitsFor(const std::string& fileName, const TDoorOptions& options) {
    if (options.WorkerLimits) return *options.WorkerLimits;
    TWorkerLimits limits = WorkerLimitsFor(fileName);
    if (options.Thumbnail) {
        // A file manager asks for a picture of every file it shows: a few seconds and a few hundred MB each.
        limits.Seconds = std::min(limits.Seconds, 10.0);
        limits.MemoryBytes = std::min<std::uint64_t>(limits.MemoryBytes, std::uint64_t{1} << 30);
    }
    return limits;
}

}  // namespace

const char* ReaderName(EReader reader) {
    switch (reader) {
    case EReader::Engine: return "engine";
    case EReader::Collada: return "collada";
    case EReader::Import: return "import";
    }
    return "";
}

TOpenedModel OpenModel(TXmlDocument& document, const std::string& fileName, const TDoorOptions& options) {
    std::vector<unsigned char> prefix;
    std::size_t size = 0;
    try {
        const TReadFile file(fileName);
        prefix = file.ReadPrefix(PrefixBytes);
        size = file.Size();
    } catch (const TFileError&) {
        const std::string kind = NonRegularKind(fileName);
        if (kind.empty()) throw;
        throw TFileError(FileMessage(fileName, "is " + kind + ", not a model file"));
    }
    if (BeginsAsXml(prefix)) return OpenDocument(document, fileName, options);
    if (NamedDae(fileName))
        throw TFileError(FileMessage(fileName, size == 0 ? "is empty, not a COLLADA document"
                                                         : "does not begin as an XML document, as a COLLADA "
                                                           "document does"));
    const TFormatVerdict verdict = JudgeModelFormat(fileName, prefix, size);
    if (!verdict.Format) throw TFileError(FileMessage(fileName, verdict.Refusal));
    TOpenedModel model;
    model.Reader = EReader::Import;
    const TModelScene scene = ReadWithModelLibrary(fileName, LimitsFor(fileName, options));
    return Build(std::move(model), scene, document, fileName, options);
}

int AddToEngine(TColladaEngine& engine, TOpenedModel& model) {
    for (TDoorTexture& texture : model.Textures) engine.TextureEngine->Provide(texture.Key, std::move(texture.Pixels));
    model.Textures.clear();
    return engine.AddAsset(std::move(model.Asset));
}

TDrawnCounts CountDrawn(const TColladaAsset& asset) {
    TDrawnCounts counts;
    std::set<std::string> textures;
    for (const auto& node : asset.VisualScenes->Items) {
        if (!asset.Draws(*node)) continue;
        ++counts.Nodes;
        counts.Triangles += static_cast<long long>(
            asset.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)]->TriangleIndices.Count() / 3);
        if (const std::string* texture = asset.TextureFileOf(*node); texture && *texture != PlainTextureKey)
            textures.insert(*texture);
    }
    counts.Textures = static_cast<long long>(textures.size());
    return counts;
}
