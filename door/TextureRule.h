// The one rule for finding the file a document or model names as a texture, for the door, sceneinfo and
// scenerender alike: the name as written (relative to the working directory), then beside the document, then,
// for an absolute or a Windows path written on another machine, its file name beside the document.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The places the name may mean, in the order they are tried; none for a name that holds a NUL or another
// control byte, which no file name written by an exporter holds and a hostile one uses to name another file.
std::vector<std::string> TextureCandidates(const std::string& textureName, const std::string& documentFile);

// The first candidate that is a regular file; none when no candidate is.
std::optional<std::string> FindTexture(const std::string& textureName, const std::string& documentFile);
