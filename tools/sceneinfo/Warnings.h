// Explanations of what in a document will not be drawn, and why: mesh sources that miss the naming
// convention, primitive kinds that are not read, nodes that cannot be placed, links to nothing, missing
// image files, and indices that the stream expansion had to leave out.
#pragma once

#include <string>
#include <vector>

#include "SceneReport.h"

// Walks the document a second time through the reader (never recursing with its depth) and looks at the
// asset as far as it was read. Link warnings are given only when the links were made.
std::vector<std::string> CollectWarnings(const TXmlDocument& document, const TSceneReport& report);
