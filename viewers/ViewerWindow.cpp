#include "viewers/ViewerWindow.h"

#include "resources/window/ProgramResourceIds.h"
#include "core/PrivateMessages.h"

#include <algorithm>

HICON LoadProgramIcon()
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

void SetLayeredAlpha(HWND window, WORD alpha)
{
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(std::min<WORD>(alpha, 255)), LWA_ALPHA);
}

void BlockingFadeOut(HWND window)
{
    for (int alpha = 255; alpha > 0; alpha -= 60)
    {
        SetLayeredAlpha(window, static_cast<WORD>(alpha));
        Sleep(25);
    }
    SetLayeredAlpha(window, 0);
}

void ReportDeactivation(HWND viewer, HWND owner, WPARAM wParam, LPARAM lParam, bool closing)
{
    if (LOWORD(wParam) == WA_INACTIVE && !closing && owner && reinterpret_cast<HWND>(lParam) == owner)
        PostMessageW(owner, WM_BRING_TO_FRONT, 0, reinterpret_cast<LPARAM>(viewer));
}

void AnswerCloseRequest(HWND viewer, WPARAM wParam, LPARAM lParam, const std::function<void(INT_PTR)>& end,
                        const std::function<void()>& startFadeOut)
{
    if (wParam == 1)
    {
        startFadeOut();
        return;
    }
    if (wParam != 0)
        BlockingFadeOut(viewer);
    end(lParam);
}
