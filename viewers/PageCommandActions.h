// What the web-document viewer does for the commands its page sends (see
// PageTitleCommands.h): store the media volume, open a link, enter or leave
// full screen, close. The viewer's title-change handler runs the gate and
// then ObeyPageCommand.
#pragma once

#include "viewers/PageTitleCommands.h"

#include <windows.h>

#include <functional>

// Full screen for one window: the rectangle and styles it had are kept so
// that leaving restores them.
class FullScreenKeeper
{
public:
    // Keeps the window's rectangle and styles, removes caption, frame and
    // edges, and covers the monitor nearest the window's centre.
    void Enter(HWND window);
    // Restores what Enter kept; nothing when the window is not in full
    // screen (there is nothing to go back to).
    void Exit(HWND window);
    bool IsFullScreen() const { return m_fullScreen; }
    // True while Enter moves the window: its size limits must not apply.
    bool IsMoving() const { return m_moving; }

private:
    RECT m_savedRect = {};
    LONG_PTR m_savedStyle = 0;
    LONG_PTR m_savedExStyle = 0;
    bool m_fullScreen = false;
    bool m_moving = false;
};

// Style bits full screen removes: caption, system menu, thick frame,
// minimise and maximise boxes; and the extended edges and frames.
constexpr LONG_PTR FullScreenRemovedStyle = 0xCF0000;
constexpr LONG_PTR FullScreenRemovedExStyle = 0x60781;

// Carries out an accepted command for the viewer window.
void ObeyPageCommand(PageCommand command, const PageCommandParameters& parameters, HWND window,
                     FullScreenKeeper& fullScreen, const std::function<void()>& closeWithFade);
