// CLumivaneDlg: the settings record and the display area as the window keeps
// them, the window's size changes (WM_SET_SIDE and the relayout), the
// tracking tooltip's notices (WM_NOTICE), and what the window does around the
// controller's settings dialog.
#include "slideshow/LumivaneDlg.h"

#include "foundation/SmartPtr.h"
#include "foundation/WindowPlacement.h"
#include "core/PrivateMessages.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/SettingsRegistry.h"
#include "slideshow/TooltipNotice.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace
{

}

// ---- The settings record ----------------------------------------------------

void CLumivaneDlg::LoadSettings(MString& restoredPath, bool& restoredOnline)
{
    restoredPath.Clear();
    restoredOnline = false;
    LoadDisplayArea();
    PerformanceDataLoad load;
    {
        const Lock mode = m_guards.Mode();
        load = LoadPerformanceData(m_settings, m_slideTimer, m_displayArea);
    }
    // The walk goes on where the last run stopped, also after a bad record.
    m_walk.LoadDisplayControl();
    LoadAutoStart();
    if (!load.loaded)
    {
        // A bad record: the defaults are in place and written back, and no
        // slide of the last run is shown again.
        DeleteCurrentSlideValue();
        SaveSettings();
        return;
    }
    RestoreCurrentSlide([this](const MString& path) { return m_walk.IsPathInWalk(path); }, restoredPath,
                        restoredOnline);
    // Without the slide of the last run, or without its shown time ("Elapsed
    // Time", taken by the timer), the show starts with a full interval.
    if (restoredPath.IsEmpty() || !load.elapsedTimeTaken)
    {
        restoredPath.Clear();
        m_slideTimer.ClearTimes();
    }
}

void CLumivaneDlg::SaveSettings() { ::SaveSettings(m_settings, m_slideTimer); }

void CLumivaneDlg::LoadAutoStart() { m_settings.autoStart = ::LoadAutoStart(); }

void CLumivaneDlg::LoadDisplayArea() { ::LoadDisplayArea(m_displayArea); }

void CLumivaneDlg::SetDefaultDisplayArea() { ::SetDefaultDisplayArea(m_displayArea); }

void CLumivaneDlg::SaveDisplayArea() { ::SaveDisplayArea(m_displayArea); }

Anchor_corner_effective CLumivaneDlg::ResolveAnchorCorner(RECT& area, bool clamp)
{
    return ::ResolveAnchorCorner(area, m_settings.anchorCorner, clamp);
}

Anchor_corner_effective CLumivaneDlg::NearestScreenCorner(RECT& area) { return ::NearestScreenCorner(area); }

// ---- Size and layout --------------------------------------------------------

void CLumivaneDlg::RelayoutWindow()
{
    const int side = static_cast<int>(m_displayArea.right - m_displayArea.left);
    PlaceWindow(side, side);
    RECT client = {};
    GetClientRect(&client);
    ::MoveWindow(m_picture.Get(), 0, 0, client.right, client.bottom, TRUE);
    RECT pictureClient = {};
    ::GetClientRect(m_picture.Get(), &pictureClient);
    RenderPreviewCard(std::max<int>(pictureClient.right, pictureClient.bottom));
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

LRESULT CLumivaneDlg::OnSetSide(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    // The display area becomes a square of that side at the window's
    // top-left corner, kept on the monitors.
    const LONG side = static_cast<LONG>(wParam);
    RECT window = {};
    GetWindowRect(&window);
    RECT area = {window.left, window.top, window.left + side, window.top + side};
    if (!IsRectOnMonitors(area))
        FitRectToMonitor(area, true, true);
    m_displayArea = area;
    RelayoutWindow();
    return 0;
}

// ---- Around the controller's settings dialog ----------------------------------

void CLumivaneDlg::PublishState()
{
    m_link->snapshot->operationMode = static_cast<DWORD>(GetOperationMode());
    m_link->snapshot->showsTrayIcon = m_settings.trayIcon;
}

LRESULT CLumivaneDlg::OnCopySettings(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* copy = reinterpret_cast<SettingsCopy*>(lParam);
    if (!copy)
        return 0;
    {
        const Lock mode = m_guards.Mode();
        copy->settings = m_settings;
        copy->timer.enabled = m_slideTimer.enabled;
        copy->timer.intervalA = m_slideTimer.intervalA;
        copy->timer.intervalB = m_slideTimer.intervalB;
        copy->timer.unitA = m_slideTimer.unitA;
        copy->timer.unitB = m_slideTimer.unitB;
    }
    copy->displayArea = m_displayArea;
    return 1;
}

LRESULT CLumivaneDlg::OnApplySettings(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<SettingsCopy> saved = TakeApplySettings(lParam);
    if (!saved)
        return 0;
    {
        const Lock mode = m_guards.Mode();
        m_settings = saved->settings;
        m_slideTimer.enabled = saved->timer.enabled;
        m_slideTimer.intervalA = saved->timer.intervalA;
        m_slideTimer.intervalB = saved->timer.intervalB;
        m_slideTimer.unitA = saved->timer.unitA;
        m_slideTimer.unitB = saved->timer.unitB;
    }
    // The display area is not taken back: the dialog's previews have changed
    // it on this thread already; it is stored with the record.
    SaveDisplayArea();
    SaveSettings();
    PublishState();
    return 0;
}

LRESULT CLumivaneDlg::OnControllerDialogOpening(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    // The settings dialog edits this window's fields in place: what it may
    // change is remembered here, on this window's own thread, so that a
    // cancelled dialog leaves the window as it was.
    const DWORD reason = static_cast<DWORD>(lParam);
    if (reason == ShowReasonSettings)
    {
        m_areaBeforeSettings = m_displayArea;
    }
    else if (reason == ShowReasonGalleries || reason == ShowReasonAbout || reason == ShowReasonRelease)
    {
        // Another dialog opens: no settings dialog is open any more, even if
        // its end was never reported.
        m_areaBeforeSettings.reset();
    }
    handled = FALSE;
    return 0;
}

void CLumivaneDlg::EndSettingsDialog(const RECT& areaBefore, DWORD result)
{
    // A transparency preview ends: no fade runs on and the stored opacity
    // comes back.
    StopFade();
    SetAlpha(m_fade.Alpha());
    const bool areaRestored = result != 0 && !EqualRect(&areaBefore, &m_displayArea);
    // Not saved: the display area of the opening.
    if (areaRestored)
        m_displayArea = areaBefore;
    // The preview card of the size stood only while the dialog was open: the
    // slide comes back, fitted to the area now in force.
    if (!areaRestored && !m_frames.HasOverlay())
        return;
    if (IsCrossFadeRunning())
        return;
    if (m_prepared)
    {
        FitPreparedPicture();
        RenderCurrentFrame();
    }
    else
    {
        const int side = static_cast<int>(m_displayArea.right - m_displayArea.left);
        PlaceWindow(side, side);
        FitPictureToClient();
        m_frames.DropOverlay();
        ::RedrawWindow(m_picture.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

// ---- The tracking tooltip -----------------------------------------------------

void CLumivaneDlg::ShowTrackingTooltip(MString title, const MString& body)
{
    // Notices wait for the first slide.
    if (WaitForSingleObject(m_link->mainWindowReady, 0) != WAIT_OBJECT_0)
        return;
    m_notices.Show(title, body);
}

void CLumivaneDlg::HideTrackingTooltip() { m_notices.Hide(); }

LRESULT CLumivaneDlg::OnToolTipTimer(UINT_PTR, BOOL&)
{
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    m_notices.OnTimer();
    return 0;
}

LRESULT CLumivaneDlg::OnNotice(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const TooltipNotice notice = ResolveTooltipNotice(wParam, lParam);
    switch (notice.action)
    {
    case TooltipNotice::Hide:
        HideTrackingTooltip();
        break;
    case TooltipNotice::ShowRecord:
    {
        // The record belongs to this window. A null one is dropped: a notice
        // is not worth ending the show for.
        const auto record = TakeNoticeRecord(wParam, lParam);
        if (!record)
            break;
        ShowTrackingTooltip(record->first, record->second);
        break;
    }
    case TooltipNotice::Show:
    {
        const std::optional<Notice> body = NoticeOfString(notice.bodyId);
        if (body)
            ShowTrackingTooltip(MString(ResId(notice.titleId)), m_notices.Text(*body));
        break;
    }
    case TooltipNotice::Ignore:
        break;
    }
    return 0;
}
