#include "Images.h"

#include "Uris.h"

namespace {

// Pairs of hex digits, white space between them ignored; reading stops at the first other character.
std::vector<unsigned char> HexBytes(std::string_view text) {
    std::vector<unsigned char> bytes;
    bytes.reserve(text.size() / 2);
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        const int digit = HexValue(c);
        if (digit < 0) break;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<unsigned char>(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

// An element's text; empty when what it holds is no text, as when its exporter commented its path out.
std::string_view TextOrNone(const TXmlNode& element) {
    try {
        return element.Text();
    } catch (const TXmlError&) {
        return {};
    }
}

}  // namespace

std::optional<TModelImage> ReadImage(const TXmlNode& image, TLoadNotes* notes) {
    TModelImage result;
    result.Name = image.HasAttribute("name") ? image.AttributeText("name")
                  : image.HasAttribute("id") ? image.AttributeText("id")
                                             : std::string();
    const TXmlNode initFrom = image.FirstChild("init_from");
    // A location as text, in a <ref> (as the newer schema writes it), or bytes in hex.
    const TXmlNode reference = initFrom ? initFrom.FirstChild("ref") : TXmlNode();
    const TXmlNode hex = initFrom ? initFrom.FirstChild("hex") : image.FirstChild("data");
    if (hex) {
        result.Bytes = HexBytes(TextOrNone(hex));
    } else if (reference) {
        result.Path = ImagePath(TextOrNone(reference));
    } else if (initFrom) {
        result.Path = ImagePath(TextOrNone(initFrom));
    }
    if (!result.Path.empty() || !result.Bytes.empty()) return result;
    if (notes)
        notes->Add(image, "image-missing",
                   "image " + NoteQuoted(result.Name) +
                       " names no file and holds no data: the material keeps its colour instead");
    return std::nullopt;
}
