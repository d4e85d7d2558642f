// What the adverts-and-statistics thread delivers to the controller: the
// adverts of the tray menu and of the photo viewer's overlay, the slide
// adverts' settings (the main window reads them through its link, under
// their lock), the link of the menu's adverts entry, the statistics lock,
// and the thread itself.
#pragma once

#include "adverts/Adverts.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"

#include <windows.h>

#include <memory>

class AdvertsHolders
{
public:
    AdvertsHolders() = default;
    AdvertsHolders(const AdvertsHolders&) = delete;
    AdvertsHolders& operator=(const AdvertsHolders&) = delete;

    // Starts the adverts-and-statistics thread; context outlives it.
    void StartThread(WorkerContext& context)
    {
        m_thread.Attach(CreateThread(nullptr, 0, AdvertsAndStatisticsWorker, &context, 0, nullptr));
    }
    // False when the thread runs on after timeout milliseconds (it ends on
    // the exit event).
    bool WaitForThread(DWORD timeout) const
    {
        return !m_thread.IsValid() || WaitForSingleObject(m_thread, timeout) != WAIT_TIMEOUT;
    }

    SlideAdvertsSettings* SlideAdverts() const { return m_slideAdverts.get(); }
    // The adverts could not be fetched: online slides are held back.
    void SuspendOnlineSlides()
    {
        Lock lock(m_slideAdverts->lock);
        m_slideAdverts->suspendOnline = 1;
    }
    const MString& MenuLink() const { return m_menuLink; }

private:
    std::unique_ptr<Menu_Adverts> m_menuAdverts = std::make_unique<Menu_Adverts>();
    std::unique_ptr<Overlay_Adverts> m_overlayAdverts = std::make_unique<Overlay_Adverts>();
    std::unique_ptr<SlideAdvertsSettings> m_slideAdverts = std::make_unique<SlideAdvertsSettings>();
    MString m_menuLink;
    CriticalSection m_statisticsLock;
    MHandle m_thread{INVALID_HANDLE_VALUE};
};
