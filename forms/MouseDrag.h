// Dragging over the drawing panel, as both programs follow it: a press of any button starts a drag at the
// pointer, each move while it lasts tells how far the pointer went since the last one, a release ends it.
#pragma once

#include <optional>

struct TPixelStep {
    int Dx = 0;
    int Dy = 0;
};

struct TMouseDrag {
    bool Dragging = false;
    int LastMouseX = 0;
    int LastMouseY = 0;

    void Press(int x, int y) {
        LastMouseX = x;
        LastMouseY = y;
        Dragging = true;
    }

    // The step since the last position seen while dragging; nothing (and the last position kept) otherwise.
    std::optional<TPixelStep> Move(int x, int y) {
        if (!Dragging) return std::nullopt;
        const TPixelStep step{x - LastMouseX, y - LastMouseY};
        LastMouseX = x;
        LastMouseY = y;
        return step;
    }

    void Release() { Dragging = false; }
};
