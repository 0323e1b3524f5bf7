// References as documents write them: "#id" links inside the document, and image locations as URIs or paths.
#pragma once

#include <string>
#include <string_view>

// The value of a hex digit, or -1 for another character.
int HexValue(char c);

// The id a local reference names ("#id" gives "id"); empty for a reference to another document or none.
std::string_view LocalId(std::string_view reference);

// An image location as a path: a "file:" URI loses its scheme (and an empty or "localhost" authority), "%XX"
// escapes are decoded, and a Windows path or a relative one stays as written, to be found by the door.
std::string ImagePath(std::string_view location);
