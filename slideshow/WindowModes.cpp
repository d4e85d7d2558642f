#include "slideshow/WindowModes.h"

#include "core/ProgramObjects.h"

namespace
{
constexpr LONG_PTR AppWindowStyles = WS_MINIMIZEBOX | WS_SYSMENU;

bool DialogMutexExists(const wchar_t* key)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(key).GetText());
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

bool AnyDialogMutexExists(std::initializer_list<const wchar_t*> keys)
{
    for (const wchar_t* key : keys)
        if (DialogMutexExists(key))
            return true;
    return false;
}
}

WindowModeStyle StyleOfMode(OperationMode mode)
{
    if (mode == OperationMode::AppWindow)
        return WindowModeStyle{false, AppWindowStyles, 0, WS_EX_APPWINDOW, WS_EX_TOOLWINDOW};
    return WindowModeStyle{ModeIsTopmost(mode), 0, AppWindowStyles, WS_EX_TOOLWINDOW, WS_EX_APPWINDOW};
}

BorderStyle WindowBorderStyle(DWORD border)
{
    const LONG_PTR on = border == 1 ? WS_BORDER : border == 2 ? WS_DLGFRAME : 0;
    return BorderStyle{on, (WS_BORDER | WS_DLGFRAME) & ~on, 0, 0};
}

BorderStyle PictureBorderStyle(DWORD border)
{
    switch (border)
    {
    case 1:
        return BorderStyle{WS_BORDER, 0, 0, WS_EX_DLGMODALFRAME};
    case 2:
        return BorderStyle{0, WS_BORDER, WS_EX_DLGMODALFRAME, 0};
    default:
        return BorderStyle{0, WS_BORDER, 0, WS_EX_DLGMODALFRAME};
    }
}

SlideBorders ChooseBorders(DWORD windowBorder, DWORD imageBorder, int slideKind, DWORD slideWindowBorder,
                           DWORD slideImageBorder)
{
    SlideBorders borders{windowBorder, imageBorder};
    if (slideKind == 1 || slideKind == 2 || slideKind == 4)
    {
        if (slideWindowBorder != NoBorderOverride)
            borders.window = slideWindowBorder;
        if (slideImageBorder != NoBorderOverride)
            borders.picture = slideImageBorder;
    }
    return borders;
}

namespace
{
void ChangeWindowStyle(HWND window, int index, LONG_PTR on, LONG_PTR off)
{
    const LONG_PTR style = GetWindowLongPtrW(window, index);
    const LONG_PTR changed = ChangeStyle(style, on, off);
    if (changed != style)
        SetWindowLongPtrW(window, index, changed);
}
}

void ApplyModeToWindow(HWND window, OperationMode mode)
{
    const WindowModeStyle style = StyleOfMode(mode);
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (style.topmost)
    {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep);
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, keep);
    }
    else
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    ChangeWindowStyle(window, GWL_EXSTYLE, style.exStyleOn, style.exStyleOff);
    ChangeWindowStyle(window, GWL_STYLE, style.styleOn, style.styleOff);
}

bool ApplyBordersToWindow(HWND window, HWND picture, const SlideBorders& borders, SlideBorders& applied)
{
    const bool windowChanged = borders.window != applied.window;
    const bool pictureChanged = borders.picture != applied.picture;
    if (windowChanged)
    {
        const BorderStyle style = WindowBorderStyle(borders.window);
        ChangeWindowStyle(window, GWL_STYLE, style.styleOn, style.styleOff);
    }
    if (pictureChanged && picture)
    {
        const BorderStyle style = PictureBorderStyle(borders.picture);
        ChangeWindowStyle(picture, GWL_STYLE, style.styleOn, style.styleOff);
        ChangeWindowStyle(picture, GWL_EXSTYLE, style.exStyleOn, style.exStyleOff);
    }
    if (!windowChanged && !pictureChanged)
        return false;
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    SetWindowPos(window, nullptr, 0, 0, 0, 0, keep);
    if (picture)
    {
        SetWindowPos(picture, nullptr, 0, 0, 0, 0, keep);
        RECT client = {};
        GetClientRect(window, &client);
        MoveWindow(picture, 0, 0, client.right, client.bottom, TRUE);
    }
    applied = borders;
    return true;
}

FadeStep NextFadeAlpha(BYTE alpha, BYTE target, bool showing)
{
    const int step = target * 50 / 255 > 1 ? target * 50 / 255 : 1;
    int next = showing ? alpha + step : alpha - step;
    if (showing && next > target)
        next = target;
    if (next < 0)
        next = 0;
    const BYTE result = static_cast<BYTE>(next);
    return FadeStep{result, result == 0 || result == target};
}

bool HoverFadesOut(OperationMode mode, bool ctrlDown)
{
    switch (mode)
    {
    case OperationMode::FadeOnHover:
    case OperationMode::CycleFadeOnHover:
        return !ctrlDown;
    case OperationMode::FadeOnCtrlHover:
    case OperationMode::CycleFadeOnCtrlHover:
        return ctrlDown;
    default:
        return false;
    }
}

bool CtrlKeyStartsHoverFade(OperationMode mode, bool keyDown)
{
    switch (mode)
    {
    case OperationMode::FadeOnCtrlHover:
    case OperationMode::CycleFadeOnCtrlHover:
        return keyDown;
    case OperationMode::FadeOnHover:
    case OperationMode::CycleFadeOnHover:
        return !keyDown;
    default:
        return false;
    }
}

bool ModeAllowsDrag(OperationMode mode, bool ctrlDown)
{
    switch (mode)
    {
    case OperationMode::AppWindow:
    case OperationMode::ToolWindow:
        return true;
    case OperationMode::FadeOnCtrlHover:
    case OperationMode::CycleFadeOnCtrlHover:
        return !ctrlDown;
    default:
        return false;
    }
}

RECT DraggedWindowRect(const RECT& window, POINT dragStart, POINT cursor)
{
    const LONG dx = cursor.x - dragStart.x;
    const LONG dy = cursor.y - dragStart.y;
    return RECT{window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}

POINT ContextMenuPoint(const RECT& window, const RECT& workArea, bool& upwards)
{
    // Measured from the work area's top, so that a monitor below or above
    // the primary one decides by its own halves.
    const LONG half = (workArea.bottom - workArea.top) / 2;
    upwards = window.top - workArea.top > half;
    return upwards ? POINT{window.left, window.top - 1} : POINT{window.left, window.bottom + 1};
}

bool IsOwnDialogOpen(int scope)
{
    if (AnyDialogMutexExists({L"CSettingsDlg", L"CSelectedFiles", L"CAboutBoxDlg", L"CheckForNewReleaseDlg"}))
        return true;
    if ((scope == ScopeSlideTimer || scope == ScopeViewerOpeners) &&
        AnyDialogMutexExists({L"VIEWER_CShowLargePhotoDlg", L"VIEWER_CMediaPlayer2Dlg", L"VIEWER_CRichTextDlg",
                              L"VIEWER_CBrowserDlg"}))
        return true;
    return DialogMutexExists(L"CSlidePropsDlg");
}

bool IsSettingsDialogOpen()
{
    return DialogMutexExists(L"CSettingsDlg");
}
