#include "slideshow/PointerState.h"

void PointerState::StartDrag(HCURSOR replaced, POINT start)
{
    m_dragCursor = replaced;
    m_dragStart = start;
}

HCURSOR PointerState::TakeDragCursor()
{
    const HCURSOR cursor = m_dragCursor;
    m_dragCursor = nullptr;
    return cursor;
}
