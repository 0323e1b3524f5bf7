// The proof an import worked: the written document loaded by the engine's own loader, with nothing it
// would leave undrawn.
#pragma once

#include <string>
#include <vector>

struct TLoadCheck {
    bool Loaded = false;
    std::vector<std::string> Problems;  // the load error, or each note the loader makes
    long long DrawnTriangles = 0;       // counted once per node that draws them
};

// Loads `document` from the folder it is in, since its textures are named relative to that folder.
TLoadCheck CheckDocument(const std::string& document);
