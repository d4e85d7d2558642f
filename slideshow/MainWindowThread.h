// The main window's thread and what the main window gets of the controller:
// a few handles and the controller's window, never the controller itself.
// The program's entry fills the link in and hands the thread procedure to
// the controller, which starts it.
#pragma once

#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "core/PrivateMessages.h"
#include "slideshow/PerformanceData.h"

#include <windows.h>

#include <atomic>
#include <memory>

class AdvertStatsLists;
class SlideAdvertsSettings;
class Overlay_Adverts;
struct OverlayAdvertContext;

// The main window's state as the controller reads it. Only the main window's
// thread writes it (when its settings record is loaded or applied); the
// controller holds it and reads it at any time.
struct MainWindowSnapshot
{
    std::atomic<DWORD> operationMode{0};
    std::atomic<bool> showsTrayIcon{true};

    // The slide on screen, as the controller's menu and file commands
    // capture and test it: written by the main window and read by the
    // controller, both under the slide lock. kind is a SlideKind (-1 none);
    // identity is the slide's title; link the online slide's link.
    struct ShownSlide
    {
        LONG kind = -1;
        MString path;
        MString identity;
        MString link;
        // The online slide's id in the adverts statistics.
        MString slideId;
    } shown;
    // Read at any time without the lock.
    std::atomic<bool> crossFading{false};
    std::atomic<bool> timerPaused{false};
    std::atomic<bool> localSource{true};
    // Whether a gallery of the media source is selected, and whether it has
    // a slide other than the one on screen.
    std::atomic<bool> gallerySelection{false};
    std::atomic<bool> otherSlides{false};

    // No mode bits other than the plain window's.
    bool HasPlainOperationMode() const;
};

// What the settings dialog edits on the controller's thread: a copy of the
// main window's settings record, taken by the main window on its own thread
// (WM_COPY_SETTINGS) and handed back to it when saved (WM_APPLY_SETTINGS).
// The display area comes along for the dialog to read; its live previews
// change the main window's own area by message (WM_SET_SIDE).
struct SettingsCopy
{
    PerformanceData settings;
    RECT displayArea = {};
    // The slide timer's settings (the timer keeps them apart from the record).
    struct TimerFields
    {
        bool enabled = true;
        unsigned __int64 intervalA = 1800;
        unsigned __int64 intervalB = 60;
        Time_unit unitA = Time_unit::Minutes;
        Time_unit unitB = Time_unit::Minutes;
    } timer;
};

inline bool PostApplySettings(HWND mainWindow, std::unique_ptr<SettingsCopy> saved)
{
    return PostOwned(mainWindow, WM_APPLY_SETTINGS, 0, std::move(saved));
}
inline std::unique_ptr<SettingsCopy> TakeApplySettings(LPARAM lParam)
{
    return TakeOwned<SettingsCopy>(lParam);
}

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
    // Where each online slide shown counts a load; may be null.
    AdvertStatsLists* advertStats = nullptr;
    // The overlay adverts of the photo viewer and the controller's choice.
    Overlay_Adverts* overlayAdverts = nullptr;
    OverlayAdvertContext* overlayContext = nullptr;
    // Where the main window publishes its state.
    MainWindowSnapshot* snapshot = nullptr;
    // The lock around the current slide: the main window's slide step and
    // the controller's file commands take it.
    CriticalSection* slideLock = nullptr;
    // The caption of the controller's message boxes.
    MString caption;
    // Shown once the first slide is on screen (may be empty).
    MString startupNotice;
};

// Runs the slide-show main window modally and ends with it; parameter is a
// ControllerLink that outlives the thread (the controller shares the block
// that holds it with the thread).
DWORD WINAPI MainDialogThreadProc(LPVOID parameter);
