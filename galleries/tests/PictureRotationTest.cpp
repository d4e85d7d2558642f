// Turning picture files in place: the EXIF orientation first, then the
// user's turn; the last-write time kept; the original untouched on failure.
#include "foundation/ExifBlock.h"
#include "galleries/PictureRotation.h"
#include "galleries/tests/GalleryTestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace
{
constexpr int FixtureTurnedJpeg = 911;

std::string Bytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

FILETIME LastWrite(const std::wstring& path)
{
    FILETIME time = {};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return time;
}

void SetLastWrite(const std::wstring& path, FILETIME time)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

bool IsRed(Gdiplus::Color c) { return c.GetR() > 200 && c.GetB() < 60; }
bool IsBlue(Gdiplus::Color c) { return c.GetB() > 200 && c.GetR() < 60; }

// An old time that no write of the test can give.
const FILETIME OldTime = {0x12345600u, 0x01C00000u};

class PictureRotation : public ::testing::Test
{
protected:
    GdiplusSession m_gdiplus;
    GalleryTest::TempTree m_tree;
};
}

TEST_F(PictureRotation, CameraPictureTurnsFromHowItIsSeen)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(FixtureTurnedJpeg), MAKEINTRESOURCEW(10));
    const char* fixture = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::wstring path = m_tree.File(L"camera.jpg", std::string(fixture, SizeofResource(nullptr, found)));
    SetLastWrite(path, OldTime);

    HBITMAP thumbnail = nullptr;
    ASSERT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate90FlipNone, 32, &thumbnail),
              RotationResult::Rotated);
    EXPECT_NE(thumbnail, nullptr);
    DeleteObject(thumbnail);

    // Stored 48 x 32, red left: seen 32 x 48, red on top; a quarter to the
    // right of that is 48 x 32 with red on the right.
    {
        Gdiplus::Bitmap turned(path.c_str());
        ASSERT_EQ(turned.GetWidth(), 48u);
        ASSERT_EQ(turned.GetHeight(), 32u);
        Gdiplus::Color left, right;
        turned.GetPixel(4, 16, &left);
        turned.GetPixel(43, 16, &right);
        EXPECT_TRUE(IsBlue(left));
        EXPECT_TRUE(IsRed(right));
    }
    const std::string bytes = Bytes(path);
    WORD orientation = 1;
    ExifBlock(bytes.data(), bytes.size()).ReadShort(274, orientation);
    EXPECT_EQ(orientation, 1);
    const FILETIME after = LastWrite(path);
    EXPECT_EQ(after.dwLowDateTime, OldTime.dwLowDateTime);
    EXPECT_EQ(after.dwHighDateTime, OldTime.dwHighDateTime);
    EXPECT_EQ(GetFileAttributesW((path + L".turning").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PictureRotation, TiffTurnsHalfWithItsTimeKept)
{
    const std::wstring path = m_tree.At(L"scan.tif");
    ASSERT_TRUE(GalleryTest::WritePicture(path, 40, 30, L"image/tiff"));
    SetLastWrite(path, OldTime);
    ASSERT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate180FlipNone, 0, nullptr), RotationResult::Rotated);
    {
        Gdiplus::Bitmap turned(path.c_str());
        ASSERT_EQ(turned.GetWidth(), 40u);
        Gdiplus::Color left;
        turned.GetPixel(2, 15, &left);
        EXPECT_TRUE(IsBlue(left));
    }
    EXPECT_EQ(LastWrite(path).dwLowDateTime, OldTime.dwLowDateTime);
}

TEST_F(PictureRotation, FailureLeavesTheOriginal)
{
    const std::wstring path = m_tree.File(L"not-a-picture.png", "plain text, no picture");
    EXPECT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate90FlipNone, 0, nullptr), RotationResult::Failed);
    EXPECT_EQ(Bytes(path), "plain text, no picture");
    EXPECT_EQ(GetFileAttributesW((path + L".turning").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RotatePictureFile(MString(m_tree.At(L"missing.png").c_str()), Gdiplus::Rotate90FlipNone, 0, nullptr),
              RotationResult::Failed);
}
