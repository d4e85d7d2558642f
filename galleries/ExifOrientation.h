// Turning a decoded picture upright by its EXIF orientation (tag 274), as
// every picture of the program is turned before it is shown or made into a
// thumbnail.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstddef>

constexpr PROPID ExifOrientationTag = 274;

// The RotateFlipType that turns a picture of this orientation upright;
// RotateNoneFlipNone for 1 and for values outside 2..8.
Gdiplus::RotateFlipType RotationForOrientation(unsigned orientation);

// Applies the orientation that GDI+ reports for the picture and removes the
// tag. Where GDI+ gives no orientation item (Wine's GDI+ reads none from
// JPEG files), the orientation is read from the EXIF block of fileBytes, the
// bytes the picture was decoded from, when given. Answers the first failing
// GDI+ status, Ok when none (a missing tag is no failure).
Gdiplus::Status ApplyExifOrientation(Gdiplus::Image& image, const void* fileBytes = nullptr, size_t size = 0);
