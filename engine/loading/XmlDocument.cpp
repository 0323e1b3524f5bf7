#include "XmlDocument.h"

#include <sys/mman.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <pugixml.hpp>

#include "FileRead.h"
#include "LoaderThreads.h"

namespace {

// Comments and processing instructions are kept as nodes, since they count among an element's children;
// white space between elements yields no node.
// An element whose first child is a text keeps that text as its own value instead of in a node of its own:
// most elements of a scene hold one text of numbers, and the node would cost 64 bytes and a pointer to follow.
constexpr unsigned ParseOptions =
    pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_embed_pcdata;

pugi::xml_node Wrap(pugi::xml_node_struct* node) { return pugi::xml_node(node); }

// The text an element keeps as its value stood first among its children in the file; empty when it had none.
std::string_view EmbeddedText(pugi::xml_node element) { return element.value(); }

// A name the parser stored against one looked up: stops at the first character that differs, where comparing
// string views would first measure the stored name. Looking up a child compares against every sibling before it,
// so this is on the path of every element a load reads.
bool NameIs(const char* stored, std::string_view name) {
    for (const char c : name) {
        if (c == '\0' || *stored != c) return false;
        ++stored;
    }
    return *stored == '\0';
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The tree of a parse under way on this thread is counted against its document's budget and cut from its
// document's arena; the parser asks for pages of its own size, so this costs a call per page, not per node.
// Frees are not subtracted: the parser keeps what it takes until the tree is dropped.
thread_local TXmlDocument* ParseUnderWay = nullptr;
thread_local TTreeArena* ArenaUnderWay = nullptr;
thread_local bool TreeRefused = false;

// Kept before every block given to the parser: whether the C library gives it back, or the arena it was cut
// from, when the arena is reused.
struct alignas(16) TTreeBlockHeader {
    bool FromHeap;
};

void* AllocateTreeMemory(std::size_t bytes) {
    if (bytes > std::numeric_limits<std::size_t>::max() - sizeof(TTreeBlockHeader)) return nullptr;
    if (ParseUnderWay && !ParseUnderWay->Charge(bytes)) {
        TreeRefused = true;
        return nullptr;
    }
    const std::size_t withHeader = sizeof(TTreeBlockHeader) + bytes;
    void* const block = ArenaUnderWay ? ArenaUnderWay->Allocate(withHeader) : std::malloc(withHeader);
    if (!block) return nullptr;
    TTreeBlockHeader* const header = new (block) TTreeBlockHeader{ArenaUnderWay == nullptr};
    return header + 1;
}

void FreeTreeMemory(void* block) {
    TTreeBlockHeader* const header = static_cast<TTreeBlockHeader*>(block) - 1;
    if (header->FromHeap) std::free(header);
}

// Set before any tree of the process holds memory, since a block must be freed by the hooks that made it.
[[maybe_unused]] const bool TreeMemoryHooked =
    (pugi::set_memory_management_functions(AllocateTreeMemory, FreeTreeMemory), true);

class TParseAccount {
public:
    TParseAccount(TXmlDocument& document, TTreeArena& arena) {
        ParseUnderWay = &document;
        ArenaUnderWay = &arena;
        TreeRefused = false;
    }
    ~TParseAccount() {
        ParseUnderWay = nullptr;
        ArenaUnderWay = nullptr;
    }
    TParseAccount(const TParseAccount&) = delete;
    TParseAccount& operator=(const TParseAccount&) = delete;
};

constexpr std::size_t MemoryPerByte = 16;
constexpr std::size_t MemoryAllowance = std::size_t(64) << 20;

std::string BudgetText(std::size_t fileSize) {
    return "the " + std::to_string(TXmlDocument::MemoryBudget(fileSize) >> 20) + " MiB that a document of " +
           std::to_string(fileSize) + " bytes may take (" + std::to_string(MemoryPerByte) + " times its size plus " +
           std::to_string(MemoryAllowance >> 20) + " MiB)";
}

}  // namespace

// --- TXmlNode -------------------------------------------------------------------------------------------

bool TXmlNode::IsElement() const { return Node && Wrap(Node).type() == pugi::node_element; }

std::string_view TXmlNode::Name() const {
    return IsElement() ? std::string_view(Wrap(Node).name()) : std::string_view();
}

int TXmlNode::ChildNodeCount() const {
    int count = IsElement() && !EmbeddedText(Wrap(Node)).empty() ? 1 : 0;
    for (pugi::xml_node child = Wrap(Node).first_child(); child; child = child.next_sibling()) {
        if (count == std::numeric_limits<int>::max()) break;
        ++count;
    }
    return count;
}

TXmlNode TXmlNode::FirstChild(std::string_view name) const {
    if (!Node) return {};
    for (pugi::xml_node child = Wrap(Node).first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && NameIs(child.name(), name))
            return TXmlNode(Document, child.internal_object());
    return {};
}

TXmlNode TXmlNode::NextSibling() const {
    if (!Node) return {};
    return TXmlNode(Document, Wrap(Node).next_sibling().internal_object());
}

TXmlNode TXmlNode::FirstChildNode() const {
    if (!Node) return {};
    return TXmlNode(Document, Wrap(Node).first_child().internal_object());
}

bool TXmlNode::HasAttribute(std::string_view name) const {
    if (!IsElement()) return false;
    for (pugi::xml_attribute attribute = Wrap(Node).first_attribute(); attribute;
         attribute = attribute.next_attribute())
        if (NameIs(attribute.name(), name)) return true;
    return false;
}

std::string TXmlNode::AttributeText(std::string_view name) const {
    if (IsElement())
        for (pugi::xml_attribute attribute = Wrap(Node).first_attribute(); attribute;
             attribute = attribute.next_attribute())
            if (NameIs(attribute.name(), name)) return attribute.value();
    Fail("has no attribute " + QuotedForMessage(name));
}

int TXmlNode::AttributeInt(std::string_view name) const {
    const std::string text = AttributeText(name);
    std::size_t first = 0, last = text.size();
    while (first < last && IsXmlSpace(text[first])) ++first;
    while (last > first && IsXmlSpace(text[last - 1])) --last;
    std::size_t i = first;
    const bool negative = i < last && text[i] == '-';
    if (i < last && (text[i] == '-' || text[i] == '+')) ++i;
    long long value = 0;
    bool valid = i < last;
    for (; valid && i < last; ++i) {
        if (text[i] < '0' || text[i] > '9')
            valid = false;
        else if ((value = value * 10 + (text[i] - '0')) > 2147483648LL)
            valid = false;
    }
    if (negative) value = -value;
    if (!valid || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        Fail("attribute " + QuotedForMessage(name) + " is not a 32-bit integer: " + QuotedForMessage(text));
    return static_cast<int>(value);
}

std::string_view TXmlNode::Text() const {
    if (!Node) return {};
    // A comment or instruction reached by a sibling walk reads as its own content, as a DOM node's text does.
    if (!IsElement()) return Wrap(Node).value();
    const pugi::xml_node element = Wrap(Node);
    const pugi::xml_node first = element.first_child();
    const std::string_view embedded = EmbeddedText(element);
    if (!embedded.empty()) {
        if (first) Fail("holds more than a single text");
        return embedded;
    }
    if (!first) return {};
    const bool single = !first.next_sibling();
    if (!single || (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata))
        Fail("holds more than a single text");
    return first.value();
}

void TXmlNode::ReleaseText() const {
    constexpr std::size_t LongText = std::size_t(1) << 20;
    if (!IsElement() || !Document) return;
    const pugi::xml_node element = Wrap(Node);
    const std::string_view value = EmbeddedText(element);
    if (value.size() < LongText || element.first_child()) return;
    Document->ReleasePages(value);
    element.text().set("");
}

int TXmlNode::Line() const {
    if (!Document || !Node) return 0;
    const std::ptrdiff_t offset = Document->OffsetOf(Node);
    return offset < 0 ? 0 : Document->LineAt(offset);
}

std::string TXmlNode::Describe() const {
    if (!Node) return "<>";
    pugi::xml_node node = Wrap(Node);
    switch (node.type()) {
    case pugi::node_element: return "<" + EscapeForMessage(node.name()) + ">";
    case pugi::node_comment: return "<!--comment-->";
    case pugi::node_pi: return "<?" + EscapeForMessage(node.name()) + "?>";
    default: return "text";
    }
}

std::string TXmlNode::Located(std::string_view what) const {
    const std::string file = Document ? Document->FileName() : std::string();
    return EscapeForMessage(file) + ":" + std::to_string(Line()) + ": " + Describe() + " " + std::string(what);
}

void TXmlNode::Fail(std::string_view what) const { throw TXmlError(Located(what)); }

void TXmlNode::ChargeMemory(std::size_t bytes) const {
    if (!Document || Document->Charge(bytes)) return;
    throw TXmlMemoryError(Located("takes the load past " + BudgetText(Document->Size())));
}

// --- TXmlDocument ---------------------------------------------------------------------------------------

TXmlDocument::TXmlDocument() : Tree(std::make_unique<pugi::xml_document>()) {}

TXmlDocument::~TXmlDocument() = default;

void TXmlDocument::Clear() {
    DropContent();
    Arena.Release();
    Buffer.reset();
    BufferCapacity = 0;
}

void TXmlDocument::DropContent() {
    Tree->reset();
    Arena.Reuse();
    BufferSize = 0;
    Lines.Clear();
    Active = false;
    Budget = Spent = 0;
}

std::size_t TXmlDocument::MemoryBudget(std::size_t fileSize) {
    const std::size_t most = std::numeric_limits<std::size_t>::max();
    return fileSize > (most - MemoryAllowance) / MemoryPerByte ? most : fileSize * MemoryPerByte + MemoryAllowance;
}

bool TXmlDocument::Charge(std::size_t bytes) const {
    if (bytes > Budget - Spent) return false;
    Spent += bytes;
    return true;
}

namespace {

// Most of a large read is the kernel's: clearing fresh pages and copying into them. Each half of the file is
// provided and copied by a thread of its own.
void ReadInTwo(const TReadFile& file, char* bytes, std::size_t size) {
    ForHalves(size, 1, [&](std::size_t from, std::size_t to) {
        PopulatePages(bytes + from, to - from);
        file.Read(from, bytes + from, to - from);
    });
}

TTextEncoding EncodingOf(pugi::xml_encoding encoding) {
    switch (encoding) {
    case pugi::encoding_utf16_le: return TTextEncoding::Utf16Le;
    case pugi::encoding_utf16_be: return TTextEncoding::Utf16Be;
    case pugi::encoding_utf32_le: return TTextEncoding::Utf32Le;
    case pugi::encoding_utf32_be: return TTextEncoding::Utf32Be;
    case pugi::encoding_latin1: return TTextEncoding::Latin1;
    default: return TTextEncoding::Utf8;
    }
}

}  // namespace

// Lines are marked from the bytes read, before parsing in place rewrites them: the file is opened once, and
// a file replaced after the load (even by a FIFO) cannot change or stall a message. A document in another
// encoding is parsed from a UTF-8 copy that the parser makes, which leaves the bytes read untouched, so its
// lines are marked again afterwards at the positions of that copy.
void TXmlDocument::LoadFromFile(const std::string& fileName) {
    DropContent();
    Name = fileName;
    try {
        const TReadFile file(fileName);
        BufferSize = file.Size();
        Budget = MemoryBudget(BufferSize);
        // The last file's block serves again when the new file fills at least half of it: its pages are
        // already the process's, where a fresh block's must each be cleared by the kernel first.
        const std::size_t needed = BufferSize + 1;
        if (!Buffer || needed > BufferCapacity || needed < BufferCapacity / 2) {
            Buffer.reset();
            BufferCapacity = 0;
            try {
                Buffer = AllocateLargeArray<char>(needed, TPages::Later);
            } catch (const std::bad_alloc&) {
                throw TOutOfMemory(FileMessage(fileName, "out of memory for " + std::to_string(needed) + " bytes"));
            }
            BufferCapacity = needed;
        }
        ReadInTwo(file, Buffer.get(), BufferSize);
    } catch (const TFileError& error) {
        Clear();
        throw TXmlError(error.what());
    }
    Buffer[BufferSize] = '\0';
    Lines.Build({Buffer.get(), BufferSize}, TTextEncoding::Utf8);
    // A part of the budget is held back for what is not counted: the allocator's headers and free blocks.
    // The bytes and their line index always fit the rest.
    Charge(Budget / 32 + BufferCapacity + Lines.MemoryBytes());

    pugi::xml_parse_result result;
    bool refused = false;
    {
        const TParseAccount account(*this, Arena);
        result = Tree->load_buffer_inplace(Buffer.get(), BufferSize, ParseOptions, pugi::encoding_auto);
        refused = TreeRefused;
    }
    Arena.ReleaseUnreached();
    const TTextEncoding encoding = EncodingOf(result.encoding);
    const bool converted = encoding != TTextEncoding::Utf8 &&
                           (encoding != TTextEncoding::Latin1 || std::any_of(Buffer.get(), Buffer.get() + BufferSize,
                                                                             [](char c) { return (c & 0x80) != 0; }));
    if (converted) {
        Lines.Build({Buffer.get(), BufferSize}, encoding);
        Buffer.reset();  // the parser holds its own copy
        BufferCapacity = 0;
    }
    if (!result) {
        const std::size_t offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        const int line = Lines.LineAt(offset);
        const std::size_t column = Lines.ColumnAt(offset);
        const std::string where =
            EscapeForMessage(fileName) + ":" + std::to_string(line) + ":" + std::to_string(column);
        const std::size_t size = BufferSize;
        Clear();
        if (refused && result.status == pugi::status_out_of_memory)
            throw TXmlMemoryError(where + ": markup too dense: its tree outgrows " + BudgetText(size));
        throw TXmlError(where + ": malformed XML: " + result.description());
    }
}

TXmlNode TXmlDocument::DocumentElement() const { return TXmlNode(this, Tree->document_element().internal_object()); }

void TXmlDocument::ReleasePages(std::string_view text) const {
    const char* const bytes = Buffer.get();
    if (!bytes || text.data() < bytes || text.data() + text.size() > bytes + BufferSize) return;
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(text.data()) + page - 1) & ~(page - 1);
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(text.data() + text.size()) & ~(page - 1);
    // Only advice: where it is not taken the pages simply stay until the document is cleared.
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

int TXmlDocument::LineAt(std::ptrdiff_t offset) const {
    return offset < 0 ? 0 : Lines.LineAt(static_cast<std::size_t>(offset));
}

std::ptrdiff_t TXmlDocument::OffsetOf(pugi::xml_node_struct* node) const { return Wrap(node).offset_debug(); }
