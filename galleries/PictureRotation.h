// Turning a picture file in place: the picture is read into memory, turned
// upright by its EXIF orientation, then by the user's turn, and written in
// its own format without the orientation tag, never over the open file: to
// a temporary file beside it that then replaces it, with the last-write time
// of the original. When anything fails the original stays as it was. The
// gallery dialog and the tray menu's rotation both save this way.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

enum class RotationResult
{
    Rotated,
    Failed,     // not a picture, no encoder, or the write failed
    TimeUnread, // the last-write time could not be read: left alone
};

// rotation: Rotate90FlipNone, Rotate180FlipNone or Rotate270FlipNone. When
// thumbnailSize is not 0, thumbnail receives the turned picture's thumbnail
// (null when it could not be made).
RotationResult RotatePictureFile(const MString& path, Gdiplus::RotateFlipType rotation, UINT thumbnailSize,
                                 HBITMAP* thumbnail);
