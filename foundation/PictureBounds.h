// What the program agrees to read into memory and decode as a picture or a
// document.
// Any picture from the server or a gallery may be hostile: a small PNG can
// decompress to gigabytes, a file named .jpg can be gigabytes long. Every
// place that reads or decodes one checks it against these bounds first,
// from the file's size and from the picture's header, before a byte of
// pixels is decoded.
#pragma once

#include <cstddef>
#include <cstdint>

// No photograph reaches this many pixels (a 250 megapixel decoded picture
// already takes a gigabyte of memory).
constexpr uint64_t MaxPicturePixels = 250'000'000;

// The longest file read into memory to be decoded as a picture.
constexpr uint64_t MaxPictureFileBytes = 512ull * 1024 * 1024;

// The longest text, rich-text or web document read into memory.
constexpr uint64_t MaxDocumentFileBytes = 0x20000000;

struct PictureDimensions
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t Pixels() const { return static_cast<uint64_t>(width) * height; }
};

// The width and height that the header of a picture declares, for the
// formats GDI+ decodes (PNG, JPEG, GIF, BMP, TIFF, icons and cursors, EMF,
// placeable WMF). For an icon file, the largest of its images. False when
// the bytes are none of these, the header is cut short or declares no size.
bool ReadPictureDimensions(const void* bytes, size_t size, PictureDimensions& dimensions);

// True when the bytes are a picture whose header declares a size of at most
// MaxPicturePixels: only then may they be given to the decoder.
bool PictureHeaderWithinBounds(const void* bytes, size_t size);

// True when the bytes begin with the signature of a format GDI+ decodes: a
// picture, whatever its header says next.
bool HasPictureSignature(const void* bytes, size_t size);

// The first bytes of a file (up to count), without reading the rest.
bool ReadFileStart(const wchar_t* path, void* bytes, size_t count, size_t& read);

// True when the file exists and is at most maxBytes long; its length is
// read from the file system, not by reading the file.
bool FileSizeAtMost(const wchar_t* path, uint64_t maxBytes);
