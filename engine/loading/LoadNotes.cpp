#include "LoadNotes.h"

#include <algorithm>
#include <cctype>

#include "MessageText.h"

bool TLoadNotes::Keep(std::string_view code) {
    auto tally = Tallies.begin();
    while (tally != Tallies.end() && (tally->Code != code || tally->AfterFailure != Failed)) ++tally;
    if (tally == Tallies.end()) tally = Tallies.insert(Tallies.end(), {std::string(code), Failed, 0});
    return ++tally->Count <= KeptPerCause;
}

long long TLoadNotes::NotKept(std::string_view code, bool afterFailure) const {
    for (const TTally& tally : Tallies)
        if (tally.Code == code && tally.AfterFailure == afterFailure) return std::max(tally.Count - KeptPerCause, 0LL);
    return 0;
}

void TLoadNotes::Add(const TXmlNode& element, std::string_view code, std::string message) {
    if (!Keep(code)) return;
    TLoadNote note;
    note.Code = code;
    note.Line = element ? element.Line() : 0;
    note.Element = element ? element.Describe() : std::string();
    note.Message = std::move(message);
    note.AfterFailure = Failed;
    Items.push_back(std::move(note));
    if (StopAtFirst) throw TNoteStop();
}

void TLoadNotes::AddBlocker(const TXmlNode& element, std::string_view code, std::string message) {
    Add(element, code, std::move(message));
    Failed = true;
}

// Reader errors read "FILE:LINE: <element> what"; the note keeps the line and element apart and the rest as
// its message. An error of another form (an allocation that failed) is kept whole, with no line.
void TLoadNotes::AddError(const std::exception& error) {
    if (!Keep("error")) {
        Failed = true;
        return;
    }
    TLoadNote note;
    note.Code = "error";
    note.Message = error.what();
    note.AfterFailure = Failed;
    const std::string prefix = FileName + ":";
    std::string_view rest = note.Message;
    if (rest.substr(0, prefix.size()) == prefix) {
        rest.remove_prefix(prefix.size());
        int line = 0;
        std::size_t digits = 0;
        while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])) && line < 100000000)
            line = line * 10 + (rest[digits++] - '0');
        const std::size_t space = rest.find(' ', digits + 2);
        if (digits > 0 && rest.substr(digits, 2) == ": " && space != std::string_view::npos) {
            note.Line = line;
            note.Element = rest.substr(digits + 2, space - digits - 2);
            note.Message = std::string(rest.substr(space + 1));
        }
    }
    Items.push_back(std::move(note));
    Failed = true;
}

// A name is repeated in every note about its parts, so a long one is cut: notes then stay linear in the
// document however the names and their parts are spread.
std::string NoteQuoted(std::string_view text) {
    constexpr std::size_t Longest = 60;
    if (text.size() <= Longest) return QuotedForMessage(text);
    return QuotedForMessage(text.substr(0, Longest)) + "... (" + std::to_string(text.size()) + " bytes)";
}
