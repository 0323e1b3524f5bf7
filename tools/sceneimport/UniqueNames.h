// Names for the elements of one kind: every name handed out differs from those before it, and holds no
// control characters (XML cannot carry them). Characters XML gives meaning to are left for the writer to
// escape, so that a name reads back as the source file spelled it.
#pragma once

#include <set>
#include <string>

class TUniqueNames {
public:
    // `wanted` cleaned, or when empty `fallback`; on a collision "-2", "-3", ... is appended.
    std::string Take(const std::string& wanted, const std::string& fallback);
    // ignoreCase: names that differ only in case count as the same, for names that become file names on any
    // system.
    explicit TUniqueNames(bool ignoreCase = false) : IgnoreCase(ignoreCase) {}

private:
    std::string Key(const std::string& name) const;
    bool IgnoreCase;
    std::set<std::string> Used;
};
