// What the adverts-and-statistics thread delivers to the controller: the
// adverts of the tray menu and of the photo viewer's overlay, the slide
// adverts' settings (the main window reads them through its link, under
// their lock), the link of the menu's adverts entry, the statistics, and the
// thread itself.
#pragma once

#include "adverts/Adverts.h"
#include "adverts/AdvertStats.h"
#include "adverts/AdvertsMessages.h"
#include "adverts/AdvertsWorker.h"
#include "adverts/MenuAdverts.h"
#include "adverts/OverlayAdverts.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "core/MessageWait.h"
#include "core/ThreadCounter.h"

#include <windows.h>

#include <memory>

class AdvertsHolders
{
public:
    AdvertsHolders() = default;
    AdvertsHolders(const AdvertsHolders&) = delete;
    AdvertsHolders& operator=(const AdvertsHolders&) = delete;

    // Starts the adverts-and-statistics thread. The thread shares owner, the
    // block that holds these holders and the context, so that it may outlive
    // the controller.
    void StartThread(const WorkerContext& context, const std::shared_ptr<void>& owner)
    {
        m_setup.context = &context;
        m_setup.stats = &m_stats;
        m_thread.Attach(
            StartCountedThread(AdvertsAndStatisticsWorker, std::shared_ptr<void>(owner, &m_setup)).Release());
    }
    // False when the thread runs on after timeout milliseconds (it ends on
    // the exit event). Called on the controller's thread, which answers the
    // messages other threads send meanwhile.
    bool WaitForThread(DWORD timeout) const
    {
        return !m_thread.IsValid() ||
               WaitWithMessages(m_thread, timeout, WhileWaiting::AnswerSentOnly) != MessageWaitEnd::TimedOut;
    }

    SlideAdvertsSettings* SlideAdverts() const { return m_slideAdverts.get(); }
    AdvertStatsLists& Stats() { return m_stats; }
    Menu_Adverts& MenuAdverts() { return *m_menuAdverts; }
    // The menu adverts of the last menu.
    MList<Current_menu_adverts>& CurrentMenuAdverts() { return m_currentMenuAdverts; }
    Overlay_Adverts& OverlayAdverts() { return *m_overlayAdverts; }
    // The overlay advert chosen last, under the overlay adverts' lock.
    OverlayAdvertContext& OverlayContext() { return m_overlayContext; }
    // The thread's setup; may be changed before the controller's window
    // exists (the thread waits for it before it reads the setup).
    AdvertsWorkerSetup& WorkerSetup() { return m_setup; }
    // The adverts could not be fetched: online slides are held back.
    void SuspendOnlineSlides()
    {
        Lock lock(m_slideAdverts->lock);
        m_slideAdverts->suspendOnline = 1;
    }
    const MString& MenuLink() const { return m_menuLink; }
    void SetMenuLink(const MString& link) { m_menuLink = link; }

    // The thread's messages (lists in wParam, records in lParam, both taken
    // over and freed here): what the report delivered is taken off the
    // counters and the new records replace the held ones.
    void TakeMenuAdverts(WPARAM reported, LPARAM record)
    {
        const auto stats = MenuAdvertsMessage::TakeReported(reported);
        auto fresh = MenuAdvertsMessage::TakeRecord(record);
        if (stats && fresh)
        {
            m_menuLink = fresh->Title_URL;
            ApplyMenuAdverts(m_menuAdverts, std::move(fresh), *stats, m_stats);
        }
    }
    void TakeOverlayAdverts(WPARAM reported, LPARAM record)
    {
        const auto stats = OverlayAdvertsMessage::TakeReported(reported);
        const auto fresh = OverlayAdvertsMessage::TakeRecord(record);
        if (stats && fresh)
            ApplyOverlayAdverts(*m_overlayAdverts, *fresh, *stats, m_stats);
    }
    void TakeSlideAdverts(WPARAM reported, LPARAM record)
    {
        const auto stats = SlideAdvertsMessage::TakeReported(reported);
        const auto fresh = SlideAdvertsMessage::TakeRecord(record);
        if (stats && fresh)
            ApplySlideAdverts(*m_slideAdverts, *fresh, *stats, m_stats);
    }

private:
    std::unique_ptr<Menu_Adverts> m_menuAdverts = std::make_unique<Menu_Adverts>();
    std::unique_ptr<Overlay_Adverts> m_overlayAdverts = std::make_unique<Overlay_Adverts>();
    std::unique_ptr<SlideAdvertsSettings> m_slideAdverts = std::make_unique<SlideAdvertsSettings>();
    MList<Current_menu_adverts> m_currentMenuAdverts;
    OverlayAdvertContext m_overlayContext;
    MString m_menuLink;
    AdvertStatsLists m_stats;
    AdvertsWorkerSetup m_setup;
    MHandle m_thread{INVALID_HANDLE_VALUE};
};
