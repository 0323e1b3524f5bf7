#include "XmlDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <pugixml.hpp>
#include <sys/stat.h>

namespace {

// Comments and processing instructions are kept as nodes, since they count among an element's children;
// white space between elements yields no node.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

pugi::xml_node Wrap(pugi::xml_node_struct* node) {
    return pugi::xml_node(node);
}

std::string Quoted(std::string_view text) {
    return "\"" + EscapeForMessage(text) + "\"";
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned minimum = 0, value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; value = lead & 0x1F; minimum = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; value = lead & 0x0F; minimum = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; value = lead & 0x07; minimum = 0x10000; }
    else return 0;
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string EscapeForMessage(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\\') {
            out += "\\\\";
            ++i;
        } else if (const std::size_t length = c >= 0x80 ? Utf8SequenceLength(text.substr(i)) : 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
            ++i;
        }
    }
    return out;
}

// --- TXmlNode -------------------------------------------------------------------------------------------

bool TXmlNode::IsElement() const {
    return Node && Wrap(Node).type() == pugi::node_element;
}

std::string_view TXmlNode::Name() const {
    return IsElement() ? std::string_view(Wrap(Node).name()) : std::string_view();
}

int TXmlNode::ChildNodeCount() const {
    int count = 0;
    for (pugi::xml_node child = Wrap(Node).first_child(); child; child = child.next_sibling()) {
        if (count == std::numeric_limits<int>::max()) break;
        ++count;
    }
    return count;
}

TXmlNode TXmlNode::FirstChild(std::string_view name) const {
    if (!Node) return {};
    for (pugi::xml_node child = Wrap(Node).first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && name == child.name())
            return TXmlNode(Document, child.internal_object());
    return {};
}

TXmlNode TXmlNode::NextSibling() const {
    if (!Node) return {};
    return TXmlNode(Document, Wrap(Node).next_sibling().internal_object());
}

bool TXmlNode::HasAttribute(std::string_view name) const {
    if (!IsElement()) return false;
    for (pugi::xml_attribute attribute = Wrap(Node).first_attribute(); attribute;
         attribute = attribute.next_attribute())
        if (name == attribute.name()) return true;
    return false;
}

std::string TXmlNode::AttributeText(std::string_view name) const {
    if (IsElement())
        for (pugi::xml_attribute attribute = Wrap(Node).first_attribute(); attribute;
             attribute = attribute.next_attribute())
            if (name == attribute.name()) return attribute.value();
    Fail("has no attribute " + Quoted(name));
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
        if (text[i] < '0' || text[i] > '9') valid = false;
        else if ((value = value * 10 + (text[i] - '0')) > 2147483648LL) valid = false;
    }
    if (negative) value = -value;
    if (!valid || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        Fail("attribute " + Quoted(name) + " is not a 32-bit integer: " + Quoted(text));
    return static_cast<int>(value);
}

std::string_view TXmlNode::Text() const {
    if (!Node) return {};
    // A comment or instruction reached by a sibling walk reads as its own content, as a DOM node's text does.
    if (!IsElement()) return Wrap(Node).value();
    pugi::xml_node first = Wrap(Node).first_child();
    if (!first) return {};
    const bool single = !first.next_sibling();
    if (!single || (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata))
        Fail("holds more than a single text");
    return first.value();
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

void TXmlNode::Fail(std::string_view what) const {
    const std::string file = Document ? Document->FileName() : std::string();
    throw TXmlError(file + ":" + std::to_string(Line()) + ": " + Describe() + " " + std::string(what));
}

// --- TXmlDocument ---------------------------------------------------------------------------------------

TXmlDocument::TXmlDocument() : Tree(std::make_unique<pugi::xml_document>()) {}

TXmlDocument::~TXmlDocument() = default;

void TXmlDocument::Clear() {
    Tree->reset();
    Buffer.reset();
    BufferSize = 0;
    LineStarts.clear();
    Active = false;
}

void TXmlDocument::LoadFromFile(const std::string& fileName) {
    Clear();
    Name = fileName;
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0)
        throw TXmlError(fileName + ": cannot open: " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw TXmlError(fileName + ": not a regular file");
    std::ifstream stream(fileName, std::ios::binary);
    if (!stream)
        throw TXmlError(fileName + ": cannot open: " + std::strerror(errno));
    BufferSize = static_cast<std::size_t>(info.st_size);
    Buffer = AllocateLargeArray<char>(BufferSize + 1);
    if (BufferSize > 0 && !stream.read(Buffer.get(), static_cast<std::streamsize>(BufferSize))) {
        Clear();
        throw TXmlError(fileName + ": read failed");
    }
    Buffer[BufferSize] = '\0';

    const pugi::xml_parse_result result =
        Tree->load_buffer_inplace(Buffer.get(), BufferSize, ParseOptions, pugi::encoding_auto);
    if (!result) {
        const std::ptrdiff_t offset = result.offset;
        const int line = LineAt(offset);
        const std::size_t column = line > 0 ? static_cast<std::size_t>(offset) - LineStarts[line - 1] + 1 : 0;
        Clear();
        throw TXmlError(fileName + ":" + std::to_string(line) + ":" + std::to_string(column) +
                        ": malformed XML: " + result.description());
    }
}

TXmlNode TXmlDocument::DocumentElement() const {
    return TXmlNode(this, Tree->document_element().internal_object());
}

// Lines are counted only when a message needs one, from the file as stored: parsing in place has rewritten
// the buffer, and counting every load would cost a pass over large documents for nothing.
void TXmlDocument::CountLines() const {
    if (!LineStarts.empty() || Name.empty()) return;
    std::ifstream stream(Name, std::ios::binary);
    LineStarts.push_back(0);
    std::size_t position = 0;
    char block[1 << 16];
    while (stream.read(block, sizeof block) || stream.gcount() > 0) {
        const std::size_t got = static_cast<std::size_t>(stream.gcount());
        for (const char* p = block; (p = static_cast<const char*>(std::memchr(p, '\n', got - (p - block))));)
            LineStarts.push_back(position + static_cast<std::size_t>(++p - block));
        position += got;
    }
}

int TXmlDocument::LineAt(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    CountLines();
    const auto after = std::upper_bound(LineStarts.begin(), LineStarts.end(), static_cast<std::size_t>(offset));
    return static_cast<int>(after - LineStarts.begin());
}

std::ptrdiff_t TXmlDocument::OffsetOf(pugi::xml_node_struct* node) const {
    return Wrap(node).offset_debug();
}
