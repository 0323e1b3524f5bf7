#include "StreamingWriter.h"

#include <stdexcept>

#include "DocumentLayout.h"

TStreamingWriter::TStreamingWriter(std::FILE* out, const std::string& upAxis, const std::string& authoringTool,
                                   const std::string& name)
    : Out(out), Name(name) {
    DocumentLayout::CheckUpAxis(upAxis);
    std::string head;
    DocumentLayout::AppendHead(head, upAxis, authoringTool, {});
    DocumentLayout::AppendGeometryHead(head, Name);
    Write(head);
}

void TStreamingWriter::Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), Out); }

void TStreamingWriter::Source(TStreamKind stream, long long count, const std::function<void()>& writeValues) {
    const TStreamConvention& convention = StreamConvention(stream);
    if (Sources.empty() ? stream != TStreamKind::Positions : Sources.back()->Kind >= stream)
        throw std::logic_error("sources must come positions first, in the order of the conventions, each once");
    const auto values = static_cast<std::size_t>(count * convention.Components());
    std::string text;
    DocumentLayout::AppendSourceHead(text, Name, convention, values);
    Write(text);
    writeValues();
    text.clear();
    DocumentLayout::AppendSourceTail(text, Name, convention, values);
    Write(text);
    Sources.push_back(&convention);
}

void TStreamingWriter::Finish(long long triangles, const std::function<void()>& writeIndices) {
    if (Sources.empty()) throw std::logic_error("the positions must be the first source");
    std::string text;
    DocumentLayout::AppendPrimitiveHead(text, Name, false, std::nullopt, static_cast<std::size_t>(triangles), Sources);
    Write(text);
    writeIndices();
    text.clear();
    DocumentLayout::AppendGeometryTail(text, false);
    DocumentLayout::AppendTail(text, {{Name, Name, std::nullopt, {}}});
    Write(text);
}
