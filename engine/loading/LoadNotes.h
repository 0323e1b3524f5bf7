// What a load noticed: every place where a document departs from what the engine draws, recorded by the
// reading code where each rule is applied. The programs load without a sink and pay one branch per place.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "XmlDocument.h"

struct TLoadNote {
    std::string Code;           // stable, e.g. "source-id", "no-scale"; tools group by it
    int Line = 0;               // 1-based; 0 when the note concerns no one element
    std::string Element;        // how the element is named in messages, e.g. <node>; empty with line 0
    std::string Message;        // one sentence for the user
    bool AfterFailure = false;  // found by a survey after the first error that fails the load
};

// Raised by the first note of a sink that stops there (TLoadNotes::StopAtFirst).
class TNoteStop : public std::exception {
public:
    const char* what() const noexcept override { return "the document departs from the engine's conventions"; }
};

class TLoadNotes {
public:
    // In a survey an error raised while one element is read becomes a note with the code "error", and
    // reading goes on with the next element, so that everything that stands in the way shows at once; a
    // missing required library is a blocker note and the rest is read all the same. Outside a survey the
    // load fails at the first error, exactly as without notes.
    bool Survey = false;
    // For a caller that only asks whether a document departs from what the engine draws: the first note ends
    // the load by raising TNoteStop, so that a document of another exporter's conventions is not read through.
    bool StopAtFirst = false;
    std::string FileName;  // the document's, as its errors name it
    // A note costs many times the markup it is about, and markup of many small elements can raise one per
    // element, so of each code (before and after a failure apart) only the first notes are kept; the rest
    // are counted.
    static constexpr long long KeptPerCause = 10000;
    std::vector<TLoadNote> Items;  // the notes kept, in the order they were made

    void Add(const TXmlNode& element, std::string_view code, std::string message);
    // A note for something that fails the load: every note after it is marked as found after the failure.
    void AddBlocker(const TXmlNode& element, std::string_view code, std::string message);
    void AddError(const std::exception& error);
    // How many notes of the code, found before or after the failure, were counted but not kept.
    long long NotKept(std::string_view code, bool afterFailure) const;

    // Where an item of the asset came from, for notes made after reading, when only the item is left.
    void Remember(const void* item, const TXmlNode& element) { Origins.emplace(item, element); }
    TXmlNode OriginOf(const void* item) const {
        const auto found = Origins.find(item);
        return found == Origins.end() ? TXmlNode() : found->second;
    }

private:
    struct TTally {
        std::string Code;
        bool AfterFailure = false;
        long long Count = 0;
    };
    // Counts a note of the code made now; true when it is to be kept.
    bool Keep(std::string_view code);

    std::vector<TTally> Tallies;  // one per code and side of the failure; a load meets few codes
    bool Failed = false;
    std::unordered_map<const void*, TXmlNode> Origins;
};

// A name from a document in double quotes, made safe to print; a very long one is cut.
std::string NoteQuoted(std::string_view text);

// Runs read(), and with a surveying sink records an error it raises instead of passing it on. True when
// read() completed. Without a sink, or outside a survey, it is read() and nothing more.
template <typename Read>
bool Attempt(TLoadNotes* notes, Read&& read) {
    if (!notes || !notes->Survey) {
        read();
        return true;
    }
    try {
        read();
        return true;
    } catch (const std::exception& error) {
        notes->AddError(error);
        return false;
    }
}
