#include "server/HeaderList.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Block(const HeaderList& headers) { return headers.HeaderBlock().GetText(); }
} // namespace

TEST(HeaderList, BlockIsNameColonValueLinesWithoutSpaceOrTrailingBreak)
{
    HeaderList headers;
    EXPECT_EQ(Block(headers), L"");
    EXPECT_EQ(headers.HeaderBlock().GetLength(), 0u);
    headers.Add(L"A", L"1");
    EXPECT_EQ(Block(headers), L"A:1");
    headers.Add(L"B", L"2");
    EXPECT_EQ(Block(headers), L"A:1\r\nB:2");
}

TEST(HeaderList, DuplicateNameThrowsAndLeavesTheListAsItWas)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-X", L"1");
    try
    {
        headers.Add(L"Velmora-LV-X", L"2");
        FAIL() << "a duplicate name was accepted";
    }
    catch (const DictionaryException& failure)
    {
        EXPECT_EQ(failure.code, 2u);
    }
    EXPECT_EQ(Block(headers), L"Velmora-LV-X:1");
}

TEST(HeaderList, CopyReplacesTheTargetInOrder)
{
    HeaderList source, target;
    source.Add(L"V", L"1");
    source.Add(L"R", L"AB");
    source.Add(L"Q", L"S1");
    target.Add(L"Old", L"x");
    CopyHeaderList(target, source);
    EXPECT_EQ(Block(target), L"V:1\r\nR:AB\r\nQ:S1");
    source.Clear();
    EXPECT_EQ(Block(target), L"V:1\r\nR:AB\r\nQ:S1");
}

TEST(HeaderList, BinaryValuesAreUpperCaseHexadecimal)
{
    MemoryPH<unsigned char> bytes(4);
    const unsigned char values[] = {0x00, 0x9f, 0xa0, 0xff};
    for (int i = 0; i < 4; ++i)
        bytes[i] = values[i];
    EXPECT_EQ(std::wstring(HexHeaderValue(bytes).GetText()), L"009FA0FF");
    EXPECT_EQ(std::wstring(HexHeaderValue(MemoryPH<unsigned char>(0)).GetText()), L"");
}
