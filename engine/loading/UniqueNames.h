// Names unique within one kind (the nodes of an asset, the geometries of a document), found in time linear in
// their number however many are alike. Control characters, which no document can carry, become '_'.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

class TNameTaker {
public:
    // `wanted` cleaned, or `fallback` when that is empty; when taken already, the first of wanted-2,
    // wanted-3, ... that is not.
    std::string Take(const std::string& wanted, const char* fallback);

private:
    std::unordered_set<std::string> Used;
    std::unordered_map<std::string, int> Next;  // by name: the suffix to try next
};
