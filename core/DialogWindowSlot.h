// Where the controller finds the one dialog of its own that is open (settings,
// gallery, release or about box): the dialog records its window here while it
// is open, so that the controller can ask it to close (WM_CLOSE_REQUEST).
#pragma once

#include "foundation/Handle.h"

#include <windows.h>

class DialogWindowSlot
{
public:
    DialogWindowSlot() = default;
    DialogWindowSlot(const DialogWindowSlot&) = delete;
    DialogWindowSlot& operator=(const DialogWindowSlot&) = delete;

    // Called by the dialog when it initialises and when it is destroyed; a
    // clear leaves a window recorded by another dialog alone.
    void Record(HWND window);
    void Clear(HWND window);
    HWND Get();

    // Sends WM_CLOSE_REQUEST to the recorded dialog, when it is a window;
    // false when there is none.
    bool SendCloseRequest();

    // Held only for the instant of a read or write, and while the close
    // request is sent; waited for without a time limit.
    MHandle OpenDialogWindowLock{NewGuard()};

private:
    HWND m_window = nullptr;
};
