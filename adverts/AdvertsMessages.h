// What a round of the adverts-and-statistics thread posts to the controller:
// per kind of advert, the statistics the round reported (wParam) and the new
// records (lParam), both the controller's once posted.
#pragma once

#include "adverts/AdvertStats.h"
#include "adverts/Adverts.h"
#include "foundation/Containers.h"
#include "foundation/PostOwned.h"
#include "core/PrivateMessages.h"

#include <windows.h>

#include <memory>

template <UINT Message, class Stats, class Record> struct AdvertsMessage
{
    static constexpr UINT Id = Message;

    static bool Post(HWND controller, std::unique_ptr<MList<Stats>> reported, std::unique_ptr<Record> record)
    {
        return PostOwnedBoth(controller, Message, std::move(reported), std::move(record));
    }
    static std::unique_ptr<MList<Stats>> TakeReported(WPARAM wParam)
    {
        return TakeOwnedFromWParam<MList<Stats>>(wParam);
    }
    static std::unique_ptr<Record> TakeRecord(LPARAM lParam) { return TakeOwned<Record>(lParam); }
    // Both objects, for a message nobody will receive.
    static void Free(WPARAM wParam, LPARAM lParam)
    {
        TakeReported(wParam);
        TakeRecord(lParam);
    }
};

using MenuAdvertsMessage = AdvertsMessage<WM_MENU_ADVERTS, Menu_Item_Stats, Menu_Adverts>;
using OverlayAdvertsMessage = AdvertsMessage<WM_OVERLAY_ADVERTS, Overlay_Item_Stats, Overlay_Adverts>;
using SlideAdvertsMessage = AdvertsMessage<WM_SLIDE_ADVERTS, Slide_Stats, SlideAdvertsSettings>;
