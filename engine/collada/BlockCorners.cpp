#include "BlockCorners.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "Sources.h"

namespace {

// Index lists address up to 2^31 - 1 slots: the streams built from them are indexed by 32-bit numbers.
constexpr long long MostSlots = INT_MAX;

void CheckSlots(const TXmlNode& element, long long slots, std::string_view what) {
    if (slots > MostSlots)
        element.Fail(std::string(what) + " need " + std::to_string(slots) +
                     " index slots, more than 32-bit indexing allows");
}

// The numbers of a text, counted without reading them: runs of characters between white space.
long long CountNumbers(std::string_view text) {
    long long count = 0;
    bool inNumber = false;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
        if (!space && !inNumber) ++count;
        inNumber = !space;
    }
    return count;
}

// One <p> of the block, read whole: `count` corners of `stride` slots.
void ReadSingleList(const TXmlNode& block, long long corners, std::size_t stride, TBlockCorners& result) {
    const TXmlNode p = block.FirstChild("p");
    CheckSlots(block, corners, std::to_string(corners) + " corners");
    const long long slots = corners * static_cast<long long>(stride);
    CheckSlots(block, slots, std::to_string(corners) + " corners of " + std::to_string(stride) + " slots");
    if (!p) return;
    const std::string_view text = p.Text();
    CheckDeclaredCount(block, slots, text.size());
    ParseIntArray(result.Slots, text, static_cast<int>(slots));
    p.ReleaseText();
    result.Corners = static_cast<std::size_t>(corners);
}

// A list per run (<polygons>, strips, fans): every <p>, and the outer <p> of every <ph>, whose holes are
// dropped. The numbers are counted first, so that the slots are allocated once.
void ReadListPerRun(const TXmlNode& block, std::size_t stride, TBlockCorners& result) {
    std::vector<std::string_view> texts;
    std::vector<TXmlNode> lists;
    long long slots = 0;
    for (TXmlNode child = block.FirstChildNode(); child; child = child.NextSibling()) {
        TXmlNode p = child;
        if (child.Name() == "ph") {
            p = child.FirstChild("p");
            for (const TXmlNode hole : SiblingsFrom(child.FirstChild("h")))
                if (hole.Name() == "h") ++result.HolesDropped;
            if (!p) continue;
        } else if (child.Name() != "p") {
            continue;
        }
        const std::string_view text = p.Text();
        const long long numbers = CountNumbers(text);
        const long long whole = numbers - numbers % static_cast<long long>(stride);
        result.SlotsDropped += numbers - whole;
        slots += whole;
        CheckSlots(block, slots, "its lists");
        p.ChargeMemory(sizeof(std::string_view) + sizeof(TXmlNode) + sizeof(int));
        texts.push_back(text);
        lists.push_back(p);
    }
    result.Slots.SetLength(static_cast<std::size_t>(slots));
    result.RunSizes.SetLength(texts.size());
    std::size_t at = 0;
    TIntArray run;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const long long numbers = CountNumbers(texts[i]);
        const std::size_t corners = static_cast<std::size_t>(numbers) / stride;
        ParseIntArray(run, texts[i], static_cast<int>(corners * stride));
        std::copy(run.begin(), run.end(), result.Slots.Data() + at);
        at += corners * stride;
        result.RunSizes[i] = static_cast<int>(corners);
    }
    result.Corners = static_cast<std::size_t>(slots) / stride;
}

// A <polylist>: its <vcount> gives the corners of each polygon, and its one <p> all of them.
void ReadPolylist(const TXmlNode& block, std::size_t stride, TBlockCorners& result) {
    const long long polygons = ReadCountAttribute(block, "count", 0);
    const TXmlNode vcount = block.FirstChild("vcount");
    if (!vcount) {
        if (polygons > 0) block.Fail("has no <vcount> to tell its " + std::to_string(polygons) + " polygons apart");
        return;
    }
    const std::string_view text = vcount.Text();
    CheckDeclaredCount(block, polygons, text.size());
    ParseIntArray(result.RunSizes, text, static_cast<int>(polygons));
    long long corners = 0;
    for (const int size : result.RunSizes) {
        if (size < 0) vcount.Fail("gives a polygon " + std::to_string(size) + " corners");
        corners += size;
    }
    ReadSingleList(block, corners, stride, result);
}

}  // namespace

bool IsPrimitiveBlock(std::string_view name) {
    return name == "triangles" || name == "polylist" || name == "polygons" || name == "tristrips" ||
           name == "trifans" || name == "lines" || name == "linestrips";
}

TBlockCorners ReadBlockCorners(const TXmlNode& block, std::size_t stride, TLoadNotes* notes) {
    TBlockCorners result;
    result.Stride = stride;
    const std::string_view name = block.Name();
    if (name == "triangles" || name == "lines") {
        result.Lines = name == "lines";
        result.Kind = result.Lines ? TRunKind::LineStrip : TRunKind::Fan;
        result.UniformRun = result.Lines ? 2 : 3;
        const long long count = ReadCountAttribute(block, "count", 0);
        ReadSingleList(block, count * result.UniformRun, stride, result);
    } else if (name == "polylist") {
        ReadPolylist(block, stride, result);
    } else {
        result.Lines = name == "linestrips";
        result.Kind = name == "tristrips" ? TRunKind::Strip : result.Lines ? TRunKind::LineStrip : TRunKind::Fan;
        ReadListPerRun(block, stride, result);
    }
    if (notes && result.HolesDropped > 0)
        notes->Add(block, "polygon-hole",
                   "has " + std::to_string(result.HolesDropped) +
                       " hole(s) in its polygons, which are not cut out: each polygon is drawn whole");
    if (notes && result.SlotsDropped > 0)
        notes->Add(block, "dropped-slots",
                   "has " + std::to_string(result.SlotsDropped) +
                       " index slot(s) at the ends of its lists that make no whole corner; they are dropped");
    return result;
}
