// What the controller's worker threads (adverts and statistics, the release
// check) need of it: where to report and the events they wait on. The
// controller fills it in; each worker shares the block that holds it and
// what it points to, so the handles stay valid for a worker's whole run.
#pragma once

#include "foundation/Sync.h"

#include <windows.h>

#include <atomic>

struct WorkerContext
{
    // The controller's window as the workers read it at the moment of
    // posting: null until it exists and after it ended.
    const std::atomic<HWND>* controllerWindow = nullptr;
    // Set once the controller's window exists.
    HANDLE controllerReady = nullptr;
    HANDLE exitEvent = nullptr;
    HANDLE trayIconReady = nullptr;
    HANDLE releaseCheck = nullptr;
    HANDLE upgradeExit = nullptr;
    // Set by the controller when the release dialog has closed: check again.
    HANDLE ReleaseRecheckEvent = nullptr;
    // Set by the release check while it knows a newer release, reset when not.
    // The same event as the controller's NewReleaseEvent, which the tray tests.
    HANDLE ReleaseAvailableEvent = nullptr;
    // Held for the whole of one release check.
    CriticalSection* releaseCheckLock = nullptr;

    HWND ControllerWindow() const { return controllerWindow ? controllerWindow->load() : nullptr; }
};
