#include "adverts/AdvertLists.h"

#include <cwchar>
#include <utility>

namespace
{
bool HasTitle(const MList<MString>& titles, const MString& title)
{
    for (unsigned __int64 i = 0; i < titles.GetCount(); ++i)
        if (*titles.GetAt(i) == title)
            return true;
    return false;
}

// Compared code unit by code unit.
int CompareUnits(const MString& a, const MString& b) { return std::wcscmp(a.GetText(), b.GetText()); }

// The first two rules of both orders: an enabled advert goes before a
// disabled one (two disabled ones stay as they are), then the greater
// running counter. Answers 1 (a may stay), 0 (it may not) or -1 (undecided).
template <class T> int ByStateAndCounter(const T& a, const T& b)
{
    if (!a.enabled)
        return !b.enabled ? 1 : 0;
    if (!b.enabled)
        return 1;
    if (a.running != b.running)
        return a.running > b.running ? 1 : 0;
    return -1;
}

// The exchange sort of both orders: each item from start on is compared with
// every item after it and the two swap places when the first may not stay.
template <class T, class MayStay> void ExchangeOrder(MList<T>& list, unsigned __int64 start, MayStay mayStay)
{
    const unsigned __int64 count = list.GetCount();
    for (unsigned __int64 i = start; i < count; ++i)
        for (unsigned __int64 j = i + 1; j < count; ++j)
            if (!mayStay(*list.GetAt(i), *list.GetAt(j)))
                std::swap(*list.GetAt(i), *list.GetAt(j));
}
}

bool MenuAdvertMayStayBefore(const Menu_Adverts::Advert& a, const Menu_Adverts::Advert& b,
                             const MenuRankingContext& context)
{
    if (const int decided = ByStateAndCounter(a, b); decided >= 0)
        return decided == 1;
    if (a.priority != b.priority)
        return a.priority > b.priority;
    const bool aListed = HasTitle(context.titles, a.title);
    const bool bListed = HasTitle(context.titles, b.title);
    if (aListed != bListed)
        return !aListed;
    return CompareUnits(a.title, b.title) >= 0;
}

void RankMenuAdverts(MList<Menu_Adverts::Advert>& adverts, const MenuRankingContext& context)
{
    ExchangeOrder(adverts, context.start, [&](const Menu_Adverts::Advert& a, const Menu_Adverts::Advert& b) {
        return MenuAdvertMayStayBefore(a, b, context);
    });
}

bool OverlayAdvertMayStayBefore(const Overlay_Adverts::Advert& a, const Overlay_Adverts::Advert& b,
                                const MString& lastKey)
{
    if (const int decided = ByStateAndCounter(a, b); decided >= 0)
        return decided == 1;
    const MString aKey = a.Key();
    const MString bKey = b.Key();
    const bool aShownLast = aKey.EqualsNoCase(lastKey);
    const bool bShownLast = bKey.EqualsNoCase(lastKey);
    if (aShownLast != bShownLast)
        return bShownLast;
    return CompareUnits(aKey, bKey) >= 0;
}

void OrderOverlayAdverts(MList<Overlay_Adverts::Advert>& adverts, const MString& lastKey)
{
    ExchangeOrder(adverts, 0, [&](const Overlay_Adverts::Advert& a, const Overlay_Adverts::Advert& b) {
        return OverlayAdvertMayStayBefore(a, b, lastKey);
    });
}
