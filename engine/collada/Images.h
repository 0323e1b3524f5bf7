// <image> elements into the model scene's images: a file by its path, or the bytes the document holds.
#pragma once

#include <optional>

#include "LoadNotes.h"
#include "ModelScene.h"
#include "XmlDocument.h"

// The image as the scene keeps it; none, with a note, when it gives neither a file nor bytes (its
// <init_from> missing, commented out or empty).
std::optional<TModelImage> ReadImage(const TXmlNode& image, TLoadNotes* notes);
