#include "foundation/PictureBounds.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace
{
// Reads of little- and big-endian words that never leave the bytes.
class ByteReader
{
public:
    ByteReader(const void* bytes, size_t size) : m_bytes(static_cast<const unsigned char*>(bytes)), m_size(size) {}

    bool Has(size_t offset, size_t count) const { return offset <= m_size && count <= m_size - offset; }
    bool Matches(size_t offset, const void* text, size_t count) const
    {
        return Has(offset, count) && memcmp(m_bytes + offset, text, count) == 0;
    }
    uint32_t Byte(size_t offset) const { return m_bytes[offset]; }
    uint32_t Le16(size_t offset) const { return Byte(offset) | Byte(offset + 1) << 8; }
    uint32_t Be16(size_t offset) const { return Byte(offset) << 8 | Byte(offset + 1); }
    uint32_t Le32(size_t offset) const { return Le16(offset) | Le16(offset + 2) << 16; }
    uint32_t Be32(size_t offset) const { return Be16(offset) << 16 | Be16(offset + 2); }
    size_t Size() const { return m_size; }

private:
    const unsigned char* m_bytes;
    size_t m_size;
};

bool Found(PictureDimensions& out, uint64_t width, uint64_t height)
{
    if (width == 0 || height == 0 || width > UINT32_MAX || height > UINT32_MAX)
        return false;
    out.width = static_cast<uint32_t>(width);
    out.height = static_cast<uint32_t>(height);
    return true;
}

bool ReadPng(const ByteReader& bytes, size_t at, PictureDimensions& out)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!bytes.Matches(at, signature, sizeof(signature)) || !bytes.Matches(at + 12, "IHDR", 4) ||
        !bytes.Has(at + 16, 8))
        return false;
    return Found(out, bytes.Be32(at + 16), bytes.Be32(at + 20));
}

bool IsJpegFrameMarker(uint32_t marker)
{
    // SOF0..SOF15 less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool ReadJpeg(const ByteReader& bytes, PictureDimensions& out)
{
    if (!bytes.Has(0, 2) || bytes.Byte(0) != 0xFF || bytes.Byte(1) != 0xD8)
        return false;
    size_t at = 2;
    while (bytes.Has(at, 2))
    {
        if (bytes.Byte(at) != 0xFF)
            return false;
        const uint32_t marker = bytes.Byte(at + 1);
        if (marker == 0xFF) // fill byte
        {
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) // no length
        {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end, or scan data before any frame
            return false;
        if (!bytes.Has(at + 2, 2))
            return false;
        const uint32_t length = bytes.Be16(at + 2);
        if (length < 2)
            return false;
        if (IsJpegFrameMarker(marker))
            return bytes.Has(at + 4, 5) && Found(out, bytes.Be16(at + 7), bytes.Be16(at + 5));
        at += 2 + length;
    }
    return false;
}

bool ReadGif(const ByteReader& bytes, PictureDimensions& out)
{
    if (!(bytes.Matches(0, "GIF87a", 6) || bytes.Matches(0, "GIF89a", 6)) || !bytes.Has(6, 4))
        return false;
    return Found(out, bytes.Le16(6), bytes.Le16(8));
}

// A BITMAPINFOHEADER (or BITMAPCOREHEADER) at offset; heightDivisor 2 for
// the bitmaps of an icon, whose height counts the mask too.
bool ReadDibHeader(const ByteReader& bytes, size_t at, uint32_t heightDivisor, PictureDimensions& out)
{
    if (!bytes.Has(at, 4))
        return false;
    const uint32_t headerSize = bytes.Le32(at);
    if (headerSize == 12)
        return bytes.Has(at, 12) && Found(out, bytes.Le16(at + 4), bytes.Le16(at + 6) / heightDivisor);
    // BITMAPINFOHEADER and its successors up to BITMAPV5HEADER (124 bytes).
    if (headerSize < 16 || headerSize > 124 || !bytes.Has(at, 12))
        return false;
    const auto width = static_cast<int32_t>(bytes.Le32(at + 4));
    const auto height = static_cast<int32_t>(bytes.Le32(at + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    return Found(out, static_cast<uint64_t>(width), static_cast<uint64_t>(height < 0 ? -height : height) / heightDivisor);
}

bool ReadBmp(const ByteReader& bytes, PictureDimensions& out)
{
    return bytes.Matches(0, "BM", 2) && ReadDibHeader(bytes, 14, 1, out);
}

bool ReadTiff(const ByteReader& bytes, PictureDimensions& out)
{
    const bool little = bytes.Matches(0, "II\x2A\x00", 4);
    if (!little && !bytes.Matches(0, "MM\x00\x2A", 4))
        return false;
    auto u16 = [&](size_t at) { return little ? bytes.Le16(at) : bytes.Be16(at); };
    auto u32 = [&](size_t at) { return little ? bytes.Le32(at) : bytes.Be32(at); };
    if (!bytes.Has(4, 4))
        return false;
    const size_t directory = u32(4);
    if (!bytes.Has(directory, 2))
        return false;
    const size_t count = u16(directory);
    uint64_t width = 0, height = 0;
    for (size_t i = 0; i < count; ++i)
    {
        const size_t entry = directory + 2 + i * 12;
        if (!bytes.Has(entry, 12))
            return false;
        const uint32_t tag = u16(entry), type = u16(entry + 2);
        uint64_t value = 0;
        if (type == 3) // SHORT: left-justified in the value field
            value = u16(entry + 8);
        else if (type == 4) // LONG
            value = u32(entry + 8);
        else
            continue;
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
    }
    return Found(out, width, height);
}

// Icons and cursors: the largest image of the directory, measured from its
// own PNG or bitmap header where that lies in the file (the directory's
// byte-sized entries cannot say more than 256).
bool ReadIcon(const ByteReader& bytes, PictureDimensions& out)
{
    if (!bytes.Has(0, 6) || bytes.Le16(0) != 0 || (bytes.Le16(2) != 1 && bytes.Le16(2) != 2))
        return false;
    const size_t count = bytes.Le16(4);
    if (count == 0)
        return false;
    PictureDimensions largest;
    for (size_t i = 0; i < count; ++i)
    {
        const size_t entry = 6 + i * 16;
        if (!bytes.Has(entry, 16))
            return false;
        // An image whose bytes run past the file is refused with its file.
        const size_t length = bytes.Le32(entry + 8), offset = bytes.Le32(entry + 12);
        if (!bytes.Has(offset, length))
            return false;
        PictureDimensions image;
        if (!ReadPng(bytes, offset, image) && !ReadDibHeader(bytes, offset, 2, image))
        {
            image.width = bytes.Byte(entry) ? bytes.Byte(entry) : 256;
            image.height = bytes.Byte(entry + 1) ? bytes.Byte(entry + 1) : 256;
        }
        if (image.Pixels() > largest.Pixels())
            largest = image;
    }
    return Found(out, largest.width, largest.height);
}

// An enhanced metafile drawn into a bitmap at its bounds in device pixels,
// or at its frame (hundredths of a millimetre) at 96 dots an inch,
// whichever is larger.
bool ReadEmf(const ByteReader& bytes, PictureDimensions& out)
{
    if (!bytes.Has(0, 44) || bytes.Le32(0) != 1 || bytes.Le32(40) != 0x464D4520)
        return false;
    auto span = [&](size_t low, size_t high) {
        const int64_t extent =
            static_cast<int64_t>(static_cast<int32_t>(bytes.Le32(high))) - static_cast<int32_t>(bytes.Le32(low));
        return static_cast<uint64_t>(extent < 0 ? -extent : extent) + 1;
    };
    const uint64_t width = std::max(span(8, 16), span(24, 32) * 96 / 2540);
    const uint64_t height = std::max(span(12, 20), span(28, 36) * 96 / 2540);
    return Found(out, width, height);
}

// A placeable metafile: its box in units of which "inch" make an inch, at
// 96 dots an inch. A metafile without that header declares no size.
bool ReadPlaceableWmf(const ByteReader& bytes, PictureDimensions& out)
{
    if (!bytes.Has(0, 22) || bytes.Le32(0) != 0x9AC6CDD7)
        return false;
    const uint32_t inch = bytes.Le16(14);
    if (inch == 0)
        return false;
    auto span = [&](size_t low, size_t high) {
        const int32_t extent = static_cast<int16_t>(bytes.Le16(high)) - static_cast<int16_t>(bytes.Le16(low));
        return static_cast<uint64_t>(extent < 0 ? -extent : extent) * 96 / inch;
    };
    return Found(out, span(6, 10), span(8, 12));
}
}

bool ReadPictureDimensions(const void* bytes, size_t size, PictureDimensions& dimensions)
{
    if (!bytes)
        return false;
    const ByteReader reader(bytes, size);
    PictureDimensions found;
    if (ReadPng(reader, 0, found) || ReadJpeg(reader, found) || ReadGif(reader, found) || ReadBmp(reader, found) ||
        ReadTiff(reader, found) || ReadIcon(reader, found) || ReadEmf(reader, found) || ReadPlaceableWmf(reader, found))
    {
        dimensions = found;
        return true;
    }
    return false;
}

bool PictureHeaderWithinBounds(const void* bytes, size_t size)
{
    PictureDimensions dimensions;
    return ReadPictureDimensions(bytes, size, dimensions) && dimensions.Pixels() <= MaxPicturePixels;
}

bool FileSizeAtMost(const wchar_t* path, uint64_t maxBytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const uint64_t size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return size <= maxBytes;
}

bool HasPictureSignature(const void* bytes, size_t size)
{
    if (!bytes)
        return false;
    const ByteReader reader(bytes, size);
    static const unsigned char png[] = {0x89, 'P', 'N', 'G'}, jpeg[] = {0xFF, 0xD8, 0xFF},
                               icon[] = {0, 0, 1, 0}, cursor[] = {0, 0, 2, 0}, wmf[] = {0xD7, 0xCD, 0xC6, 0x9A};
    return reader.Matches(0, png, 4) || reader.Matches(0, jpeg, 3) || reader.Matches(0, "GIF8", 4) ||
           reader.Matches(0, "BM", 2) || reader.Matches(0, "II\x2A\x00", 4) || reader.Matches(0, "MM\x00\x2A", 4) ||
           reader.Matches(0, icon, 4) || reader.Matches(0, cursor, 4) || reader.Matches(0, wmf, 4) ||
           (reader.Has(40, 4) && reader.Le32(0) == 1 && reader.Le32(40) == 0x464D4520);
}

bool ReadFileStart(const wchar_t* path, void* bytes, size_t count, size_t& read)
{
    read = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    const bool ok = ReadFile(file, bytes, static_cast<DWORD>(std::min<size_t>(count, 0x10000)), &got, nullptr) != 0;
    CloseHandle(file);
    read = got;
    return ok;
}
