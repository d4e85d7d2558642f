#include "galleries/Thumbnail.h"

#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/PictureBounds.h"

#include <shlwapi.h>

#include <new>

HBITMAP MakeThumbnail(Gdiplus::Image& image, UINT n)
{
    const UINT width = image.GetWidth(), height = image.GetHeight();
    if (width == 0 || height == 0 || n == 0)
        return nullptr;
    double factor = 1.0;
    if (width > n || height > n)
        factor = std::min(static_cast<double>(n) / width, static_cast<double>(n) / height);
    const INT scaledWidth = static_cast<INT>(width * factor), scaledHeight = static_cast<INT>(height * factor);

    // The thumbnail is drawn straight into the bits of the bitmap handed out
    // (top-down, 32 bits a pixel), with no copy of a GDI+ bitmap after it.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(n);
    info.bmiHeader.biHeight = -static_cast<LONG>(n);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    MBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.Get() || !bits)
        throw std::bad_alloc();
    {
        Gdiplus::Bitmap square(static_cast<INT>(n), static_cast<INT>(n), static_cast<INT>(n) * 4, PixelFormat32bppRGB,
                               static_cast<BYTE*>(bits));
        if (square.GetLastStatus() != Gdiplus::Ok)
            throw std::bad_alloc();
        square.SetResolution(image.GetHorizontalResolution(), image.GetVerticalResolution());
        Gdiplus::Graphics graphics(&square);
        if (graphics.GetLastStatus() != Gdiplus::Ok)
            throw std::bad_alloc();
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        const INT left = (static_cast<INT>(n) - scaledWidth) / 2, top = (static_cast<INT>(n) - scaledHeight) / 2;
        if (graphics.DrawImage(&image, Gdiplus::Rect(left, top, scaledWidth, scaledHeight), 0, 0,
                               static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel) != Gdiplus::Ok)
            return nullptr;
    }
    GdiFlush();
    return bitmap.Detach();
}

HBITMAP MakeResourceThumbnail(HMODULE module, UINT id, UINT n)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), SizeofResource(module, found));
    if (!stream)
        return nullptr;
    HBITMAP bitmap = nullptr;
    {
        Gdiplus::Bitmap picture(stream);
        if (picture.GetLastStatus() == Gdiplus::Ok)
            bitmap = MakeThumbnail(picture, n);
    }
    stream->Release();
    return bitmap;
}

PictureInMemory::PictureInMemory(const wchar_t* path)
{
    MHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
        static_cast<uint64_t>(size.QuadPart) > MaxPictureFileBytes)
        return;
    m_bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file, m_bytes.data(), static_cast<DWORD>(m_bytes.size()), &read, nullptr) || read != m_bytes.size())
    {
        m_bytes.clear();
        return;
    }
    PictureDimensions dimensions;
    if (!ReadPictureDimensions(m_bytes.data(), m_bytes.size(), dimensions))
        return;
    if (dimensions.Pixels() > MaxPicturePixels)
    {
        m_oversized = true;
        return;
    }
    m_stream = SHCreateMemStream(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
    if (m_stream)
        m_image.reset(new Gdiplus::Bitmap(m_stream));
}

PictureInMemory::~PictureInMemory()
{
    m_image.reset();
    if (m_stream)
        m_stream->Release();
}
