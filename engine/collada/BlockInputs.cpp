#include "BlockInputs.h"

#include <climits>
#include <optional>
#include <string>

namespace {

std::optional<TSemantic> DrawnSemantic(std::string_view name) {
    if (name == "POSITION") return TSemantic::Position;
    if (name == "NORMAL") return TSemantic::Normal;
    if (name == "TEXCOORD") return TSemantic::TexCoord;
    if (name == "COLOR") return TSemantic::Color;
    return std::nullopt;
}

class TInputReader {
public:
    TInputReader(TMeshSources& sources, TLoadNotes* notes) : Sources(sources), Notes(notes) {}

    // One input, whose corners' slot `offset` indexes it; the first input of each semantic is drawn, and of
    // texture coordinates the lowest set.
    void Take(const TXmlNode& input, std::string_view semanticName, std::size_t offset) {
        const std::optional<TSemantic> semantic = DrawnSemantic(semanticName);
        if (!semantic) return;
        const long long set = input.HasAttribute("set") ? input.AttributeInt("set") : 0;
        TStreamInput& stream = Inputs.Streams[static_cast<std::size_t>(*semantic)];
        if (stream.Source) {
            if (*semantic != TSemantic::TexCoord || set >= TexCoordSet) {
                NoteUnused(input, *semantic);
                return;
            }
            NoteUnused(TexCoordInput, TSemantic::TexCoord);
        }
        stream.Source = &Sources.Find(input);
        stream.Offset = offset;
        if (*semantic == TSemantic::TexCoord) {
            TexCoordSet = set;
            TexCoordInput = input;
        }
    }

    TBlockInputs Inputs;

private:
    void NoteUnused(const TXmlNode& input, TSemantic semantic) const {
        if (!Notes) return;
        if (semantic == TSemantic::TexCoord)
            Notes->Add(input, "texture-set", "is a further set of texture coordinates, which is not drawn");
        else
            Notes->Add(input, "extra-input", "repeats a stream the block already has: only the first is drawn");
    }

    TMeshSources& Sources;
    TLoadNotes* Notes;
    long long TexCoordSet = 0;
    TXmlNode TexCoordInput;
};

}  // namespace

TBlockInputs ReadBlockInputs(const TXmlNode& block, const TXmlNode& vertices, TMeshSources& sources,
                             TLoadNotes* notes) {
    TInputReader reader(sources, notes);
    long long greatestOffset = 0;
    for (const TXmlNode input : SiblingsFrom(block.FirstChild("input"))) {
        if (input.Name() != "input") continue;
        const std::string semantic = input.AttributeText("semantic");
        const long long offset = ReadCountAttribute(input, "offset", 0);
        // Every corner is read as one group of slots, whose size an index list must be able to hold.
        if (offset >= INT_MAX / 2) input.Fail("has an offset of " + std::to_string(offset) + ", too large to index");
        greatestOffset = std::max(greatestOffset, offset);
        if (semantic != "VERTEX") {
            reader.Take(input, semantic, static_cast<std::size_t>(offset));
            continue;
        }
        if (!vertices) input.Fail("stands for the mesh's <vertices>, and the mesh has none");
        for (const TXmlNode shared : SiblingsFrom(vertices.FirstChild("input")))
            if (shared.Name() == "input")
                reader.Take(shared, shared.AttributeText("semantic"), static_cast<std::size_t>(offset));
    }
    reader.Inputs.Stride = static_cast<std::size_t>(greatestOffset) + 1;
    return reader.Inputs;
}
