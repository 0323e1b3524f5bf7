// The scene documents of the two programs. Their images are named "../data/FILE", the path the programs
// open relative to their working directory beside the data folder.
#pragma once

#include <string>

// models.dae, ground.dae, rocks.dae and sky.dae of the walk-through viewer (z up), written into `folder`.
void WriteWalkScenes(const std::string& folder);
// model.dae of the shading demo (y up), written into `folder`.
void WriteShadingModel(const std::string& folder);

// The image path a document gives for a texture file of the data folder.
inline std::string DataPath(const std::string& fileName) { return "../data/" + fileName; }
