#include "galleries/PictureRotation.h"

#include "foundation/Handle.h"
#include "galleries/ExifOrientation.h"
#include "galleries/Thumbnail.h"

#include <vector>

namespace
{
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
    image.RemovePropertyItem(274);

    FILETIME written = {};
    {
        MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !GetFileTime(file, nullptr, nullptr, &written))
            return RotationResult::TimeUnread;
    }
    const MString temporary = path + L".turning";
    if (image.Save(temporary.GetText(), &encoder, nullptr) != Gdiplus::Ok)
    {
        DeleteFileW(temporary.GetText());
        return RotationResult::Failed;
    }
    {
        MHandle file(CreateFileW(temporary.GetText(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !SetFileTime(file, nullptr, nullptr, &written))
        {
            file.Close();
            DeleteFileW(temporary.GetText());
            return RotationResult::Failed;
        }
    }
    // The new file takes the old one's name, attributes and security.
    if (!ReplaceFileW(path.GetText(), temporary.GetText(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr) &&
        !MoveFileExW(temporary.GetText(), path.GetText(), MOVEFILE_REPLACE_EXISTING))
    {
        DeleteFileW(temporary.GetText());
        return RotationResult::Failed;
    }
    if (thumbnail && thumbnailSize)
        *thumbnail = MakeThumbnail(image, thumbnailSize);
    return RotationResult::Rotated;
}
