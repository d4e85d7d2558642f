#include "viewers/DocumentRequest.h"

#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "crypto/CryptBase.h"
#include "server/HttpTransport.h"
#include "server/SessionAuthCode.h"
#include "server/tests/StandIn.h"
#include "viewers/MediaVolume.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::string Narrow(const MString& s)
{
    std::string text;
    for (unsigned __int64 i = 0; i < s.GetLength(); ++i)
        text += static_cast<char>(s.GetText()[i]);
    return text;
}

std::vector<std::pair<std::string, std::string>> Pairs(const HeaderList& headers)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (unsigned __int64 i = 0; i < headers.GetCount(); ++i)
        pairs.emplace_back(Narrow(headers.GetAt(i)->first), Narrow(headers.GetAt(i)->second));
    return pairs;
}

const std::vector<std::string> Names = {
    "Velmora-LV-Doc-Slide-Request-Version", "Velmora-LV-Doc-Slide-Request-Type", "Velmora-LV-Product-Name",
    "Velmora-LV-Product-Version",           "Velmora-LV-UI-Language",            "Velmora-LV-Player-Volume",
    "Velmora-LV-Auth-Code"};

} // namespace

TEST(DocumentRequest, HeadersInOrderForALocalFile)
{
    const double half = 0.5;
    ASSERT_TRUE(WriteProductValue(MediaVolumeValueName, REG_BINARY, &half, sizeof(half)));
    const auto pairs = Pairs(BuildDocumentRequestHeaders(MemoryPH<unsigned char>()));
    ASSERT_EQ(pairs.size(), Names.size());
    for (size_t i = 0; i < Names.size(); ++i)
        EXPECT_EQ(pairs[i].first, Names[i]);
    EXPECT_EQ(pairs[0].second, "1");
    EXPECT_EQ(pairs[1].second, "Render-Document-Slide");
    // "Quillory" as UTF-16LE bytes.
    EXPECT_EQ(pairs[2].second, "5100750069006C006C006F0072007900");
    EXPECT_FALSE(pairs[3].second.empty());
    EXPECT_EQ(pairs[3].second.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(pairs[4].second, std::to_string(UiLanguage));
    EXPECT_EQ(pairs[5].second, "0.500000");
    // No session code: one encrypted padding block.
    EXPECT_EQ(pairs[6].second.size(), 32u);
    EXPECT_EQ(pairs[6].second.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    DeleteProductValue(MediaVolumeValueName);
}

class DocumentRequestStandIn : public StandIn::Test
{
};

TEST_F(DocumentRequestStandIn, TheServerRendersTheDocumentAndReadsTheSessionCode)
{
    const double volume = 0.25;
    ASSERT_TRUE(WriteProductValue(MediaVolumeValueName, REG_BINARY, &volume, sizeof(volume)));
    const unsigned char code[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                    0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    SecureBytes held;
    EncryptAuthCode(ShellMemory<unsigned char>(const_cast<unsigned char*>(code), sizeof(code)), held);
    const HeaderList headers = BuildDocumentRequestHeaders(held);

    MemoryPH<unsigned char> reply;
    const unsigned __int64 limit = 1024 * 1024;
    HttpGetWithHeaders(StandIn::Page(L"documents/welcome.htm").c_str(), headers, L"viewers_tests", reply, &limit, nullptr);
    const std::string page = StandIn::Text(reply);
    EXPECT_NE(page.find("<title>welcome.htm</title>"), std::string::npos) << page;
    EXPECT_NE(page.find("A document slide of the stand-in server."), std::string::npos) << page;
    // The server decrypted the code the viewer re-encrypted for it.
    EXPECT_EQ(StandIn::Meta(page, "quillory-auth-code"), "00112233445566778899AABBCCDDEEFF");

    const std::vector<StandIn::Request> requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/documents/welcome.htm");
    EXPECT_EQ(requests[0].NamesAmong(Names), Names);
    EXPECT_EQ(requests[0].Header("Velmora-LV-Player-Volume"), "0.250000");
    EXPECT_EQ(requests[0].Header("Velmora-LV-Auth-Code").size(), 64u) << "16 bytes and a padding block";
    DeleteProductValue(MediaVolumeValueName);
}

TEST_F(DocumentRequestStandIn, ARequestWithoutTheRenderHeadersIsRefused)
{
    MemoryPH<unsigned char> reply;
    HeaderList headers;
    headers.Add(L"Velmora-LV-Doc-Slide-Request-Version", L"2");
    const unsigned __int64 limit = 1024 * 1024;
    HttpGetWithHeaders(StandIn::Page(L"documents/welcome.htm").c_str(), headers, L"viewers_tests", reply, &limit, nullptr);
    EXPECT_EQ(StandIn::Text(reply), "wrong request version");
}

