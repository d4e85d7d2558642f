// The main window's side of the screen saver: making the windows over the
// monitors, handing them every new slide, ending them by locking the session
// or by fading them out; and the display and setting changes that end it.
#include "slideshow/LumivaneDlg.h"

#include "foundation/SmartPtr.h"
#include "foundation/WindowPlacement.h"

namespace
{
// Ending by lock: polls of the lock state and the pauses around them.
const int LockPolls = 20;
const DWORD LockPollPause = 100;
const DWORD AfterLockedPause = 1000;
const DWORD UnknownLockPause = 2000;
const DWORD AfterLockPause = 1000;

// Waits, after a successful lock, until the session is seen locked (or the
// polls run out), so that the windows go only behind the lock screen.
void WaitForSessionLock(const SessionLocker& locker)
{
    for (int poll = 0; poll < LockPolls; ++poll)
    {
        const int state = locker.QueryLockState();
        if (state == 0)
        {
            Sleep(AfterLockedPause);
            return;
        }
        if (state != 1)
        {
            Sleep(UnknownLockPause);
            break;
        }
        Sleep(LockPollPause);
    }
    Sleep(AfterLockPause);
}
}

bool CLumivaneDlg::IsScreenSaverRunning() const
{
    return !m_screenSavers.empty();
}

void CLumivaneDlg::StartScreenSaver()
{
    if (IsScreenSaverRunning())
        return;
    const std::vector<ScreenSaverWindowPlan> plans =
        PlanScreenSaverWindows(m_settings.screenSaverMode, m_shown.Kind(), SystemMonitors());
    Gdiplus::Bitmap* picture = m_frames.FullSizeFrame();
    // Windows that show slides need the full-size copy: without it the screen
    // saver waits for the next idle test after a slide.
    for (const ScreenSaverWindowPlan& plan : plans)
        if (plan.showsSlides && !picture)
            return;
    for (const ScreenSaverWindowPlan& plan : plans)
    {
        m_screenSavers.push_back(std::make_unique<ScreenSaverWnd>(plan, picture));
        // A window that cannot be made stays in the list until the end.
        m_screenSavers.back()->Open(m_hWnd);
    }
}

void CLumivaneDlg::EndScreenSaver()
{
    if (m_screenSavers.empty())
        return;
    const SessionLocker& locker = ScreenSaverLocker();
    if (m_settings.lockOnScreenSaverEnd)
    {
        if (locker.Lock())
            WaitForSessionLock(locker);
        else
            Sleep(AfterLockPause);
    }
    else
    {
        for (int alpha = 255; alpha >= 0; --alpha)
        {
            for (const std::unique_ptr<ScreenSaverWnd>& window : m_screenSavers)
                if (window->IsWindow())
                    window->SetAlpha(static_cast<BYTE>(alpha));
            Sleep(1);
        }
    }
    for (const std::unique_ptr<ScreenSaverWnd>& window : m_screenSavers)
        if (window->IsWindow())
            window->DestroyWindow();
    m_screenSavers.clear();
}

void CLumivaneDlg::HandOverToScreenSavers()
{
    if (m_screenSavers.empty())
        return;
    Gdiplus::Bitmap* picture = m_frames.FullSizeFrame();
    if (!picture)
        throw MSmartPtrError();
    for (const std::unique_ptr<ScreenSaverWnd>& window : m_screenSavers)
        window->CrossFadeTo(*picture);
}

LRESULT CLumivaneDlg::OnDisplayChange(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT window = {};
    GetWindowRect(&window);
    if (!IsRectOnMonitors(window))
    {
        // Too large for the work area: the near edges stay at its edges.
        FitRectToMonitor(window, true, true);
        SetWindowPos(nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        EndDrag(window);
    }
    EndScreenSaver();
    return 0;
}

LRESULT CLumivaneDlg::OnSettingChange(UINT, WPARAM, LPARAM, BOOL&)
{
    EndScreenSaver();
    return 0;
}
