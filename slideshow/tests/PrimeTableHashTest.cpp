#include "slideshow/PrimeTableHash.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PrimeTableHash, TableHoldsOneThenThePrimes)
{
    EXPECT_EQ(PrimeTableEntry(0), 1u);
    EXPECT_EQ(PrimeTableEntry(1), 2u);
    EXPECT_EQ(PrimeTableEntry(2), 3u);
    EXPECT_EQ(PrimeTableEntry(97), 509u);
    EXPECT_EQ(PrimeTableEntry(255), 1613u);
    EXPECT_EQ(PrimeTableEntry(4000000), 67867967u);
}

TEST(PrimeTableHash, KnownValues)
{
    EXPECT_EQ(PrimeTableHash("", 0), 0u);
    const unsigned char zero = 0;
    EXPECT_EQ(PrimeTableHash(&zero, 1), 1u);
    EXPECT_EQ(PrimeTableHash("abc", 3), 3120u);
    // "ABC" in UTF-16 with its NUL, as the folder-path hash takes it.
    EXPECT_EQ(PrimeTableHash(MStringEx<wchar_t>(L"ABC")), 3629u);
}

TEST(PrimeTableHash, PositionsWrapAndProductsAreCutTo32Bits)
{
    // Zero bytes add P[position mod 4,000,001] each.
    std::vector<unsigned char> bytes(PrimeTableSize + 1, 0);
    const unsigned __int64 all = PrimeTableHash(bytes.data(), bytes.size());
    const unsigned __int64 oneLess = PrimeTableHash(bytes.data(), bytes.size() - 1);
    const unsigned __int64 twoLess = PrimeTableHash(bytes.data(), bytes.size() - 2);
    EXPECT_EQ(all - oneLess, 1u);
    EXPECT_EQ(oneLess - twoLess, 67867967u);

    // 67,867,967 x 1613 = 109,471,030,771 leaves 2,096,848,371 in 32 bits.
    bytes.resize(PrimeTableSize);
    bytes.back() = 0xFF;
    const unsigned __int64 withLast = PrimeTableHash(bytes.data(), bytes.size());
    EXPECT_EQ(withLast - oneLess, 2096848371u - 67867967u);
}
