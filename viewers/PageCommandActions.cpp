#include "viewers/PageCommandActions.h"

#include "viewers/MediaVolume.h"

void FullScreenKeeper::Enter(HWND window)
{
    RECT rect = {};
    if (!GetWindowRect(window, &rect))
        return;
    const POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MONITORINFO monitor = {sizeof(monitor)};
    if (!GetMonitorInfoW(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    // A second Enter keeps what the first kept: that is the window to go back to.
    if (!m_fullScreen)
    {
        m_savedRect = rect;
        m_savedStyle = GetWindowLongPtrW(window, GWL_STYLE);
        m_savedExStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    }
    SetWindowLongPtrW(window, GWL_STYLE, m_savedStyle & ~FullScreenRemovedStyle);
    SetWindowLongPtrW(window, GWL_EXSTYLE, m_savedExStyle & ~FullScreenRemovedExStyle);
    m_moving = true;
    const RECT& area = monitor.rcMonitor;
    MoveWindow(window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    m_moving = false;
    m_fullScreen = true;
}

void FullScreenKeeper::Exit(HWND window)
{
    if (!m_fullScreen)
        return;
    SetWindowLongPtrW(window, GWL_STYLE, m_savedStyle);
    SetWindowLongPtrW(window, GWL_EXSTYLE, m_savedExStyle);
    MoveWindow(window, m_savedRect.left, m_savedRect.top, m_savedRect.right - m_savedRect.left,
               m_savedRect.bottom - m_savedRect.top, TRUE);
    m_fullScreen = false;
}

void ObeyPageCommand(PageCommand command, const PageCommandParameters& parameters, HWND window,
                     FullScreenKeeper& fullScreen, const std::function<void()>& closeWithFade)
{
    switch (command)
    {
    case PageCommand::SetVolume:
    {
        const auto volume = parameters.find(PageCommandParameter::Volume);
        double value = 0;
        if (volume != parameters.end() && ParsePageVolume(volume->second, value))
            WriteMediaVolume(value);
        break;
    }
    case PageCommand::OpenLink:
    {
        const auto link = parameters.find(PageCommandParameter::Link);
        if (link != parameters.end())
            OpenPageLink(link->second);
        break;
    }
    case PageCommand::EnterFullScreen:
        fullScreen.Enter(window);
        break;
    case PageCommand::ExitFullScreen:
        fullScreen.Exit(window);
        break;
    case PageCommand::CloseWindow:
        if (closeWithFade)
            closeWithFade();
        break;
    case PageCommand::None:
        break;
    }
}
