// Numbers written with decimal commas ("1,500000 0,250000"), as one exporter writes them in every list under
// some locales. Lists are separated by white space alone, so a comma in a number can be nothing else.
#pragma once

#include <string>
#include <string_view>

// The text as the number parsers read it: when its first number holds a comma and no full stop, a copy in
// `storage` with every comma made a full stop; else the text itself. Only the first number is looked at,
// so a long list costs nothing more.
std::string_view WithDecimalPoints(std::string_view text, std::string& storage);
