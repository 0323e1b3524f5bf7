// The reader of COLLADA documents as every exporter writes them, into the model scene that the asset builder
// turns into what the engine draws. The engine's own loader (Colladaasset.h) reads its own conventions only;
// this one follows the document's links: ids, accessors, inputs, node trees, bindings.
#pragma once

#include <string>

#include "LoadNotes.h"
#include "ModelScene.h"
#include "XmlDocument.h"

// Reads a COLLADA document of any exporter's conventions into a model scene: the visual scene that <scene>
// instantiates (the first, if none), each node's geometries and skins placed by the product of the transforms
// from the root down, one mesh per geometry and primitive block, materials of a diffuse colour or an image.
// Units and up axis are given as the document writes them, not applied. Loads `fileName` into `document`,
// replacing what it held. A malformed document raises TXmlError "FILE:LINE: <element> WHAT"; what is left out
// or repaired goes to `notes` with its line and element. With a surveying sink an error in one geometry or
// instance becomes a note and reading goes on.
TModelScene ReadColladaScene(TXmlDocument& document, const std::string& fileName, TLoadNotes* notes = nullptr);
