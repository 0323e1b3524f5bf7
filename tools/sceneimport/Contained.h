// Runs the import in a child process, so that a reader that aborts on a malformed file (the model reader
// asserts on some) ends in an error message and exit status 1 rather than a crash of the command.
#pragma once

#include <functional>
#include <string>

// work's return value, or 1 with a message naming `input` when the child ended by a signal.
int RunContained(const std::function<int()>& work, const std::string& input);
