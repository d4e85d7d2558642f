// Turning a picture file in place: the picture is read into memory, turned
// upright by its EXIF orientation, then by the user's turn, and written in
// its own format without the orientation tag (an upright JPEG whose sides
// are whole blocks is turned by its encoder without loss, any other JPEG is
// encoded at a high quality), never over the open file: to
// a temporary file beside it that then replaces it, with the last-write time
// of the original. When anything fails the original stays as it was. The
// gallery dialog and the tray menu's rotation both save this way.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <deque>
#include <functional>
#include <vector>

enum class RotationResult
{
    Rotated,
    Failed,     // not a picture, no encoder, or the write failed
    TimeUnread, // the last-write time could not be read: left alone
};

// How a turned picture is written to a file: GDI+'s encoder, which tests
// replace to see the encoder parameters.
using PictureSaver = std::function<Gdiplus::Status(Gdiplus::Image& image, const wchar_t* path, const CLSID& encoder,
                                                   const Gdiplus::EncoderParameters* parameters)>;
PictureSaver& PictureSaverForRotation();

// rotation: Rotate90FlipNone, Rotate180FlipNone or Rotate270FlipNone. When
// thumbnailSize is not 0, thumbnail receives the turned picture's thumbnail
// (null when it could not be made).
RotationResult RotatePictureFile(const MString& path, Gdiplus::RotateFlipType rotation, UINT thumbnailSize,
                                 HBITMAP* thumbnail);

// One turn of the pictures selected in the gallery dialog, done by a worker
// while the wait dialog shows. The dialog builds it, runs the wait dialog,
// waits for the worker and then reads the outcome.
struct RotationJob
{
    struct Picture
    {
        int item = 0;            // the list item
        MString path;
        UINT image = 0;          // the item's image-list index
        MBitmap thumbnail;       // the turned picture's, once made
    };

    // The wait dialog's window: it asks the read-only question.
    const HWND* waitDialog = nullptr;
    Gdiplus::RotateFlipType rotation = Gdiplus::Rotate90FlipNone;
    UINT thumbnailSize = 0;
    std::deque<Picture> pictures;  // filled with emplace_back: a bitmap owner is not moved
    std::vector<MString> failed;  // pictures that could not be turned or saved
    bool thumbnailFailed = false; // a turned picture's thumbnail could not be made
};

// The worker's work: each picture turned in order. A read-only picture is
// turned only when the user answers Yes through the wait dialog; No skips
// it, Cancel stops the rest. The caller ends the wait dialog.
void RunRotationJob(RotationJob& job);
