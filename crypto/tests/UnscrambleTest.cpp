#include "TestHelpers.h"

using namespace CryptoTest;

TEST(Unscramble, ShortKeyLeavesTheDataAlone)
{
    MemoryPH<unsigned char> data = Bytes("scrambled"), empty(0);
    EXPECT_FALSE(UnscrambleBytes(data, FromHex("010203040506")));
    EXPECT_EQ(ToHex(data), ToHex(Bytes("scrambled")));
    EXPECT_FALSE(UnscrambleBytes(empty, FromHex("")));
    EXPECT_EQ(CryptCode([&] { UnscrambleBytes(empty, FromHex("01020304050607")); }), 3u);
}

TEST(Unscramble, OnlyTheFirstSevenKeyBytesCount)
{
    MemoryPH<unsigned char> a = Bytes("the same data"), b = Bytes("the same data");
    EXPECT_TRUE(UnscrambleBytes(a, FromHex("0a0b0c0d0e0f10")));
    EXPECT_TRUE(UnscrambleBytes(b, FromHex("0a0b0c0d0e0f10ffee")));
    EXPECT_TRUE(a.Equals(b));
    EXPECT_FALSE(a.Equals(Bytes("the same data")));
}

// One byte: every round sets it to -((t mod 256) x m + c), and the last t
// used is the counter start; the final step doubles it.
TEST(Unscramble, SingleByte)
{
    const struct
    {
        const char* key;
        unsigned char expected;
    } cases[] = {
        {"05030000000000", static_cast<unsigned char>(-2 * 5)},
        {"05030010000000", static_cast<unsigned char>(-2 * (0x10 * 3 + 5))},
        {"ff02ff34120000", static_cast<unsigned char>(-2 * (0x34 * 2 + 0xff))},
    };
    for (const auto& c : cases)
    {
        MemoryPH<unsigned char> data = Bytes("x");
        EXPECT_TRUE(UnscrambleBytes(data, FromHex(c.key)));
        EXPECT_EQ(data[0], c.expected) << c.key;
    }
}

TEST(FillRandomBytes, FillsFromTheGenerator)
{
    MemoryPH<unsigned char> a(32, 0), b(32, 0), none(0);
    FillRandomBytes(a);
    FillRandomBytes(b);
    FillRandomBytes(none);
    EXPECT_FALSE(a.Equals(b));
    EXPECT_FALSE(a.Equals(MemoryPH<unsigned char>(32, 0)));
}

TEST(StringReverse, ReversesCharactersAndKeepsTheNul)
{
    const struct
    {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {{L"abc", L"cba"}, {L"ab", L"ba"}, {L"a", L"a"}, {L"", L""}, {L"abcd", L"dcba"}};
    for (const auto& c : cases)
    {
        MString text(c.in);
        text.Reverse();
        EXPECT_EQ(text, MString(c.out));
        EXPECT_EQ(text.GetText()[text.GetLength()], L'\0');
    }
}

TEST(DeriveKeyFromText, SixtyFourBytesAndTheTextIsGone)
{
    MString first(L"Quillory"), second(L"Quillory"), other(L"Quillorz");
    MSmartPtr<SecureBytes> a = DeriveKeyFromText(first), b = DeriveKeyFromText(second), c = DeriveKeyFromText(other);
    EXPECT_EQ(a->GetCount(), 64u);
    EXPECT_TRUE(a->Equals(*b));
    EXPECT_FALSE(a->Equals(*c));
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_TRUE(other.IsEmpty());
}
