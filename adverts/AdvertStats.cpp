#include "adverts/AdvertStats.h"

#include "foundation/SmartPtr.h"

namespace
{
template <class T, class Match> T* FindEntry(const MList<T>& list, Match match)
{
    for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
        if (match(*list.GetAt(i)))
            return list.GetAt(i);
    return nullptr;
}

template <class T> void AppendCopies(MList<T>& target, const MList<T>& source)
{
    for (unsigned __int64 i = 0; i < source.GetCount(); ++i)
        target.Append(new T(*source.GetAt(i)));
}
}

unsigned __int64 SubtractReported(unsigned __int64 a, unsigned __int64 b) { return a > b ? a - b : 0; }

void AdvertStatsLists::CountSlideEvent(const MString& slideId, bool load, bool open, bool follow)
{
    Lock lock(StatisticsLock);
    Slide_Stats* entry = FindEntry(m_slides, [&](const Slide_Stats& s) { return s.slideId.EqualsNoCase(slideId); });
    if (!entry)
    {
        entry = new Slide_Stats;
        entry->slideId = slideId;
        m_slides.Append(entry);
    }
    entry->loads += load ? 1 : 0;
    entry->opens += open ? 1 : 0;
    entry->follows += follow ? 1 : 0;
}

void AdvertStatsLists::StoreMenuAdvertStats(const Menu_Adverts& adverts)
{
    Lock lock(StatisticsLock);
    m_menu.Clear();
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
    {
        const Menu_Adverts::Advert& advert = *adverts.adverts.GetAt(i);
        if (advert.impressions == 0 && advert.clicks == 0)
            continue;
        m_menu.Append(new Menu_Item_Stats{advert.title, advert.impressions, advert.clicks});
    }
}

void AdvertStatsLists::StoreOverlayAdvertStats(const Overlay_Adverts& adverts)
{
    Lock lock(StatisticsLock);
    m_overlay.Clear();
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
    {
        const Overlay_Adverts::Advert& advert = *adverts.adverts.GetAt(i);
        if (advert.impressions == 0 && advert.follows == 0)
            continue;
        m_overlay.Append(new Overlay_Item_Stats{advert.Key(), advert.leading_title, advert.auxiliary_title,
                                                advert.impressions, advert.follows});
    }
}

void AdvertStatsLists::SnapshotAdvertStats(MList<Menu_Item_Stats>& menu, MList<Overlay_Item_Stats>& overlay,
                                           MList<Slide_Stats>& slides)
{
    Lock lock(StatisticsLock);
    AppendCopies(menu, m_menu);
    AppendCopies(overlay, m_overlay);
    AppendCopies(slides, m_slides);
}

void AdvertStatsLists::RemoveDeliveredSlideStats(const MList<Slide_Stats>& reported)
{
    Lock lock(StatisticsLock);
    for (unsigned __int64 i = m_slides.GetCount(); i-- > 0;)
    {
        const Slide_Stats& current = *m_slides.GetAt(i);
        const bool delivered = FindEntry(reported, [&](const Slide_Stats& sent) {
            return sent.slideId.EqualsNoCase(current.slideId) && sent.loads == current.loads &&
                   sent.opens == current.opens && sent.follows == current.follows;
        });
        if (delivered)
            delete m_slides.RemoveAt(i);
    }
}

MList<Menu_Item_Stats> AdvertStatsLists::MenuStats()
{
    Lock lock(StatisticsLock);
    return m_menu;
}

MList<Overlay_Item_Stats> AdvertStatsLists::OverlayStats()
{
    Lock lock(StatisticsLock);
    return m_overlay;
}

MList<Slide_Stats> AdvertStatsLists::SlideStats()
{
    Lock lock(StatisticsLock);
    return m_slides;
}

void ApplyMenuAdverts(std::unique_ptr<Menu_Adverts>& held, std::unique_ptr<Menu_Adverts> fresh,
                      const MList<Menu_Item_Stats>& reported, AdvertStatsLists& stats)
{
    if (!held || !fresh)
        throw MSmartPtrError();
    std::unique_ptr<Menu_Adverts> old = std::move(held);
    held = std::move(fresh);
    for (unsigned __int64 i = 0; i < held->adverts.GetCount(); ++i)
    {
        Menu_Adverts::Advert& advert = *held->adverts.GetAt(i);
        const Menu_Adverts::Advert* twin = FindEntry(
            old->adverts, [&](const Menu_Adverts::Advert& a) { return a.title.EqualsNoCase(advert.title); });
        if (!twin)
            continue;
        const Menu_Item_Stats* sent =
            FindEntry(reported, [&](const Menu_Item_Stats& s) { return s.title.EqualsNoCase(advert.title); });
        advert.running = (std::min)(advert.running, twin->running);
        advert.impressions = SubtractReported(twin->impressions, sent ? sent->impressions : 0);
        advert.clicks = SubtractReported(twin->clicks, sent ? sent->clicks : 0);
    }
    stats.StoreMenuAdvertStats(*held);
}

void ApplyOverlayAdverts(Overlay_Adverts& held, Overlay_Adverts& fresh, const MList<Overlay_Item_Stats>& reported,
                         AdvertStatsLists& stats)
{
    Lock lock(held.lock);
    held.Enabled = fresh.Enabled;
    held.Incidence = fresh.Incidence;
    held.MC_Lag_Time = fresh.MC_Lag_Time;
    held.MC_Has_Title = fresh.MC_Has_Title;
    held.MC_Title_Bold = fresh.MC_Title_Bold;
    held.MC_Title_Italic = fresh.MC_Title_Italic;
    held.MC_Title_Underlined = fresh.MC_Title_Underlined;
    held.MC_Title_Icon = fresh.MC_Title_Icon;
    held.MC_Title_Normal_Height = fresh.MC_Title_Normal_Height;
    MList<Overlay_Adverts::Advert> old = std::move(held.adverts);
    held.adverts = std::move(fresh.adverts);
    for (unsigned __int64 i = 0; i < held.adverts.GetCount(); ++i)
    {
        Overlay_Adverts::Advert& advert = *held.adverts.GetAt(i);
        const MString key = advert.Key();
        const Overlay_Adverts::Advert* twin =
            FindEntry(old, [&](const Overlay_Adverts::Advert& a) { return a.Key().EqualsNoCase(key); });
        if (!twin)
            continue;
        const Overlay_Item_Stats* sent =
            FindEntry(reported, [&](const Overlay_Item_Stats& s) { return s.key.EqualsNoCase(key); });
        advert.running = (std::min)(advert.running, twin->running);
        advert.impressions = SubtractReported(twin->impressions, sent ? sent->impressions : 0);
        advert.follows = SubtractReported(twin->follows, sent ? sent->follows : 0);
    }
    stats.StoreOverlayAdvertStats(held);
}

void ApplySlideAdverts(SlideAdvertsSettings& held, const SlideAdvertsSettings& fresh,
                       const MList<Slide_Stats>& reported, AdvertStatsLists& stats)
{
    {
        Lock lock(held.lock);
        held.suspendOnline = 0;
        held.enabled = fresh.enabled;
        held.incidence = fresh.incidence;
    }
    stats.RemoveDeliveredSlideStats(reported);
}
