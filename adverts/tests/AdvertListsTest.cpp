// The menu ranking, the overlay order and the move of adverts between lists.
#include "adverts/AdvertLists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct MenuEntry
{
    const wchar_t* title;
    bool enabled;
    DWORD priority;
    DWORD running;
};

MList<Menu_Adverts::Advert> MenuList(const std::vector<MenuEntry>& entries)
{
    MList<Menu_Adverts::Advert> list;
    for (const MenuEntry& e : entries)
    {
        auto advert = list.Append(new Menu_Adverts::Advert(e.title, e.enabled, L"http://a", e.priority));
        advert->running = e.running;
    }
    return list;
}

template <class T, class Title> std::wstring Order(const MList<T>& list, Title title)
{
    std::wstring order;
    for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
        order += title(*list.GetAt(i)).GetText();
    return order;
}

std::wstring MenuOrder(const MList<Menu_Adverts::Advert>& list)
{
    return Order(list, [](const Menu_Adverts::Advert& a) { return a.title; });
}

TEST(AdvertLists, MenuRankingCases)
{
    const struct
    {
        const char* name;
        std::vector<MenuEntry> entries;
        unsigned __int64 start;
        std::vector<const wchar_t*> listed;
        const wchar_t* expected;
    } cases[] = {
        {"greater counters first", {{L"a", true, 5, 2}, {L"b", true, 5, 5}, {L"c", true, 5, 5}}, 0, {}, L"cba"},
        {"higher priority first", {{L"a", true, 3, 2}, {L"b", true, 7, 2}}, 0, {}, L"ba"},
        {"higher priority stays first", {{L"b", true, 7, 2}, {L"a", true, 3, 2}}, 0, {}, L"ba"},
        {"disabled behind enabled", {{L"x", false, 9, 9}, {L"a", true, 1, 1}, {L"b", true, 1, 0}}, 0, {}, L"abx"},
        {"two disabled stay", {{L"x", false, 1, 1}, {L"y", false, 9, 9}}, 0, {}, L"xy"},
        {"start position 2", {{L"a", true, 1, 1}, {L"b", true, 1, 1}, {L"c", true, 1, 1}, {L"d", true, 9, 9}}, 2, {},
         L"abdc"},
        {"listed title goes behind", {{L"b", true, 4, 4}, {L"a", true, 4, 4}}, 0, {L"b"}, L"ab"},
        {"both listed: larger title first", {{L"a", true, 4, 4}, {L"b", true, 4, 4}}, 0, {L"a", L"b"}, L"ba"},
    };
    for (const auto& c : cases)
    {
        MList<Menu_Adverts::Advert> list = MenuList(c.entries);
        MenuRankingContext context;
        context.start = c.start;
        for (const wchar_t* title : c.listed)
            context.titles.Append(new MString(title));
        RankMenuAdverts(list, context);
        EXPECT_EQ(MenuOrder(list), c.expected) << c.name;
    }
}

TEST(AdvertLists, OverlayOrderPutsTheAdvertShownLastBehindItsEqual)
{
    MList<Overlay_Adverts::Advert> list;
    for (const wchar_t* title : {L"A", L"B", L"C"})
    {
        auto advert = list.Append(new Overlay_Adverts::Advert);
        advert->leading_title = title;
        advert->auxiliary_title = L"x";
        advert->enabled = true;
        advert->running = 2;
    }
    list.GetAt(2)->enabled = false;
    const auto keys = [](const Overlay_Adverts::Advert& a) { return a.leading_title; };
    OrderOverlayAdverts(list, L"b x");
    EXPECT_EQ(Order(list, keys), L"ABC");
    OrderOverlayAdverts(list, L"A x");
    EXPECT_EQ(Order(list, keys), L"BAC");
    list.GetAt(1)->running = 3;
    OrderOverlayAdverts(list, MString());
    EXPECT_EQ(Order(list, keys), L"ABC");
}

TEST(AdvertLists, MovingMoreThanTheSourceHoldsMovesWhatThereIs)
{
    MList<Menu_Adverts::Advert> target = MenuList({{L"t", true, 1, 1}, {L"u", true, 1, 1}});
    MList<Menu_Adverts::Advert> source = MenuList({{L"a", true, 1, 1}, {L"b", true, 1, 1}, {L"c", true, 1, 1}});
    MoveFrontAdverts(target, source, 5);
    EXPECT_EQ(MenuOrder(target), L"abctu");
    EXPECT_TRUE(source.IsEmpty());
    MoveFrontAdverts(source, target, 0);
    EXPECT_TRUE(source.IsEmpty());
    MoveFrontAdverts(source, target, 2);
    EXPECT_EQ(MenuOrder(source), L"ab");
    EXPECT_EQ(MenuOrder(target), L"ctu");
}
} // namespace
