// The main window both programs share: a strip of controls along the top and, below it, the drawing panel with
// a native window of its own that the engine draws into. The window installs the idle frame loop and the 30 ms
// timer when it is built and removes them when it goes; a program derives its TForm1 from it and supplies the
// handlers.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <string>
#include <vector>

#include "Colladaengine.h"
#include "ModelReadAhead.h"
#include "SceneFiles.h"

class TFormWindow;

// The drawing panel. Mouse positions reach the form relative to the panel's top-left corner.
class TGraphicsPanel : public Fl_Window {
public:
    TGraphicsPanel(TFormWindow& owner, int x, int y, int width, int height);
    int handle(int event) override;

private:
    TFormWindow& Owner;
};

class TFormWindow : public Fl_Double_Window {
public:
    static constexpr int ClientWidth = 702;
    static constexpr int ClientHeight = 428;
    static constexpr int ControlsHeight = 41;
    static constexpr int TimerMilliseconds = 30;

    // Builds the window at the screen's top-left corner with its control strip and panel; the strip is left
    // open for AddCheckBox/AddLabel until EndControls. Installs the idle handler and starts the timer. Starts
    // reading the scene's documents and their textures ahead into XMLDocument: the program's own through the
    // engine (TakeReadAhead), the user's through the door with `door`'s options (TakeModelReadAhead).
    TFormWindow(const char* caption, const TSceneFiles& scene, const TDoorOptions& door);
    ~TFormWindow() override;
    TFormWindow(const TFormWindow&) = delete;
    TFormWindow& operator=(const TFormWindow&) = delete;

    Fl_Group* PanelControls;
    TGraphicsPanel* PanelGraphics;
    // The one document every asset load goes through. The engine keeps a pointer to it; FormClose, from the
    // form's destructor at the latest, deletes the engine before this member goes.
    TXmlDocument XMLDocument;

    // The panel's X window with its display, for the engine; valid once the window is shown.
    TNativeWindow PanelHandle() const;

    // Runs once the window and its panel have native windows (see RunApplication).
    virtual void FormCreate() = 0;
    virtual void FormResize() = 0;
    // Must be safe to call more than once; the form's destructor should call it too.
    virtual void FormClose() = 0;
    virtual void FormKeyDown(int) {}
    virtual void FormKeyUp(int) {}
    // FLTK calls an installed idle handler again as soon as it returns and no event is waiting, so the
    // program never waits for a message while the window lives: frames follow each other continuously.
    virtual void ApplicationIdle() = 0;
    virtual void TimerTick() = 0;
    virtual void PanelGraphicsMouseDown(int x, int y) = 0;
    virtual void PanelGraphicsMouseMove(int x, int y) = 0;
    virtual void PanelGraphicsMouseUp(int x, int y) = 0;

    int handle(int event) override;
    void resize(int x, int y, int width, int height) override;

protected:
    // The click callback of a check box that runs the form's handler: AddCheckBox(..., Click<&TForm1::Handler>).
    template <auto Handler>
    static void Click(Fl_Widget*, void* form) {
        using TForm = typename TMemberOf<decltype(Handler)>::TClass;
        (static_cast<TForm*>(static_cast<TFormWindow*>(form))->*Handler)();
    }

    // Children join the strip in tab order; a check box's click runs click(box, this).
    Fl_Check_Button* AddCheckBox(int x, int y, int width, int height, const char* caption, bool checked,
                                 Fl_Callback* click);
    Fl_Box* AddLabel(int x, int y, int width, int height, const char* caption);
    // The read-ahead started with the form, for the engine's UsePrefetch; null after the first call, and for
    // the user's files.
    TReadAhead TakeReadAhead() { return std::move(ReadAhead); }
    // The user's files opened ahead; null after the first call, and for the program's own scene.
    std::unique_ptr<TModelReadAhead> TakeModelReadAhead() { return std::move(ModelReadAhead); }
    // Closes the strip. When the window widens, the check boxes stay and labels keep their distance to the
    // right edge.
    void EndControls();

private:
    template <typename TMember>
    struct TMemberOf;
    template <typename TForm>
    struct TMemberOf<void (TForm::*)()> {
        using TClass = TForm;
    };

    static void OnIdle(void* form);
    static void OnTimer(void* form);
    static void OnClose(Fl_Widget* window, void* form);

    // Started when the form is made, before the display is opened, so that the read-ahead is done before the
    // GL driver loads; declared after XMLDocument, which it reads into, so that it goes first.
    TReadAhead ReadAhead;
    std::unique_ptr<TModelReadAhead> ModelReadAhead;
};
