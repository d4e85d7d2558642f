// The main window's alpha and the fade that moves it: towards shown or
// hidden at the fade timer, the quick fade-out when the program quits, and
// the opaque flash. Also whether the window refuses to be shown yet. Holds
// state only; the window sets its timers and its layered alpha.
#pragma once

#include <windows.h>

struct FadeStep;

class WindowFade
{
public:
    BYTE Alpha() const { return m_alpha; }
    // The configured opacity becomes the target and the alpha.
    void ResetTo(BYTE opacity) { m_alpha = m_targetAlpha = opacity; }

    // A fade timer runs (a fade or the fade of the quit).
    bool IsRunning() const { return m_timer != 0; }
    // A fade towards shown (or hidden) runs already.
    bool RunsTowards(bool show) const { return m_timer && (m_direction == 1) == show; }
    bool IsTowardsShown() const { return m_direction == 1; }
    // A fade begins; the state code goes to the controller when it ends.
    void Begin(bool show, DWORD stateCode, UINT_PTR timer);
    DWORD StateCode() const { return m_stateCode; }
    // Without a timer a fade ends at once: the alpha it ends at.
    BYTE EndAt(bool show);
    // One step at the fade timer.
    FadeStep Step();
    void TimerStopped() { m_timer = 0; }

    // The program quits: the fade timer fades the window out quickly and its
    // last tick ends the dialog.
    bool IsClosing() const { return m_closing; }
    void BeginClose(UINT_PTR timer);
    // Lowers the alpha by step; false when it has nothing left to lower.
    bool StepClose(BYTE step);
    // The close fade without a timer goes straight to its end.
    void Drop() { m_alpha = 0; }

    void SetFlashTimer(UINT_PTR timer) { m_flashTimer = timer; }

    // While set the window refuses to be shown; the first slide clears it.
    bool KeepsHidden() const { return m_keepHidden != 0; }
    void StopKeepingHidden() { m_keepHidden = 0; }

private:
    BYTE m_alpha = 0;
    BYTE m_targetAlpha = 255;
    UINT_PTR m_timer = 0;
    int m_direction = 1;
    DWORD m_stateCode = 1;
    bool m_closing = false;
    UINT_PTR m_flashTimer = 0;
    BYTE m_keepHidden = 1;
};
