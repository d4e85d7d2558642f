// Carrying a JPEG's EXIF segment into a re-encoded copy: the segment is
// moved in place of the encoder's own, its orientation set upright in
// either byte order, and malformed input is refused without a change.
#include "foundation/JpegExif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// An APP1 "Exif" segment with an IFD0 of one entry: orientation 6 (or the
// tag given), in little- or big-endian order.
Bytes ExifSegment(bool bigEndian, unsigned short tag = 0x0112)
{
    const unsigned char hi = static_cast<unsigned char>(tag >> 8), lo = static_cast<unsigned char>(tag & 0xFF);
    Bytes tiff = bigEndian ? Bytes{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, hi, lo, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0}
                           : Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, lo, hi, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    Bytes payload = Of(std::string("Exif\0\0", 6));
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    const size_t length = payload.size() + 2;
    Bytes segment{0xFF, 0xE1, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length & 0xFF)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    return segment;
}

// SOI, the segments, then SOS with a little "scan" and EOI.
Bytes Jpeg(const std::vector<Bytes>& segments)
{
    Bytes jpeg{0xFF, 0xD8};
    for (const Bytes& s : segments)
        jpeg.insert(jpeg.end(), s.begin(), s.end());
    const Bytes scan{0xFF, 0xDA, 0, 2, 1, 2, 3, 0xFF, 0xD9};
    jpeg.insert(jpeg.end(), scan.begin(), scan.end());
    return jpeg;
}

const Bytes Jfif{0xFF, 0xE0, 0, 4, 'J', 'F'};
}

TEST(JpegExif, TheOriginalSegmentReplacesTheEncodersWithItsOrientationUpright)
{
    for (bool bigEndian : {false, true})
    {
        const Bytes original = Jpeg({Jfif, ExifSegment(bigEndian)});
        Bytes rewritten = Jpeg({Jfif, ExifSegment(false, 0x010E)});
        ASSERT_TRUE(CarryExifSegment(original, rewritten));

        Bytes upright = ExifSegment(bigEndian);
        ASSERT_TRUE(SetExifOrientationUpright(upright));
        EXPECT_EQ(Jpeg({upright, Jfif}), rewritten);
        Bytes found;
        ASSERT_TRUE(FindExifSegment(rewritten.data(), rewritten.size(), found));
        EXPECT_EQ(upright, found);
        // The value field now holds 1 in the segment's byte order.
        const size_t value = 4 + 6 + 8 + 2 + 8;
        EXPECT_EQ(bigEndian ? 0 : 1, upright[value]);
        EXPECT_EQ(bigEndian ? 1 : 0, upright[value + 1]);
    }
}

TEST(JpegExif, NothingToCarryOrMalformedInputLeavesTheCopyAsItWas)
{
    const Bytes plain = Jpeg({Jfif});
    Bytes cutSegment = Jpeg({ExifSegment(false)});
    cutSegment[5] = 0xF0; // its length runs past the end
    Bytes badTiff = Jpeg({ExifSegment(false)});
    badTiff[4 + 2 + 6] = 'X'; // no byte order mark
    Bytes badCount = Jpeg({ExifSegment(false)});
    badCount[2 + 4 + 6 + 8] = 0x40; // 64 entries in a block of one

    struct Case
    {
        const char* name;
        Bytes original;
        bool result;
    } cases[] = {{"no EXIF", plain, true},
                 {"not a JPEG", Of("GIF89a"), false},
                 {"segment too long", cutSegment, false},
                 {"bad TIFF header", badTiff, false},
                 {"entry count past the end", badCount, false}};
    for (const Case& c : cases)
    {
        Bytes rewritten = plain;
        EXPECT_EQ(c.result, CarryExifSegment(c.original, rewritten)) << c.name;
        EXPECT_EQ(plain, rewritten) << c.name;
    }
    Bytes notJpeg = Of("not a picture");
    EXPECT_FALSE(CarryExifSegment(Jpeg({ExifSegment(false)}), notJpeg));
    EXPECT_EQ(Of("not a picture"), notJpeg);
}
