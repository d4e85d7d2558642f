// The opacity of a layered viewer window over its life: the fade-in when it
// opens, the fade-out when it is asked to close, and whether it is closing.
// The viewer's message map routes the two fade timers here.
#pragma once

#include <windows.h>

// The fade timers of every viewer, and the time between two fade steps.
constexpr UINT_PTR FadeInTimerId = 108;
constexpr UINT_PTR FadeOutTimerId = 109;
constexpr UINT FadeInterval = 30;

class ViewerFade
{
public:
    // How far one step moves the opacity; the first fade-in step from a
    // fully transparent window moves it to firstIn.
    struct Steps
    {
        WORD firstIn;
        WORD in;
        WORD out;
    };
    // What a fade-in step did.
    enum class FadeIn
    {
        Yielded, // a fade-out runs: the fade-in is over
        Rising,
        Opaque, // full opacity reached: the fade-in is over
    };

    // window: the viewer's own handle, read at each use (the window is made
    // after its owner).
    ViewerFade(const HWND& window, Steps steps) : m_window(window), m_steps(steps) {}
    ViewerFade(const ViewerFade&) = delete;
    ViewerFade& operator=(const ViewerFade&) = delete;

    WORD Alpha() const { return m_alpha; }
    void SetAlpha(WORD alpha);

    // Makes the window transparent and starts the fade-in; fully opaque at
    // once when no timer can be had.
    void StartFadeIn();
    // Ends the fade-in when a fade-out runs; true then.
    bool YieldToFadeOut();
    // The fade-in timer's step.
    FadeIn FadeInStep();

    bool IsFadingOut() const { return m_fadeOutTimer != 0; }
    // Starts the fade-out unless it runs already; false when no timer can be
    // had, and the viewer closes at once.
    bool StartFadeOut();
    // The fade-out timer's step; true when the window is transparent and the
    // viewer is to close.
    bool FadeOutStep();

    // Set when the viewer ends its dialog.
    bool IsClosing() const { return m_closing; }
    void MarkClosing() { m_closing = true; }

    // Stops both timers (the window is being destroyed).
    void KillTimers();

private:
    const HWND& m_window;
    const Steps m_steps;
    WORD m_alpha = 0;
    UINT_PTR m_fadeInTimer = 0;
    UINT_PTR m_fadeOutTimer = 0;
    bool m_closing = false;
};
