// The three advert documents as the stand-in sends them: valid and
// malformed cases, each read through a whole exchange.
#include "AdvertsStandIn.h"

#include "adverts/AdvertDocuments.h"
#include "adverts/AdvertsReport.h"
#include "server/ServerPages.h"
#include "server/ServerReplyError.h"

#include <functional>
#include <memory>
#include <string>

namespace
{
using AdvertDocumentsTest = StandIn::Test;
using AdvertsStandIn::Hex;

std::string Element(const std::string& name, const std::string& text) { return "<" + name + ">" + text + "</" + name + ">"; }

const std::string MenuSettings =
    Element("Enabled", "1") + Element("Web_Home_App_Default", "0") + Element("Title_Bold", "1") +
    Element("Title_Italic", "0") + Element("Title_Underlined", "0") + Element("Title_Normal_Height", "1") +
    Element("Title_Has_Separator", "1") + Element("Title_Icon", "0") + Element("Fixed_Items_Positions", "1") +
    Element("Title_Text", Hex(L"Ads")) + Element("Title_URL", "") + Element("Max_Displayed_Entries", "3");

std::string MenuAdvert(const std::string& title, const std::string& priority = "4",
                       const std::string& url = Hex(L"http://127.0.0.1/a"))
{
    return "<Advert>" + Element("title", title) + Element("enabled", "yes") + Element("url", url) +
           Element("priority", priority) + "</Advert>";
}

std::string Menu(const std::string& inner, const std::string& version = " version=\"1\"")
{
    return "<Menu_Adverts" + version + ">" + inner + "</Menu_Adverts>";
}

std::string MenuWith(const std::string& position, const std::string& adverts)
{
    return Menu(MenuSettings + Element("Position", position) + Element("Adverts", adverts));
}

std::string OverlayAdvert(const std::string& leading, const std::string& auxiliary = Hex(L"aux"))
{
    return "<Advert>" + Element("leading_title", leading) + Element("auxiliary_title", auxiliary) +
           Element("enabled", "True") + Element("class", Hex(L"c")) + Element("content", Hex(L"text")) +
           Element("url", "") + Element("priority", "11") + "</Advert>";
}

std::string Overlay(const std::string& incidence, const std::string& lag, const std::string& adverts)
{
    return "<Overlay_Adverts version=\"1\">" + Element("Enabled", "1") + Element("Incidence", incidence) +
           Element("MC_Lag_Time", lag) + Element("MC_Title_Bold", "y") + adverts + "</Overlay_Adverts>";
}

std::string Slide(const std::string& inner) { return "<Slide_Adverts version=\"1\">" + inner + "</Slide_Adverts>"; }

struct Case
{
    const char* name;
    const char* setting; // menu_xml, overlay_xml or slide_xml
    std::string xml;
    unsigned code; // 0: accepted
    std::function<void(const AdvertsExchange&)> check;
};

TEST_F(AdvertDocumentsTest, ValidAndMalformedDocuments)
{
    const Case cases[] = {
        {"menu read", "menu_xml", MenuWith("top", MenuAdvert(Hex(L"One"), "7") + MenuAdvert(Hex(L"Two"), "0")), 0,
         [](const AdvertsExchange& e) {
             const Menu_Adverts& m = *e.menu;
             EXPECT_TRUE(m.Enabled);
             EXPECT_FALSE(m.Web_Home_App_Default);
             EXPECT_EQ(m.Title_Text, MString(L"Ads"));
             EXPECT_TRUE(m.Title_URL.IsEmpty());
             EXPECT_EQ(m.Position, MenuAdvertsTop);
             EXPECT_EQ(m.Max_Displayed_Entries, 3);
             ASSERT_EQ(m.adverts.GetCount(), 2u);
             EXPECT_TRUE(m.adverts.GetAt(0)->enabled);
             EXPECT_EQ(m.adverts.GetAt(0)->priority, 7u);
             EXPECT_EQ(m.adverts.GetAt(1)->priority, 5u);
         }},
        {"position Top is dynamic", "menu_xml", MenuWith("Top", ""), 0,
         [](const AdvertsExchange& e) { EXPECT_EQ(e.menu->Position, MenuAdvertsDynamic); }},
        {"position mid", "menu_xml", MenuWith("mid", ""), 0,
         [](const AdvertsExchange& e) { EXPECT_EQ(e.menu->Position, MenuAdvertsMid); }},
        {"priorities 1, 10, 11, -3", "menu_xml",
         MenuWith("top", MenuAdvert(Hex(L"a"), "1") + MenuAdvert(Hex(L"b"), "10") + MenuAdvert(Hex(L"c"), "11") +
                             MenuAdvert(Hex(L"d"), "-3")),
         0,
         [](const AdvertsExchange& e) {
             const unsigned expected[] = {1, 10, 5, 5};
             for (unsigned i = 0; i < 4; ++i)
                 EXPECT_EQ(e.menu->adverts.GetAt(i)->priority, expected[i]) << i;
         }},
        {"title of 50 characters", "menu_xml", MenuWith("top", MenuAdvert(Hex(std::wstring(50, L'x')))), 0, nullptr},
        {"title of 51 characters", "menu_xml", MenuWith("top", MenuAdvert(Hex(std::wstring(51, L'x')))), 1039, nullptr},
        {"empty title", "menu_xml", MenuWith("top", MenuAdvert("")), 1038, nullptr},
        {"empty url", "menu_xml", MenuWith("top", MenuAdvert(Hex(L"a"), "3", "")), 1041, nullptr},
        {"odd count of hex digits", "menu_xml", MenuWith("top", MenuAdvert("410")), MenuBadHexText, nullptr},
        {"odd count of bytes", "menu_xml", MenuWith("top", MenuAdvert("41")), MenuBadHexText, nullptr},
        {"no hex digit", "menu_xml", MenuWith("top", MenuAdvert("41zz")), MenuBadHexText, nullptr},
        {"advert without url", "menu_xml",
         MenuWith("top", "<Advert>" + Element("title", Hex(L"a")) + Element("enabled", "1") +
                             Element("priority", "1") + "</Advert>"),
         1021, nullptr},
        {"version 1.0", "menu_xml", Menu(MenuSettings, " version=\"1.0\""), 1004, nullptr},
        {"version 01", "menu_xml", Menu(MenuSettings, " version=\"01\""), 1004, nullptr},
        {"attribute Version", "menu_xml", Menu(MenuSettings, " Version=\"1\""), 1003, nullptr},
        {"first two settings missing", "menu_xml", Menu(MenuSettings.substr(MenuSettings.find("<Title_Bold>"))), 1005,
         nullptr},
        {"no Adverts", "menu_xml", Menu(MenuSettings + Element("Position", "top")), 1018, nullptr},
        {"not XML", "menu_xml", "<Menu_Adverts version=\"1\">", 1001, nullptr},
        {"no root", "menu_xml", "<Other version=\"1\"/>", 1002, nullptr},
        {"overlay read", "overlay_xml", Overlay("99999", "99", "<Adverts>" + OverlayAdvert(Hex(L"Lead")) + "</Adverts>"),
         0,
         [](const AdvertsExchange& e) {
             const Overlay_Adverts& o = *e.overlay;
             EXPECT_EQ(o.Incidence, 99999u);
             EXPECT_EQ(o.MC_Lag_Time, 99u);
             EXPECT_TRUE(o.MC_Title_Bold);
             EXPECT_FALSE(o.MC_Has_Title); // missing counts as false
             ASSERT_EQ(o.adverts.GetCount(), 1u);
             EXPECT_EQ(o.adverts.GetAt(0)->Key(), MString(L"Lead aux"));
             EXPECT_TRUE(o.adverts.GetAt(0)->enabled);
             EXPECT_EQ(o.adverts.GetAt(0)->priority, 5u);
         }},
        {"overlay without Adverts", "overlay_xml", Overlay("1", "0", ""), 0,
         [](const AdvertsExchange& e) { EXPECT_TRUE(e.overlay->adverts.IsEmpty()); }},
        {"incidence 100000", "overlay_xml", Overlay("100000", "0", ""), 1106, nullptr},
        {"incidence 0", "overlay_xml", Overlay("0", "0", ""), 1106, nullptr},
        {"lag time 100", "overlay_xml", Overlay("1", "100", ""), 1107, nullptr},
        {"lag time -1", "overlay_xml", Overlay("1", "-1", ""), 1107, nullptr},
        {"empty leading title", "overlay_xml", Overlay("1", "0", "<Adverts>" + OverlayAdvert("") + "</Adverts>"), 1115,
         nullptr},
        {"auxiliary title of 81", "overlay_xml",
         Overlay("1", "0", "<Adverts>" + OverlayAdvert(Hex(L"L"), Hex(std::wstring(81, L'a'))) + "</Adverts>"), 1117,
         nullptr},
        {"overlay odd hex", "overlay_xml", Overlay("1", "0", "<Adverts>" + OverlayAdvert("4") + "</Adverts>"),
         OverlayBadHexText, nullptr},
        {"overlay without Enabled", "overlay_xml", "<Overlay_Adverts version=\"1\"><Incidence>1</Incidence></Overlay_Adverts>",
         1105, nullptr},
        {"slide read", "slide_xml", Slide(Element("Enabled", "no") + Element("Incidence", "0x10")), 0,
         [](const AdvertsExchange& e) {
             EXPECT_EQ(e.slides->enabled, 0);
             EXPECT_EQ(e.slides->incidence, 16u);
         }},
        {"slide booleans", "slide_xml", Slide(Element("Enabled", "Yes") + Element("Incidence", " 7")), 0,
         [](const AdvertsExchange& e) {
             EXPECT_EQ(e.slides->enabled, 1);
             EXPECT_EQ(e.slides->incidence, 7u);
         }},
        {"slide without Enabled", "slide_xml", Slide(Element("Incidence", "3")), 1205, nullptr},
        {"slide without Incidence", "slide_xml", Slide(Element("Enabled", "1")), 1206, nullptr},
        {"slide version 2", "slide_xml", "<Slide_Adverts version=\"2\"/>", 1204, nullptr},
        {"slide no version", "slide_xml", "<Slide_Adverts/>", 1203, nullptr},
    };
    for (const Case& c : cases)
    {
        StandIn::Reset();
        AdvertsStandIn::Set(c.setting, c.xml);
        AdvertStatsLists stats;
        try
        {
            const auto exchange = ExchangeAdvertsAndStatistics(stats, GetServerPageUrl(PageAdvertsAndStatistics), true);
            EXPECT_EQ(c.code, 0u) << c.name;
            if (c.check)
                c.check(*exchange);
        }
        catch (const ServerReplyError& failure)
        {
            EXPECT_EQ(failure.Code(), c.code) << c.name;
            EXPECT_FALSE(failure.Text().IsEmpty()) << c.name;
        }
    }
}
} // namespace
