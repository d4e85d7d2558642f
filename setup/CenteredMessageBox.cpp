#include "setup/CenteredMessageBox.h"

#include "foundation/WindowPlacement.h"

namespace
{
HHOOK PlacementHook = nullptr;

// Centres the box on its owner when the box is activated, then removes
// itself: the first activation is the box's own.
LRESULT CALLBACK PlaceBoxHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code < 0)
        return CallNextHookEx(PlacementHook, code, wParam, lParam);
    if (code == HCBT_ACTIVATE)
    {
        HWND box = reinterpret_cast<HWND>(wParam);
        HWND owner = GetWindow(box, GW_OWNER);
        RECT reference = {};
        if (!owner || !GetWindowRect(owner, &reference))
            GetWindowRect(GetDesktopWindow(), &reference);
        RECT own = {};
        if (GetWindowRect(box, &own))
        {
            CRect placed = CenterRectOn(reference, own.right - own.left, own.bottom - own.top);
            if (!IsRectOnMonitors(placed))
                FitRectToMonitor(placed, true, true);
            SetWindowPos(box, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (PlacementHook)
            UnhookWindowsHookEx(PlacementHook);
        PlacementHook = nullptr;
    }
    return 0;
}
}

int CenteredMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    PlacementHook = SetWindowsHookExW(WH_CBT, PlaceBoxHook, nullptr, GetCurrentThreadId());
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const int result = MessageBoxW(owner, text, caption, type);
    SetCursor(previous);
    if (PlacementHook)
    {
        UnhookWindowsHookEx(PlacementHook);
        PlacementHook = nullptr;
    }
    return result;
}
