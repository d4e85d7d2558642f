// What the main window keeps of the mouse: a drag of the window (the cursor
// it replaced and the click point), the hover timer that watches for the
// cursor to leave, and whether the cursor has left the window since the
// last drag.
#pragma once

#include <windows.h>

class PointerState
{
public:
    void StartDrag(HCURSOR replaced, POINT start);
    POINT DragStart() const { return m_dragStart; }
    // The cursor the drag replaced (null for none); the drag forgets it.
    HCURSOR TakeDragCursor();

    void SetHoverTimer(UINT_PTR timer) { m_hoverTimer = timer; }

    bool IsOutside() const { return m_mouseOutside != 0; }
    void SetOutside(bool outside) { m_mouseOutside = outside ? 1 : 0; }

private:
    HCURSOR m_dragCursor = nullptr;
    POINT m_dragStart = {};
    UINT_PTR m_hoverTimer = 0;
    BYTE m_mouseOutside = 1;
};
