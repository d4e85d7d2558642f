// Turning picture files in place: the EXIF orientation first, then the
// user's turn; a JPEG turned without loss where it can be, else at high
// quality; the last-write time kept; the original untouched on failure.
#include "foundation/ExifBlock.h"
#include "foundation/tests/HostileFiles.h"
#include "galleries/PictureRotation.h"
#include "galleries/tests/GalleryTestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

namespace
{
// The encoder parameters of every save, recorded while the real encoder
// writes the file.
struct RecordedSave
{
    bool jpegQuality = false;
    ULONG quality = 0;
    bool transformation = false;
    ULONG transform = 0;
    bool parameters = false;
};

class RecordingSaver
{
public:
    RecordingSaver() : m_real(PictureSaverForRotation())
    {
        PictureSaverForRotation() = [this](Gdiplus::Image& image, const wchar_t* path, const CLSID& encoder,
                                           const Gdiplus::EncoderParameters* parameters) {
            RecordedSave save;
            save.parameters = parameters != nullptr;
            for (UINT i = 0; parameters && i < parameters->Count; ++i)
            {
                const Gdiplus::EncoderParameter& p = parameters->Parameter[i];
                const ULONG value = p.NumberOfValues == 1 ? *static_cast<const ULONG*>(p.Value) : 0;
                if (p.Guid == Gdiplus::EncoderQuality)
                {
                    save.jpegQuality = true;
                    save.quality = value;
                }
                if (p.Guid == Gdiplus::EncoderTransformation)
                {
                    save.transformation = true;
                    save.transform = value;
                }
            }
            saves.push_back(save);
            return m_real(image, path, encoder, parameters);
        };
    }
    RecordingSaver(const RecordingSaver&) = delete;
    RecordingSaver& operator=(const RecordingSaver&) = delete;
    ~RecordingSaver() { PictureSaverForRotation() = m_real; }

    std::vector<RecordedSave> saves;

private:
    PictureSaver m_real;
};

// Whether this GDI+ turns a JPEG when asked through EncoderTransformation.
bool EncoderTurnsJpegs(const std::wstring& folder)
{
    const std::wstring path = folder + L"\\probe.jpg";
    if (!GalleryTest::WritePicture(path, 32, 16, L"image/jpeg"))
        return false;
    Gdiplus::Image picture(path.c_str());
    CLSID encoder;
    GalleryTest::EncoderOf(L"image/jpeg", encoder);
    ULONG value = Gdiplus::EncoderValueTransformRotate90;
    Gdiplus::EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0] = {Gdiplus::EncoderTransformation, 1, Gdiplus::EncoderParameterValueTypeLong, &value};
    const std::wstring turned = folder + L"\\probe-turned.jpg";
    if (picture.Save(turned.c_str(), &encoder, &parameters) != Gdiplus::Ok)
        return false;
    Gdiplus::Image check(turned.c_str());
    return check.GetWidth() == 16;
}

std::vector<Gdiplus::ARGB> Pixels(const std::wstring& path)
{
    Gdiplus::Bitmap picture(path.c_str());
    std::vector<Gdiplus::ARGB> pixels;
    for (UINT y = 0; y < picture.GetHeight(); ++y)
        for (UINT x = 0; x < picture.GetWidth(); ++x)
        {
            Gdiplus::Color c;
            picture.GetPixel(static_cast<INT>(x), static_cast<INT>(y), &c);
            pixels.push_back(c.GetValue());
        }
    return pixels;
}
}

TEST_F(PictureRotation, AJpegIsTurnedWithoutLossWhereItsSidesAllowAndElseAtHighQuality)
{
    const struct
    {
        const wchar_t* name;
        int width, height;
        Gdiplus::RotateFlipType rotation;
        bool lossless;
        ULONG transform;
    } cases[] = {
        {L"whole blocks.jpg", 64, 32, Gdiplus::Rotate90FlipNone, true, Gdiplus::EncoderValueTransformRotate90},
        {L"whole blocks half.jpg", 48, 32, Gdiplus::Rotate180FlipNone, true, Gdiplus::EncoderValueTransformRotate180},
        {L"whole blocks left.jpg", 32, 48, Gdiplus::Rotate270FlipNone, true, Gdiplus::EncoderValueTransformRotate270},
        {L"odd sides.jpg", 50, 30, Gdiplus::Rotate90FlipNone, false, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.name);
        const std::wstring path = m_tree.At(c.name);
        ASSERT_TRUE(GalleryTest::WritePicture(path, c.width, c.height, L"image/jpeg"));
        RecordingSaver recorder;
        ASSERT_EQ(RotatePictureFile(MString(path.c_str()), c.rotation, 0, nullptr), RotationResult::Rotated);
        ASSERT_FALSE(recorder.saves.empty());
        // Without loss: the first save asks the encoder to turn the picture.
        EXPECT_EQ(recorder.saves.front().transformation, c.lossless);
        if (c.lossless)
        {
            EXPECT_EQ(recorder.saves.front().transform, c.transform);
        }
        // Any save that encodes the turned pixels asks for high quality.
        for (size_t i = c.lossless ? 1 : 0; i < recorder.saves.size(); ++i)
        {
            EXPECT_TRUE(recorder.saves[i].jpegQuality);
            EXPECT_GE(recorder.saves[i].quality, 95u);
        }
        // Whatever the encoder did with the request, the file is turned.
        Gdiplus::Bitmap turned(path.c_str());
        const bool quarter = c.rotation != Gdiplus::Rotate180FlipNone;
        EXPECT_EQ(turned.GetWidth(), static_cast<UINT>(quarter ? c.height : c.width));
        EXPECT_EQ(turned.GetHeight(), static_cast<UINT>(quarter ? c.width : c.height));
        Gdiplus::Color corner;
        turned.GetPixel(1, 1, &corner);
        // Red was on the left: a quarter to the right puts it on top, a
        // half or a quarter to the left puts blue in the top-left corner.
        EXPECT_EQ(IsRed(corner), c.rotation == Gdiplus::Rotate90FlipNone);
    }
    // Other formats are written as their encoder writes them.
    const std::wstring png = m_tree.At(L"drawing.png");
    ASSERT_TRUE(GalleryTest::WritePicture(png, 64, 32));
    RecordingSaver recorder;
    ASSERT_EQ(RotatePictureFile(MString(png.c_str()), Gdiplus::Rotate90FlipNone, 0, nullptr), RotationResult::Rotated);
    ASSERT_EQ(recorder.saves.size(), 1u);
    EXPECT_FALSE(recorder.saves.front().parameters);
}

TEST_F(PictureRotation, ATurnAndItsReverseLeaveAJpegsPixelsWhereItTurnsWithoutLoss)
{
    if (!EncoderTurnsJpegs(m_tree.Path()))
        GTEST_SKIP() << "this GDI+ ignores EncoderTransformation: no JPEG turns without loss here";
    const std::wstring path = m_tree.At(L"photo.jpg");
    ASSERT_TRUE(GalleryTest::WritePicture(path, 64, 48, L"image/jpeg"));
    const std::vector<Gdiplus::ARGB> before = Pixels(path);
    ASSERT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate90FlipNone, 0, nullptr), RotationResult::Rotated);
    ASSERT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate270FlipNone, 0, nullptr), RotationResult::Rotated);
    EXPECT_EQ(Pixels(path), before);
}

TEST_F(PictureRotation, APictureTooLargeToDecodeIsLeftAsItIs)
{
    // A real PNG of 16384 x 16384 pixels (a gigabyte decoded, in 7 MB),
    // just past the bound: never decoded.
    const std::vector<unsigned char> bomb = HostileFiles::DecompressionBombPng(16384, 16384);
    const std::wstring path = m_tree.At(L"bomb.png");
    ASSERT_TRUE(HostileFiles::WriteBytes(path, bomb));
    const uint64_t peakBefore = HostileFiles::PeakMemoryBytes();
    EXPECT_EQ(RotatePictureFile(MString(path.c_str()), Gdiplus::Rotate90FlipNone, 32, nullptr), RotationResult::Failed);
    EXPECT_LT(HostileFiles::PeakMemoryBytes() - peakBefore, 256ull * 1024 * 1024);
    EXPECT_TRUE(Bytes(path) == std::string(bomb.begin(), bomb.end())); // unchanged (too long to print)
}
