// The door: any model file opened into the engine's asset in memory. A document the engine's loader reads with
// no note is loaded by that loader, exactly as the programs always loaded their documents; any other COLLADA
// document goes through the engine's full COLLADA reader; every other format accepted goes through the model
// library in a worker process of its own. Every texture is found by the one rule (TextureRule.h) and decoded
// in memory, whatever its format, under the texture store's limits, so that the engine uploads pixels and
// never opens an image file of a model itself.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Colladaasset.h"
#include "LoadNotes.h"
#include "ModelLibrary.h"
#include "TexturePixels.h"

class TColladaEngine;

enum class EReader { Engine, Collada, Import };

// The texture store's key for the plain white image of surfaces drawn in their colour alone.
inline constexpr const char* PlainTextureKey = "(plain white)";

// How sceneinfo and the tools name the reader: "engine", "collada" or "import".
const char* ReaderName(EReader reader);

struct TDoorOptions {
    // The axis the scene of a model read by the COLLADA reader or the model library stands up along ('z' or
    // 'y'): the walk-through viewer's ground is z = 0, the shading demo shows y up. A document in the
    // engine's conventions is taken as it stands.
    char UpAxis = 'z';
    // Scale the scene so that its largest extent is this long.
    std::optional<double> SizeMetres;
    // A thumbnail's bounds: less time and memory for the model library, and textures decoded no larger than
    // a picture of the size needs (JPEG images reduced as they are decoded; others too large left out).
    bool Thumbnail = false;
    // Keep the bytes of every texture file that decoded as a bitmap or a JPEG image, for a writer that copies
    // them as they are.
    bool KeepImageFiles = false;
    // The model library's bounds, when not those that follow the file (WorkerLimitsFor, or a thumbnail's).
    std::optional<TWorkerLimits> WorkerLimits;
};

// A texture of the opened model: the file name the asset's image library gives it (the texture store's key)
// and its decoded pixels.
struct TDoorTexture {
    std::string Key;
    TTexturePixels Pixels;
    std::string Source;                  // the file it was read from, or the model file for an embedded image
    std::string Name;                    // a name for it: its file name, or the model's name for the image
    std::vector<unsigned char> Encoded;  // with KeepImageFiles: the file's bytes, when a bitmap or a JPEG
    bool Jpeg = false;                   // what Encoded holds: a JPEG image, or else a bitmap
};

struct TOpenedModel {
    std::unique_ptr<TColladaAsset> Asset;
    EReader Reader = EReader::Engine;
    std::vector<TDoorTexture> Textures;
    // What was left out or changed on the way, one sentence each, without the file's name: what the model
    // library dropped, textures that could not be found or decoded, instances the builder transformed.
    std::vector<std::string> Warnings;
    // The COLLADA reader's notes, with their lines and elements.
    TLoadNotes Notes;
};

// Opens the file through `document`. Raises an exception whose message names the file (TFileError for a file
// that is missing or not a regular file, TXmlError for a malformed document, the model library's error for a
// file of another format it cannot read, or a refusal of a format not read).
TOpenedModel OpenModel(TXmlDocument& document, const std::string& fileName, const TDoorOptions& options = {});

// Hands the model to the engine: its textures to the texture store, its asset to the list (LoadAsset's order
// of work after the load). The asset's index.
int AddToEngine(TColladaEngine& engine, TOpenedModel& model);

// What a frame draws of an asset: its nodes that draw, the triangles they draw (a geometry placed twice counts
// twice), and the distinct textures they bind (not the plain white one of surfaces drawn in their colour).
struct TDrawnCounts {
    long long Nodes = 0;
    long long Triangles = 0;
    long long Textures = 0;
};
TDrawnCounts CountDrawn(const TColladaAsset& asset);
