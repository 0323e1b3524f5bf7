#include "Uris.h"

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

// "%XX" escapes decoded; a '%' that starts no escape stays as it is, as a file name may hold one.
std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
            continue;
        }
        decoded += text[i];
    }
    return decoded;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool IsDriveLetterPath(std::string_view text) {
    return text.size() >= 2 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
           text[1] == ':';
}

}  // namespace

std::string_view LocalId(std::string_view reference) {
    if (reference.empty() || reference[0] != '#') return {};
    return reference.substr(1);
}

std::string ImagePath(std::string_view location) {
    while (!location.empty() && (location.front() == ' ' || location.front() == '\t' || location.front() == '\n' ||
                                 location.front() == '\r'))
        location.remove_prefix(1);
    while (!location.empty() &&
           (location.back() == ' ' || location.back() == '\t' || location.back() == '\n' || location.back() == '\r'))
        location.remove_suffix(1);
    if (StartsWithNoCase(location, "file:")) {
        location.remove_prefix(5);
        if (location.substr(0, 2) == "//") {
            location.remove_prefix(2);
            // The authority: none or "localhost" means this machine; a host name is kept as a network path.
            if (StartsWithNoCase(location, "localhost/")) location.remove_prefix(9);
            if (!location.empty() && location[0] != '/') return "//" + PercentDecoded(location);
        }
        // "file:///C:/x" names the Windows path "C:/x".
        if (location.size() >= 3 && location[0] == '/' && IsDriveLetterPath(location.substr(1)))
            location.remove_prefix(1);
    }
    return PercentDecoded(location);
}
