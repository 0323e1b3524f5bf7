// The walk of a visual scene's node tree: each node's world placement is its parent's times its own
// transforms, and <instance_node> walks the named node's tree in place. Walked with a stack of its own, to a
// bounded depth and a bounded number of nodes, refusing a node that instances itself through its ancestors.
#pragma once

#include <cstddef>
#include <functional>

#include "Libraries.h"
#include "LoadNotes.h"
#include "Transforms.h"
#include "XmlDocument.h"

// Deeper trees than this are not found in real documents; only a hostile one nests further.
inline constexpr std::size_t MostNodeDepth = 256;
// The nodes a walk may visit, counting every visit of a node that several instances repeat.
inline constexpr std::size_t MostNodeVisits = std::size_t(1) << 20;

// Called for each <instance_geometry> and <instance_controller> with the world placement of its node; returns
// false to end the walk.
using TPlaceInstance = std::function<bool(const TXmlNode& instance, const TMatrix& world, const TXmlNode& node)>;

void WalkScene(const TXmlNode& visualScene, const TLibraries& libraries, TLoadNotes* notes,
               const TPlaceInstance& place);
