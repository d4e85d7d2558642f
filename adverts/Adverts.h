// Holders of the adverts that the server sends (menu, overlay and slide
// adverts) as the controller owns them for its whole life, and the thread
// that fetches them and reports the statistics.
#pragma once

#include "foundation/Sync.h"

#include <windows.h>

struct WorkerContext;

// The menu adverts of the tray menu.
class Menu_Adverts
{
public:
    Menu_Adverts() = default;
    Menu_Adverts(const Menu_Adverts&) = delete;
    Menu_Adverts& operator=(const Menu_Adverts&) = delete;
    virtual ~Menu_Adverts() = default;
};

// The overlay adverts shown over slides; guarded by their own lock.
class Overlay_Adverts
{
public:
    Overlay_Adverts() = default;
    Overlay_Adverts(const Overlay_Adverts&) = delete;
    Overlay_Adverts& operator=(const Overlay_Adverts&) = delete;
    virtual ~Overlay_Adverts() = default;

    CriticalSection lock;
};

// When online slides come among the local ones; read by the main window
// under the lock only.
class SlideAdvertsSettings
{
public:
    SlideAdvertsSettings() = default;
    SlideAdvertsSettings(const SlideAdvertsSettings&) = delete;
    SlideAdvertsSettings& operator=(const SlideAdvertsSettings&) = delete;
    virtual ~SlideAdvertsSettings() = default;

    CriticalSection lock;
    // Set: no online slide is due (also while no adverts settings arrived).
    BYTE suspendOnline = 1;
    BYTE enabled = 0;
    DWORD incidence = 0;
};

// Started by the controller's constructor; parameter is the controller's
// WorkerContext. Counts itself in the ThreadCounter and ends when the exit
// event is set.
DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID context);
