// The statistics report and the advert documents end to end against the
// stand-in server, which builds the documents and records every report.
#include "AdvertsStandIn.h"

#include "adverts/AdvertsReport.h"
#include "adverts/AdvertsWorker.h"
#include "server/ServerPages.h"
#include "server/ServerReplyError.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
using AdvertsExchangeTest = StandIn::Test;
using AdvertsStandIn::Hex;

std::unique_ptr<AdvertsExchange> Exchange(AdvertStatsLists& stats)
{
    return ExchangeAdvertsAndStatistics(stats, GetServerPageUrl(PageAdvertsAndStatistics), true);
}

// The code of the failure an exchange throws; 0 when it succeeds.
unsigned FailureCode(AdvertStatsLists& stats, std::unique_ptr<AdvertsExchange>* out = nullptr)
{
    try
    {
        auto exchange = Exchange(stats);
        if (out)
            *out = std::move(exchange);
        return 0;
    }
    catch (const ServerReplyError& failure)
    {
        return failure.Code();
    }
}

std::string Narrow(const MString& text)
{
    const std::wstring wide = text.GetText();
    return std::string(wide.begin(), wide.end());
}

std::vector<std::string> Lines(const MString& text)
{
    std::vector<std::string> lines;
    const std::string all = Narrow(text);
    size_t at = 0;
    for (size_t end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(all.substr(at, end - at));
    lines.push_back(all.substr(at));
    return lines;
}

std::unique_ptr<Menu_Adverts> MenuWith(
    const std::vector<std::pair<std::wstring, std::pair<unsigned, unsigned>>>& counters)
{
    auto menu = std::make_unique<Menu_Adverts>();
    for (const auto& c : counters)
    {
        auto advert = new Menu_Adverts::Advert(c.first.c_str(), true, L"http://127.0.0.1/x", 3);
        advert->impressions = c.second.first;
        advert->clicks = c.second.second;
        menu->adverts.Append(advert);
    }
    return menu;
}

TEST(AdvertsReport, BodyLinesForKnownStatistics)
{
    MList<Menu_Item_Stats> menu;
    MList<Overlay_Item_Stats> overlay;
    MList<Slide_Stats> slides;
    EXPECT_EQ(Lines(AdvertsReportText(menu, overlay, slides)), std::vector<std::string>{"LV-FI-data-fields-count:0"});

    menu.Append(new Menu_Item_Stats{L"AB", 3, 1});
    EXPECT_EQ(Lines(AdvertsReportText(menu, overlay, slides)),
              (std::vector<std::string>{"MAF-0-Advert-Title:41004200", "MAF-0-Impressions:3300", "MAF-0-Clicks:3100",
                                        "LV-FI-data-fields-count:3"}));

    overlay.Append(new Overlay_Item_Stats{L"P Q", L"P", L"Q", 12, 0});
    slides.Append(new Slide_Stats{L"s1", 1, 0, 2});
    slides.Append(new Slide_Stats{L"s2", 0, 1, 0});
    const std::vector<std::string> lines = Lines(AdvertsReportText(menu, overlay, slides));
    ASSERT_EQ(lines.size(), 3u + 4u + 8u + 1u);
    EXPECT_EQ(lines[3], "OAF-0-Leading-Title:5000");
    EXPECT_EQ(lines[4], "OAF-0-Auxiliary-Title:5100");
    EXPECT_EQ(lines[5], "OAF-0-Impressions:31003200");
    EXPECT_EQ(lines[6], "OAF-0-Follows:3000");
    EXPECT_EQ(lines[7], "SAF-0-Slide-Id:73003100");
    EXPECT_EQ(lines[11], "SAF-1-Slide-Id:73003200");
    EXPECT_EQ(lines[13], "SAF-1-Opens:3100");
    EXPECT_EQ(lines[15], "LV-FI-data-fields-count:15");
    // The body is the text's UTF-16LE, without a byte-order mark or NUL.
    const MemoryPH<unsigned char> body = AdvertsReportBody(L"L:1");
    ASSERT_EQ(body.GetCount(), 6u);
    EXPECT_EQ(body[0], 'L');
    EXPECT_EQ(body[1], 0);
}

TEST_F(AdvertsExchangeTest, ReportReachesTheServerWithItsHeadersAndDocumentsComeBack)
{
    AdvertStatsLists stats;
    stats.StoreMenuAdvertStats(*MenuWith({{L"AB", {3, 1}}}));
    stats.CountSlideEvent(L"slide-9", true, false, false);
    std::unique_ptr<AdvertsExchange> exchange;
    ASSERT_EQ(FailureCode(stats, &exchange), 0u);

    const auto reports = AdvertsStandIn::Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (std::vector<std::string>{"MAF-0-Advert-Title:41004200", "MAF-0-Impressions:3300",
                                                    "MAF-0-Clicks:3100", "SAF-0-Slide-Id:" + Hex(L"slide-9"),
                                                    "SAF-0-Loads:3100", "SAF-0-Opens:3000", "SAF-0-Follows:3000",
                                                    "LV-FI-data-fields-count:7"}));
    const auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/get-am.aspx");
    const std::vector<std::string> names = {"Velmora-LV-Get-Adverts-Request-Version",
                                            "Velmora-LV-Get-Menu-Adverts-Version",
                                            "Velmora-LV-Get-Overlay-Adverts-Version",
                                            "Velmora-LV-Get-Slide-Adverts-Version",
                                            "Velmora-LV-Product-Name",
                                            "Velmora-LV-Product-Version",
                                            "Velmora-LV-UI-Language",
                                            "Velmora-LV-Menu-Adverts-Stats-Data-Items-Count",
                                            "Velmora-LV-Overlay-Adverts-Stats-Data-Items-Count",
                                            "Velmora-LV-Slide-Adverts-Stats-Data-Items-Count",
                                            "E"};
    EXPECT_EQ(requests[0].NamesAmong(names), names);
    EXPECT_EQ(requests[0].Header("Velmora-LV-Product-Name"), Hex(L"Quillory"));
    EXPECT_EQ(requests[0].Header("Velmora-LV-UI-Language"), "1033");
    EXPECT_EQ(requests[0].Header("Velmora-LV-Menu-Adverts-Stats-Data-Items-Count"), "1");
    EXPECT_EQ(requests[0].Header("Velmora-LV-Overlay-Adverts-Stats-Data-Items-Count"), "0");
    EXPECT_EQ(requests[0].Header("Velmora-LV-Slide-Adverts-Stats-Data-Items-Count"), "1");
    EXPECT_GE(requests[0].Header("E").size(), 8u);

    // The stand-in's default description (adverts_page.py).
    const Menu_Adverts& menu = *exchange->menu;
    EXPECT_TRUE(menu.Enabled);
    EXPECT_EQ(menu.Title_Text, MString(L"Sponsored"));
    EXPECT_EQ(menu.Title_URL, MString(L"http://127.0.0.1/adverts"));
    EXPECT_EQ(menu.Position, MenuAdvertsDynamic);
    EXPECT_EQ(menu.Max_Displayed_Entries, 2);
    ASSERT_EQ(menu.adverts.GetCount(), 2u);
    EXPECT_EQ(menu.adverts.GetAt(0)->title, MString(L"Lakeside Prints"));
    EXPECT_EQ(menu.adverts.GetAt(0)->priority, 3u);
    EXPECT_EQ(menu.adverts.GetAt(0)->running, 3u);
    EXPECT_EQ(menu.adverts.GetAt(1)->url, MString(L"https://127.0.0.1/frames"));
    const Overlay_Adverts& overlay = *exchange->overlay;
    EXPECT_EQ(overlay.Incidence, 3u);
    EXPECT_EQ(overlay.MC_Lag_Time, 5u);
    ASSERT_EQ(overlay.adverts.GetCount(), 1u);
    EXPECT_EQ(overlay.adverts.GetAt(0)->Key(), MString(L"Print Shop Posters"));
    EXPECT_EQ(overlay.adverts.GetAt(0)->content, MString(L"Posters of your slides"));
    EXPECT_EQ(exchange->slides->enabled, 1);
    EXPECT_EQ(exchange->slides->incidence, 4u);
    EXPECT_EQ(exchange->slides->suspendOnline, 0);
    // The lists that went out come back with the records.
    EXPECT_EQ(exchange->menuStats.GetCount(), 1u);
    EXPECT_EQ(exchange->slideStats.GetCount(), 1u);
}

// A reply under 20 bytes, lengths beyond the reply, a wrong marker or
// total: the exchange fails before anything past the reply is read.
TEST_F(AdvertsExchangeTest, MalformedRepliesFailTheExchange)
{
    const struct
    {
        const char* fault;
        unsigned code;
    } cases[] = {
        {"empty", AdvertsReplyEmpty},     {"short", AdvertsReplyBadLengths},  {"marker", AdvertsReplyBadMarker},
        {"total", AdvertsReplyBadTotal},  {"lengths", AdvertsReplyBadLengths}, {"doc_overrun", AdvertsReplyBadLengths},
    };
    for (const auto& c : cases)
    {
        StandIn::Reset();
        StandIn::Set(std::string("at=am&fault=") + c.fault);
        AdvertStatsLists stats;
        EXPECT_EQ(FailureCode(stats), c.code) << c.fault;
    }
    StandIn::Reset();
    StandIn::Set("at=am&fault=wrong_scramble_key");
    AdvertStatsLists stats;
    EXPECT_ANY_THROW(Exchange(stats));
}

// A certificate that WinINet refuses ends the exchange before the report
// is sent: the server gets no statistics and the client no documents.
TEST_F(AdvertsExchangeTest, ARefusedCertificateEndsTheExchangeBeforeTheReport)
{
    for (const StandIn::RefusedCertificate& refused : StandIn::RefusedCertificates())
    {
        StandIn::Reset();
        StandIn::Set(std::string("certificate=") + refused.name);
        AdvertStatsLists stats;
        stats.CountSlideEvent(L"slide-9", true, false, false);
        std::unique_ptr<AdvertsExchange> exchange;
        try
        {
            exchange = Exchange(stats);
            ADD_FAILURE() << refused.name << ": the exchange did not fail";
        }
        catch (const InternetException& failure)
        {
            EXPECT_EQ(failure.systemError, refused.error) << refused.name;
        }
        EXPECT_FALSE(exchange) << refused.name;
        StandIn::ExpectRefusedBeforeAnyRequest(refused.name);
        EXPECT_TRUE(StandIn::Requests().empty()) << refused.name;
        EXPECT_TRUE(AdvertsStandIn::Reports().empty()) << refused.name;
    }
}

TEST(AdvertsReply, FramingIsCheckedBeforeItIsRead)
{
    auto reply = [](std::vector<unsigned char> bytes) {
        MemoryPH<unsigned char> memory(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            memory[i] = bytes[i];
        return memory;
    };
    // Exactly 20 bytes and three empty documents is well formed.
    const auto empty = SplitAdvertsReply(
        reply({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(empty.menu.GetCount() + empty.overlay.GetCount() + empty.slides.GetCount(), 0u);
    const auto parts = SplitAdvertsReply(
        reply({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 23, 0, 0, 0, 1, 'a', 0, 0, 0, 2, 'b', 'c', 0, 0, 0, 0}));
    EXPECT_EQ(parts.overlay.GetCount(), 2u);
    EXPECT_EQ(parts.overlay[1], 'c');

    const struct
    {
        const char* name;
        std::vector<unsigned char> bytes;
        unsigned code;
    } cases[] = {
        {"3 bytes", {0xFF, 0xFF, 0xFF}, AdvertsReplyBadLengths},
        {"marker", {0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, AdvertsReplyBadMarker},
        {"total", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, AdvertsReplyBadTotal},
        {"12 bytes", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 12, 0, 0, 0, 0}, AdvertsReplyBadLengths},
        {"length past the end", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 20, 0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0},
         AdvertsReplyBadLengths},
        {"bytes left over", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9},
         AdvertsReplyBadLengths},
    };
    for (const auto& c : cases)
    {
        try
        {
            SplitAdvertsReply(reply(c.bytes));
            ADD_FAILURE() << c.name;
        }
        catch (const ServerReplyError& failure)
        {
            EXPECT_EQ(failure.Code(), c.code) << c.name;
        }
    }
}
} // namespace
