// CLumivaneDlg: how the window sits among other windows by its operation
// mode, the window fade, the hover fade under the cursor with its Ctrl
// rules, dragging and re-anchoring, and the right click.
#include "slideshow/LumivaneDlg.h"

#include "core/PrivateMessages.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowIds.h"

#include <commctrl.h>
#include <windowsx.h>

namespace
{

bool CursorIsOver(HWND window)
{
    POINT cursor = {};
    RECT rect = {};
    return GetCursorPos(&cursor) && ::GetWindowRect(window, &rect) && PtInRect(&rect, cursor);
}

}

void CLumivaneDlg::ApplyWindowMode()
{
    // The settings record holds the configured opacity.
    m_fade.ResetTo(m_settings.opacity);
    SetAlpha(m_fade.Alpha());
    ApplyModeToWindow(m_hWnd, GetOperationMode());
    ApplyBorders();
}

void CLumivaneDlg::ApplyBorders()
{
    // The borders of the settings record: the frame styles an online slide
    // names in its properties are kept with the slide but not applied.
    const SlideBorders borders =
        ChooseBorders(m_settings.windowBorder, m_settings.imageBorder, -1, NoBorderOverride, NoBorderOverride);
    m_picture.ApplyBorders(m_hWnd, borders);
}

// ---- The window fade ---------------------------------------------------------

void CLumivaneDlg::ShowWithFade(bool show, DWORD stateCode)
{
    // The fade of the quit runs to its end.
    if (m_fade.IsClosing())
        return;
    if (m_fade.RunsTowards(show))
        return;
    m_fade.Begin(show, stateCode, SetTimer(FadeTimerId, WindowFadePeriod));
    if (m_fade.IsRunning())
        return;
    // Without a timer the fade ends at once.
    SetAlpha(m_fade.EndAt(show));
    ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    PostToController(WM_TRAY_STATE, stateCode, 0);
}

void CLumivaneDlg::StopFade()
{
    if (m_fade.IsClosing())
        return;
    if (m_fade.IsRunning())
        KillTimer(FadeTimerId);
    m_fade.TimerStopped();
}

LRESULT CLumivaneDlg::OnFadeTimer(UINT_PTR, BOOL&)
{
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    if (m_fade.IsClosing())
    {
        StepCloseFade();
        return 0;
    }
    const FadeStep step = m_fade.Step();
    SetAlpha(step.alpha);
    if (step.finished)
    {
        StopFade();
        PostToController(WM_TRAY_STATE, m_fade.StateCode(), 0);
    }
    if (m_fade.Alpha() > 0)
    {
        if (!IsWindowVisible())
            ShowWindow(SW_SHOWNA);
        if (ModeIsTopmost(GetOperationMode()) && !IsOwnDialogOpen(ScopeSlideTimer) && !IsControllerMenuOpen())
            SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    else
        ShowWindow(SW_HIDE);
    return 0;
}

// ---- Hovering and Ctrl -------------------------------------------------------

LRESULT CLumivaneDlg::OnHoverTimer(UINT_PTR, BOOL&)
{
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld() || CursorIsOver(m_hWnd))
        return 0;
    KillTimer(HoverTimerId);
    m_pointer.SetHoverTimer(0);
    ShowWithFade(true, FadeStateShown);
    return 0;
}

LRESULT CLumivaneDlg::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (GetCapture() == m_hWnd)
    {
        // Dragging: the window follows the cursor, the click point stays
        // under it.
        RECT window = {};
        GetWindowRect(&window);
        const RECT moved =
            DraggedWindowRect(window, m_pointer.DragStart(), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        MoveWindow(moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, FALSE);
        ::InvalidateRect(m_picture.Get(), nullptr, FALSE);
        return 0;
    }
    // The cursor must have left the window once since the last drag.
    if (!m_pointer.IsOutside())
        return 0;
    if (m_notices.IsVisible())
    {
        m_notices.Hide();
        if (!CursorIsOver(m_hWnd))
            return 0;
    }
    // A running slide step suppresses the hover reactions.
    const TryLock step = m_guards.TryStep();
    if (!step.IsHeld())
        return 0;
    if (HoverFadesOut(GetOperationMode(), (wParam & MK_CONTROL) != 0) && !IsSettingsDialogOpen())
    {
        m_pointer.SetHoverTimer(SetTimer(HoverTimerId, HoverWatchPeriod));
        ShowWithFade(false, FadeStateHover);
    }
    return 0;
}

LRESULT CLumivaneDlg::OnCtrlOverPicture(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam != VK_CONTROL || !CursorIsOver(m_hWnd))
        return 0;
    // A running slide step suppresses the hover reactions.
    const TryLock step = m_guards.TryStep();
    if (!step.IsHeld() || IsSettingsDialogOpen() ||
        !CtrlKeyStartsHoverFade(GetOperationMode(), static_cast<UINT>(lParam) == WM_KEYDOWN))
        return 0;
    if (GetCapture() == m_hWnd)
    {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&track);
        m_pointer.SetOutside(false);
        ReleaseCapture();
    }
    m_pointer.SetHoverTimer(SetTimer(HoverTimerId, HoverWatchPeriod));
    ShowWithFade(false, FadeStateHover);
    return 0;
}

// ---- Dragging ------------------------------------------------------------------

LRESULT CLumivaneDlg::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (IsCrossFadeRunning())
    {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    if (!ModeAllowsDrag(GetOperationMode(), GetAsyncKeyState(VK_CONTROL) < 0))
        return 0;
    if (m_fade.IsRunning())
    {
        const bool wasHiding = !m_fade.IsTowardsShown();
        StopFade();
        if (wasHiding)
            ShowWithFade(true, FadeStateShown);
    }
    SetCapture(m_hWnd);
    const HCURSOR replaced = SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
    m_pointer.StartDrag(replaced, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
}

LRESULT CLumivaneDlg::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (reinterpret_cast<HWND>(lParam) == m_hWnd)
        return 0;
    const HCURSOR replaced = m_pointer.TakeDragCursor();
    SetCursor(replaced ? replaced : LoadCursorW(nullptr, IDC_ARROW));
    RECT window = {};
    GetWindowRect(&window);
    EndDrag(window);
    return 0;
}

void CLumivaneDlg::EndDrag(const RECT& window)
{
    RECT area = m_displayArea;
    const Anchor_corner_effective corner = ResolveAnchorCorner(area, false);
    m_displayArea = DisplayAreaAtWindowCorner(m_displayArea, window, corner);
    SaveDisplayArea();
}

// ---- The right button ----------------------------------------------------------

LRESULT CLumivaneDlg::OnRButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (IsOwnDialogOpen(ScopeViewerOpeners))
    {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    StopFade();
    if (wParam & MK_SHIFT)
    {
        RECT window = {};
        GetWindowRect(&window);
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &monitor);
        bool upwards = false;
        const POINT point = ContextMenuPoint(window, monitor.rcWork, upwards);
        PostToController(WM_CONTEXT_MENU_REQUEST, MAKEWPARAM(LOWORD(point.x), LOWORD(point.y)), upwards ? 1 : 0);
        return 0;
    }
    ShowWithFade(true, FadeStateShown);
    if (!IsOwnDialogOpen(ScopeViewerOpeners))
    {
        // The viewer opens at the click point, as for the controller's command.
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(m_hWnd, &point);
        PostMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(LOWORD(point.x), LOWORD(point.y)));
    }
    return 0;
}

// ---- Show, hide, pause and resume ------------------------------------------------

LRESULT CLumivaneDlg::OnShowHide(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const DWORD reason = static_cast<DWORD>(lParam);
    if (wParam & ShowFlagFinishCrossFade)
        FinishTransition();
    if (wParam & ShowFlagShow)
        ShowWithFade(true, FadeStateShown);
    else
    {
        CloseViewer(1);
        CloseSlideProperties();
        const DWORD stateCode = reason == ShowReasonPlain || reason == ShowReasonCycleEnd ? FadeStateHiddenUntilNextCycle
                                : reason == ShowReasonHide                               ? TrayStatePaused
                                                                                         : FadeStateShown;
        ShowWithFade(false, stateCode);
    }
    switch (reason)
    {
    case ShowReasonResume:
        RestartSlideTimer(SlideTimer::ArmFor::RestAfterPause);
        break;
    case ShowReasonHide:
    case ShowReasonSettings:
    case ShowReasonGalleries:
    case ShowReasonAbout:
    case ShowReasonRelease:
    case ShowReasonViewer:
        m_slideTimer.Pause(m_hWnd);
        break;
    default:
        break;
    }
    PublishTimerState();
    return 0;
}

LRESULT CLumivaneDlg::OnPauseResume(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    FinishTransition();
    if (lParam == 2)
    {
        m_slideTimer.Pause(m_hWnd);
        PublishTimerState();
        PostToController(WM_TRAY_STATE, TrayStatePaused, 0);
        return 0;
    }
    if (m_slideTimer.ElapsedSeconds() < m_slideTimer.intervalB)
        ShowWithFade(true, FadeStateShown);
    else
        PostToController(WM_TRAY_STATE, FadeStateHiddenUntilNextCycle, 0);
    RestartSlideTimer(SlideTimer::ArmFor::RestAfterPause);
    return 0;
}
