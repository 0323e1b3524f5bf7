#include "UniqueNames.h"

std::string TNameTaker::Take(const std::string& wanted, const char* fallback) {
    std::string base;
    for (char c : wanted) base += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '_' : c;
    if (base.empty()) base = fallback;
    if (Used.insert(base).second) return base;
    int& next = Next.try_emplace(base, 2).first->second;
    std::string name;
    do name = base + "-" + std::to_string(next++);
    while (!Used.insert(name).second);
    return name;
}
