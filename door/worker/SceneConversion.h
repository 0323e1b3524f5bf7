// The model library's scene as the door takes it: every mesh of triangles or lines with its streams indexed,
// every place the node tree puts one with its world matrix, the materials and images, the unit and the up
// axis, and a warning for each kind of thing left out.
#pragma once

#include <stdexcept>

#include "ModelFormats.h"
#include "ModelScene.h"

struct aiScene;

// Deeper node trees than this are taken for a loop or an attack, not a model.
inline constexpr int MaxNodeDepth = 1000;
// A node tree may place a mesh many times over; past this many places (or this many nodes visited) the walk
// stops, with a warning, so that a small file that shares nodes cannot make it run for ever.
inline constexpr std::size_t MaxInstances = 1 << 18;
inline constexpr std::size_t MaxNodesVisited = 1 << 20;

// What makes a scene unusable, in words that follow "FILE: ".
class TConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

TModelScene ConvertScene(const aiScene& source, EModelFormat format);
