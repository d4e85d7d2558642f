#include "foundation/StringEx.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
MemoryPH<unsigned char> Bytes(std::vector<unsigned char> values)
{
    MemoryPH<unsigned char> bytes(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        bytes[i] = values[i];
    return bytes;
}
}

TEST(Atom, ResizeKeepsContentsOnlyForTheSameCount)
{
    MemoryPH<int> buffer(4, 7);
    buffer.Resize(4);
    EXPECT_EQ(buffer[3], 7);
    EXPECT_EQ(buffer.GetCount(), 4u);
    buffer.Resize(9);
    EXPECT_EQ(buffer.GetCount(), 9u);
}

TEST(Atom, ClearLeavesAValidEmptyBlock)
{
    MemoryPH<unsigned char> fresh;
    EXPECT_EQ(fresh.GetData(), nullptr);
    MemoryPH<unsigned char> buffer = Bytes({1, 2, 3});
    buffer.Clear();
    EXPECT_NE(buffer.GetData(), nullptr);
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_TRUE(buffer.Equals(fresh));
}

TEST(Atom, EqualityIgnoresTheStorageKind)
{
    MemoryPH<unsigned char> buffer = Bytes({1, 2, 3});
    ShellMemory<unsigned char> view(buffer);
    MemoryPH<unsigned char> copy(view);
    EXPECT_EQ(view.StorageKind(), 2u);
    EXPECT_EQ(buffer.StorageKind(), 0u);
    EXPECT_TRUE(view.Equals(buffer));
    EXPECT_TRUE(copy.Equals(buffer));
    EXPECT_NE(copy.GetData(), buffer.GetData());
    copy[1] = 9;
    EXPECT_TRUE(copy.NotEquals(buffer));
    EXPECT_FALSE(Bytes({1, 2}).Equals(buffer));
}

TEST(Atom, CopyAtWithAdvanceAppendsSourcesInOrder)
{
    MemoryPH<unsigned char> target(5);
    ElementCount position = 0;
    target.CopyAt(position, true, Bytes({1, 2})).CopyAt(position, true, Bytes({3, 4, 5}));
    EXPECT_EQ(position.value, 5u);
    EXPECT_TRUE(target.Equals(Bytes({1, 2, 3, 4, 5})));

    ElementCount source = 1;
    MemoryPH<unsigned char> front(2);
    front.CopyRangeTo(target, source, true, 2);
    EXPECT_TRUE(front.Equals(Bytes({2, 3})));
    EXPECT_EQ(source.value, 3u);
}

TEST(Atom, OverlappingCopyMovesLikeABlockMove)
{
    MemoryPH<unsigned char> buffer = Bytes({1, 2, 3, 4, 5});
    buffer.CopyRange(1, buffer, 0, 4);
    EXPECT_TRUE(buffer.Equals(Bytes({1, 1, 2, 3, 4})));
}

TEST(Atom, ShiftMovesTheViewAndBack)
{
    MemoryPH<unsigned char> buffer = Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ShellMemory<unsigned char> view(buffer);
    view.Shift(3, true, false);
    EXPECT_EQ(view.GetCount(), 7u);
    EXPECT_EQ(view[0], 3);
    view.Shift(3, false, false);
    EXPECT_TRUE(view.Equals(buffer));
    view.Shift(2, true, true);
    EXPECT_EQ(view.GetCount(), 10u);
    EXPECT_EQ(view[0], 2);
}

TEST(Atom, SecureSetCountWipesTheDroppedElements)
{
    MemoryPH<unsigned char> secret(10, 0xAA);
    SecureMemory<MemoryPH<unsigned char>, unsigned char> secure(secret);
    unsigned char* raw = secure.GetData();
    secure.SetCount(4);
    EXPECT_EQ(secure.GetCount(), 4u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(raw[i], i < 4 ? 0xAA : 0) << i;
    secure.SetCount(4);
    EXPECT_EQ(raw[3], 0xAA);
}

TEST(Atom, SecureViewWipesWhatItWatches)
{
    MemoryPH<unsigned char> owner(6, 0x55);
    MemoryPH<unsigned char> other(3, 0x66);
    {
        SecureMemory<ShellMemory<unsigned char>, unsigned char> watch(owner);
        watch.Attach(other);  // wipes the owner's bytes before looking elsewhere
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(owner[i], 0);
        watch.Resize(2);
        EXPECT_EQ(other.GetCount(), 3u);
    }
    EXPECT_EQ(other[0], 0);
    EXPECT_EQ(other[1], 0);
    EXPECT_EQ(other[2], 0x66);  // outside the view's count
}

TEST(Atom, SecureAppendAndAssignKeepTheRightBytes)
{
    SecureMemory<MemoryPH<unsigned char>, unsigned char> secure(Bytes({1, 2}));
    secure.Append(Bytes({3}));
    EXPECT_TRUE(secure.Equals(Bytes({1, 2, 3})));
    secure.AssignSecure(Bytes({7, 8, 9}));
    EXPECT_TRUE(secure.Equals(Bytes({7, 8, 9})));
    secure.Clear();
    EXPECT_EQ(secure.GetCount(), 0u);
}

TEST(Atom, ViewsDoNotCopy)
{
    MemoryPH<unsigned char> buffer(12, 1);
    EXPECT_EQ(buffer.AsUInt64View().GetCount(), 1u);
    ShellMemory<unsigned char> sub = buffer.SubView(4, 3);
    EXPECT_EQ(sub.GetData(), buffer.GetData() + 4);
    EXPECT_EQ(sub.GetCount(), 3u);
    ShellMemory<wchar_t> odd = buffer.WideSubView(1, 2);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(odd.GetData()), buffer.GetData() + 1);
    MString text(L"ab");
    EXPECT_EQ(text.AsBytes().GetCount(), 6u);
    // Views ignore assignment.
    sub.Assign(buffer);
    EXPECT_EQ(sub.GetCount(), 3u);
}

TEST(Atom, HexTextRoundTrip)
{
    struct Case
    {
        std::vector<unsigned char> bytes;
        const char* hex;
    } cases[] = {{{}, ""}, {{0x00, 0xAB}, "00AB"}, {{0xFF, 0x10, 0x09}, "FF1009"}};
    for (const Case& c : cases)
    {
        MemoryPH<char> hex = BytesToHexText(Bytes(c.bytes));
        ASSERT_EQ(hex.GetCount(), strlen(c.hex));
        EXPECT_EQ(std::string(hex.GetData(), hex.GetCount()), c.hex);
        MemoryPH<unsigned char> decoded(hex.GetCount());
        if (hex.GetCount())
            std::memcpy(decoded.GetData(), hex.GetData(), hex.GetCount());
        ASSERT_TRUE(HexTextToBytes(decoded));
        EXPECT_TRUE(decoded.Equals(Bytes(c.bytes))) << c.hex;
    }
    EXPECT_EQ(std::string(BytesToHexText(MString(L"A").TextView()).GetData(), 4), "4100");
}

TEST(Atom, HexTextRejectsWhatIsNoUpperCaseHex)
{
    for (const char* bad : {"0", "0g", "ab", "1 ", "G0"})
    {
        MemoryPH<unsigned char> text(strlen(bad));
        std::memcpy(text.GetData(), bad, strlen(bad));
        EXPECT_FALSE(HexTextToBytes(text)) << bad;
        EXPECT_EQ(text.GetCount(), strlen(bad));
        EXPECT_EQ(std::memcmp(text.GetData(), bad, strlen(bad)), 0);
    }
}

TEST(Atom, FillAssignsEveryElement)
{
    MemoryPH<unsigned short> values;
    values.Fill(3, 0xBEEF);
    EXPECT_EQ(values.GetCount(), 3u);
    for (unsigned i = 0; i < 3; ++i)
        EXPECT_EQ(values[i], 0xBEEF);
}

TEST(Atom, ElementCountArithmetic)
{
    MemoryPH<int> four(4);
    ElementCount count(four);
    EXPECT_EQ(count.value, 4u);
    EXPECT_EQ((count + ElementCount(6)).value, 10u);
    EXPECT_EQ((count - ElementCount(1)).value, 3u);
    EXPECT_EQ((count - 4).value, 0u);
    EXPECT_EQ(ElementCount(7).Half().value, 3u);
}
