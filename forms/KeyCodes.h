// Key codes as the windows' key handlers know them: the desktop's virtual-key numbering, in which a letter key
// has the code of its upper-case letter whatever the state of Shift or Caps Lock.
#pragma once

// The virtual-key code of an FLTK key (Fl::event_key()), or -1 for a key that has none here.
int VirtualKeyCode(int fltkKey);
