#include "settings/PngResource.h"

Gdiplus::GpBitmap* LoadPngResource(HMODULE module, UINT id)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!found)
        return nullptr;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return nullptr;
    CopyMemory(GlobalLock(copy), data, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream)))
    {
        GlobalFree(copy);
        return nullptr;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok)
        bitmap = nullptr;
    stream->Release();
    return bitmap;
}

namespace
{
// The picture drawn at width x height into a new bitmap of its pixel format.
Gdiplus::GpBitmap* Scaled(Gdiplus::GpBitmap* picture, int width, int height)
{
    using namespace Gdiplus;
    PixelFormat format = PixelFormat32bppARGB;
    DllExports::GdipGetImagePixelFormat(picture, &format);
    GpBitmap* scaled = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &scaled) != Ok || !scaled)
        return nullptr;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipGetImageGraphicsContext(scaled, &graphics) != Ok || !graphics)
    {
        DllExports::GdipDisposeImage(scaled);
        return nullptr;
    }
    DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    const Status drawn = DllExports::GdipDrawImageRectI(graphics, picture, 0, 0, width, height);
    DllExports::GdipDeleteGraphics(graphics);
    if (drawn != Ok)
    {
        DllExports::GdipDisposeImage(scaled);
        return nullptr;
    }
    return scaled;
}
}

HBITMAP PngResourceBitmap(HMODULE module, UINT id, Gdiplus::ARGB background, int width, int height)
{
    using namespace Gdiplus;
    GpBitmap* picture = LoadPngResource(module, id);
    if (!picture)
        return nullptr;
    UINT w = 0, h = 0;
    DllExports::GdipGetImageWidth(picture, &w);
    DllExports::GdipGetImageHeight(picture, &h);
    if (width > 0 && height > 0 && w > 0 && h > 0)
    {
        // The largest size inside width x height with the picture's
        // proportions, in whole numbers: width / height against w / h.
        const unsigned __int64 across = static_cast<unsigned __int64>(width) * h;
        const unsigned __int64 down = static_cast<unsigned __int64>(height) * w;
        const int fitW = across <= down ? width : static_cast<int>(down / h);
        const int fitH = across <= down ? static_cast<int>(across / w) : height;
        GpBitmap* scaled = Scaled(picture, fitW > 0 ? fitW : 1, fitH > 0 ? fitH : 1);
        DllExports::GdipDisposeImage(picture);
        picture = scaled;
        if (!picture)
            return nullptr;
    }
    HBITMAP result = nullptr;
    if (DllExports::GdipCreateHBITMAPFromBitmap(picture, &result, background) != Ok)
        result = nullptr;
    DllExports::GdipDisposeImage(picture);
    return result;
}
