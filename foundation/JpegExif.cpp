#include "foundation/JpegExif.h"

#include <cstring>

namespace
{
constexpr unsigned char MarkerPrefix = 0xFF;
constexpr unsigned char StartOfImage = 0xD8;
constexpr unsigned char StartOfScan = 0xDA;
constexpr unsigned char EndOfImage = 0xD9;
constexpr unsigned char App1 = 0xE1;
constexpr unsigned short OrientationTag = 0x0112;
constexpr unsigned short ShortType = 3;
// "Exif" and two NULs open the APP1 payload; the TIFF header follows.
const unsigned char ExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// One segment before the first SOS: its marker and where it lies (marker
// bytes included).
struct Segment
{
    unsigned char marker;
    size_t offset;
    size_t size;
};

// The segments from SOI up to (not including) the first SOS or EOI; false
// when the bytes are no JPEG or a length runs past them.
bool ReadSegments(const unsigned char* jpeg, size_t size, std::vector<Segment>& segments)
{
    if (size < 2 || jpeg[0] != MarkerPrefix || jpeg[1] != StartOfImage)
        return false;
    size_t at = 2;
    while (true)
    {
        if (size - at < 2 || jpeg[at] != MarkerPrefix)
            return false;
        size_t markerAt = at + 1;
        // Fill bytes may stand before a marker.
        while (markerAt < size && jpeg[markerAt] == MarkerPrefix)
            ++markerAt;
        if (markerAt >= size)
            return false;
        const unsigned char marker = jpeg[markerAt];
        if (marker == StartOfScan || marker == EndOfImage)
            return true;
        if (size - markerAt < 3)
            return false;
        const size_t length = (static_cast<size_t>(jpeg[markerAt + 1]) << 8) | jpeg[markerAt + 2];
        if (length < 2 || size - (markerAt + 1) < length)
            return false;
        segments.push_back({marker, at, markerAt + 1 + length - at});
        at = markerAt + 1 + length;
    }
}

bool IsExifSegment(const unsigned char* jpeg, const Segment& segment)
{
    // Marker (2 bytes), length (2) and the header.
    return segment.marker == App1 && segment.size >= 4 + sizeof(ExifHeader) &&
           std::memcmp(jpeg + segment.offset + 4, ExifHeader, sizeof(ExifHeader)) == 0;
}
}

bool FindExifSegment(const unsigned char* jpeg, size_t size, std::vector<unsigned char>& segment)
{
    std::vector<Segment> segments;
    if (!ReadSegments(jpeg, size, segments))
        return false;
    for (const Segment& s : segments)
        if (IsExifSegment(jpeg, s))
        {
            segment.assign(jpeg + s.offset, jpeg + s.offset + s.size);
            return true;
        }
    return false;
}

bool SetExifOrientationUpright(std::vector<unsigned char>& segment)
{
    const size_t tiffAt = 4 + sizeof(ExifHeader);
    if (segment.size() < tiffAt + 8)
        return false;
    unsigned char* tiff = segment.data() + tiffAt;
    const size_t tiffSize = segment.size() - tiffAt;
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else
        return false;
    auto word = [&](size_t at) -> unsigned {
        return bigEndian ? (tiff[at] << 8) | tiff[at + 1] : tiff[at] | (tiff[at + 1] << 8);
    };
    auto dword = [&](size_t at) -> size_t {
        return bigEndian ? (static_cast<size_t>(word(at)) << 16) | word(at + 2)
                         : word(at) | (static_cast<size_t>(word(at + 2)) << 16);
    };
    if (word(2) != 42)
        return false;
    const size_t ifd = dword(4);
    if (ifd > tiffSize || tiffSize - ifd < 2)
        return false;
    const size_t count = word(ifd);
    if ((tiffSize - ifd - 2) / 12 < count)
        return false;
    for (size_t i = 0; i < count; ++i)
    {
        const size_t entry = ifd + 2 + 12 * i;
        if (word(entry) != OrientationTag)
            continue;
        if (word(entry + 2) != ShortType || dword(entry + 4) != 1)
            return false;
        // The value sits in the first two bytes of the value field.
        tiff[entry + 8] = bigEndian ? 0 : 1;
        tiff[entry + 9] = bigEndian ? 1 : 0;
        return true;
    }
    return true;
}

bool CarryExifSegment(const std::vector<unsigned char>& original, std::vector<unsigned char>& rewritten)
{
    std::vector<Segment> originalSegments, rewrittenSegments;
    if (!ReadSegments(original.data(), original.size(), originalSegments) ||
        !ReadSegments(rewritten.data(), rewritten.size(), rewrittenSegments))
        return false;
    std::vector<unsigned char> exif;
    for (const Segment& s : originalSegments)
        if (IsExifSegment(original.data(), s))
        {
            exif.assign(original.data() + s.offset, original.data() + s.offset + s.size);
            break;
        }
    if (exif.empty())
        return true;
    if (!SetExifOrientationUpright(exif))
        return false;

    std::vector<unsigned char> result(rewritten.begin(), rewritten.begin() + 2);
    result.insert(result.end(), exif.begin(), exif.end());
    size_t copied = 2;
    for (const Segment& s : rewrittenSegments)
    {
        if (!IsExifSegment(rewritten.data(), s))
            continue;
        result.insert(result.end(), rewritten.begin() + copied, rewritten.begin() + s.offset);
        copied = s.offset + s.size;
    }
    result.insert(result.end(), rewritten.begin() + copied, rewritten.end());
    rewritten.swap(result);
    return true;
}
