// The window-system binding of the engine's GL context: either a child window of a panel's X11 window with a
// GLX context, or, without a display, a headless EGL pbuffer. It creates the drawable and the context, makes
// the context current for its whole life, swaps buffers, and on destruction releases the context before the
// drawable.
#pragma once

#include <memory>

#include "GlExtensions.h"
#include "NativeWindow.h"

class TGlSurface {
public:
    // Raises TPixelFormatError when the window system offers no double-buffered (or, headless, pbuffer) RGBA
    // configuration with 8 bits per channel and a depth buffer of at least 24 bits; std::runtime_error for any
    // other failure. Whatever was created before a failure is released again.
    TGlSurface(const TNativeWindow& window, int width, int height);
    ~TGlSurface();
    TGlSurface(const TGlSurface&) = delete;
    TGlSurface& operator=(const TGlSurface&) = delete;

    void SwapBuffers();
    // Gives the child window the panel's new size; a pbuffer keeps the size it was made with.
    void Resize(int width, int height);
    // The window system's look-up of GL functions by name.
    Gl::TProcLookUp LookUp() const;

private:
    struct TGlx;
    struct TEgl;
    std::unique_ptr<TGlx> Glx;
    std::unique_ptr<TEgl> Egl;
};
