#include "viewers/ContentWindowFilter.h"

#include <commctrl.h>

namespace
{
// Identifies our subclass among others on the same window.
constexpr UINT_PTR FilterSubclassId = 0x51F7;

constexpr WPARAM AnyButtonDown = MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
}

bool ContentWindowFilter::Drops(UINT message, WPARAM wParam)
{
    switch (message)
    {
    case WM_MENURBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
    case WM_XBUTTONDBLCLK:
        return true;
    case WM_MOUSEMOVE:
        return (wParam & AnyButtonDown) != 0;
    default:
        return false;
    }
}

void ContentWindowFilter::Install(HWND dialog)
{
    if (m_window && IsWindow(m_window))
        return;
    m_window = nullptr;
    HWND deepest = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_CHILD))
        deepest = child;
    if (deepest && SetWindowSubclass(deepest, FilterProc, FilterSubclassId, 0))
        m_window = deepest;
}

void ContentWindowFilter::Reset()
{
    if (m_window && IsWindow(m_window))
        RemoveWindowSubclass(m_window, FilterProc, FilterSubclassId);
    m_window = nullptr;
}

LRESULT CALLBACK ContentWindowFilter::FilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR)
{
    if (Drops(message, wParam))
        return 0;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, FilterProc, FilterSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
}
