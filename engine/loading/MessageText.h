// The one place where names and texts taken from files are made safe to print. Every engine message that
// quotes a file name, an element name or a value read from a file passes it through here first, so that a
// name holding terminal escape sequences cannot drive the terminal that shows the message.
#pragma once

#include <string>
#include <string_view>

// Control bytes (C0 and C1), DEL and bytes that are not valid UTF-8 become \xNN, and a backslash becomes \\, so that
// the result is one printable line from which the original bytes can be told.
std::string EscapeForMessage(std::string_view text);

// The text escaped as above, in double quotes: how a message quotes a name.
std::string QuotedForMessage(std::string_view text);

// "FILE: REASON" with the file name escaped. The reason is the caller's own text; any name or value from a
// file inside it must have been escaped already.
std::string FileMessage(std::string_view fileName, std::string_view reason);
