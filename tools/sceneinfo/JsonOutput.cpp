// JSON has no literals for NaN and infinity: such values print as null. Strings are escaped so that any
// bytes from a document give valid JSON: quotes, backslashes and control bytes in the usual escapes, and
// each byte that is not part of a valid UTF-8 sequence as \u00XX, the character of that byte's value (what a
// Latin-1 reading of the file would show). Valid UTF-8 passes through unchanged.
#include <cmath>
#include <cstdio>

#include "Output.h"

namespace {

// Length of the valid UTF-8 sequence that starts at text[i], or 0 when it is not one (overlong forms,
// surrogates and values past U+10FFFF are not valid).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    unsigned long value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return overlong || surrogate || value > 0x10FFFF ? 0 : length;
}

void AppendEscapedByte(unsigned char byte, std::string& out) {
    static const char digits[] = "0123456789abcdef";
    out += "\\u00";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

class TJson {
public:
    std::string Out;
    std::FILE* Sink = nullptr;

    // Hands what is written so far to the sink once it is large, so that a document of many notes never
    // holds its whole JSON text in memory at once.
    void Spill(bool all = false) {
        if (!all && Out.size() < (1u << 16)) return;
        std::fwrite(Out.data(), 1, Out.size(), Sink);
        Out.clear();
    }

    void String(std::string_view text) {
        Out += '"';
        for (std::size_t i = 0; i < text.size();) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte >= 0x80) {
                const std::size_t length = Utf8SequenceLength(text, i);
                if (length == 0) {
                    AppendEscapedByte(byte, Out);
                    ++i;
                } else {
                    Out.append(text.substr(i, length));
                    i += length;
                }
                continue;
            }
            switch (byte) {
            case '"': Out += "\\\""; break;
            case '\\': Out += "\\\\"; break;
            case '\n': Out += "\\n"; break;
            case '\r': Out += "\\r"; break;
            case '\t': Out += "\\t"; break;
            default:
                if (byte < 0x20 || byte == 0x7F)
                    AppendEscapedByte(byte, Out);
                else
                    Out += static_cast<char>(byte);
            }
            ++i;
        }
        Out += '"';
    }
    void Number(float value) { Out += std::isfinite(value) ? FloatText(value) : "null"; }
    void Number(int value) { Out += std::to_string(value); }
    void Number(long long value) { Out += std::to_string(value); }
    void Index(bool linked, int value) {
        if (linked)
            Number(value);
        else
            Out += "null";
    }
    void Key(std::string_view key, bool first = false) {
        if (!first) Out += ',';
        String(key);
        Out += ':';
    }
    template <typename T>
    void Array(const TNumericArray<T>& array) {
        Out += '[';
        bool first = true;
        for (const T& value : array) {
            if (!first) Out += ',';
            first = false;
            Number(value);
        }
        Out += ']';
    }
    // Writes [item, item, ...] with write(item) for each element of a list.
    template <typename Items, typename Write>
    void List(const Items& list, Write&& write) {
        Out += '[';
        bool first = true;
        for (const auto& item : list) {
            if (!first) Out += ',';
            first = false;
            write(item);
            Spill();
        }
        Out += ']';
    }
};

void Geometry(TJson& json, const TGeometry& geometry, bool withArrays) {
    json.Out += '{';
    json.Key("name", true);
    json.String(geometry.Name);
    json.Key("counts");
    json.Out += '{';
    bool first = true;
    ForEachGeometryArray(geometry, [&](const char* key, const auto& array, std::size_t) {
        json.Key(key, first);
        first = false;
        json.Out += std::to_string(array.Count());
    });
    json.Out += '}';
    if (withArrays) {
        json.Key("arrays");
        json.Out += '{';
        first = true;
        ForEachGeometryArray(geometry, [&](const char* key, const auto& array, std::size_t) {
            json.Key(key, first);
            first = false;
            json.Array(array);
        });
        json.Out += '}';
    }
    json.Out += '}';
}

void Node(TJson& json, const TNode& node, bool linked) {
    json.Out += '{';
    json.Key("name", true);
    json.String(node.Name);
    json.Key("position");
    json.Array(node.Position);
    json.Key("rotation");
    json.Array(node.Rotation);
    json.Key("scale");
    json.Array(node.Scale);
    json.Key("geometryName");
    json.String(node.GeometryName);
    json.Key("geometryIndex");
    json.Index(linked, node.GeometryIndex);
    json.Key("materialSymbol");
    json.String(node.MaterialSymbol);
    json.Key("effectIndex");
    json.Index(linked, node.EffectIndex);
    json.Out += '}';
}

}  // namespace

void WriteJson(const TSceneReport& report, bool withArrays, std::FILE* out) {
    const TColladaAsset& asset = *report.Asset;
    const bool linked = report.Linked();
    TJson json;
    json.Sink = out;
    json.Out += '{';
    json.Key("file", true);
    json.String(report.File);
    json.Key("loaded");
    json.Out += report.Loaded ? "true" : "false";
    json.Key("error");
    if (report.Error)
        json.String(*report.Error);
    else
        json.Out += "null";
    json.Key("geometries");
    json.List(asset.Geometries->Items, [&](const auto& geometry) { Geometry(json, *geometry, withArrays); });
    json.Key("nodes");
    json.List(asset.VisualScenes->Items, [&](const auto& node) { Node(json, *node, linked); });
    json.Key("effects");
    json.List(asset.Effects->Items, [&](const auto& effect) {
        json.Out += '{';
        json.Key("name", true);
        json.String(effect->Name);
        json.Key("imageName");
        json.String(effect->ImageName);
        json.Key("imageIndex");
        json.Index(linked, effect->ImageIndex);
        json.Out += '}';
    });
    json.Key("images");
    const TLibraryImages& images = *asset.Images;
    json.Out += '[';
    for (std::size_t i = 0; i < images.Names.size() && i < images.FileNames.size(); ++i) {
        if (i > 0) json.Out += ',';
        json.Out += '{';
        json.Key("name", true);
        json.String(images.Names[i]);
        json.Key("fileName");
        json.String(images.FileNames[i]);
        json.Out += '}';
    }
    json.Out += ']';
    // "warnings" keeps its one-sentence form for readers written before the notes had codes.
    json.Key("warnings");
    json.List(report.Notes, [&](const TLoadNote& note) {
        json.String((note.Line > 0 ? "line " + std::to_string(note.Line) + ": " : std::string()) + note.Message);
    });
    json.Key("notes");
    json.List(report.Notes, [&](const TLoadNote& note) {
        json.Out += '{';
        json.Key("code", true);
        json.String(note.Code);
        json.Key("line");
        json.Number(note.Line);
        json.Key("element");
        json.String(note.Element);
        json.Key("message");
        json.String(note.Message);
        json.Key("afterFailure");
        json.Out += note.AfterFailure ? "true" : "false";
        json.Out += '}';
    });
    json.Key("summary");
    json.Out += '{';
    json.Key("loaded", true);
    json.Out += report.Loaded ? "true" : "false";
    json.Key("nodes");
    json.Number(asset.VisualScenes->Items.Count());
    json.Key("nodesDrawn");
    json.Number(report.NodesDrawn);
    json.Key("otherConventions");
    json.Out += report.OtherConventions ? "true" : "false";
    json.Key("importCommand");
    if (report.OtherConventions)
        json.String(ImportCommand);
    else
        json.Out += "null";
    json.Key("causes");
    json.List(report.Causes, [&](const TCause& cause) {
        json.Out += '{';
        json.Key("code", true);
        json.String(cause.Code);
        json.Key("count");
        json.Number(cause.Count);
        json.Key("firstLine");
        json.Number(cause.FirstLine);
        json.Key("afterFailure");
        json.Out += cause.AfterFailure ? "true" : "false";
        // Only where "notes" lacks some of the cause's notes, so that every other report reads as before.
        if (cause.NotKept > 0) {
            json.Key("notKept");
            json.Number(cause.NotKept);
        }
        json.Out += '}';
    });
    json.Out += '}';
    json.Key("opened");
    if (report.Opened) {
        json.Out += '{';
        json.Key("reader", true);
        json.String(report.Opened->Reader);
        json.Key("nodes");
        json.Number(report.Opened->Nodes);
        json.Key("triangles");
        json.Number(report.Opened->Triangles);
        json.Key("textures");
        json.Number(report.Opened->Textures);
        json.Out += '}';
    } else {
        json.Out += "null";
    }
    json.Key("openError");
    if (report.OpenError)
        json.String(*report.OpenError);
    else
        json.Out += "null";
    json.Out += "}\n";
    json.Spill(true);
}
