// The WinINet transports against the stand-in server: plain HTTP on
// 127.0.0.1:80, the http branch of every transport (SecureChannelTest.cpp
// has the TLS branch).
#include "StandIn.h"

#include "foundation/Handle.h"
#include "core/tests/UiTestSupport.h"

#include <string>
#include <thread>

namespace
{
const MStringEx<wchar_t> Agent(L"Quillory 3.0.0.0");
constexpr unsigned __int64 NoLimit = ~0ull;

// The pattern of the stand-in's /_test/bytes page.
bool IsBytesPattern(const MAtom<unsigned char>& bytes, unsigned __int64 count)
{
    if (bytes.GetCount() != count)
        return false;
    for (unsigned __int64 i = 0; i < count; ++i)
        if (bytes[i] != i % 251)
            return false;
    return true;
}

std::wstring BytesUrl(unsigned __int64 count) { return L"http://127.0.0.1/_test/bytes?count=" + std::to_wstring(count); }

// The failure of a call as {code, step}, or {-1, -1} when it does not fail.
template <class F> std::pair<int, int> InternetFailure(F call)
{
    try
    {
        call();
    }
    catch (const InternetException& failure)
    {
        return {static_cast<int>(failure.code), static_cast<int>(failure.step)};
    }
    return {-1, -1};
}

MemoryPH<unsigned char> Pattern(unsigned __int64 count)
{
    MemoryPH<unsigned char> body(count);
    for (unsigned __int64 i = 0; i < count; ++i)
        body[i] = static_cast<unsigned char>(i * 7 + (i >> 12));
    return body;
}

using Transport = StandIn::Test;
} // namespace

TEST_F(Transport, GetReadsWholeRepliesOfAnySize)
{
    for (unsigned __int64 count : {0ull, 1ull, 4096ull, 300000ull})
    {
        MemoryPH<unsigned char> reply;
        HttpGetToBlocks(BytesUrl(count).c_str(), L"", Agent, reply, &NoLimit, nullptr);
        EXPECT_TRUE(IsBytesPattern(reply, count)) << count;
    }
}

TEST_F(Transport, LimitAcceptsExactlyItsSizeAndRefusesOneByteMore)
{
    const unsigned __int64 count = 5000;
    MemoryPH<unsigned char> reply;
    HttpGetToBlocks(BytesUrl(count).c_str(), L"", Agent, reply, &count, nullptr);
    EXPECT_TRUE(IsBytesPattern(reply, count));
    const unsigned __int64 smaller = count - 1;
    EXPECT_EQ(InternetFailure([&] { HttpGetToBlocks(BytesUrl(count).c_str(), L"", Agent, reply, &smaller, nullptr); }),
              std::make_pair(3, 12));
}

TEST_F(Transport, SignalledCancelEventStopsBeforeTheFirstRead)
{
    MHandle cancel(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    MemoryPH<unsigned char> reply;
    EXPECT_EQ(InternetFailure([&] { HttpGetToBlocks(BytesUrl(10).c_str(), L"", Agent, reply, &NoLimit, cancel); }),
              std::make_pair(1, 12));
}

TEST_F(Transport, ErrorStatusBodyIsTheReply)
{
    MemoryPH<unsigned char> reply;
    HttpGetToBlocks(L"http://127.0.0.1/_test/status?code=404", L"", Agent, reply, &NoLimit, nullptr);
    EXPECT_EQ(StandIn::Text(reply), "status 404");
    EXPECT_TRUE(HttpGetToMemory(L"http://127.0.0.1/_test/status?code=500", L"", Agent, reply));
    EXPECT_EQ(StandIn::Text(reply), "status 500");
}

TEST_F(Transport, AddressWithoutSchemeGetsHttp)
{
    MemoryPH<unsigned char> reply;
    HttpGetToBlocks(L"127.0.0.1/_test/bytes?count=7", L"", Agent, reply, &NoLimit, nullptr);
    EXPECT_TRUE(IsBytesPattern(reply, 7));
    EXPECT_TRUE(HttpGetToMemory(L"127.0.0.1/_test/bytes?count=9", L"", Agent, reply));
    EXPECT_TRUE(IsBytesPattern(reply, 9));
}

TEST_F(Transport, QueryPartUpTo2084CharactersIsAccepted)
{
    const std::wstring base = L"http://127.0.0.1/_test/bytes?count=3&pad=";
    const size_t fixed = std::wstring(L"count=3&pad=").size();
    MStringEx<wchar_t> accepted((base + std::wstring(2084 - fixed, L'a')).c_str());
    EXPECT_NO_THROW(CanonicalizeRequestUrl(accepted));
    MStringEx<wchar_t> refused((base + std::wstring(2085 - fixed, L'a')).c_str());
    EXPECT_EQ(InternetFailure([&] { CanonicalizeRequestUrl(refused); }).second, 1);
    MStringEx<wchar_t> empty;
    EXPECT_EQ(InternetFailure([&] { CanonicalizeRequestUrl(empty); }).second, 0);
}

TEST_F(Transport, HeadersArriveInListOrder)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-Zeta", L"1");
    headers.Add(L"Velmora-LV-Alpha", L"2");
    headers.Add(L"E", L"12345678");
    MemoryPH<unsigned char> reply;
    HttpGetWithHeaders(L"http://127.0.0.1/get-cv.aspx", headers, Agent, reply, &NoLimit, nullptr);
    const std::vector<StandIn::Request> requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].NamesAmong({"Velmora-LV-Alpha", "E", "Velmora-LV-Zeta"}),
              (std::vector<std::string>{"Velmora-LV-Zeta", "Velmora-LV-Alpha", "E"}));
    EXPECT_EQ(requests[0].Header("Velmora-LV-Alpha"), "2");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Quillory 3.0.0.0");
}

TEST_F(Transport, PostSendsTheWholeBodyWithItsHeaders)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-DB-Task-Name", L"Echo");
    headers.Add(L"Velmora-LV-DB-Task-Version", L"1");
    for (unsigned __int64 count : {0ull, 1ull, 3ull * 1024 * 1024 + 17})
    {
        const MemoryPH<unsigned char> body = Pattern(count);
        MSmartPtr<MemoryPH<unsigned char>> reply(
            HttpPostToServer(L"http://127.0.0.1/_test/echo", headers, Agent, body, nullptr));
        EXPECT_TRUE(reply->Equals(body)) << count;
    }
    const std::vector<StandIn::Request> requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].Header("Content-Length"), std::to_string(3 * 1024 * 1024 + 17));
    EXPECT_EQ(requests[2].NamesAmong({"Velmora-LV-DB-Task-Version", "Velmora-LV-DB-Task-Name"}),
              (std::vector<std::string>{"Velmora-LV-DB-Task-Name", "Velmora-LV-DB-Task-Version"}));
}

TEST_F(Transport, PostReplyBeyondTheLimitFails)
{
    MemoryPH<unsigned char> body = Pattern(1000);
    EXPECT_EQ(InternetFailure([&] {
                  delete HttpPost(L"127.0.0.1", L"_test/echo", L"", Agent, body, nullptr, false, 999);
              }),
              std::make_pair(3, 13));
    MSmartPtr<MemoryPH<unsigned char>> reply(HttpPost(L"127.0.0.1", L"_test/echo", L"", Agent, body, nullptr, false, 1000));
    EXPECT_TRUE(reply->Equals(body));
}

TEST_F(Transport, SecureAddressInCapitalsGoesToPort443)
{
    // The stand-in answers TLS on 443 only: the POST arrives there, on a
    // connection that showed its certificate.
    const MemoryPH<unsigned char> body = Pattern(10);
    MSmartPtr<MemoryPH<unsigned char>> reply(
        HttpPostToServer(L"HTTPS://LOCALHOST/_test/echo", HeaderList(), Agent, body, nullptr));
    EXPECT_TRUE(reply->Equals(body));
    EXPECT_EQ(StandIn::TlsConnections(), std::vector<std::string>{"good 1"});
    EXPECT_EQ(StandIn::Requests().size(), 1u);
    EXPECT_EQ(GetRequestFlags(L"HTTPS://a/b"), 0x84880300u);
    EXPECT_EQ(GetRequestFlags(L"http://a/b"), 0x84080300u);
}

TEST_F(Transport, FailedLenientGetLeavesTheBufferAsItWas)
{
    MemoryPH<unsigned char> reply = Pattern(5);
    const MemoryPH<unsigned char> before = reply;
    // Nothing listens on port 9 (discard).
    EXPECT_FALSE(HttpGetToMemory(L"http://127.0.0.1:9/page", L"", Agent, reply));
    EXPECT_TRUE(reply.Equals(before));
}

TEST_F(Transport, DroppedConnectionGivesNoReply)
{
    // Closed before any reply: Windows fails the open (step 11); Wine reads
    // an empty reply. Either way nothing is taken for a reply.
    StandIn::Set("fault=drop&at=pk");
    MemoryPH<unsigned char> reply = Pattern(3);
    const std::pair<int, int> failure = InternetFailure([&] {
        HttpGetToBlocks(L"http://127.0.0.1/get-pk.aspx", L"", Agent, reply, &NoLimit, nullptr);
    });
    EXPECT_TRUE(failure.second == 11 || (failure.second == -1 && reply.GetCount() == 0)) << failure.second;
}

// A cancel during a long reply ends the read at the next block, for the GET
// and the POST alike, while the server goes on sending: the connection is
// closed before the reply's end, which a reader that read on would reach.
TEST_F(Transport, CancelDuringALongReplyEndsTheRead)
{
    const unsigned long long count = 500000000;
    const std::wstring page = L"_test/stream?count=" + std::to_wstring(count);
    for (const bool post : {false, true})
    {
        StandIn::Reset();
        // Paced: Wine's closing of a request reads on whatever the
        // connection has at hand, which at a local server's full speed is
        // most of the reply.
        StandIn::Set("stream_delay_ms=5");
        MHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::pair<int, int> failure{-1, -1};
        std::thread reader([&] {
            failure = InternetFailure([&] {
                if (post)
                    delete HttpPost(L"127.0.0.1", page.c_str(), L"", Agent, Pattern(16), cancel, false);
                else
                {
                    MemoryPH<unsigned char> reply;
                    HttpGetToBlocks((L"http://127.0.0.1/" + page).c_str(), L"", Agent, reply, &NoLimit, cancel);
                }
            });
        });
        // The reply is on its way: then the cancel.
        const auto streamed = [] { return std::stoull("0" + StandIn::Control("streaming")); };
        UiTest::WaitUntil([&] { return streamed() >= 8 * 1024 * 1024; }, 120000);
        SetEvent(cancel);
        reader.join();
        EXPECT_EQ(failure, std::make_pair(1, post ? 13 : 12)) << (post ? "POST" : "GET");
        // How long the close takes depends on the machine, so the test
        // waits for the server's side to end rather than counting bytes.
        std::string end;
        ASSERT_TRUE(UiTest::WaitUntil(
            [&] { return (end = StandIn::Control("stream_end")) == "cut" || end == "complete"; }, 300000));
        EXPECT_EQ(end, "cut") << (post ? "POST" : "GET") << ": read on after the cancel";
        EXPECT_LT(streamed(), count);
    }
}
