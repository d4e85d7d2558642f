// Holders of the adverts that the server sends (menu, overlay and slide
// adverts) as the controller owns them for its whole life, and the thread
// that fetches them and reports the statistics.
#pragma once

#include <windows.h>

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
    Overlay_Adverts() { InitializeCriticalSection(&lock); }
    Overlay_Adverts(const Overlay_Adverts&) = delete;
    Overlay_Adverts& operator=(const Overlay_Adverts&) = delete;
    virtual ~Overlay_Adverts() { DeleteCriticalSection(&lock); }

    CRITICAL_SECTION lock;
};

// When online slides come among the local ones; read by the main window
// under the lock only.
class SlideAdvertsSettings
{
public:
    SlideAdvertsSettings() { InitializeCriticalSection(&lock); }
    SlideAdvertsSettings(const SlideAdvertsSettings&) = delete;
    SlideAdvertsSettings& operator=(const SlideAdvertsSettings&) = delete;
    virtual ~SlideAdvertsSettings() { DeleteCriticalSection(&lock); }

    CRITICAL_SECTION lock;
    // Set: no online slide is due (also while no adverts settings arrived).
    BYTE suspendOnline = 1;
    BYTE enabled = 0;
    DWORD incidence = 0;
};

// Started by the controller's constructor with the controller's address;
// counts itself in the ThreadCounter and ends when ExitEvent is set.
DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID controller);
