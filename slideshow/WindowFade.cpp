#include "slideshow/WindowFade.h"

#include "slideshow/WindowModes.h"

void WindowFade::Begin(bool show, DWORD stateCode, UINT_PTR timer)
{
    m_direction = show ? 1 : 0;
    m_stateCode = stateCode;
    m_timer = timer;
}

BYTE WindowFade::EndAt(bool show)
{
    m_alpha = show ? m_targetAlpha : 0;
    return m_alpha;
}

FadeStep WindowFade::Step()
{
    const FadeStep step = NextFadeAlpha(m_alpha, m_targetAlpha, m_direction == 1);
    m_alpha = step.alpha;
    return step;
}

void WindowFade::BeginClose(UINT_PTR timer)
{
    m_closing = true;
    m_timer = timer;
}

bool WindowFade::StepClose(BYTE step)
{
    if (m_alpha <= step)
        return false;
    m_alpha = static_cast<BYTE>(m_alpha - step);
    return true;
}
