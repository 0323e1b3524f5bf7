// The application around a form: display, window, start-up errors, message loop and exit status.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TFormWindow;

using TMessageBox = std::function<void(const std::string& message)>;

// Runs the form's start-up and turns what escapes it into the program's course: an exception's message goes to
// the message box and the program goes on (nullopt) with whatever was set up before it; a missing pixel format
// shows "Unable to set pixel format" and ends the program with status 1. Anything thrown that is not an
// exception shows an empty message.
std::optional<int> RunFormCreate(const std::function<void()>& formCreate, const TMessageBox& messageBox);

// The whole program: builds the form, opens the X display (no display: a message on standard error and
// status 1), shows the form so that its panel has a native window, runs FormCreate, then the message loop
// until the window has closed. An exception escaping the loop is shown in the message box. Returns the exit status.
int RunApplication(const char* title, const std::function<std::unique_ptr<TFormWindow>()>& makeForm);
