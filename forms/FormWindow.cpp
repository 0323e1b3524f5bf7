#include "FormWindow.h"

#include <algorithm>

#include <FL/Fl.H>
#include <FL/x.H>

#include "KeyCodes.h"

namespace {

constexpr Fl_Font CaptionFont = FL_HELVETICA;
constexpr Fl_Fontsize CaptionSize = 11;

}  // namespace

TGraphicsPanel::TGraphicsPanel(TFormWindow& owner, int x, int y, int width, int height)
    : Fl_Window(x, y, width, height), Owner(owner) {
    end();
}

int TGraphicsPanel::handle(int event) {
    switch (event) {
    case FL_PUSH: Owner.PanelGraphicsMouseDown(Fl::event_x(), Fl::event_y()); return 1;
    case FL_DRAG:
    case FL_MOVE: Owner.PanelGraphicsMouseMove(Fl::event_x(), Fl::event_y()); return 1;
    case FL_RELEASE: Owner.PanelGraphicsMouseUp(Fl::event_x(), Fl::event_y()); return 1;
    case FL_ENTER:
    case FL_LEAVE: return 1;  // claiming the pointer is what makes FLTK send FL_MOVE
    default: return Fl_Window::handle(event);
    }
}

TFormWindow::TFormWindow(const char* caption, const TSceneFiles& scene, const TDoorOptions& door)
    : Fl_Double_Window(0, 0, ClientWidth, ClientHeight, caption),
      ReadAhead(scene.UserFiles ? nullptr : StartReadAhead(&XMLDocument, scene.Documents)),
      ModelReadAhead(scene.UserFiles ? std::make_unique<TModelReadAhead>(&XMLDocument, scene.Documents, door)
                                     : nullptr) {
    labelfont(CaptionFont);
    labelsize(CaptionSize);
    PanelControls = new Fl_Group(0, 0, ClientWidth, ControlsHeight);
    PanelControls->end();
    PanelGraphics = new TGraphicsPanel(*this, 0, ControlsHeight, ClientWidth, ClientHeight - ControlsHeight);
    end();
    resizable(PanelGraphics);
    callback(OnClose, this);
    Fl::add_idle(OnIdle, this);
    Fl::add_timeout(TimerMilliseconds / 1000.0, OnTimer, this);
}

TFormWindow::~TFormWindow() {
    Fl::remove_timeout(OnTimer, this);
    Fl::remove_idle(OnIdle, this);
}

TNativeWindow TFormWindow::PanelHandle() const { return TNativeWindow{fl_display, fl_xid(PanelGraphics)}; }

Fl_Check_Button* TFormWindow::AddCheckBox(int x, int y, int width, int height, const char* caption, bool checked,
                                          Fl_Callback* click) {
    auto* box = new Fl_Check_Button(x, y, width, height, caption);
    box->labelfont(CaptionFont);
    box->labelsize(CaptionSize);
    box->value(checked ? 1 : 0);
    if (click != nullptr) box->callback(click, static_cast<TFormWindow*>(this));
    PanelControls->add(box);
    return box;
}

Fl_Box* TFormWindow::AddLabel(int x, int y, int width, int height, const char* caption) {
    auto* label = new Fl_Box(x, y, width, height, caption);
    label->labelfont(CaptionFont);
    label->labelsize(CaptionSize);
    // Helvetica 11 sets wider than the captions were measured for; text that overflows its box spills to the
    // left, into the strip, rather than past the window's right edge.
    label->align(FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
    PanelControls->add(label);
    return label;
}

void TFormWindow::EndControls() {
    // FLTK stretches what overlaps a group's resizable child and moves what lies right of it, so an invisible
    // spring between the last check box and the first label gives the strip its anchoring.
    int springLeft = 0;
    int springRight = PanelControls->w();
    for (int index = 0; index < PanelControls->children(); ++index) {
        Fl_Widget* child = PanelControls->child(index);
        if (dynamic_cast<Fl_Check_Button*>(child) != nullptr)
            springLeft = std::max(springLeft, child->x() + child->w());
        else
            springRight = std::min(springRight, child->x());
    }
    auto* spring = new Fl_Box(springLeft, 0, std::max(springRight - springLeft, 1), PanelControls->h());
    PanelControls->add(spring);
    PanelControls->resizable(spring);
}

int TFormWindow::handle(int event) {
    // Keys that the focused check box does not use travel up to the window, so the form sees them whatever
    // has the focus. The form takes every key it has a code for, Escape too, which FLTK would otherwise turn
    // into a close request.
    if (event == FL_KEYDOWN || event == FL_KEYUP) {
        const int code = VirtualKeyCode(Fl::event_key());
        if (code >= 0) {
            if (event == FL_KEYDOWN)
                FormKeyDown(code);
            else
                FormKeyUp(code);
            return 1;
        }
    }
    return Fl_Double_Window::handle(event);
}

void TFormWindow::resize(int x, int y, int width, int height) {
    const bool sized = width != w() || height != h();
    Fl_Double_Window::resize(x, y, width, height);
    if (sized && shown()) FormResize();
}

void TFormWindow::OnIdle(void* form) { static_cast<TFormWindow*>(form)->ApplicationIdle(); }

void TFormWindow::OnTimer(void* form) {
    Fl::repeat_timeout(TimerMilliseconds / 1000.0, OnTimer, form);
    static_cast<TFormWindow*>(form)->TimerTick();
}

void TFormWindow::OnClose(Fl_Widget*, void* form) {
    auto* window = static_cast<TFormWindow*>(form);
    window->FormClose();
    window->hide();
}
