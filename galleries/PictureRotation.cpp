#include "galleries/PictureRotation.h"

#include "foundation/Handle.h"
#include "foundation/JpegExif.h"
#include "galleries/ExifOrientation.h"
#include "galleries/Thumbnail.h"

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

RotationResult RotatePictureFile(const MString& path, Gdiplus::RotateFlipType rotation, UINT thumbnailSize,
                                 HBITMAP* thumbnail)
{
    PictureInMemory picture(path.GetText());
    if (!picture.IsValid())
        return RotationResult::Failed;
    Gdiplus::Image& image = picture.Image();
    GUID format = {};
    CLSID encoder = {};
    if (image.GetRawFormat(&format) != Gdiplus::Ok || !EncoderFor(format, encoder))
        return RotationResult::Failed;

    // What the user saw is the picture turned by its orientation: that is
    // what the user's turn applies to.
    ApplyExifOrientation(image, picture.Bytes().data(), picture.Bytes().size());
    if (image.RotateFlip(rotation) != Gdiplus::Ok)
        return RotationResult::Failed;
    image.RemovePropertyItem(OrientationTag);

    FILETIME written = {};
    {
        MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !GetFileTime(file, nullptr, nullptr, &written))
            return RotationResult::TimeUnread;
    }
    TemporaryFile copy(path);
    if (copy.Path().IsEmpty() || image.Save(copy.Path().GetText(), &encoder, nullptr) != Gdiplus::Ok)
        return RotationResult::Failed;
    if (format == Gdiplus::ImageFormatJPEG && !CarryExifInto(copy.Path(), picture.Bytes()))
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
