// Orders of the advert lists: the ranking of the menu adverts before the
// tray menu is filled, the order of the overlay adverts, and the move of
// adverts from one list to the front of another.
#pragma once

#include "adverts/Adverts.h"

// What the menu ranking looks at besides the adverts: where it starts and
// the titles (for example those the menu showed already) that go behind
// their equals.
struct MenuRankingContext
{
    unsigned __int64 start = 0;
    MList<MString> titles;
};

// Whether advert a may stay before advert b in the menu ranking.
bool MenuAdvertMayStayBefore(const Menu_Adverts::Advert& a, const Menu_Adverts::Advert& b,
                             const MenuRankingContext& context);
// Exchange order from the context's start position on: enabled adverts
// before disabled ones, then the greater running counter, the greater
// priority, the title not in the list, the greater title. Adverts before the
// start stay where they are.
void RankMenuAdverts(MList<Menu_Adverts::Advert>& adverts, const MenuRankingContext& context);

// Whether overlay advert a may stay before b, lastKey being the key of the
// advert shown last: enabled first (two disabled ones keep their order),
// then the greater running counter, then the one not shown last, then the
// greater key.
bool OverlayAdvertMayStayBefore(const Overlay_Adverts::Advert& a, const Overlay_Adverts::Advert& b,
                                const MString& lastKey);
void OrderOverlayAdverts(MList<Overlay_Adverts::Advert>& adverts, const MString& lastKey);

// Moves min(n, source count) items from the front of source to the front of
// target, in their order.
template <class T> void MoveFrontAdverts(MList<T>& target, MList<T>& source, unsigned __int64 n)
{
    const unsigned __int64 count = n < source.GetCount() ? n : source.GetCount();
    for (unsigned __int64 i = 0; i < count; ++i)
        target.InsertAt(source.RemoveAt(0), i);
}
