// The main window's record of its open viewer: a lock and the viewer's
// window handle, which the viewer writes while it opens and ends, and the
// main window and the controller read to close or find it.
#pragma once

#include "foundation/Handle.h"
#include "foundation/Sync.h"

#include <windows.h>

struct ViewerSlot
{
    CriticalSection* lock;
    HWND* window;

    void Set(HWND viewer) const
    {
        if (!lock || !window)
            return;
        Lock guard(*lock);
        *window = viewer;
    }
};
