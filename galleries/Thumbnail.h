// Square thumbnails of the gallery's file list: the picture scaled to fit an
// n x n square, centred on white, as a GDI bitmap for the image list.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <vector>

// The thumbnail of image at edge length n; the bitmap belongs to the caller.
// Null when GDI+ cannot draw the image. A picture no larger than n is drawn
// at its own size. Throws std::bad_alloc when the drawing surface cannot be
// made.
HBITMAP MakeThumbnail(Gdiplus::Image& image, UINT n);

// The thumbnail of the program's PNG resource id (module: where the artwork
// lives); null when it cannot be read.
HBITMAP MakeResourceThumbnail(HMODULE module, UINT id, UINT n);

// A decoded picture that owns the bytes it was read from: GDI+ reads from its
// stream for the image's whole life, so the file itself stays closed and may
// be replaced while the picture lives. A file longer than a picture may be,
// or whose header declares more pixels than a picture may have, is neither
// read whole nor decoded (foundation/PictureBounds.h).
class PictureInMemory
{
public:
    // Reads the whole file; IsValid() tells whether GDI+ decoded it.
    explicit PictureInMemory(const wchar_t* path);
    PictureInMemory(const PictureInMemory&) = delete;
    PictureInMemory& operator=(const PictureInMemory&) = delete;
    ~PictureInMemory();

    bool IsValid() const { return m_image && m_image->GetLastStatus() == Gdiplus::Ok; }
    // True when the file is a picture too large to decode.
    bool IsOversized() const { return m_oversized; }
    Gdiplus::Image& Image() { return *m_image; }
    Gdiplus::Bitmap& Bitmap() { return *m_image; }
    const std::vector<unsigned char>& Bytes() const { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
    IStream* m_stream = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_image;
    bool m_oversized = false;
};
