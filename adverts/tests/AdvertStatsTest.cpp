// Each impression, click and slide event is reported once: a successful
// report takes off what it carried, a failed one leaves everything for the
// next. Against the stand-in, which records every report.
#include "AdvertsStandIn.h"

#include "adverts/AdvertsReport.h"
#include "adverts/AdvertsWorker.h"
#include "server/ServerPages.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
using AdvertStatsTest = StandIn::Test;
using AdvertsStandIn::Hex;

std::unique_ptr<AdvertsExchange> Exchange(AdvertStatsLists& stats)
{
    return ExchangeAdvertsAndStatistics(stats, GetServerPageUrl(PageAdvertsAndStatistics), true);
}

// What the controller does with a successful exchange.
void Apply(AdvertsExchange& exchange, std::unique_ptr<Menu_Adverts>& menu, Overlay_Adverts& overlay,
           SlideAdvertsSettings& slides, AdvertStatsLists& stats)
{
    ApplyMenuAdverts(menu, std::move(exchange.menu), exchange.menuStats, stats);
    ApplyOverlayAdverts(overlay, *exchange.overlay, exchange.overlayStats, stats);
    ApplySlideAdverts(slides, *exchange.slides, exchange.slideStats, stats);
}

Menu_Adverts::Advert* Advert(Menu_Adverts& menu, const wchar_t* title)
{
    for (unsigned __int64 i = 0; i < menu.adverts.GetCount(); ++i)
        if (menu.adverts.GetAt(i)->title == MString(title))
            return menu.adverts.GetAt(i);
    return nullptr;
}

std::string LineOf(const std::vector<std::string>& report, const std::string& prefix)
{
    for (const std::string& line : report)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return "";
}

TEST(AdvertStats, SlideEventsCountOnOneEntryPerIdWithoutRegardToCase)
{
    AdvertStatsLists stats;
    stats.CountSlideEvent(L"Abc", true, false, false);
    stats.CountSlideEvent(L"ABC", false, true, true);
    stats.CountSlideEvent(L"other", true, false, false);
    const MList<Slide_Stats> slides = stats.SlideStats();
    ASSERT_EQ(slides.GetCount(), 2u);
    EXPECT_EQ(slides.GetAt(0)->loads, 1u);
    EXPECT_EQ(slides.GetAt(0)->opens, 1u);
    EXPECT_EQ(slides.GetAt(0)->follows, 1u);

    Menu_Adverts menu;
    menu.adverts.Append(new Menu_Adverts::Advert(L"quiet", true, L"http://a", 1));
    auto shown = new Menu_Adverts::Advert(L"shown", true, L"http://b", 1);
    shown->impressions = 2;
    menu.adverts.Append(shown);
    stats.StoreMenuAdvertStats(menu);
    const MList<Menu_Item_Stats> listed = stats.MenuStats();
    ASSERT_EQ(listed.GetCount(), 1u);
    EXPECT_EQ(listed.GetAt(0)->title, MString(L"shown"));
}

TEST_F(AdvertStatsTest, SuccessfulReportIsNotRepeatedAndFailedOneIs)
{
    AdvertStatsLists stats;
    std::unique_ptr<Menu_Adverts> menu = std::make_unique<Menu_Adverts>();
    Overlay_Adverts overlay;
    SlideAdvertsSettings slides;

    // The first exchange brings the stand-in's adverts.
    auto first = Exchange(stats);
    Apply(*first, menu, overlay, slides, stats);
    EXPECT_EQ(slides.suspendOnline, 0);
    Menu_Adverts::Advert* lakeside = Advert(*menu, L"Lakeside Prints");
    ASSERT_NE(lakeside, nullptr);

    // Three impressions and a click, one slide load: reported once.
    lakeside->impressions = 3;
    lakeside->clicks = 1;
    stats.StoreMenuAdvertStats(*menu);
    overlay.adverts.GetAt(0)->impressions = 2;
    stats.StoreOverlayAdvertStats(overlay);
    stats.CountSlideEvent(L"s1", true, false, false);

    // A failed exchange delivers nothing and changes nothing.
    StandIn::Set("at=am&fault=marker");
    EXPECT_ANY_THROW(Exchange(stats));
    EXPECT_EQ(stats.MenuStats().GetCount(), 1u);
    EXPECT_EQ(stats.SlideStats().GetCount(), 1u);
    StandIn::Set("fault=");

    auto second = Exchange(stats);
    // Counted between the snapshot and the reply: one more impression and a
    // second load of s1, which keeps the slide entry whole.
    lakeside->impressions = 4;
    stats.StoreMenuAdvertStats(*menu);
    stats.CountSlideEvent(L"s1", true, false, false);
    Apply(*second, menu, overlay, slides, stats);
    lakeside = Advert(*menu, L"Lakeside Prints");
    ASSERT_NE(lakeside, nullptr);
    EXPECT_EQ(lakeside->impressions, 1u);
    EXPECT_EQ(lakeside->clicks, 0u);
    EXPECT_EQ(overlay.adverts.GetAt(0)->impressions, 0u);

    auto third = Exchange(stats);
    Apply(*third, menu, overlay, slides, stats);
    // Nothing new since the third snapshot: everything has been delivered.
    auto fourth = Exchange(stats);

    const auto reports = AdvertsStandIn::Reports();
    ASSERT_EQ(reports.size(), 5u);
    // The failed report and the one after it carry the same counts.
    EXPECT_EQ(LineOf(reports[1], "MAF-0-Impressions:"), Hex(L"3"));
    EXPECT_EQ(LineOf(reports[2], "MAF-0-Impressions:"), Hex(L"3"));
    EXPECT_EQ(LineOf(reports[2], "MAF-0-Clicks:"), Hex(L"1"));
    EXPECT_EQ(LineOf(reports[2], "OAF-0-Impressions:"), Hex(L"2"));
    EXPECT_EQ(LineOf(reports[2], "SAF-0-Loads:"), Hex(L"1"));
    // The third sends only what came after: one impression, no click, the
    // slide entry in full (it was counted on after the snapshot).
    EXPECT_EQ(LineOf(reports[3], "MAF-0-Impressions:"), Hex(L"1"));
    EXPECT_EQ(LineOf(reports[3], "MAF-0-Clicks:"), Hex(L"0"));
    EXPECT_EQ(LineOf(reports[3], "OAF-0-Impressions:"), "");
    EXPECT_EQ(LineOf(reports[3], "SAF-0-Loads:"), Hex(L"2"));
    EXPECT_EQ(reports[4], std::vector<std::string>{"LV-FI-data-fields-count:0"});
}

TEST(AdvertStats, ReportedCountsNeverGoBelowZero)
{
    AdvertStatsLists stats;
    std::unique_ptr<Menu_Adverts> held = std::make_unique<Menu_Adverts>();
    auto old = new Menu_Adverts::Advert(L"A", true, L"http://a", 4);
    old->impressions = 1;
    old->clicks = 5;
    old->running = 2;
    held->adverts.Append(old);
    auto fresh = std::make_unique<Menu_Adverts>();
    fresh->adverts.Append(new Menu_Adverts::Advert(L"a", true, L"http://a", 4));
    fresh->adverts.Append(new Menu_Adverts::Advert(L"B", true, L"http://b", 4));
    MList<Menu_Item_Stats> reported;
    reported.Append(new Menu_Item_Stats{L"A", 3, 2});
    ApplyMenuAdverts(held, std::move(fresh), reported, stats);
    ASSERT_EQ(held->adverts.GetCount(), 2u);
    EXPECT_EQ(held->adverts.GetAt(0)->impressions, 0u);
    EXPECT_EQ(held->adverts.GetAt(0)->clicks, 3u);
    EXPECT_EQ(held->adverts.GetAt(0)->running, 2u);
    EXPECT_EQ(held->adverts.GetAt(1)->running, 4u);
    EXPECT_EQ(stats.MenuStats().GetCount(), 1u);
}

// The thread against the stand-in: a round posts the three records with the
// lists they reported; the exit event brings one last report whose reply is
// not looked at.
TEST_F(AdvertStatsTest, WorkerReportsAndSendsOneLastReportAtTheEnd)
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::atomic<HWND> controller{window};
    MHandle exitEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    WorkerContext context;
    context.controllerWindow = &controller;
    context.exitEvent = exitEvent;
    AdvertStatsLists stats;
    stats.CountSlideEvent(L"s", true, false, false);
    AdvertsWorkerSetup setup;
    setup.context = &context;
    setup.stats = &stats;
    setup.reachable = [] { return true; };
    std::thread worker([&] { RunAdvertsAndStatistics(setup); });

    std::vector<UINT> received;
    const DWORD start = GetTickCount();
    MSG msg;
    while (received.size() < 3 && GetTickCount() - start < 60000)
    {
        if (!PeekMessageW(&msg, window, 0, 0, PM_REMOVE))
        {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLPOSTMESSAGE);
            continue;
        }
        received.push_back(msg.message);
        if (msg.message == WM_MENU_ADVERTS)
        {
            delete reinterpret_cast<MList<Menu_Item_Stats>*>(msg.wParam);
            delete reinterpret_cast<Menu_Adverts*>(msg.lParam);
        }
        else if (msg.message == WM_OVERLAY_ADVERTS)
        {
            delete reinterpret_cast<MList<Overlay_Item_Stats>*>(msg.wParam);
            delete reinterpret_cast<Overlay_Adverts*>(msg.lParam);
        }
        else if (msg.message == WM_SLIDE_ADVERTS)
        {
            std::unique_ptr<MList<Slide_Stats>> reported(reinterpret_cast<MList<Slide_Stats>*>(msg.wParam));
            std::unique_ptr<SlideAdvertsSettings> settings(reinterpret_cast<SlideAdvertsSettings*>(msg.lParam));
            ASSERT_EQ(reported->GetCount(), 1u);
            EXPECT_EQ(settings->incidence, 4u);
        }
    }
    EXPECT_EQ(received, (std::vector<UINT>{WM_MENU_ADVERTS, WM_OVERLAY_ADVERTS, WM_SLIDE_ADVERTS}));
    // The last report goes out although its reply would fail.
    StandIn::Set("at=am&fault=marker");
    SetEvent(exitEvent);
    worker.join();
    EXPECT_EQ(AdvertsStandIn::Reports().size(), 2u);
    EXPECT_FALSE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE));
    DestroyWindow(window);
}
} // namespace
