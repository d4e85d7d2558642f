#include "galleries/PictureRotation.h"

#include "foundation/ExifBlock.h"
#include "foundation/Handle.h"
#include "foundation/JpegExif.h"
#include "galleries/ExifOrientation.h"
#include "galleries/Thumbnail.h"
#include "core/WaitDlg.h"

#include <cstdlib>
#include <vector>

namespace
{
constexpr PROPID OrientationTag = 0x0112;

bool EncoderFor(const GUID& format, CLSID& encoder)
{
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].FormatID == format)
        {
            encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

// A uniquely named file beside the picture, deleted unless it was kept.
class TemporaryFile
{
public:
    explicit TemporaryFile(const MString& picture)
    {
        MString folder = picture;
        const wchar_t* text = picture.GetText();
        if (const wchar_t* last = wcsrchr(text, L'\\'))
            folder = picture.Left(static_cast<unsigned __int64>(last - text));
        wchar_t name[MAX_PATH] = {};
        if (GetTempFileNameW(folder.GetText(), L"qrt", 0, name))
            m_path = MString(name);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!m_kept && !m_path.IsEmpty())
            DeleteFileW(m_path.GetText());
    }
    const MString& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    MString m_path;
    bool m_kept = false;
};

bool ReadWholeFile(const MString& path, std::vector<unsigned char>& bytes)
{
    MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
}

bool WriteWholeFile(const MString& path, const std::vector<unsigned char>& bytes)
{
    MHandle file(CreateFileW(path.GetText(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file.IsValid() && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file);
}

// GDI+ keeps no EXIF block of the original when it encodes the turned
// pixels: the original's is put back, its orientation upright.
bool CarryExifInto(const MString& target, const std::vector<unsigned char>& original)
{
    std::vector<unsigned char> rewritten;
    return ReadWholeFile(target, rewritten) && CarryExifSegment(original, rewritten) &&
           WriteWholeFile(target, rewritten);
}
}

namespace
{
// The quality a turned JPEG is encoded at when it cannot be turned without
// loss: the encoder's default loses visibly at every turn.
constexpr ULONG TurnedJpegQuality = 95;
// A JPEG turns without loss when its sides are whole multiples of this
// (the largest block its encoder works in).
constexpr UINT LosslessJpegBlock = 16;

// The EXIF orientation of the picture; 1 (upright) when it has none, 0 when
// GDI+ gives one it cannot read.
unsigned OrientationOf(Gdiplus::Image& image, const std::vector<unsigned char>& bytes)
{
    const UINT size = image.GetPropertyItemSize(ExifOrientationTag);
    if (size >= sizeof(Gdiplus::PropertyItem))
    {
        std::vector<unsigned char> buffer(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (image.GetPropertyItem(ExifOrientationTag, size, item) != Gdiplus::Ok)
            return 0;
        const auto* value = static_cast<const unsigned char*>(item->value);
        if (item->type != PropertyTagTypeShort || item->length < 2 || value < buffer.data() ||
            value + 2 > buffer.data() + buffer.size())
            return 0;
        return value[0] | (value[1] << 8);
    }
    WORD orientation = 1;
    ExifBlock(bytes.data(), bytes.size()).ReadShort(ExifOrientationTag, orientation);
    return orientation;
}

ULONG TransformationFor(Gdiplus::RotateFlipType rotation)
{
    switch (rotation)
    {
    case Gdiplus::Rotate90FlipNone:
        return Gdiplus::EncoderValueTransformRotate90;
    case Gdiplus::Rotate180FlipNone:
        return Gdiplus::EncoderValueTransformRotate180;
    default:
        return Gdiplus::EncoderValueTransformRotate270;
    }
}

// One encoder parameter holding one long value.
struct OneParameter
{
    OneParameter(const GUID& guid, ULONG value) : m_value(value)
    {
        parameters.Count = 1;
        parameters.Parameter[0].Guid = guid;
        parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        parameters.Parameter[0].NumberOfValues = 1;
        parameters.Parameter[0].Value = &m_value;
    }
    OneParameter(const OneParameter&) = delete;
    OneParameter& operator=(const OneParameter&) = delete;

    Gdiplus::EncoderParameters parameters;

private:
    ULONG m_value;
};

// Whether the picture written to path shows what expected shows: a grid of
// pixels compared channel by channel. A turn without loss differs only by
// the decoder's rounding; an encoder that did not turn the picture differs
// in its sides or in its content.
bool FileShows(const MString& path, Gdiplus::Bitmap& expected)
{
    PictureInMemory written(path.GetText());
    if (!written.IsValid())
        return false;
    Gdiplus::Bitmap& saved = written.Bitmap();
    const UINT width = expected.GetWidth(), height = expected.GetHeight();
    if (saved.GetWidth() != width || saved.GetHeight() != height)
        return false;
    constexpr UINT Grid = 8;
    unsigned long difference = 0;
    for (UINT row = 0; row < Grid; ++row)
        for (UINT column = 0; column < Grid; ++column)
        {
            const INT x = static_cast<INT>((2 * column + 1) * width / (2 * Grid));
            const INT y = static_cast<INT>((2 * row + 1) * height / (2 * Grid));
            Gdiplus::Color a, b;
            if (saved.GetPixel(x, y, &a) != Gdiplus::Ok || expected.GetPixel(x, y, &b) != Gdiplus::Ok)
                return false;
            difference += static_cast<unsigned long>(abs(a.GetR() - b.GetR()) + abs(a.GetG() - b.GetG()) +
                                                     abs(a.GetB() - b.GetB()));
        }
    return difference <= Grid * Grid * 3 * 4; // four levels a channel on average
}
}

PictureSaver& PictureSaverForRotation()
{
    static PictureSaver saver = [](Gdiplus::Image& image, const wchar_t* path, const CLSID& encoder,
                                   const Gdiplus::EncoderParameters* parameters) {
        return image.Save(path, &encoder, parameters);
    };
    return saver;
}

RotationResult RotatePictureFile(const MString& path, Gdiplus::RotateFlipType rotation, UINT thumbnailSize,
                                 HBITMAP* thumbnail)
{
    PictureInMemory picture(path.GetText());
    if (!picture.IsValid())
        return RotationResult::Failed;
    Gdiplus::Bitmap& image = picture.Bitmap();
    GUID format = {};
    CLSID encoder = {};
    if (image.GetRawFormat(&format) != Gdiplus::Ok || !EncoderFor(format, encoder))
        return RotationResult::Failed;
    const bool jpeg = format == Gdiplus::ImageFormatJPEG;

    FILETIME written = {};
    {
        MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !GetFileTime(file, nullptr, nullptr, &written))
            return RotationResult::TimeUnread;
    }
    TemporaryFile copy(path);
    if (copy.Path().IsEmpty())
        return RotationResult::Failed;
    const PictureSaver& save = PictureSaverForRotation();

    // An upright JPEG whose sides allow it is turned by its encoder without
    // decoding and encoding its pixels again; it is checked afterwards,
    // since an encoder may ignore the request.
    const bool tryLossless = jpeg && OrientationOf(image, picture.Bytes()) == 1 &&
                             image.GetWidth() % LosslessJpegBlock == 0 && image.GetHeight() % LosslessJpegBlock == 0;
    bool saved = false;
    if (tryLossless)
    {
        const OneParameter transformation(Gdiplus::EncoderTransformation, TransformationFor(rotation));
        saved = save(image, copy.Path().GetText(), encoder, &transformation.parameters) == Gdiplus::Ok;
    }

    // What the user saw is the picture turned by its orientation: that is
    // what the user's turn applies to.
    ApplyExifOrientation(image, picture.Bytes().data(), picture.Bytes().size());
    if (image.RotateFlip(rotation) != Gdiplus::Ok)
        return RotationResult::Failed;
    image.RemovePropertyItem(OrientationTag);

    if (!saved || !FileShows(copy.Path(), image))
    {
        const OneParameter quality(Gdiplus::EncoderQuality, TurnedJpegQuality);
        if (save(image, copy.Path().GetText(), encoder, jpeg ? &quality.parameters : nullptr) != Gdiplus::Ok)
            return RotationResult::Failed;
    }
    if (jpeg && !CarryExifInto(copy.Path(), picture.Bytes()))
        return RotationResult::Failed;
    {
        MHandle file(CreateFileW(copy.Path().GetText(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !SetFileTime(file, nullptr, nullptr, &written))
            return RotationResult::Failed;
    }
    // The new file takes the old one's name, attributes and security.
    if (!ReplaceFileW(path.GetText(), copy.Path().GetText(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr) &&
        !MoveFileExW(copy.Path().GetText(), path.GetText(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return RotationResult::Failed;
    copy.Keep();
    if (thumbnail && thumbnailSize)
        *thumbnail = MakeThumbnail(image, thumbnailSize);
    return RotationResult::Rotated;
}

namespace
{
// Yes, No or Cancel from the user for a read-only picture; Yes when there
// is no wait dialog to ask through.
int AskAboutReadOnly(const RotationJob& job, const MString& path)
{
    if (!job.waitDialog || !*job.waitDialog)
        return IDYES;
    return static_cast<int>(SendMessageW(*job.waitDialog, WaitDlgAsk, reinterpret_cast<WPARAM>(path.GetText()),
                                         MB_YESNOCANCEL | MB_ICONQUESTION));
}
}

void RunRotationJob(RotationJob& job)
{
    for (RotationJob::Picture& picture : job.pictures)
    {
        const DWORD attributes = GetFileAttributesW(picture.path.GetText());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        {
            const int answer = AskAboutReadOnly(job, picture.path);
            if (answer == IDCANCEL)
                return;
            if (answer != IDYES)
                continue;
            SetFileAttributesW(picture.path.GetText(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        HBITMAP thumbnail = nullptr;
        const RotationResult result = RotatePictureFile(picture.path, job.rotation, job.thumbnailSize, &thumbnail);
        if (result == RotationResult::Failed)
            job.failed.push_back(picture.path);
        if (result != RotationResult::Rotated)
            continue;
        *picture.thumbnail.ReleaseForReuse() = thumbnail;
        if (!thumbnail && job.thumbnailSize)
            job.thumbnailFailed = true;
    }
}
