#pragma once

// The shaped window, its dragging and its place outside the task list are built on X11, and
// a Wayland session with XWayland offers X11 too: there the program runs through it, unless
// the user has chosen a platform with QT_QPA_PLATFORM. Call it before the QApplication is
// made.
void preferX11UnderWayland();
