// What the controller does with the adverts thread's messages: the records
// and the reported lists are taken over, the held settings follow the new
// ones and the delivered statistics go.
#include "shell/AdvertsHolders.h"

#include <gtest/gtest.h>

namespace
{
TEST(AdvertsHolders, SlideAdvertsOfASuccessfulReportReplaceTheSuspension)
{
    AdvertsHolders holders;
    SlideAdvertsSettings& held = *holders.SlideAdverts();
    EXPECT_EQ(held.suspendOnline, 1);

    holders.Stats().CountSlideEvent(L"s1", true, false, false);
    holders.Stats().CountSlideEvent(L"s2", true, false, false);
    auto reported = new MList<Slide_Stats>;
    MList<Menu_Item_Stats> menu;
    MList<Overlay_Item_Stats> overlay;
    holders.Stats().SnapshotAdvertStats(menu, overlay, *reported);
    holders.Stats().CountSlideEvent(L"s2", false, true, false);
    auto settings = new SlideAdvertsSettings;
    settings->suspendOnline = 0;
    settings->enabled = 1;
    settings->incidence = 2;
    holders.TakeSlideAdverts(reinterpret_cast<WPARAM>(reported), reinterpret_cast<LPARAM>(settings));

    EXPECT_EQ(held.suspendOnline, 0);
    EXPECT_EQ(held.enabled, 1);
    EXPECT_EQ(held.incidence, 2u);
    // s1 was delivered as it stands; s2 was counted on since.
    const MList<Slide_Stats> left = holders.Stats().SlideStats();
    ASSERT_EQ(left.GetCount(), 1u);
    EXPECT_EQ(left.GetAt(0)->slideId, MString(L"s2"));
    EXPECT_EQ(left.GetAt(0)->opens, 1u);

    holders.SuspendOnlineSlides();
    EXPECT_EQ(held.suspendOnline, 1);
}

TEST(AdvertsHolders, NewMenuAdvertsBringTheirLinkAndMissingRecordsChangeNothing)
{
    AdvertsHolders holders;
    auto menu = new Menu_Adverts(true, true, L"Ads", true, false, false, false, true, true, L"http://127.0.0.1/ads",
                                 "mid", 2, true);
    holders.TakeMenuAdverts(reinterpret_cast<WPARAM>(new MList<Menu_Item_Stats>), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(holders.MenuLink(), MString(L"http://127.0.0.1/ads"));
    EXPECT_EQ(holders.MenuAdverts().Position, MenuAdvertsMid);

    holders.TakeMenuAdverts(reinterpret_cast<WPARAM>(new MList<Menu_Item_Stats>), 0);
    holders.TakeOverlayAdverts(0, reinterpret_cast<LPARAM>(new Overlay_Adverts));
    holders.TakeSlideAdverts(0, 0);
    EXPECT_EQ(holders.MenuLink(), MString(L"http://127.0.0.1/ads"));
    EXPECT_EQ(holders.SlideAdverts()->suspendOnline, 1);
}
} // namespace
