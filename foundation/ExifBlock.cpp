#include "foundation/ExifBlock.h"


#include <cstring>

namespace
{
constexpr unsigned char MarkerStart = 0xFF;
constexpr unsigned char StartOfImage = 0xD8;
constexpr unsigned char EndOfImage = 0xD9;
constexpr unsigned char StartOfScan = 0xDA;
constexpr unsigned char App1 = 0xE1;
const unsigned char ExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t TiffHeaderSize = 8;
constexpr size_t EntrySize = 12;

constexpr WORD TypeByte = 1;
constexpr WORD TypeAscii = 2;
constexpr WORD TypeShort = 3;
constexpr WORD TypeLong = 4;
constexpr WORD TypeUndefined = 7;

size_t TypeSize(WORD type)
{
    switch (type)
    {
    case TypeByte:
    case TypeAscii:
    case TypeUndefined:
        return 1;
    case TypeShort:
        return 2;
    case TypeLong:
        return 4;
    default:
        return 0; // not read by this reader
    }
}

// Markers without a length field.
bool IsStandalone(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}
}

ExifBlock::ExifBlock(const void* jpeg, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(jpeg);
    if (!bytes || size < 4 || bytes[0] != MarkerStart || bytes[1] != StartOfImage)
        return;
    size_t at = 2;
    while (at + 2 <= size)
    {
        if (bytes[at] != MarkerStart)
            return;
        const unsigned char marker = bytes[at + 1];
        if (marker == MarkerStart)
        {
            ++at; // fill byte
            continue;
        }
        if (marker == StartOfScan || marker == EndOfImage)
            return;
        if (IsStandalone(marker))
        {
            at += 2;
            continue;
        }
        if (at + 4 > size)
            return;
        const size_t length = (static_cast<size_t>(bytes[at + 2]) << 8) | bytes[at + 3];
        if (length < 2 || length > size - at - 2)
            return;
        const unsigned char* segment = bytes + at + 4;
        const size_t segmentSize = length - 2;
        if (marker == App1 && segmentSize >= sizeof(ExifHeader) + TiffHeaderSize &&
            std::memcmp(segment, ExifHeader, sizeof(ExifHeader)) == 0)
        {
            m_tiff = segment + sizeof(ExifHeader);
            m_size = segmentSize - sizeof(ExifHeader);
            if (!Parse())
            {
                m_tiff = nullptr;
                m_size = 0;
                m_entries.clear();
            }
            return;
        }
        at += 2 + length;
    }
}

WORD ExifBlock::Word(const unsigned char* p) const
{
    return m_bigEndian ? static_cast<WORD>((p[0] << 8) | p[1]) : static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD ExifBlock::Long(const unsigned char* p) const
{
    return m_bigEndian ? (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
                             (static_cast<DWORD>(p[2]) << 8) | p[3]
                       : (static_cast<DWORD>(p[3]) << 24) | (static_cast<DWORD>(p[2]) << 16) |
                             (static_cast<DWORD>(p[1]) << 8) | p[0];
}

bool ExifBlock::Parse()
{
    if (m_size < TiffHeaderSize)
        return false;
    if (m_tiff[0] == 'I' && m_tiff[1] == 'I')
        m_bigEndian = false;
    else if (m_tiff[0] == 'M' && m_tiff[1] == 'M')
        m_bigEndian = true;
    else
        return false;
    if (Word(m_tiff + 2) != 42)
        return false;
    const size_t directory = Long(m_tiff + 4);
    if (directory < TiffHeaderSize || directory > m_size || m_size - directory < 2)
        return false;
    const size_t count = Word(m_tiff + directory);
    if (count * EntrySize > m_size - directory - 2)
        return false;
    for (size_t i = 0; i < count; ++i)
    {
        const unsigned char* entry = m_tiff + directory + 2 + i * EntrySize;
        const WORD type = Word(entry + 2);
        const size_t unit = TypeSize(type);
        if (unit == 0)
            continue;
        const size_t values = Long(entry + 4);
        if (values > m_size / unit)
            return false;
        const size_t size = values * unit;
        const unsigned char* data = entry + 8;
        if (size > 4)
        {
            const size_t offset = Long(entry + 8);
            if (offset > m_size || size > m_size - offset)
                return false;
            data = m_tiff + offset;
        }
        m_entries.push_back({Word(entry), type, data, size});
    }
    return true;
}

const ExifBlock::Entry* ExifBlock::Find(WORD tag) const
{
    for (const Entry& entry : m_entries)
        if (entry.tag == tag)
            return &entry;
    return nullptr;
}

bool ExifBlock::ReadShort(WORD tag, WORD& value) const
{
    const Entry* entry = Find(tag);
    if (!entry || entry->type != TypeShort || entry->size < 2)
        return false;
    value = Word(entry->data);
    return true;
}

MString ExifBlock::ReadText(WORD tag) const
{
    const Entry* entry = Find(tag);
    if (!entry)
        return MString();
    if (entry->type == TypeByte)
    {
        if (entry->size % 2 != 0)
            return MString();
        // UTF-16LE whatever the block's byte order, as Windows writes it.
        MString text{ElementCount(entry->size / 2)};
        for (size_t i = 0; i < entry->size / 2; ++i)
            text[i] = static_cast<wchar_t>(entry->data[2 * i] | (entry->data[2 * i + 1] << 8));
        return MString(text.GetText()).Trim();
    }
    if (entry->type == TypeAscii)
    {
        size_t length = 0;
        while (length < entry->size && entry->data[length] != 0)
            ++length;
        MemoryPH<unsigned char> utf8(length);
        if (length)
            std::memcpy(utf8.GetData(), entry->data, length);
        return Utf8ToWideString(utf8).Trim();
    }
    return MString();
}
