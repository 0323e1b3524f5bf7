#include "MessageText.h"

#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned minimum = 0, value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else
        return 0;
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    // The C1 controls are valid UTF-8, yet some terminals take U+009B as the start of an escape sequence.
    if (value < 0xA0) return 0;
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

std::string QuotedForMessage(std::string_view text) { return "\"" + EscapeForMessage(text) + "\""; }

std::string FileMessage(std::string_view fileName, std::string_view reason) {
    std::string message = EscapeForMessage(fileName);
    message += ": ";
    message += reason;
    return message;
}
