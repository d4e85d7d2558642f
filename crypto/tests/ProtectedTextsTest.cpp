#include "TestHelpers.h"

#include "crypto/ProtectedTexts.h"

using namespace CryptoTest;

namespace
{
MList<unsigned char> Order(std::initializer_list<unsigned char> indices)
{
    MList<unsigned char> list;
    for (unsigned char index : indices)
        list.Append(new unsigned char(index));
    return list;
}
}

TEST(ProtectedTexts, TableHoldsThreeEnciphered)
{
    const Dictionary<unsigned long, const wchar_t*>& table = ProtectedTextTable();
    EXPECT_EQ(table.GetCount(), 3u);
    for (unsigned long id = 1; id <= 3; ++id)
    {
        const std::wstring stored = table.GetValue(id);
        EXPECT_EQ(stored.size() % 32, 0u) << id;
        EXPECT_EQ(stored.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos) << id;
    }
    EXPECT_EQ(std::wstring(table.GetValue(2)).find(L"127"), std::wstring::npos);
}

TEST(ProtectedTexts, ServerBaseAddressIsTheBuildSetting)
{
    EXPECT_EQ(StoredServerBaseAddress(), MString(QUILLORY_TEST_SERVER_BASE_ADDRESS));
}

TEST(ProtectedTexts, SessionSecretDependsOnTheOrder)
{
    const SecureBytes stored = DescrambleStoredText(Order({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(stored.GetCount(), 64u);
    EXPECT_TRUE(stored.Equals(OpenProtectedText(SessionSecretText)));
    EXPECT_TRUE(stored.Equals(DescrambleStoredText(Order({0, 1, 2, 3, 4, 5, 6, 7}))));

    const SecureBytes other = DescrambleStoredText(Order({3, 1, 4, 0, 5, 2, 6, 7}));
    EXPECT_EQ(other.GetCount(), 64u);
    EXPECT_FALSE(other.Equals(stored));
    EXPECT_FALSE(other.Equals(DescrambleStoredText(Order({7, 6, 5, 4, 3, 2, 1, 0}))));
}

TEST(ProtectedTexts, RefusesUnknownIndicesAndIds)
{
    EXPECT_EQ(CryptCode([] { DescrambleStoredText(Order({0, 8})); }), 3u);
    try
    {
        OpenProtectedText(4);
        FAIL() << "opened an entry that does not exist";
    }
    catch (const DictionaryException& failure)
    {
        EXPECT_EQ(failure.code, 1u);
    }
}
