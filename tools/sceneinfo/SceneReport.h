// What sceneinfo learnt about one document: the outcome of loading it exactly as the engine does, the asset
// as far as the load got, the notes the loader made while reading, and (after a failure) what a survey of
// the rest of the document found in the way.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Colladaasset.h"
#include "LoadNotes.h"
#include "XmlDocument.h"

// One kind of note: its code, how many notes have it, and the first of them.
struct TCause {
    std::string Code;
    long long Count = 0;
    int FirstLine = 0;
    bool AfterFailure = false;
    long long NotKept = 0;  // of Count, the notes past the loader's first few thousand, counted but not kept
};

// What the programs and scenerender draw of the file, opened through the door: which reader opened it, and
// what it draws.
struct TOpenedSummary {
    std::string Reader;  // "engine", "collada" or "import"
    long long Nodes = 0;
    long long Triangles = 0;  // a geometry placed twice counts twice
    long long Textures = 0;
};

struct TSceneReport {
    std::string File;
    bool Loaded = false;
    std::optional<std::string> Error;  // why the load failed; none when it succeeded
    std::unique_ptr<TColladaAsset> Asset;
    // The loader's notes up to the end of the load or its failure, then those the survey found after it; of
    // each cause only those the loader kept.
    std::vector<TLoadNote> Notes;
    std::vector<TCause> Causes;  // in the order each code first appears among the notes
    int NodesDrawn = 0;          // of the asset's nodes; 0 when the load failed
    // True when the notes show the document follows another exporter's naming and structure conventions.
    bool OtherConventions = false;
    // The load stopped where the document outgrew the memory a document of its size may take.
    bool OutgrewMemory = false;
    // Set by ReportOpened: what the door opens of the file, or why it cannot.
    std::optional<TOpenedSummary> Opened;
    std::optional<std::string> OpenError;

    long long NoteCount() const;

    // The link passes run only at the end of a successful load; before that no index means anything.
    bool Linked() const { return Loaded; }
};

// Loads the file into a new asset through the given document, with the loader's notes, and surveys the
// rest of the document when the load fails. Never throws for anything the file holds.
TSceneReport BuildSceneReport(TXmlDocument& document, const std::string& file);

// Opens the file through the door into `document`, as the programs do, and records what it draws in the
// report. A document that outgrew its memory is not read again: every reader would meet the same wall.
void ReportOpened(TSceneReport& report, TXmlDocument& document);

// The command that rewrites a document of other conventions into the form the engine reads.
inline constexpr const char* ImportCommand = "sceneimport [--up z|y] [--size METRES] INPUT OUTPUT.dae";

// Calls visit(key, array, components) for the eight arrays of a geometry, in the engine's order of them;
// components is how many numbers make one vertex (1 for the index lists).
template <typename Visit>
void ForEachGeometryArray(const TGeometry& geometry, Visit&& visit) {
    for (const TGeometryStream& stream : GeometryStreams)
        std::visit(
            [&](auto member) { visit(stream.Name, geometry.*member, static_cast<std::size_t>(stream.Components)); },
            stream.Values);
}
