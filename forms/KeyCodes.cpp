#include "KeyCodes.h"

#include <FL/Enumerations.H>

namespace {

struct TKeyPair {
    int Fltk;
    int Virtual;
};

constexpr TKeyPair NamedKeys[] = {
    {FL_BackSpace, 8},  {FL_Tab, 9},        {FL_Enter, 13},     {FL_KP_Enter, 13}, {FL_Shift_L, 16}, {FL_Shift_R, 16},
    {FL_Control_L, 17}, {FL_Control_R, 17}, {FL_Alt_L, 18},     {FL_Alt_R, 18},    {FL_Pause, 19},   {FL_Caps_Lock, 20},
    {FL_Escape, 27},    {FL_Page_Up, 33},   {FL_Page_Down, 34}, {FL_End, 35},      {FL_Home, 36},    {FL_Left, 37},
    {FL_Up, 38},        {FL_Right, 39},     {FL_Down, 40},      {FL_Insert, 45},   {FL_Delete, 46},
};

}  // namespace

int VirtualKeyCode(int fltkKey) {
    if (fltkKey >= 'a' && fltkKey <= 'z') return fltkKey - 'a' + 'A';
    if ((fltkKey >= '0' && fltkKey <= '9') || fltkKey == ' ') return fltkKey;
    if (fltkKey >= FL_KP + '0' && fltkKey <= FL_KP + '9') return 96 + (fltkKey - FL_KP - '0');
    if (fltkKey >= FL_F + 1 && fltkKey <= FL_F + 12) return 112 + (fltkKey - FL_F - 1);
    for (const TKeyPair& pair : NamedKeys)
        if (pair.Fltk == fltkKey) return pair.Virtual;
    return -1;
}
