#include "viewers/PlayerClickRules.h"

#include "viewers/WMPEventDispatch.h"

void PlayerClickRules::OnPlayerClick(WPARAM kind)
{
    if (kind == PlayerSpaceKey)
    {
        m_toggle();
        return;
    }
    // A second click within the double-click time restarts the wait.
    m_clickPending = SetTimer(m_window, PlayerClickTimer, GetDoubleClickTime() + 1, nullptr) != 0;
}

void PlayerClickRules::OnDoubleClick()
{
    KillTimer(m_window, PlayerClickTimer);
    m_clickPending = false;
}

void PlayerClickRules::OnClickTimer()
{
    KillTimer(m_window, PlayerClickTimer);
    if (!m_clickPending)
        return;
    m_clickPending = false;
    m_toggle();
}

void PlayerClickRules::OnRightUp()
{
    if (m_rightPressed)
        m_close();
    m_rightPressed = false;
}
