#include "viewers/ViewerFade.h"

#include "viewers/ViewerWindow.h"

#include <algorithm>

void ViewerFade::SetAlpha(WORD alpha)
{
    m_alpha = alpha;
    SetLayeredAlpha(m_window, alpha);
}

void ViewerFade::StartFadeIn()
{
    SetAlpha(0);
    m_fadeInTimer = SetTimer(m_window, FadeInTimerId, FadeInterval, nullptr);
    if (!m_fadeInTimer)
        SetAlpha(255);
}

bool ViewerFade::YieldToFadeOut()
{
    if (!m_fadeOutTimer)
        return false;
    KillTimer(m_window, FadeInTimerId);
    m_fadeInTimer = 0;
    return true;
}

ViewerFade::FadeIn ViewerFade::FadeInStep()
{
    if (YieldToFadeOut())
        return FadeIn::Yielded;
    const WORD next = m_alpha == 0 ? m_steps.firstIn : static_cast<WORD>(std::min(255, m_alpha + m_steps.in));
    if (next >= 255)
    {
        KillTimer(m_window, FadeInTimerId);
        m_fadeInTimer = 0;
    }
    SetAlpha(std::min<WORD>(next, 255));
    return next >= 255 ? FadeIn::Opaque : FadeIn::Rising;
}

bool ViewerFade::StartFadeOut()
{
    if (m_fadeOutTimer)
        return true;
    m_fadeOutTimer = SetTimer(m_window, FadeOutTimerId, FadeInterval, nullptr);
    return m_fadeOutTimer != 0;
}

bool ViewerFade::FadeOutStep()
{
    SetAlpha(static_cast<WORD>(std::max(0, m_alpha - m_steps.out)));
    if (m_alpha > 0)
        return false;
    KillTimer(m_window, FadeOutTimerId);
    m_fadeOutTimer = 0;
    return true;
}

void ViewerFade::KillTimers()
{
    for (UINT_PTR* timer : {&m_fadeInTimer, &m_fadeOutTimer})
        if (*timer)
        {
            KillTimer(m_window, *timer);
            *timer = 0;
        }
}
