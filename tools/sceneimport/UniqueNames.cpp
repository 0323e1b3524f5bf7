#include "UniqueNames.h"

#include <cctype>

std::string TUniqueNames::Key(const std::string& name) const {
    if (!IgnoreCase) return name;
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::string TUniqueNames::Take(const std::string& wanted, const std::string& fallback) {
    std::string base;
    for (char c : wanted) base += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '_' : c;
    if (base.empty()) base = fallback;
    std::string name = base;
    for (int n = 2; !Used.insert(Key(name)).second; ++n) name = base + "-" + std::to_string(n);
    return name;
}
