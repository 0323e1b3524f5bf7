// The one folder an import writes into, written so that a model cannot make it touch anything else: files are
// created there by bare names only, exclusively and without following links, so that nothing already there is
// written over, and the document goes to a temporary file first, renamed into place once it is complete and
// checked. Every failure names the file and the system's reason.
#pragma once

#include <span>
#include <stdexcept>
#include <string>

class TOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TOutputFolder {
public:
    // Opens the folder (made first, with its parents, when missing).
    explicit TOutputFolder(const std::string& folder);
    ~TOutputFolder();
    TOutputFolder(const TOutputFolder&) = delete;
    TOutputFolder& operator=(const TOutputFolder&) = delete;

    const std::string& Path() const { return Folder; }
    // Writes the bytes to a new file named `stem` + `extension` (a bare name), or, when that name is taken,
    // stem-2, stem-3, ...; a file already there that holds exactly these bytes is taken as it is. The name
    // the bytes are under.
    std::string WriteNew(const std::string& stem, const std::string& extension, std::span<const unsigned char> bytes);

    // The document's text in a temporary file beside `name`, complete and flushed to the disk; its path.
    // CommitDocument renames it to `name`, replacing what was there; DiscardDocument removes it.
    std::string WriteDocument(const std::string& name, const std::string& text);
    void CommitDocument();
    void DiscardDocument();

private:
    std::string Folder;
    int Descriptor = -1;
    std::string PendingName, PendingTarget;
};

// The temporary document of the import in hand, if any: removed when the process is told to end, so that an
// interrupted import leaves the folder as it found it.
void RemovePendingDocumentOnSignals();
