// The stored filter travels with the slide request and the stand-in serves
// only the slides that pass it: the demo gallery's pictures are numbered
// from 1 in name order by the stand-in's "Number" property (102).
#include "filter/MediaSource.h"
#include "filter/OnlineFilter.h"
#include "foundation/Registry.h"
#include "server/GetSlideReply.h"
#include "server/SlideDownloadWorker.h"
#include "server/tests/StandIn.h"

#include <algorithm>
#include <sstream>

namespace
{
std::vector<std::string> ServedNames()
{
    std::vector<std::string> names;
    std::istringstream text(StandIn::Control("slides"));
    for (std::string line; std::getline(text, line);)
        if (line.size() > 2)
            names.push_back(line.substr(2));
    return names;
}

Property_Manager::search_line_data Number(wchar_t op, const wchar_t* value, unsigned char conjunction = '=')
{
    Property_Manager::search_line_data line;
    line.property_id = 102;
    line.operator_code = op;
    line.value = Property_Manager::Value(12, value);
    line.conjunction = conjunction;
    return line;
}

class FilteredSlides : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        StandIn::Set("kind=picture");
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_cache = SlideCacheFolder(MStringEx<wchar_t>(sX::Format(), L"%sfiltered-slides-%u", temp, GetTickCount()));
        m_record.galleryName = L"Demo";
        // Random order: every slide the filter lets through may come.
        m_record.displayOrder = 0;
        m_record.forwardLevel = -2;
        m_record.sessionStart = 1;
        Clean();
    }
    void TearDown() override
    {
        Clean();
        m_record.authCode.Clear();
        m_cache.DeleteInternetControlValues();
        StandIn::Test::TearDown();
    }
    static void Clean()
    {
        DeleteOnlineFilterData();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterSwitchValueName);
    }
    // Fetches n slides in order, each with the filter as the download
    // worker's starter reads it, and answers the names served.
    std::vector<std::string> Fetch(int n)
    {
        StandIn::Reset();
        StandIn::Set("kind=picture");
        for (int i = 0; i < n; ++i)
        {
            const MemoryPH<unsigned char> filter = LoadOnlineFilterRequestData();
            EXPECT_EQ(FetchOnlineSlide(m_record, false, filter, nullptr, m_cache), FetchOutcome::Delivered)
                << std::hex << m_record.status << " " << std::string(m_record.errorText.ToUtf8().GetText());
            m_record.sessionStart = 0;
            m_record.state = OnlineStateIdle;
        }
        return ServedNames();
    }

    SlideCacheFolder m_cache{MStringEx<wchar_t>(L"")};
    OnlineSlideRecord m_record;
};
} // namespace

// The body sizes of the slide requests since the last reset.
static std::vector<unsigned> SlideBodySizes()
{
    std::vector<unsigned> sizes;
    std::istringstream text(StandIn::Control("requests"));
    for (std::string line; std::getline(text, line);)
        if (line.rfind("#", 0) == 0 && line.find(" POST /get-slide.aspx ") != std::string::npos)
            sizes.push_back(static_cast<unsigned>(std::stoul(line.substr(line.rfind(' ') + 1))));
    return sizes;
}

TEST_F(FilteredSlides, TheServerFollowsTheStoredFilter)
{
    // No filter stored: an empty filter block (and no cache yet).
    EXPECT_EQ(Fetch(1).size(), 1u);
    EXPECT_EQ(SlideBodySizes(), std::vector<unsigned>{8});

    // "Number = 2": the second picture of the gallery every time; the block
    // is the plain blob.
    ASSERT_TRUE(SaveOnlineFilterData({Number(L'=', L"2")}));
    ASSERT_TRUE(WriteOnlineFilterSwitch(true));
    const std::vector<std::string> second = Fetch(4);
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second, std::vector<std::string>(4, second[0]));
    EXPECT_EQ(SlideBodySizes(), std::vector<unsigned>(4, 8 + 156));

    // "Number < 2 | Number > 4": the first and the fifth onwards, never
    // the second.
    ASSERT_TRUE(SaveOnlineFilterData({Number(L'<', L"2", '|'), Number(L'>', L"4")}));
    for (const std::string& name : Fetch(6))
        EXPECT_NE(name, second[0]);

    // The switch off: the filter stays stored but is not sent.
    ASSERT_TRUE(WriteOnlineFilterSwitch(false));
    EXPECT_EQ(Fetch(1).size(), 1u);
    EXPECT_EQ(SlideBodySizes(), std::vector<unsigned>{8});
}

TEST_F(FilteredSlides, AFilterNothingPassesIsTheServersMessage)
{
    ASSERT_TRUE(SaveOnlineFilterData({Number(L'>', L"99")}));
    ASSERT_TRUE(WriteOnlineFilterSwitch(true));
    const MemoryPH<unsigned char> filter = LoadOnlineFilterRequestData();
    EXPECT_EQ(FetchOnlineSlide(m_record, false, filter, nullptr, m_cache), FetchOutcome::Failed);
    EXPECT_EQ(m_record.status, OnlineStatusMalformed | ReplyServerMessage);
    EXPECT_TRUE(ServedNames().empty());
}
