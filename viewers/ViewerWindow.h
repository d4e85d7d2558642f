// What the viewer windows share: the program's icon, the layered window's
// opacity, the blocking fade of a close request, and the notice to the main
// window when a viewer loses activation to it.
#pragma once

#include <windows.h>

#include <functional>

// Icon 100 of the program's own resources at its default size (null when
// the program has none).
HICON LoadProgramIcon();
// The layered window's opacity; values above 255 count as 255.
void SetLayeredAlpha(HWND window, WORD alpha);
// 255, then 60 less after every 25 ms while above 0, then 0.
void BlockingFadeOut(HWND window);
// WM_ACTIVATE of a viewer: when it is deactivated in favour of its owner and
// is not closing, the owner is asked to bring it back to the front.
void ReportDeactivation(HWND viewer, HWND owner, WPARAM wParam, LPARAM lParam, bool closing);
// WM_CLOSE_REQUEST to a viewer: wParam 0 ends it at once with lParam, 1
// starts its fade-out, any other value fades it out before returning
// (BlockingFadeOut) and then ends it with lParam.
void AnswerCloseRequest(HWND viewer, WPARAM wParam, LPARAM lParam, const std::function<void(INT_PTR)>& end,
                        const std::function<void()>& startFadeOut);
