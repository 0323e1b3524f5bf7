// The one rule for finding the file a document or model names as a texture, for the door, sceneinfo and
// scenerender alike: a relative name beside the document first, as every exporter means it, then as written
// (relative to the working directory, where the programs' own documents name theirs); an absolute name as
// written; and for an absolute or a Windows path written on another machine, its file name beside the
// document.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The places the name may mean, in the order they are tried; none for a name that holds a NUL or another
// control byte, which no file name written by an exporter holds and a hostile one uses to name another file.
std::vector<std::string> TextureCandidates(const std::string& textureName, const std::string& documentFile);

// What a path names that is there but is no regular file ("a folder", "a named pipe", "a device", "a socket"),
// in the words of a refusal; empty for a regular file or nothing at all.
std::string NonRegularKind(const std::string& path);

// The first candidate that is a regular file; none when no candidate is.
std::optional<std::string> FindTexture(const std::string& textureName, const std::string& documentFile);
