// What the controller's threads read of it (the adverts and statistics, the
// release check, the main window): one block that each of them shares with
// the controller, so that a thread still running after the exit's wait gave
// up reads nothing freed when the controller has gone.
#pragma once

#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "shell/AdvertsHolders.h"
#include "shell/ControllerEvents.h"
#include "shell/ReleaseState.h"
#include "core/WorkerContext.h"
#include "slideshow/MainWindowThread.h"

#include <windows.h>

#include <atomic>

struct ControllerShared
{
    explicit ControllerShared(const MString& upgradeExitEventName) : events(upgradeExitEventName) {}
    ControllerShared(const ControllerShared&) = delete;
    ControllerShared& operator=(const ControllerShared&) = delete;

    // Adverts and statistics, and their thread.
    AdvertsHolders adverts;
    // Held for the whole of one release check.
    CriticalSection releaseCheckLock;
    ControllerEvents events;
    // The controller's window as other threads read it: null until it exists
    // and after it ended.
    std::atomic<HWND> controllerWindow{nullptr};
    ReleaseState release;
    // What the worker threads get of the controller.
    WorkerContext workerContext;
    // What the main window's thread gets of the controller.
    ControllerLink mainWindowLink;
    // What the main window publishes of its state (only it writes there),
    // and the slide lock that both threads take.
    MainWindowSnapshot mainWindowSnapshot;
    CriticalSection slideLock;
};
