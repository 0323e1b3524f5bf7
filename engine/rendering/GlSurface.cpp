#include "GlSurface.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace {

// X11 and EGL refuse drawables of size 0; a zero-sized panel still gets a one-pixel drawable.
int AtLeastOne(int size) { return std::max(size, 1); }

Gl::TProc GlxLookUp(const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); }

Gl::TProc EglLookUp(const char* name) { return eglGetProcAddress(name); }

// Of the configurations a window system offers, the one with 8 bits per colour channel and the deepest depth
// buffer of at least 24 bits, the first of equals in the window system's order; null when none has them.
// sizeOf(config, name) reads one size by the window system's name for it; names are those of the depth, red,
// green and blue sizes, which are read in that order.
template <typename TConfig, typename TSizeOf>
TConfig DeepestEightBitConfig(const TConfig* configs, int count, const int (&names)[4], TSizeOf sizeOf) {
    const auto [depthSize, redSize, greenSize, blueSize] = names;
    TConfig best = nullptr;
    int bestDepth = 0;
    for (int i = 0; i < count; ++i) {
        const int depth = sizeOf(configs[i], depthSize);
        if (sizeOf(configs[i], redSize) == 8 && sizeOf(configs[i], greenSize) == 8 &&
            sizeOf(configs[i], blueSize) == 8 && depth >= 24 && depth > bestDepth) {
            best = configs[i];
            bestDepth = depth;
        }
    }
    return best;
}

}  // namespace

// A child window of the panel with the visual of the chosen frame-buffer configuration, so that the panel's
// own window (whose visual cannot change) keeps receiving the mouse.
struct TGlSurface::TGlx {
    Display* Dpy = nullptr;
    Window Child = 0;
    Colormap Colours = 0;
    GLXContext Context = nullptr;

    TGlx(Display* display, Window parent, int width, int height) : Dpy(display) {
        XWindowAttributes parentAttributes{};
        if (!XGetWindowAttributes(Dpy, parent, &parentAttributes))
            throw std::runtime_error("Cannot read the attributes of the drawing panel's window");
        const int screen = XScreenNumberOfScreen(parentAttributes.screen);
        const GLXFBConfig config = ChooseConfig(screen);
        XVisualInfo* visual = glXGetVisualFromFBConfig(Dpy, config);
        if (visual == nullptr) throw TPixelFormatError();

        Colours = XCreateColormap(Dpy, RootWindow(Dpy, screen), visual->visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = Colours;
        attributes.border_pixel = 0;
        attributes.event_mask = NoEventMask;
        Child = XCreateWindow(Dpy, parent, 0, 0, AtLeastOne(width), AtLeastOne(height), 0, visual->depth, InputOutput,
                              visual->visual, CWColormap | CWBorderPixel | CWEventMask, &attributes);
        XFree(visual);
        XMapWindow(Dpy, Child);

        Context = glXCreateNewContext(Dpy, config, GLX_RGBA_TYPE, nullptr, True);
        if (Context == nullptr || !glXMakeContextCurrent(Dpy, Child, Child, Context)) {
            Release();
            throw std::runtime_error("Unable to create an OpenGL context");
        }
    }

    ~TGlx() { Release(); }

    // RGBA, double-buffered, window-drawable; of those, the deepest eight-bit one.
    GLXFBConfig ChooseConfig(int screen) const {
        const int wanted[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_DEPTH_SIZE,
                              24,
                              None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(Dpy, screen, wanted, &count);
        const GLXFBConfig best =
            DeepestEightBitConfig(configs, count, {GLX_DEPTH_SIZE, GLX_RED_SIZE, GLX_GREEN_SIZE, GLX_BLUE_SIZE},
                                  [this](GLXFBConfig config, int name) { return Attribute(config, name); });
        if (configs != nullptr) XFree(configs);
        if (best == nullptr) throw TPixelFormatError();
        return best;
    }

    int Attribute(GLXFBConfig config, int attribute) const {
        int value = 0;
        glXGetFBConfigAttrib(Dpy, config, attribute, &value);
        return value;
    }

    void Release() {
        if (Context != nullptr) {
            glXMakeContextCurrent(Dpy, None, None, nullptr);
            glXDestroyContext(Dpy, Context);
            Context = nullptr;
        }
        if (Child != 0) XDestroyWindow(Dpy, Child);
        if (Colours != 0) XFreeColormap(Dpy, Colours);
        Child = 0;
        Colours = 0;
        XFlush(Dpy);
    }
};

// A pbuffer on Mesa's surfaceless platform: no display, no window, the same GL.
// The surfaceless display is one per process and shared by every headless surface; it stays initialised for
// the process's life, so that the driver is not unloaded and loaded again with each engine.
struct TGlSurface::TEgl {
    EGLDisplay Dpy = EGL_NO_DISPLAY;
    EGLContext Context = EGL_NO_CONTEXT;
    EGLSurface Surface = EGL_NO_SURFACE;

    TEgl(int width, int height) {
        const auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay == nullptr) throw std::runtime_error("EGL offers no eglGetPlatformDisplayEXT");
        Dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (Dpy == EGL_NO_DISPLAY || !eglInitialize(Dpy, nullptr, nullptr))
            throw std::runtime_error("Cannot initialise EGL's surfaceless display");
        try {
            if (!eglBindAPI(EGL_OPENGL_API)) throw std::runtime_error("EGL offers no OpenGL API");
            const EGLConfig config = ChooseConfig();
            Context = eglCreateContext(Dpy, config, EGL_NO_CONTEXT, nullptr);
            const EGLint size[] = {EGL_WIDTH, AtLeastOne(width), EGL_HEIGHT, AtLeastOne(height), EGL_NONE};
            if (Context != EGL_NO_CONTEXT) Surface = eglCreatePbufferSurface(Dpy, config, size);
            if (Surface == EGL_NO_SURFACE || !eglMakeCurrent(Dpy, Surface, Surface, Context))
                throw std::runtime_error("Unable to create an OpenGL context on an EGL pbuffer");
        } catch (...) {
            Release();
            throw;
        }
    }

    ~TEgl() { Release(); }

    EGLConfig ChooseConfig() const {
        const EGLint wanted[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 24,
                                 EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(Dpy, wanted, nullptr, 0, &count) || count <= 0) throw TPixelFormatError();
        std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
        eglChooseConfig(Dpy, wanted, configs.data(), count, &count);
        const EGLConfig best =
            DeepestEightBitConfig(configs.data(), count, {EGL_DEPTH_SIZE, EGL_RED_SIZE, EGL_GREEN_SIZE, EGL_BLUE_SIZE},
                                  [this](EGLConfig config, int name) { return Attribute(config, name); });
        if (best == nullptr) throw TPixelFormatError();
        return best;
    }

    EGLint Attribute(EGLConfig config, EGLint attribute) const {
        EGLint value = 0;
        eglGetConfigAttrib(Dpy, config, attribute, &value);
        return value;
    }

    void Release() {
        if (Dpy == EGL_NO_DISPLAY) return;
        eglMakeCurrent(Dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (Context != EGL_NO_CONTEXT) eglDestroyContext(Dpy, Context);
        if (Surface != EGL_NO_SURFACE) eglDestroySurface(Dpy, Surface);
        Context = EGL_NO_CONTEXT;
        Surface = EGL_NO_SURFACE;
        Dpy = EGL_NO_DISPLAY;
    }
};

TGlSurface::TGlSurface(const TNativeWindow& window, int width, int height) {
    if (window.Display == nullptr)
        Egl = std::make_unique<TEgl>(width, height);
    else
        Glx = std::make_unique<TGlx>(static_cast<Display*>(window.Display), window.Handle, width, height);
}

TGlSurface::~TGlSurface() = default;

void TGlSurface::SwapBuffers() {
    if (Glx)
        glXSwapBuffers(Glx->Dpy, Glx->Child);
    else
        eglSwapBuffers(Egl->Dpy, Egl->Surface);
}

void TGlSurface::Resize(int width, int height) {
    if (Glx) XResizeWindow(Glx->Dpy, Glx->Child, AtLeastOne(width), AtLeastOne(height));
}

Gl::TProcLookUp TGlSurface::LookUp() const { return Glx ? GlxLookUp : EglLookUp; }
