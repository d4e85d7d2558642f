#include "galleries/ExifOrientation.h"

#include "foundation/ExifBlock.h"

#include <vector>

namespace
{
void Keep(Gdiplus::Status& first, Gdiplus::Status status)
{
    if (first == Gdiplus::Ok && status != Gdiplus::Ok && status != Gdiplus::PropertyNotFound)
        first = status;
}
}

Gdiplus::RotateFlipType RotationForOrientation(unsigned orientation)
{
    switch (orientation)
    {
    case 2:
        return Gdiplus::RotateNoneFlipX;
    case 3:
        return Gdiplus::Rotate180FlipNone;
    case 4:
        return Gdiplus::RotateNoneFlipY;
    case 5:
        return Gdiplus::Rotate90FlipX;
    case 6:
        return Gdiplus::Rotate90FlipNone;
    case 7:
        return Gdiplus::Rotate270FlipX;
    case 8:
        return Gdiplus::Rotate270FlipNone;
    default:
        return Gdiplus::RotateNoneFlipNone;
    }
}

Gdiplus::Status ApplyExifOrientation(Gdiplus::Image& image, const void* fileBytes, size_t size)
{
    Gdiplus::Status status = Gdiplus::Ok;
    const UINT itemSize = image.GetPropertyItemSize(ExifOrientationTag);
    Keep(status, image.GetLastStatus());
    if (itemSize >= sizeof(Gdiplus::PropertyItem))
    {
        std::vector<unsigned char> buffer(itemSize);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        const Gdiplus::Status read = image.GetPropertyItem(ExifOrientationTag, itemSize, item);
        Keep(status, read);
        if (read != Gdiplus::Ok)
            return status;
        // The value lies inside the same buffer; it is read only when it does.
        const auto* value = static_cast<const unsigned char*>(item->value);
        const unsigned char* end = buffer.data() + buffer.size();
        if (item->type == PropertyTagTypeShort && item->length >= 2 && value >= buffer.data() && value + 2 <= end)
        {
            const unsigned orientation = value[0] | (value[1] << 8);
            const Gdiplus::RotateFlipType rotation = RotationForOrientation(orientation);
            if (rotation != Gdiplus::RotateNoneFlipNone)
                Keep(status, image.RotateFlip(rotation));
        }
        Keep(status, image.RemovePropertyItem(ExifOrientationTag));
        return status;
    }
    if (!fileBytes)
        return status;
    WORD orientation = 0;
    if (ExifBlock(fileBytes, size).ReadShort(ExifOrientationTag, orientation))
    {
        const Gdiplus::RotateFlipType rotation = RotationForOrientation(orientation);
        if (rotation != Gdiplus::RotateNoneFlipNone)
            Keep(status, image.RotateFlip(rotation));
    }
    return status;
}
