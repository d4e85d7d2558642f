// How the media viewer answers the player's clicks, keys and right button
// (the messages of its event sink): a click toggles play and pause only
// once the double-click time has passed without a second click, the space
// key toggles at once, and a right press followed by a right release closes
// the viewer. A release without a seen press does nothing.
#pragma once

#include <windows.h>

#include <functional>

// The timer of a pending click, on the viewer's window.
constexpr UINT_PTR PlayerClickTimer = 111;

class PlayerClickRules
{
public:
    PlayerClickRules(HWND window, std::function<void()> togglePlayPause, std::function<void()> closeWithFade)
        : m_window(window), m_toggle(std::move(togglePlayPause)), m_close(std::move(closeWithFade))
    {
    }

    // WM_PLAYER_CLICK: wParam PlayerClicked or PlayerSpaceKey.
    void OnPlayerClick(WPARAM kind);
    // The player saw a double click: the pending click is dropped (the
    // player handles the double click itself).
    void OnDoubleClick();
    // WM_TIMER PlayerClickTimer.
    void OnClickTimer();
    void OnRightDown() { m_rightPressed = true; }
    void OnRightUp();
    bool IsClickPending() const { return m_clickPending; }

private:
    HWND m_window;
    std::function<void()> m_toggle;
    std::function<void()> m_close;
    bool m_clickPending = false;
    bool m_rightPressed = false;
};
