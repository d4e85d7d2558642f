#include "foundation/ExifBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, unsigned v, bool big)
{
    if (big)
        b.insert(b.end(), {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
    else
        b.insert(b.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
}
void Put32(Bytes& b, unsigned v, bool big)
{
    if (big)
    {
        Put16(b, v >> 16, true);
        Put16(b, v & 0xFFFF, true);
    }
    else
    {
        Put16(b, v & 0xFFFF, false);
        Put16(b, v >> 16, false);
    }
}

// A TIFF block of three IFD0 entries: Orientation (SHORT), ImageDescription
// (ASCII, stored after the directory) and XPTitle (BYTE, UTF-16LE).
Bytes Tiff(bool big, unsigned orientation)
{
    Bytes t;
    t.insert(t.end(), big ? std::initializer_list<unsigned char>{'M', 'M'}
                          : std::initializer_list<unsigned char>{'I', 'I'});
    Put16(t, 42, big);
    Put32(t, 8, big);
    Put16(t, 3, big);
    const std::string description = "Harbour at dawn";
    const unsigned textAt = 8 + 2 + 3 * 12 + 4;
    const unsigned xpAt = textAt + static_cast<unsigned>(description.size()) + 1;
    Put16(t, 274, big); Put16(t, 3, big); Put32(t, 1, big); Put16(t, orientation, big); Put16(t, 0, big);
    Put16(t, 270, big); Put16(t, 2, big); Put32(t, static_cast<unsigned>(description.size()) + 1, big);
    Put32(t, textAt, big);
    Put16(t, 40091, big); Put16(t, 1, big); Put32(t, 10, big); Put32(t, xpAt, big);
    Put32(t, 0, big); // no next directory
    t.insert(t.end(), description.begin(), description.end());
    t.push_back(0);
    for (wchar_t c : std::wstring(L"Quay\0", 5))
        Put16(t, c, false);
    return t;
}

Bytes Jpeg(const Bytes& tiff)
{
    Bytes j = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00}; // an APP0 before it
    const size_t length = tiff.size() + 8;
    j.insert(j.end(), {0xFF, 0xE1, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
    j.insert(j.end(), {'E', 'x', 'i', 'f', 0, 0});
    j.insert(j.end(), tiff.begin(), tiff.end());
    j.insert(j.end(), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
    return j;
}

std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }
}

TEST(ExifBlock, ReadsOrientationAndTitlesInBothByteOrders)
{
    for (const bool big : {false, true})
    {
        const Bytes jpeg = Jpeg(Tiff(big, 6));
        const ExifBlock block(jpeg.data(), jpeg.size());
        ASSERT_TRUE(block.IsValid()) << big;
        WORD orientation = 0;
        EXPECT_TRUE(block.ReadShort(274, orientation));
        EXPECT_EQ(orientation, 6);
        EXPECT_EQ(Text(block.ReadText(270)), L"Harbour at dawn");
        EXPECT_EQ(Text(block.ReadText(40091)), L"Quay");
        EXPECT_TRUE(block.ReadText(269).IsEmpty());
        EXPECT_FALSE(block.ReadShort(270, orientation)); // not a SHORT
    }
}

TEST(ExifBlock, DamagedBlocksYieldNothing)
{
    const Bytes good = Jpeg(Tiff(false, 3));
    const size_t tiffAt = 8 + 4 + 6;
    struct Damage
    {
        const char* what;
        size_t at; // offset into the JPEG
        unsigned char value;
    };
    const Damage damages[] = {
        {"byte order", tiffAt, 'X'},
        {"magic", tiffAt + 2, 43},
        {"directory offset past the end", tiffAt + 5, 0x7F},
        {"entry count past the end", tiffAt + 9, 0x40},
        {"text offset past the end", tiffAt + 10 + 12 + 8 + 1, 0x7F},
        {"value count too large", tiffAt + 10 + 24 + 4 + 3, 0x40},
        {"segment longer than the file", 8 + 2, 0x7F},
        {"no JPEG", 1, 0xD9},
    };
    for (const Damage& d : damages)
    {
        Bytes bytes = good;
        bytes[d.at] = d.value;
        const ExifBlock block(bytes.data(), bytes.size());
        WORD orientation = 0;
        EXPECT_FALSE(block.ReadShort(274, orientation)) << d.what;
        EXPECT_TRUE(block.ReadText(270).IsEmpty()) << d.what;
    }
    // Every cut of the file is refused or read within its bytes.
    for (size_t size = 0; size < good.size(); ++size)
    {
        const Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
        const ExifBlock block(cut.data(), cut.size());
        WORD orientation = 0;
        if (block.ReadShort(274, orientation))
        {
            EXPECT_EQ(orientation, 3);
        }
    }
}
