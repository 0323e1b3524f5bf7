// What the engine's window-system binding is given to draw into, and how it says that it cannot: the types
// that the GL surface and the engine above it share.
#pragma once

#include <stdexcept>

// The native window the engine draws into: an X11 window and its display. A null Display asks for a
// headless EGL pbuffer of the given size instead (tests and tools).
struct TNativeWindow {
    void* Display = nullptr;   // Display*
    unsigned long Handle = 0;  // the panel's X11 Window
};

// Raised when the window system offers no double-buffered RGBA configuration with a depth buffer. Its message
// is "Unable to set pixel format"; the programs show it and end.
class TPixelFormatError : public std::runtime_error {
public:
    TPixelFormatError() : std::runtime_error("Unable to set pixel format") {}
};
