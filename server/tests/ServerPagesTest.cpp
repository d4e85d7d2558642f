#include "StandIn.h"

#include "server/ServerPages.h"
#include "core/Language.h"

#include <string>

TEST(ServerPages, AddressesComeFromTheBaseAndTheTable)
{
    const MStringEx<wchar_t> kept = ServerBaseAddress();
    ServerBaseAddress() = L"https://a/b";
    const struct
    {
        unsigned index;
        const wchar_t* address;
    } cases[] = {
        {0, L"https://a/b/get-slide.aspx"}, {1, L"https://a/b/get-galleries.aspx"}, {2, L"https://a/b/get-cv.aspx"},
        {3, L"https://a/b/get-ip.aspx"},    {4, L"https://a/b/get-am.aspx"},  {5, L"https://a/b/wnd-properties.css"},
        {6, L"https://a/b/set-cd.aspx"},    {7, L"https://a/b/get-pk.aspx"},  {8, L""},
        {100, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(GetServerPageUrl(c.index).GetText()), c.address) << c.index;
    ServerBaseAddress() = kept;
}

using Reachability = StandIn::Test;

// The test with the stand-in in place of the public sites; the route out is
// taken as given, so that the answer does not depend on this machine's network.
const auto RouteOut = [] { return true; };

TEST_F(Reachability, FirstSiteThatAnswersEndsTheTest)
{
    const wchar_t* const sites[3] = {L"https://localhost:9/", L"https://localhost/_test/status?code=200",
                                     L"https://localhost/_test/status?code=203"};
    EXPECT_TRUE(IsInternetReachable(sites, RouteOut));
    const std::vector<StandIn::Request> requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/_test/status?code=200");
}

TEST_F(Reachability, NoSiteAnsweringIsUnreachable)
{
    // Ports where no server listens, as for a stopped stand-in.
    const wchar_t* const sites[3] = {L"https://localhost:9/", L"https://localhost:13/", L"https://localhost:19/"};
    EXPECT_FALSE(IsInternetReachable(sites, RouteOut));
}

TEST_F(Reachability, WithoutARouteOutNoSiteIsAsked)
{
    const wchar_t* const sites[3] = {L"https://localhost/_test/status?code=200", L"https://localhost:9/",
                                     L"https://localhost:13/"};
    EXPECT_FALSE(IsInternetReachable(sites, [] { return false; }));
    EXPECT_TRUE(StandIn::Requests().empty());
}
