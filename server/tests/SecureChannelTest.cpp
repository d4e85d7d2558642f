// Requests over TLS to the stand-in on https://localhost. The prefix trusts
// the test authority as a root, exactly as a Windows machine trusts one; a
// certificate that WinINet's check refuses ends the request before any
// request line or header (and so no secret of the session) is sent.
#include "StandIn.h"

#include "server/ServerPages.h"
#include "server/SlideSession.h"

#include <algorithm>
#include <string>

namespace
{
const MStringEx<wchar_t> Agent(L"Quillory 3.0.0.0");
constexpr unsigned __int64 NoLimit = ~0ull;

using SecureChannel = StandIn::Test;

std::string Narrow(const MStringEx<wchar_t>& text)
{
    const std::wstring wide = text.GetText();
    return std::string(wide.begin(), wide.end());
}

MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    std::copy(text.begin(), text.end(), bytes.GetData());
    return bytes;
}

// Whether the call throws an InternetException; `failure` receives it.
template <class F> bool Fails(F call, InternetException& failure)
{
    try
    {
        call();
    }
    catch (const InternetException& thrown)
    {
        failure = thrown;
        return true;
    }
    return false;
}
} // namespace

TEST_F(SecureChannel, TheBuildsServerIsReachedOverTls)
{
    const std::string base = Narrow(ServerBaseAddress());
    ASSERT_EQ(base.rfind("https://", 0), 0u) << base;

    MemoryPH<unsigned char> reply;
    HttpGetToBlocks(GetServerPageUrl(5), L"", Agent, reply, &NoLimit, nullptr);
    EXPECT_NE(StandIn::Text(reply).find(".css_table"), std::string::npos);
    const MemoryPH<unsigned char> body = Bytes("QLY");
    const MStringEx<wchar_t> echo(sX::Format(), L"%s/_test/echo", ServerBaseAddress().GetText());
    MSmartPtr<MemoryPH<unsigned char>> echoed(HttpPostToServer(echo, HeaderList(), Agent, body, nullptr));
    EXPECT_TRUE(echoed->Equals(body));
    HeaderList sessionHeaders;
    MemoryPH<unsigned char> keyBlob;
    ASSERT_TRUE(EstablishSlideSession(sessionHeaders, keyBlob, nullptr));

    // Every request went over a connection that showed the good certificate.
    size_t overTls = 0;
    for (const std::string& connection : StandIn::TlsConnections())
    {
        EXPECT_EQ(connection.rfind("good ", 0), 0u) << connection;
        overTls += std::stoul(connection.substr(connection.find(' ') + 1));
    }
    EXPECT_EQ(overTls, StandIn::Requests().size());
    EXPECT_GE(overTls, 4u);
}

TEST_F(SecureChannel, RefusedCertificateEndsTheRequestBeforeAnythingIsSent)
{
    const std::wstring slidePage = GetServerPageUrl(0).GetText();
    for (const StandIn::RefusedCertificate& refused : StandIn::RefusedCertificates())
    {
        SCOPED_TRACE(refused.name);
        StandIn::Reset();
        StandIn::Set(std::string("certificate=") + refused.name);

        InternetException failure(0, 0, 0, 0, 0);
        MemoryPH<unsigned char> reply;
        ASSERT_TRUE(Fails([&] { HttpGetToBlocks(slidePage.c_str(), L"", Agent, reply, &NoLimit, nullptr); }, failure));
        EXPECT_EQ(failure.step, 11u);
        EXPECT_EQ(failure.systemError, refused.error);
        EXPECT_FALSE(HttpGetToMemory(slidePage.c_str(), L"", Agent, reply));

        HeaderList secret;
        secret.Add(L"Velmora-LV-Client-PC-PK", L"00112233445566778899");
        const MemoryPH<unsigned char> body = Bytes("secret");
        ASSERT_TRUE(Fails([&] { delete HttpPostToServer(slidePage.c_str(), secret, Agent, body, nullptr); }, failure));
        EXPECT_EQ(failure.step, 6u);
        EXPECT_EQ(failure.systemError, refused.error);

        HeaderList sessionHeaders;
        sessionHeaders.Add(L"Old", L"1");
        MemoryPH<unsigned char> keyBlob(3);
        ASSERT_TRUE(Fails([&] { EstablishSlideSession(sessionHeaders, keyBlob, nullptr); }, failure));
        EXPECT_EQ(failure.systemError, refused.error);
        EXPECT_EQ(sessionHeaders.GetCount(), 0u);
        EXPECT_EQ(keyBlob.GetCount(), 0u);

        // The client reached the TLS port every time and read the
        // certificate, yet not one request reached the server.
        StandIn::ExpectRefusedBeforeAnyRequest(refused.name, 4);
        EXPECT_TRUE(StandIn::Requests().empty());
    }
}
