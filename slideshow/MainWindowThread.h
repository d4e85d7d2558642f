// The main window's thread and what the main window gets of the controller:
// a few handles and the controller's window, never the controller itself.
// The program's entry fills the link in and hands the thread procedure to
// the controller, which starts it.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <atomic>

class SlideAdvertsSettings;

struct ControllerLink
{
    // The controller's window as read at the moment of sending: null until
    // it exists and after it ended.
    const std::atomic<HWND>* controllerWindow = nullptr;
    // Set when the program quits.
    HANDLE exitEvent = nullptr;
    // Set by the main window when its first slide is on screen.
    HANDLE mainWindowReady = nullptr;
    // Set once the first round of slide adverts is known (or failed); the
    // main window starts after it, or after the start wait.
    HANDLE slideAdvertsSettled = nullptr;
    // When online slides come among the local ones (read under its lock);
    // may be null.
    SlideAdvertsSettings* slideAdverts = nullptr;
    // The caption of the controller's message boxes.
    MString caption;
    // Shown once the first slide is on screen (may be empty).
    MString startupNotice;
};

// Runs the slide-show main window modally and ends with it; parameter is a
// ControllerLink that outlives the thread (the exit wait).
DWORD WINAPI MainDialogThreadProc(LPVOID parameter);
