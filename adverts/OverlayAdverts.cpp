#include "adverts/OverlayAdverts.h"

#include "adverts/AdvertLists.h"

#include <ctime>

namespace
{
void RefillCounters(Overlay_Adverts& adverts)
{
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        adverts.adverts.GetAt(i)->running = adverts.adverts.GetAt(i)->priority;
}

Overlay_Adverts::Advert* FirstDue(const Overlay_Adverts& adverts)
{
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        if (adverts.adverts.GetAt(i)->enabled && adverts.adverts.GetAt(i)->running != 0)
            return adverts.adverts.GetAt(i);
    return nullptr;
}
}

__int64 SecondsSince1970() { return static_cast<__int64>(_time64(nullptr)); }

bool PickOverlayAdvertForViewer(Overlay_Adverts& adverts, OverlayAdvertContext& context, OverlayAdvertTexts& texts)
{
    Lock lock(adverts.lock);
    texts = OverlayAdvertTexts();
    const MString lastKey = context.choice ? context.choice->key : MString();
    context.choice.reset();
    adverts.closedAt = 0;
    if (!adverts.Enabled)
    {
        RefillCounters(adverts);
        return false;
    }
    adverts.openings += 1;
    if (adverts.openings < adverts.Incidence)
        return false;
    adverts.openings = 0;

    OrderOverlayAdverts(adverts.adverts, lastKey);
    Overlay_Adverts::Advert* advert = FirstDue(adverts);
    if (!advert)
    {
        RefillCounters(adverts);
        OrderOverlayAdverts(adverts.adverts, lastKey);
        advert = FirstDue(adverts);
        if (!advert)
            return false;
    }
    texts.key = advert->Key();
    texts.advertClass = advert->advertClass;
    texts.content = advert->content;
    texts.url = advert->url;
    context.choice.reset(
        new OverlayAdvertChoice{advert->leading_title, texts.key, advert->advertClass, advert->content, advert->url});
    advert->impressions += 1;
    advert->running -= 1;
    return true;
}

bool PickOverlayAdvertForMenu(Overlay_Adverts& adverts, OverlayAdvertContext& context, bool viewerOpen,
                              __int64 now, OverlayMenuEntry& entry)
{
    Lock lock(adverts.lock);
    if (!context.choice)
        return false;
    const __int64 since = now > adverts.closedAt ? now - adverts.closedAt : adverts.closedAt - now;
    if (!viewerOpen && since > static_cast<__int64>(adverts.MC_Lag_Time) * 60)
    {
        context.choice.reset();
        adverts.closedAt = 0;
        return false;
    }
    if (context.choice->url.IsEmpty())
        return false;
    entry.title = context.choice->advertClass;
    entry.text = context.choice->leadingTitle;
    entry.hasTitle = adverts.MC_Has_Title;
    entry.bold = adverts.MC_Title_Bold;
    entry.italic = adverts.MC_Title_Italic;
    entry.underlined = adverts.MC_Title_Underlined;
    entry.icon = adverts.MC_Title_Icon;
    entry.normalHeight = adverts.MC_Title_Normal_Height;
    return true;
}

bool CountOverlayAdvertFollow(Overlay_Adverts& adverts, const OverlayAdvertContext& context, AdvertStatsLists& stats,
                              MString& url)
{
    Lock lock(adverts.lock);
    if (!context.choice || context.choice->url.IsEmpty())
        return false;
    url = context.choice->url;
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        if (adverts.adverts.GetAt(i)->Key().EqualsNoCase(context.choice->key))
        {
            adverts.adverts.GetAt(i)->follows += 1;
            break;
        }
    stats.StoreOverlayAdvertStats(adverts);
    return true;
}

void NoteOverlayViewerClosed(Overlay_Adverts& adverts, __int64 now)
{
    Lock lock(adverts.lock);
    adverts.closedAt = now;
}
