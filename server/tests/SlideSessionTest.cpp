// The slide session key exchange end to end against the stand-in server,
// which checks every value the client sends (docs/protocol.md).
#include "StandIn.h"

#include "crypto/Authenticator.h"
#include "foundation/Handle.h"
#include "server/ServerReplyError.h"
#include "server/SlideSession.h"
#include "core/tests/UiTestSupport.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace
{
using SlideSession = StandIn::Test;

std::string Narrow(const MStringEx<wchar_t>& text)
{
    const std::wstring wide = text.GetText();
    return std::string(wide.begin(), wide.end());
}

std::string Reversed(std::string text)
{
    std::reverse(text.begin(), text.end());
    return text;
}

// "<Q> <R> <I>" lines of the sessions the stand-in finished.
std::vector<std::string> FinishedSessions()
{
    std::vector<std::string> lines;
    std::istringstream text(StandIn::Control("sessions"));
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

struct Outcome
{
    bool established = false;
    HeaderList headers;
    MemoryPH<unsigned char> keyBlob;
};

// Runs the exchange and checks that a failure keeps no session.
template <class Check> void ExpectFailure(const std::string& settings, Check check)
{
    StandIn::Reset();
    StandIn::Set(settings);
    HeaderList headers;
    headers.Add(L"Old", L"1");
    MemoryPH<unsigned char> keyBlob(3);
    try
    {
        EstablishSlideSession(headers, keyBlob, nullptr);
        ADD_FAILURE() << settings << ": the exchange did not fail";
    }
    catch (const QuilloryError& failure)
    {
        check(failure);
    }
    EXPECT_EQ(headers.GetCount(), 0u) << settings;
    EXPECT_EQ(keyBlob.GetCount(), 0u) << settings;
}

void ExpectMalformed(const std::string& settings, unsigned code, unsigned location)
{
    ExpectFailure(settings, [&](const QuilloryError& failure) {
        const ServerReplyError* reply = dynamic_cast<const ServerReplyError*>(&failure);
        ASSERT_NE(reply, nullptr) << settings << ": " << failure.what();
        EXPECT_FALSE(reply->IsRefusal()) << settings;
        EXPECT_EQ(reply->Code(), code) << settings;
        EXPECT_EQ(reply->Location(), location) << settings;
        const std::string text = Narrow(reply->Text());
        EXPECT_NE(text.find(std::to_string(code)), std::string::npos) << text;
        EXPECT_NE(text.find(std::to_string(location)), std::string::npos) << text;
    });
}
} // namespace

TEST_F(SlideSession, EstablishedWithEachKeyLengthAndRoundCount)
{
    for (unsigned bits : {1024u, 2048u})
        for (unsigned rounds = 0; rounds <= 3; ++rounds)
        {
            SCOPED_TRACE("bits " + std::to_string(bits) + ", rounds " + std::to_string(rounds));
            StandIn::Reset();
            StandIn::Set("key_bits=" + std::to_string(bits) + "&rounds=" + std::to_string(rounds));
            HeaderList headers;
            MemoryPH<unsigned char> keyBlob;
            ASSERT_TRUE(EstablishSlideSession(headers, keyBlob, nullptr));

            // The session's headers, as the stand-in derived them too.
            ASSERT_EQ(headers.GetCount(), 4u);
            const char* names[] = {"V", "R", "I", "Q"};
            for (unsigned i = 0; i < 4; ++i)
                EXPECT_EQ(Narrow(headers.GetAt(i)->first), names[i]);
            EXPECT_EQ(Narrow(headers.GetValue(L"V")), "1");
            const std::vector<std::string> finished = FinishedSessions();
            ASSERT_EQ(finished.size(), 1u);
            EXPECT_EQ(finished[0], Narrow(headers.GetValue(L"Q")) + " " + Narrow(headers.GetValue(L"R")) + " " +
                                       Narrow(headers.GetValue(L"I")));
            // PUBLICKEYBLOB: 20 bytes of header, then the modulus.
            EXPECT_EQ(keyBlob.GetCount(), 20u + bits / 8);

            const std::vector<StandIn::Request> requests = StandIn::Requests();
            ASSERT_EQ(requests.size(), 2u + rounds);
            EXPECT_EQ(requests[0].path, "/get-pk.aspx");
            EXPECT_EQ(requests[0].NamesAmong({"V", "Q", "E"}), (std::vector<std::string>{"V", "Q", "E"}));
            const std::string id = requests[0].Header("E");
            EXPECT_GE(id.size(), 8u);
            EXPECT_EQ(requests[1].NamesAmong({"V", "K", "R", "T", "E", "L", "Q"}),
                      (std::vector<std::string>{"V", "K", "R", "T", "E", "L", "Q"}));
            // The client key has the server key's length.
            EXPECT_EQ(requests[1].Header("K").size(), 2 * (20u + bits / 8));
            EXPECT_EQ(requests[1].Header("L"), "1033");
            for (size_t i = 1; i < requests.size(); ++i)
            {
                EXPECT_EQ(requests[i].path, "/get-slide.aspx");
                // Reversed on the first slide request, and again on every round.
                EXPECT_EQ(requests[i].Header("E"), i % 2 == 1 ? Reversed(id) : id) << i;
                if (i >= 2)
                {
                    EXPECT_EQ(requests[i].NamesAmong({"V", "K", "R", "I", "T", "F", "E", "L", "Q"}),
                              (std::vector<std::string>{"V", "K", "R", "I", "T", "F", "E", "L", "Q"}));
                }
            }
        }
}

TEST_F(SlideSession, MalformedRepliesFailWithTheirCodes)
{
    const struct
    {
        const char* settings;
        unsigned code;
        unsigned location;
    } cases[] = {
        {"fault=xml_parse&at=pk", 5901, 658},
        {"fault=wrong_scramble_key&at=pk", 5901, 658},
        {"fault=xml_no_version&at=pk", 5902, 667},
        {"fault=xml_no_session&at=pk", 5903, 668},
        {"fault=xml_no_key&at=pk", 5904, 669},
        {"fault=xml_bad_version&at=pk&version=2", 5905, 674},
        {"fault=xml_bad_version&at=pk&version=1%20", 5905, 674},
        {"fault=wrong_kind&at=first", 6, 1030},
        {"fault=truncated&at=first", 9, 1040},
        {"fault=short_field&at=first", 9, 1040},
        {"fault=wrong_kind&at=round2&rounds=3", 8, 1297},
        {"fault=truncated&at=round1&rounds=1", 10, 1305},
        {"fault=short_field&at=round3&rounds=3", 10, 1305},
        {"rounds=4", 7, 1172},
    };
    for (const auto& c : cases)
        ExpectMalformed(c.settings, c.code, c.location);
}

TEST_F(SlideSession, FourthRoundFailsBeforeItsRequest)
{
    ExpectMalformed("rounds=4", 7, 1172);
    EXPECT_EQ(StandIn::Requests().size(), 5u); // get-pk, the first request, three rounds
}

TEST_F(SlideSession, RefusalCarriesTheServersMessage)
{
    for (const char* at : {"first", "round1", "round3"})
        ExpectFailure(std::string("fault=refuse&rounds=3&message=Closed%20for%20repairs&at=") + at,
                      [&](const QuilloryError& failure) {
                          const ServerReplyError* reply = dynamic_cast<const ServerReplyError*>(&failure);
                          ASSERT_NE(reply, nullptr) << at;
                          EXPECT_TRUE(reply->IsRefusal());
                          EXPECT_EQ(Narrow(reply->Text()), "Closed for repairs") << at;
                      });
}

TEST_F(SlideSession, RoundReplyScrambledWithTheWrongKeyFails)
{
    // Unscrambled with the wrong text the reply is noise: whatever its
    // first byte says, the exchange ends without a session.
    ExpectFailure("fault=wrong_scramble_key&at=round1&rounds=2", [](const QuilloryError&) {});
}

TEST_F(SlideSession, TransportFailuresEndTheExchange)
{
    // A reply beyond the exchange's limit fails while it is read.
    ExpectFailure("fault=oversize&at=pk", [](const QuilloryError& failure) {
        const InternetException* internet = dynamic_cast<const InternetException*>(&failure);
        ASSERT_NE(internet, nullptr) << failure.what();
        EXPECT_EQ(internet->code, 3u);
        EXPECT_EQ(internet->step, 12u);
    });
    // A connection closed before any reply: Windows fails the request
    // (InternetException); Wine reads it as an empty reply, which cannot be
    // unscrambled (MCryptException 3). Either way no session is kept.
    for (const char* settings : {"fault=drop&at=pk", "fault=drop&at=first", "fault=drop&at=round2&rounds=2"})
        ExpectFailure(settings, [&](const QuilloryError& failure) {
            const MCryptException* crypt = dynamic_cast<const MCryptException*>(&failure);
            EXPECT_TRUE(dynamic_cast<const InternetException*>(&failure) || (crypt && crypt->code == 3))
                << settings << ": " << failure.what() << " " << failure.Code();
        });
}

TEST_F(SlideSession, SlowReplyIsWaitedFor)
{
    StandIn::Set("fault=slow&at=first&delay_ms=1500");
    HeaderList headers;
    MemoryPH<unsigned char> keyBlob;
    EXPECT_TRUE(EstablishSlideSession(headers, keyBlob, nullptr));
}

TEST_F(SlideSession, CancelSignalledDuringARequestEndsTheExchange)
{
    // The cancel event is seen before the held reply is read: the request
    // fails with code 1, no further request is made and nothing is kept.
    const struct
    {
        const char* at;
        size_t requests;
    } cases[] = {{"pk", 1}, {"first", 2}, {"round1", 3}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.at);
        StandIn::Reset();
        StandIn::Set(std::string("rounds=2&fault=hold&at=") + c.at);
        MHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HeaderList headers;
        MemoryPH<unsigned char> keyBlob;
        int code = -1, step = -1;
        std::thread exchange([&] {
            try
            {
                EstablishSlideSession(headers, keyBlob, cancel);
            }
            catch (const InternetException& failure)
            {
                code = static_cast<int>(failure.code);
                step = static_cast<int>(failure.step);
            }
            catch (...)
            {
            }
        });
        // The stand-in holds the reply of that step until told: wait until it does.
        const bool held = UiTest::WaitUntil([] { return StandIn::Control("held") == "1"; }, 60000);
        EXPECT_TRUE(held);
        SetEvent(cancel);
        StandIn::Control("release");
        exchange.join();
        EXPECT_EQ(code, 1);
        EXPECT_EQ(step, 12);
        EXPECT_EQ(headers.GetCount(), 0u);
        EXPECT_EQ(keyBlob.GetCount(), 0u);
        EXPECT_EQ(StandIn::Requests().size(), c.requests);
    }
}

TEST(ServerSessionCrypto, KnownDigests)
{
    // Computed independently with Python's hashlib (docs/protocol.md).
    const struct
    {
        ALG_ID hash;
        const char* expected;
    } cases[] = {
        {CALG_SHA_512, "e70e5167d13eace1a500e1a309d9340627b136851b026e534caf0e444c5262ac2ba68ee1923509b9ab8941da"
                       "7905e89ccac0c77b7a42e9046e23d8554e47793d"},
        {CALG_SHA_256, "88d3bcea69a1280927b220420158041b916224d7f9d4fd9ca4558eda6252752c"},
    };
    for (const auto& c : cases)
    {
        const MAAuthenticator hasher(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                                     MAAuthenticator::MAAuthAlgHash(c.hash));
        MemoryPH<unsigned char> key;
        CreateServerSessionCrypto(key, hasher);
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned __int64 i = 0; i < key.GetCount(); ++i)
            hex += std::string{digits[key[i] >> 4], digits[key[i] & 15]};
        EXPECT_EQ(hex, c.expected);
    }
}
