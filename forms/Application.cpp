#include "Application.h"

#include <cstdio>
#include <exception>

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include "Colladaengine.h"
#include "FormWindow.h"

std::optional<int> RunFormCreate(const std::function<void()>& formCreate, const TMessageBox& messageBox) {
    try {
        formCreate();
    } catch (const TPixelFormatError& error) {
        messageBox(error.what());
        return 1;
    } catch (const std::exception& error) {
        messageBox(error.what());
    } catch (...) {
        messageBox("");
    }
    return std::nullopt;
}

namespace {

void ShowMessage(const std::string& message) { fl_alert("%s", message.c_str()); }

bool OpenDisplay(const char* title) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open the X display \"%s\"; set DISPLAY to a running X server\n", title,
                     XDisplayName(nullptr));
        return false;
    }
    fl_open_display(display);
    return true;
}

int RunMessageLoop(TFormWindow& form) {
    if (std::optional<int> status = RunFormCreate([&form] { form.FormCreate(); }, ShowMessage)) {
        form.FormClose();
        return *status;
    }
    try {
        Fl::run();
    } catch (const std::exception& error) {
        form.FormClose();
        ShowMessage(error.what());
    } catch (...) {
        form.FormClose();
        ShowMessage("");
    }
    return 0;
}

}  // namespace

int RunApplication(const char* title, const std::function<std::unique_ptr<TFormWindow>()>& makeForm) {
    // The form is made before the display is opened: a form may start work of its own there (the programs
    // read their documents ahead) that needs no window and so overlaps the connection to the X server.
    std::unique_ptr<TFormWindow> form = makeForm();
    if (!OpenDisplay(title)) return 1;
    // The message box carries the application's title, as the desktop's exception display does.
    fl_message_title_default(title);
    form->xclass(title);
    form->show();
    // FLTK creates a bordered window shifted right and down by the frame it guesses at; move it back to the
    // corner (its x() and y() still say 0), where a window manager puts the frame.
    XMoveWindow(fl_display, fl_xid(form.get()), 0, 0);
    // The panel's native window must exist before the engine is made on it.
    Fl::flush();
    return RunMessageLoop(*form);
}
