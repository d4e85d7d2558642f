// PNG artwork from a module's resources (type "PNG") decoded with GDI+.
#pragma once

#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

// The decoded picture, owned by the caller (GdipDisposeImage); null when the
// resource is missing or cannot be decoded.
Gdiplus::GpBitmap* LoadPngResource(HMODULE module, UINT id);

// The picture as a GDI bitmap on the background colour (0xAARRGGBB), scaled
// to the largest size that fits width x height with its proportions kept
// (never scaled when either is 0); null on any failure.
HBITMAP PngResourceBitmap(HMODULE module, UINT id, Gdiplus::ARGB background, int width = 0, int height = 0);
