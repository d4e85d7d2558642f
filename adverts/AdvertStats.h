// The advert and slide counters that the next report sends to the server,
// under one lock: per menu advert its impressions and clicks, per overlay
// advert its impressions and follows, per slide its loads, opens and follows.
// Each count is reported once: a successful report takes off what it
// carried, a failed one leaves everything for the next.
#pragma once

#include "adverts/Adverts.h"

#include <memory>

struct Menu_Item_Stats
{
    MString title;
    unsigned __int64 impressions = 0;
    unsigned __int64 clicks = 0;
};

struct Overlay_Item_Stats
{
    // "<leading title> <auxiliary title>".
    MString key;
    MString leadingTitle;
    MString auxiliaryTitle;
    unsigned __int64 impressions = 0;
    unsigned __int64 follows = 0;
};

struct Slide_Stats
{
    MString slideId;
    unsigned __int64 loads = 0;
    unsigned __int64 opens = 0;
    unsigned __int64 follows = 0;
};

// The controller's three lists. Titles, keys and slide ids compare as
// whole texts without regard to case.
class AdvertStatsLists
{
public:
    AdvertStatsLists() = default;
    AdvertStatsLists(const AdvertStatsLists&) = delete;
    AdvertStatsLists& operator=(const AdvertStatsLists&) = delete;

    // Counts one event of a slide, adding an entry for a new id.
    void CountSlideEvent(const MString& slideId, bool load, bool open, bool follow);
    // Rebuild a list from the adverts' counters: adverts with nothing to
    // report are left out.
    void StoreMenuAdvertStats(const Menu_Adverts& adverts);
    void StoreOverlayAdvertStats(const Overlay_Adverts& adverts);
    // Copies of all three lists, appended to the out lists.
    void SnapshotAdvertStats(MList<Menu_Item_Stats>& menu, MList<Overlay_Item_Stats>& overlay,
                             MList<Slide_Stats>& slides);
    // After a successful report: removes each slide entry that the report
    // carried and that has not been counted on since.
    void RemoveDeliveredSlideStats(const MList<Slide_Stats>& reported);

    // Copies for the tests and the report.
    MList<Menu_Item_Stats> MenuStats();
    MList<Overlay_Item_Stats> OverlayStats();
    MList<Slide_Stats> SlideStats();

private:
    // Guards the three lists between the controller and the report thread.
    CriticalSection StatisticsLock;
    MList<Menu_Item_Stats> m_menu;
    MList<Overlay_Item_Stats> m_overlay;
    MList<Slide_Stats> m_slides;
};

// a - b, at least 0.
unsigned __int64 SubtractReported(unsigned __int64 a, unsigned __int64 b);

// The handler of a new menu document: the new adverts replace the held
// ones; an advert that keeps its title keeps the smaller running counter and
// the old counters less what the report delivered. held and fresh must
// exist (MSmartPtrError); the old record is freed.
void ApplyMenuAdverts(std::unique_ptr<Menu_Adverts>& held, std::unique_ptr<Menu_Adverts> fresh,
                      const MList<Menu_Item_Stats>& reported, AdvertStatsLists& stats);
// The same for the overlay adverts, under the held record's lock: the
// settings and the adverts are taken over from fresh (left empty), the
// openings count and the close time stay.
void ApplyOverlayAdverts(Overlay_Adverts& held, Overlay_Adverts& fresh, const MList<Overlay_Item_Stats>& reported,
                         AdvertStatsLists& stats);
// The slide settings of a successful report (the suspension ends) and the
// removal of the slide entries it delivered.
void ApplySlideAdverts(SlideAdvertsSettings& held, const SlideAdvertsSettings& fresh,
                       const MList<Slide_Stats>& reported, AdvertStatsLists& stats);
