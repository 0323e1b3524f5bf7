// The XML reader the loader goes through: a thin adapter over pugixml that offers exactly the
// operations the COLLADA readers rely on, with errors that name the file, the line and the element.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "LargeAllocation.h"
#include "LineIndex.h"
#include "MessageText.h"
#include "TreeArena.h"

namespace pugi {
struct xml_node_struct;
class xml_document;
}  // namespace pugi

class TXmlDocument;

// Raised for an unreadable file, malformed XML, a missing attribute read as text or integer, a value that
// is not an integer, an element text that is not a single text node, and every hostile count the readers
// find. The message always starts with "FILE:LINE: ".
class TXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when reading a document would take more memory than a document of its size may use (see
// TXmlDocument::MemoryBudget): markup so dense that its tree and records outgrow the file many times over.
// Reading on past it can only meet the same wall, so a survey stops there too.
class TXmlMemoryError : public TXmlError {
public:
    using TXmlError::TXmlError;
};

// A node of the loaded document, or none. Cheap to copy; valid while its document holds the same file.
class TXmlNode {
public:
    TXmlNode() = default;
    TXmlNode(const TXmlDocument* document, pugi::xml_node_struct* node) : Document(document), Node(node) {}

    explicit operator bool() const { return Node != nullptr; }
    bool IsElement() const;

    // The element's name; empty for comments, processing instructions and text.
    std::string_view Name() const;
    // Every child node: elements, comments and processing instructions (white space between elements yields none).
    int ChildNodeCount() const;
    // The first child element whose name equals the given one exactly, or none.
    TXmlNode FirstChild(std::string_view name) const;
    // The next node in the parent's child list, whatever its kind, or none after the last.
    TXmlNode NextSibling() const;
    // The first child node, whatever its kind, or none: with NextSibling, every child in document order. The
    // text an element holds before its first child is its own (Text), not a child node.
    TXmlNode FirstChildNode() const;
    // The same node of the same document.
    friend bool operator==(const TXmlNode&, const TXmlNode&) = default;

    bool HasAttribute(std::string_view name) const;
    // The attribute's value; raises TXmlError when the element has no such attribute (a missing attribute is
    // never read as an empty one).
    std::string AttributeText(std::string_view name) const;
    // The attribute's value as a 32-bit integer in decimal; raises TXmlError when it is missing or not an integer.
    int AttributeInt(std::string_view name) const;

    // The text of an element holding one text or CDATA node; empty for an element with no content. Raises
    // TXmlError for an element that holds anything else (several nodes, a comment, an element). A comment or
    // processing instruction gives its own content.
    std::string_view Text() const;

    // Gives back the memory of a long element text once the loader has read it: from then on the text reads
    // as empty. Short texts are kept, since the pages they share with markup could not be given back.
    void ReleaseText() const;

    // The 1-based line on which the node starts, or 0 when it is not known.
    int Line() const;
    // How the node is named in messages: <name> for an element, <!--comment--> for a comment, <?name?> for an
    // instruction.
    std::string Describe() const;
    // Raises TXmlError "FILE:LINE: <element> WHAT".
    [[noreturn]] void Fail(std::string_view what) const;
    // Counts `bytes` that a reader keeps for this node against its document's memory budget; raises
    // TXmlMemoryError at this node when they do not fit.
    void ChargeMemory(std::size_t bytes) const;

private:
    // "FILE:LINE: <element> WHAT".
    std::string Located(std::string_view what) const;

    const TXmlDocument* Document = nullptr;
    pugi::xml_node_struct* Node = nullptr;
};

// A node and every node after it in its parent's child list, whatever their names or kinds, for a range
// loop: `for (const TXmlNode element : SiblingsFrom(library.FirstChild("effect")))`. Empty when `first` is none.
class TXmlSiblings {
public:
    class iterator {
    public:
        explicit iterator(TXmlNode node) : Node(node) {}
        TXmlNode operator*() const { return Node; }
        iterator& operator++() {
            Node = Node.NextSibling();
            return *this;
        }
        // Only the end of the range is ever compared with: the walk goes on while either side is a node.
        bool operator!=(const iterator& other) const {
            return static_cast<bool>(Node) || static_cast<bool>(other.Node);
        }

    private:
        TXmlNode Node;
    };

    explicit TXmlSiblings(TXmlNode first) : First(first) {}
    iterator begin() const { return iterator(First); }
    iterator end() const { return iterator(TXmlNode()); }

private:
    TXmlNode First;
};

inline TXmlSiblings SiblingsFrom(TXmlNode first) { return TXmlSiblings(first); }

// One document object serves every load in turn: loading a file replaces what it held before.
class TXmlDocument {
public:
    TXmlDocument();
    ~TXmlDocument();
    TXmlDocument(const TXmlDocument&) = delete;
    TXmlDocument& operator=(const TXmlDocument&) = delete;

    // Parses the whole file. Raises TXmlError naming the file (and line and column for malformed XML) when it
    // cannot be read or is not well-formed; the document is then empty.
    void LoadFromFile(const std::string& fileName);
    // The loaded content is kept until the next load; an asset copies what it needs and keeps no node.
    void SetActive(bool active) { Active = active; }
    bool IsActive() const { return Active; }

    TXmlNode DocumentElement() const;
    const std::string& FileName() const { return Name; }
    // The file's size in bytes.
    std::size_t Size() const { return BufferSize; }

    // What loading a document of `fileSize` bytes may take: its bytes, line index, tree and the records the
    // readers keep for its elements. The vertex streams that its geometries expand to are not counted: a mesh
    // may take what its streams need.
    static std::size_t MemoryBudget(std::size_t fileSize);
    // Counts bytes kept for the current document; false, counting nothing, when they would exceed its budget.
    // Only bookkeeping: the readers, which hold the document as const, charge what they keep.
    bool Charge(std::size_t bytes) const;

    // The 1-based line holding the given byte offset of the file.
    int LineAt(std::ptrdiff_t offset) const;
    // The byte offset at which the node's name starts, or -1.
    std::ptrdiff_t OffsetOf(pugi::xml_node_struct* node) const;
    // Returns the whole pages inside the text to the system, when the text lies in the file's bytes.
    void ReleasePages(std::string_view text) const;

    // Drops the loaded content, which can be many times the file's size, once no node of it is needed.
    void Clear();

private:
    // Drops the tree and the file's bytes but keeps their storage for the next load.
    void DropContent();

    TTreeArena Arena;  // before the tree, which gives its pages back when it goes
    std::unique_ptr<pugi::xml_document> Tree;
    TLargeArray<char> Buffer;  // the file's bytes, parsed in place
    std::size_t BufferSize = 0;
    std::size_t BufferCapacity = 0;  // what Buffer holds, which may be more than this file needs
    TLineIndex Lines;                // marked before parsing in place rewrites the bytes
    std::string Name;
    std::size_t Budget = 0;  // of the current file
    mutable std::size_t Spent = 0;
    bool Active = false;
};
