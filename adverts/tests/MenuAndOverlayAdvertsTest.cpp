// The choice of menu adverts and overlay adverts: rotation by running
// counters, limits, the title order by digests, clicks and follows counted.
#include "adverts/MenuAdverts.h"
#include "adverts/OverlayAdverts.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::unique_ptr<Menu_Adverts> MenuDocument(int maxEntries, bool fixed = true)
{
    return std::make_unique<Menu_Adverts>(true, false, MString(L""), true, false, false, false, true, true,
                                          MString(L""), "top", maxEntries, fixed);
}

void AddMenuAdvert(Menu_Adverts& adverts, const wchar_t* title, DWORD priority, bool enabled = true)
{
    adverts.adverts.Append(new Menu_Adverts::Advert(MString(title), enabled,
                                                    MString(sX::Format(), L"http://127.0.0.1/%s", title), priority));
}

std::wstring Shown(const MList<Current_menu_adverts>& current)
{
    std::wstring shown;
    for (unsigned __int64 i = 0; i < current.GetCount(); ++i)
        shown += std::wstring(shown.empty() ? L"" : L",") + current.GetAt(i)->title.GetText();
    return shown;
}

const Menu_Adverts::Advert& MenuAdvert(const Menu_Adverts& adverts, const wchar_t* title)
{
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        if (adverts.adverts.GetAt(i)->title == MString(title))
            return *adverts.adverts.GetAt(i);
    throw std::runtime_error("no such advert");
}
}

TEST(MenuAdverts, RunningCountersRotateTheChoice)
{
    auto adverts = MenuDocument(1);
    AddMenuAdvert(*adverts, L"B", 1);
    AddMenuAdvert(*adverts, L"A", 2);
    MList<Current_menu_adverts> current;
    std::wstring menus;
    for (int i = 0; i < 6; ++i)
    {
        SelectMenuAdverts(*adverts, current);
        ASSERT_EQ(1u, current.GetCount());
        EXPECT_EQ(112u, current.GetAt(0)->commandId);
        EXPECT_EQ(185u, current.GetAt(0)->iconId);
        menus += current.GetAt(0)->title.GetText();
    }
    EXPECT_EQ(L"AABAAB", menus);
    EXPECT_EQ(4u, MenuAdvert(*adverts, L"A").impressions);
    EXPECT_EQ(2u, MenuAdvert(*adverts, L"B").impressions);
}

TEST(MenuAdverts, LimitsSlotsAndADisabledDocument)
{
    const struct
    {
        int maxEntries;
        unsigned __int64 shown;
    } cases[] = {{9, 5}, {5, 5}, {2, 2}, {0, 0}, {-1, 0}};
    for (const auto& c : cases)
    {
        auto adverts = MenuDocument(c.maxEntries);
        for (const wchar_t* title : {L"a", L"b", L"c", L"d", L"e", L"f", L"g"})
            AddMenuAdvert(*adverts, title, 3);
        AddMenuAdvert(*adverts, L"off", 10, false);
        MList<Current_menu_adverts> current;
        SelectMenuAdverts(*adverts, current);
        ASSERT_EQ(c.shown, current.GetCount()) << c.maxEntries;
        // Every slot once, in slot order of the choice; the disabled advert never.
        DWORD slots = 0;
        for (unsigned __int64 i = 0; i < current.GetCount(); ++i)
        {
            const Current_menu_adverts& entry = *current.GetAt(i);
            EXPECT_EQ(entry.iconId - 185, entry.commandId - 112);
            slots |= 1u << (entry.commandId - 112);
            EXPECT_NE(MString(L"off"), entry.title);
        }
        EXPECT_EQ((1u << c.shown) - 1, slots);
    }

    // A document that is switched off clears the section and refills.
    auto adverts = MenuDocument(3);
    AddMenuAdvert(*adverts, L"a", 4);
    MList<Current_menu_adverts> current;
    SelectMenuAdverts(*adverts, current);
    ASSERT_EQ(1u, current.GetCount());
    EXPECT_EQ(3u, MenuAdvert(*adverts, L"a").running);
    adverts->Enabled = false;
    SelectMenuAdverts(*adverts, current);
    EXPECT_EQ(0u, current.GetCount());
    EXPECT_EQ(4u, MenuAdvert(*adverts, L"a").running);
}

TEST(MenuAdverts, TitlesAreOrderedByPriorityThenByTheirDigests)
{
    // SHA-1, SHA-512, MD5 of the UTF-16LE bytes of "Ab" and SHA-512 of
    // "Ab1", each reversed (computed with Python's hashlib).
    EXPECT_EQ(MString(L"4BAB1CCA3EF120F971B52712A55BD204EA1F188EB75EC620DFC5DC93D1DC9CEDAC83E73F65A962F69C0EF8E19D3AE0"
                      L"91BB945C9EE22DC658B9801670F6495E20688A62832EA3BA97600CFC294707D61C40808F509DFFF1205DE7EC0A48DA"
                      L"D58C6BFBADB69ECA8BEC03AF727FCFD18E9AD58BCEE0D7099D0922686015AA9A0173971346B8770A7A221CFE681FE4"
                      L"D0C5837E1CD9A34E6E6CEA7600BCAF73453B68EB034CB7"),
              AdvertTitleDigestText(MString(L"Ab")));

    Current_menu_adverts low{112, 185, MString(L"zzz"), MString(), 2};
    Current_menu_adverts high{113, 186, MString(L"aaa"), MString(), 7};
    EXPECT_TRUE(CompareAdvertTitles(high, low));
    EXPECT_FALSE(CompareAdvertTitles(low, high));
    Current_menu_adverts a{112, 185, MString(L"Ab"), MString(), 3};
    Current_menu_adverts b{113, 186, MString(L"Ba"), MString(), 3};
    const bool aFirst = std::wcscmp(AdvertTitleDigestText(a.title).GetText(), AdvertTitleDigestText(b.title).GetText()) >= 0;
    EXPECT_EQ(aFirst, CompareAdvertTitles(a, b));
    EXPECT_EQ(!aFirst, CompareAdvertTitles(b, a));
    EXPECT_TRUE(CompareAdvertTitles(a, a));

    // The shown order of a fixed document follows the comparison, whatever
    // the ranking chose first.
    auto adverts = MenuDocument(2);
    AddMenuAdvert(*adverts, L"Ab", 3);
    AddMenuAdvert(*adverts, L"Ba", 3);
    MList<Current_menu_adverts> current;
    SelectMenuAdverts(*adverts, current);
    ASSERT_EQ(2u, current.GetCount());
    EXPECT_EQ(aFirst ? L"Ab,Ba" : L"Ba,Ab", Shown(current));
}

TEST(MenuAdverts, AClickIsCountedAndItsAddressAnswered)
{
    auto adverts = MenuDocument(2);
    AddMenuAdvert(*adverts, L"one", 5);
    AddMenuAdvert(*adverts, L"two", 5);
    MList<Current_menu_adverts> current;
    SelectMenuAdverts(*adverts, current);
    AdvertStatsLists stats;
    MString url;
    EXPECT_FALSE(CountMenuAdvertClick(*adverts, current, 114, stats, url));
    const Current_menu_adverts& clicked = *current.GetAt(0);
    ASSERT_TRUE(CountMenuAdvertClick(*adverts, current, clicked.commandId, stats, url));
    EXPECT_EQ(clicked.url, url);
    EXPECT_EQ(1u, MenuAdvert(*adverts, clicked.title.GetText()).clicks);
    const MList<Menu_Item_Stats> menu = stats.MenuStats();
    ASSERT_EQ(2u, menu.GetCount());
    for (unsigned __int64 i = 0; i < menu.GetCount(); ++i)
        EXPECT_EQ(menu.GetAt(i)->title == clicked.title ? 1u : 0u, menu.GetAt(i)->clicks);
    // An entry whose advert went away still answers its address, counting nothing.
    adverts->adverts.Clear();
    ASSERT_TRUE(CountMenuAdvertClick(*adverts, current, clicked.commandId, stats, url));
    EXPECT_EQ(clicked.url, url);
    EXPECT_EQ(0u, stats.MenuStats().GetCount());
}

namespace
{
void AddOverlayAdvert(Overlay_Adverts& adverts, const wchar_t* title, DWORD priority, const wchar_t* url = L"http://127.0.0.1/o")
{
    auto advert = adverts.adverts.Append(new Overlay_Adverts::Advert);
    advert->leading_title = title;
    advert->auxiliary_title = L"aux";
    advert->enabled = true;
    advert->advertClass = L"Sponsored";
    advert->content = L"Body";
    advert->url = url;
    advert->priority = advert->running = priority;
}
}

TEST(OverlayAdverts, EveryIncidenceThOpeningShowsTheNextAdvert)
{
    Overlay_Adverts adverts;
    adverts.Enabled = true;
    adverts.Incidence = 3;
    AddOverlayAdvert(adverts, L"X", 1);
    AddOverlayAdvert(adverts, L"Y", 1);
    OverlayAdvertContext context;
    std::wstring shown;
    for (int opening = 1; opening <= 6; ++opening)
    {
        OverlayAdvertTexts texts;
        const bool placed = PickOverlayAdvertForViewer(adverts, context, texts);
        EXPECT_EQ(opening % 3 == 0, placed) << opening;
        EXPECT_EQ(placed, context.choice != nullptr);
        if (placed)
        {
            EXPECT_EQ(MString(L"Sponsored"), texts.advertClass);
            EXPECT_EQ(MString(L"Body"), texts.content);
            shown += std::wstring(texts.key.GetText()) + L";";
        }
    }
    // The greater key first; then the one not shown last.
    EXPECT_EQ(L"Y aux;X aux;", shown);
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        EXPECT_EQ(1u, adverts.adverts.GetAt(i)->impressions);

    // Switched off: nothing, and every counter back at its priority.
    adverts.Enabled = false;
    OverlayAdvertTexts texts;
    EXPECT_FALSE(PickOverlayAdvertForViewer(adverts, context, texts));
    EXPECT_EQ(nullptr, context.choice);
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        EXPECT_EQ(1u, adverts.adverts.GetAt(i)->running);
}

TEST(OverlayAdverts, TheMenuEntryLastsTheLagTimeAfterTheViewerClosedAndAFollowIsCounted)
{
    Overlay_Adverts adverts;
    adverts.Enabled = true;
    adverts.Incidence = 1;
    adverts.MC_Lag_Time = 5;
    adverts.MC_Title_Bold = true;
    AddOverlayAdvert(adverts, L"X", 2);
    OverlayAdvertContext context;
    OverlayAdvertTexts texts;
    ASSERT_TRUE(PickOverlayAdvertForViewer(adverts, context, texts));

    const __int64 now = 1700000000;
    OverlayMenuEntry entry;
    // While the viewer is open the entry stays, however long.
    EXPECT_TRUE(PickOverlayAdvertForMenu(adverts, context, true, now + 100000, entry));
    EXPECT_EQ(MString(L"Sponsored"), entry.title);
    EXPECT_EQ(MString(L"X"), entry.text);
    EXPECT_TRUE(entry.bold);
    EXPECT_TRUE(entry.underlined);
    NoteOverlayViewerClosed(adverts, now);
    EXPECT_TRUE(PickOverlayAdvertForMenu(adverts, context, false, now + 300, entry));

    AdvertStatsLists stats;
    MString url;
    ASSERT_TRUE(CountOverlayAdvertFollow(adverts, context, stats, url));
    EXPECT_EQ(MString(L"http://127.0.0.1/o"), url);
    const MList<Overlay_Item_Stats> reported = stats.OverlayStats();
    ASSERT_EQ(1u, reported.GetCount());
    EXPECT_EQ(MString(L"X aux"), reported.GetAt(0)->key);
    EXPECT_EQ(1u, reported.GetAt(0)->impressions);
    EXPECT_EQ(1u, reported.GetAt(0)->follows);

    // Past the lag time the choice goes for good.
    EXPECT_FALSE(PickOverlayAdvertForMenu(adverts, context, false, now + 301, entry));
    EXPECT_EQ(nullptr, context.choice);
    EXPECT_FALSE(CountOverlayAdvertFollow(adverts, context, stats, url));

    // A choice without an address is not offered.
    Overlay_Adverts bare;
    bare.Enabled = true;
    bare.Incidence = 1;
    AddOverlayAdvert(bare, L"Z", 1, L"");
    OverlayAdvertContext bareContext;
    ASSERT_TRUE(PickOverlayAdvertForViewer(bare, bareContext, texts));
    EXPECT_FALSE(PickOverlayAdvertForMenu(bare, bareContext, true, now, entry));
}
