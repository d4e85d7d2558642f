// The main window's timer ids and the registry value names that several of
// its source files use; private to the main window.
#pragma once

#include "slideshow/SlideTimer.h"

#include <windows.h>

// The cursor has left the window after a hover fade (HoverWatchPeriod).
constexpr UINT_PTR HoverTimerId = 101;
// The slide step: SlideTimer::TimerId (102).
// Steps the cross-fade of a new slide.
constexpr UINT_PTR CrossFadeTimerId = 105;
// Steps the window fade, and the fade-out when the program quits.
constexpr UINT_PTR FadeTimerId = 106;
// Hides the tracking tooltip.
constexpr UINT_PTR ToolTipTimerId = 110;
// Ends the opaque flash of the window.
constexpr UINT_PTR OpaqueFlashTimerId = 114;
// Watches the z-order and the idle time for the screen saver.
constexpr UINT_PTR TopmostTimerId = 115;
// Tries again a step that found the slide lock held by the controller.
constexpr UINT_PTR PostponedStepTimerId = 116;

// The slide shown at the end of the last run.
inline constexpr wchar_t CurrentSlideValueName[] = L"Current Slide";
