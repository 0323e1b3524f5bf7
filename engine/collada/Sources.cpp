#include "Sources.h"

#include <climits>

#include "DecimalCommas.h"
#include "Uris.h"

long long ReadCountAttribute(const TXmlNode& element, std::string_view name, long long absent) {
    if (!element.HasAttribute(name)) return absent;
    const int value = element.AttributeInt(name);
    if (value < 0) element.Fail("attribute " + NoteQuoted(name) + " is negative: " + std::to_string(value));
    return value;
}

TMeshSources::TMeshSources(const TXmlNode& parent, TLoadNotes* notes) : Notes(notes) {
    for (const TXmlNode source : SiblingsFrom(parent.FirstChild("source")))
        if (source.Name() == "source" && source.HasAttribute("id")) {
            source.ChargeMemory(96);
            Elements.emplace(source.AttributeText("id"), source);
        }
}

const TAccessor& TMeshSources::Find(const TXmlNode& input) {
    const std::string reference = input.AttributeText("source");
    const std::string id(LocalId(reference));
    if (const auto parsed = Parsed.find(id); parsed != Parsed.end()) return parsed->second->Accessor;
    const auto element = Elements.find(id);
    if (element == Elements.end())
        input.Fail("links to the source " + NoteQuoted(reference) + ", and the mesh has no <source> with that id");
    auto parsed = std::make_unique<TParsed>();
    Read(element->second, *parsed);
    return Parsed.emplace(id, std::move(parsed)).first->second->Accessor;
}

namespace {

// The array the accessor links to: the source's own array of that id, or its first <float_array>.
TXmlNode ArrayOf(const TXmlNode& source, const TXmlNode& accessor) {
    const std::string reference = accessor.HasAttribute("source") ? accessor.AttributeText("source") : "";
    const std::string_view id = LocalId(reference);
    TXmlNode first;
    for (TXmlNode child = source.FirstChildNode(); child; child = child.NextSibling()) {
        if (!child.Name().ends_with("_array")) continue;
        if (!first) first = child;
        if (!id.empty() && child.HasAttribute("id") && child.AttributeText("id") == id) return child;
    }
    return first;
}

}  // namespace

void TMeshSources::Read(const TXmlNode& source, TParsed& parsed) {
    const TXmlNode common = source.FirstChild("technique_common");
    const TXmlNode accessor = common ? common.FirstChild("accessor") : TXmlNode();
    if (!accessor) source.Fail("has no <technique_common> with an <accessor>: its numbers cannot be told apart");
    const TXmlNode array = ArrayOf(source, accessor);
    if (!array) source.Fail("has no array of numbers");
    if (array.Name() != "float_array")
        source.Fail("holds " + array.Describe() + " where numbers are read from a <float_array>");

    const long long declared = ReadCountAttribute(array, "count", -1);
    if (declared < 0) array.Fail("has no attribute \"count\"");
    std::string storage;
    const std::string_view text = WithDecimalPoints(array.Text(), storage);
    CheckDeclaredCount(array, declared, text.size());
    ParseFloatArray(parsed.Floats, text, static_cast<int>(declared));
    array.ReleaseText();

    TAccessor& view = parsed.Accessor;
    const long long count = ReadCountAttribute(accessor, "count", -1);
    if (count < 0) accessor.Fail("has no attribute \"count\"");
    const long long stride = ReadCountAttribute(accessor, "stride", 1);
    const long long offset = ReadCountAttribute(accessor, "offset", 0);
    if (stride == 0) accessor.Fail("has a stride of 0");
    long long column = 0;
    for (const TXmlNode param : SiblingsFrom(accessor.FirstChild("param"))) {
        if (param.Name() != "param") continue;
        // An unnamed parameter is a column the element skips.
        if (param.HasAttribute("name") && !param.AttributeText("name").empty() && view.Width < 4 && column < stride)
            view.Columns[static_cast<std::size_t>(view.Width++)] = static_cast<std::size_t>(column);
        ++column;
    }
    if (column == 0) {
        view.Width = static_cast<int>(std::min(stride, 4LL));
        for (int c = 0; c < view.Width; ++c) view.Columns[static_cast<std::size_t>(c)] = static_cast<std::size_t>(c);
    }
    long long lastColumn = 0;
    for (int c = 0; c < view.Width; ++c) lastColumn = std::max(lastColumn, static_cast<long long>(view.Columns[c]));
    // Elements whose numbers would lie past the array are not read: the count is cut to what it holds.
    const long long length = static_cast<long long>(parsed.Floats.Count());
    const long long fitting = length > offset + lastColumn ? (length - offset - lastColumn - 1) / stride + 1 : 0;
    if (count > fitting && Notes)
        Notes->Add(accessor, "accessor-short",
                   "of source " + NoteQuoted(source.HasAttribute("id") ? source.AttributeText("id") : "") + " reads " +
                       std::to_string(count) + " elements, but its array holds numbers for " + std::to_string(fitting) +
                       ": indices past them read zeros");
    view.Values = parsed.Floats.Data();
    view.Count = static_cast<std::size_t>(std::min(count, fitting));
    view.Stride = static_cast<std::size_t>(stride);
    view.Offset = static_cast<std::size_t>(offset);
}
