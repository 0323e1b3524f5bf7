// The <source> elements of a mesh, each read once, through its <accessor>: which numbers of its array make
// each element, and which of them the element's parameters name.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

#include "Colladaasset.h"
#include "LoadNotes.h"
#include "XmlDocument.h"

// Element i's component c is Values[Offset + i * Stride + Columns[c]]; every such entry lies inside the
// array for i below Count, which is checked when the accessor is read.
struct TAccessor {
    const float* Values = nullptr;
    std::size_t Count = 0;
    std::size_t Stride = 1;
    std::size_t Offset = 0;
    int Width = 0;  // the named parameters, at most four
    std::array<std::size_t, 4> Columns{};

    // Writes element i's first `components` values to `out`; those it has no parameter for come from
    // `fallback`. False, writing the fallback, when i is not an element.
    bool Read(long long i, float* out, int components, const float* fallback) const {
        if (i < 0 || static_cast<std::size_t>(i) >= Count) {
            for (int c = 0; c < components; ++c) out[c] = fallback[c];
            return false;
        }
        const float* element = Values + Offset + static_cast<std::size_t>(i) * Stride;
        for (int c = 0; c < components; ++c) out[c] = c < Width ? element[Columns[c]] : fallback[c];
        return true;
    }
};

class TMeshSources {
public:
    // Indexes the <source> children of a <mesh> (or a <skin> or <morph>) by id; reads none of them yet.
    TMeshSources(const TXmlNode& parent, TLoadNotes* notes);
    TMeshSources(const TMeshSources&) = delete;
    TMeshSources& operator=(const TMeshSources&) = delete;

    // The source the input's "source" attribute links to, read on first use. Raises the input's error when it
    // links to no <source> of the mesh, and the source's when its accessor or array is malformed.
    const TAccessor& Find(const TXmlNode& input);

private:
    struct TParsed {
        TFloatArray Floats;
        TAccessor Accessor;
    };
    void Read(const TXmlNode& source, TParsed& parsed);

    std::unordered_map<std::string, TXmlNode> Elements;
    std::unordered_map<std::string, std::unique_ptr<TParsed>> Parsed;
    TLoadNotes* Notes;
};

// A count, stride or offset attribute: absent gives `absent`; negative raises the element's error.
long long ReadCountAttribute(const TXmlNode& element, std::string_view name, long long absent);
