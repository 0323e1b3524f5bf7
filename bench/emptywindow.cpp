// The start-up baseline: the least a program on the engine does before its first frame. It opens an FLTK
// window, makes an engine on it with no scene, draws one frame and waits to be ended. The programs' own
// start-up is measured against this.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "Colladaengine.h"

int main() {
    Fl_Window window(0, 0, 800, 600, "Empty");
    window.show();
    Fl::flush();
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{fl_display, fl_xid(&window)}, window.w(), window.h());
    engine.RenderScene();
    return Fl::run();
}
