// The main window's picture control: made owner-drawn and subclassed (the
// Ctrl key over it reaches the window), and the borders last applied around
// it and the window.
#pragma once

#include "slideshow/WindowModes.h"

#include <windows.h>

class PictureControl
{
public:
    HWND Get() const { return m_window; }
    // Takes the dialog's control: owner-drawn, with the help context, its
    // user data and the subclass procedure.
    void Attach(HWND control, DWORD helpContext, LONG_PTR userData, WNDPROC subclass);
    // Gives the control its own procedure back.
    void Detach();
    WNDPROC OriginalProcedure() const { return m_procedure; }

    // Applies the borders to window and control when they differ from those
    // applied last.
    void ApplyBorders(HWND window, const SlideBorders& borders);

private:
    HWND m_window = nullptr;
    WNDPROC m_procedure = nullptr;
    // All ones, so that the first application acts.
    SlideBorders m_applied{~0u, ~0u};
};
