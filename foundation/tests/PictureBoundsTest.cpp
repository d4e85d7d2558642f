#include "foundation/GdiplusSession.h"
#include "foundation/PictureBounds.h"
#include "foundation/tests/HostileFiles.h"
#include "foundation/tests/TestFiles.h"

#include <objidl.h>

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <vector>

namespace
{
// The bytes GDI+'s own encoder of mimeType writes for a width x height picture.
std::vector<unsigned char> EncodedByGdiplus(const wchar_t* mimeType, INT width, INT height)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    const CLSID* encoder = nullptr;
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(codecs[i].MimeType, mimeType) == 0)
            encoder = &codecs[i].Clsid;
    if (!encoder)
        return {};
    Gdiplus::Bitmap picture(width, height, PixelFormat24bppRGB);
    IStream* stream = SHCreateMemStream(nullptr, 0);
    std::vector<unsigned char> bytes;
    if (picture.Save(stream, encoder, nullptr) == Gdiplus::Ok)
    {
        STATSTG stat = {};
        stream->Stat(&stat, STATFLAG_NONAME);
        bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    }
    stream->Release();
    return bytes;
}

std::vector<unsigned char> JpegWithFrame(uint16_t width, uint16_t height)
{
    // SOI, an APP0 segment to skip, a fill byte, then SOF2 (progressive).
    return {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xFF, 0xC2, 0x00, 0x0B, 0x08,
            static_cast<unsigned char>(height >> 8), static_cast<unsigned char>(height),
            static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(width), 0x01, 0x01, 0x11, 0x00};
}

// An icon file of one entry whose image is the given PNG.
std::vector<unsigned char> IconHolding(const std::vector<unsigned char>& png)
{
    std::vector<unsigned char> icon = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    const auto size = static_cast<uint32_t>(png.size());
    for (int shift = 0; shift < 32; shift += 8)
        icon.push_back(static_cast<unsigned char>(size >> shift));
    icon.insert(icon.end(), {22, 0, 0, 0});
    icon.insert(icon.end(), png.begin(), png.end());
    return icon;
}
}

TEST(PictureBounds, ReadsTheSizeThatGdiplusWroteInEveryFormat)
{
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsStarted());
    for (const wchar_t* type : {L"image/png", L"image/jpeg", L"image/gif", L"image/bmp", L"image/tiff"})
    {
        SCOPED_TRACE(testing::Message() << type);
        const std::vector<unsigned char> bytes = EncodedByGdiplus(type, 37, 23);
        ASSERT_FALSE(bytes.empty());
        PictureDimensions dimensions;
        ASSERT_TRUE(ReadPictureDimensions(bytes.data(), bytes.size(), dimensions));
        EXPECT_EQ(dimensions.width, 37u);
        EXPECT_EQ(dimensions.height, 23u);
        EXPECT_TRUE(PictureHeaderWithinBounds(bytes.data(), bytes.size()));
    }
}

TEST(PictureBounds, RefusesHeadersBeyondTheBoundAndBytesThatAreNoPicture)
{
    const struct
    {
        const char* name;
        std::vector<unsigned char> bytes;
        bool readable;
        uint32_t width, height;
        bool withinBounds;
    } cases[] = {
        {"PNG at the bound", HostileFiles::OversizedPng(15811, 15811), true, 15811, 15811, true},
        {"PNG just past it", HostileFiles::OversizedPng(15812, 15812), true, 15812, 15812, false},
        {"PNG of 30000 x 30000", HostileFiles::OversizedPng(30000, 30000), true, 30000, 30000, false},
        {"PNG of 4294967295 x 1", HostileFiles::OversizedPng(0xFFFFFFFF, 1), true, 0xFFFFFFFF, 1, false},
        {"PNG of zero width", HostileFiles::OversizedPng(0, 10), false, 0, 0, false},
        {"JPEG of 65535 x 65535", JpegWithFrame(65535, 65535), true, 65535, 65535, false},
        {"JPEG of 640 x 480", JpegWithFrame(640, 480), true, 640, 480, true},
        {"JPEG whose height comes later", JpegWithFrame(640, 0), false, 0, 0, false},
        {"icon holding a huge PNG", IconHolding(HostileFiles::OversizedPng(30000, 30000)), true, 30000, 30000,
         false},
        {"GIF of 65535 x 65535", {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}, true, 65535, 65535,
         false},
        {"BMP, bottom-up", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 100, 0, 0, 0, 0x9C, 0xFF,
                            0xFF, 0xFF}, true, 100, 100, true},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, false, 0, 0, false},
        {"empty", {}, false, 0, 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        PictureDimensions dimensions;
        EXPECT_EQ(ReadPictureDimensions(c.bytes.data(), c.bytes.size(), dimensions), c.readable);
        if (c.readable)
        {
            EXPECT_EQ(dimensions.width, c.width);
            EXPECT_EQ(dimensions.height, c.height);
        }
        EXPECT_EQ(PictureHeaderWithinBounds(c.bytes.data(), c.bytes.size()), c.withinBounds);
        // Every header cut short is refused, never read past its end.
        for (size_t cut = 0; cut + 1 < c.bytes.size() && cut < 64; ++cut)
        {
            const std::vector<unsigned char> shortened(c.bytes.begin(), c.bytes.begin() + static_cast<ptrdiff_t>(cut));
            PictureDimensions ignored;
            if (c.readable && ReadPictureDimensions(shortened.data(), shortened.size(), ignored))
            {
                EXPECT_EQ(ignored.Pixels(), dimensions.Pixels()) << "cut at " << cut;
            }
        }
    }
}

TEST(PictureBounds, FileSizeIsJudgedWithoutReadingTheFile)
{
    TestFiles::TempFolder folder;
    const std::wstring huge = folder.File(L"huge.jpg"), small = folder.File(L"small.jpg");
    ASSERT_TRUE(HostileFiles::WriteHugeFile(huge, 5ull * 1024 * 1024 * 1024));
    ASSERT_TRUE(HostileFiles::WriteBytes(small, JpegWithFrame(640, 480)));
    EXPECT_FALSE(FileSizeAtMost(huge.c_str(), MaxPictureFileBytes));
    EXPECT_TRUE(FileSizeAtMost(small.c_str(), MaxPictureFileBytes));
    EXPECT_FALSE(FileSizeAtMost(small.c_str(), 10));
    EXPECT_FALSE(FileSizeAtMost(folder.File(L"missing.jpg").c_str(), MaxPictureFileBytes));
    EXPECT_FALSE(FileSizeAtMost(folder.Path().c_str(), MaxPictureFileBytes));
}
