// A reader of our own for the first directory (IFD0) of the EXIF block in a
// JPEG file: the orientation and the title tags. GDI+ gives these as
// property items on Windows; where it gives none (Wine's GDI+ reads no EXIF
// from JPEG files) the same values come from here. The bytes come from any
// file on the disk: every offset and count is checked against the block
// before anything is read, and a block that fails a check yields nothing.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <cstddef>
#include <vector>

class ExifBlock
{
public:
    // The block of the JPEG's APP1 "Exif" segment; empty (IsValid false)
    // when the bytes are no JPEG or hold no well-formed block.
    ExifBlock(const void* jpeg, size_t size);

    bool IsValid() const { return m_tiff != nullptr; }

    // The first 16-bit value of a SHORT tag of IFD0.
    bool ReadShort(WORD tag, WORD& value) const;
    // A text tag of IFD0 as GDI+ items are read: an ASCII tag up to its
    // first NUL as UTF-8, a BYTE tag (the "XP" tags) as UTF-16LE, both
    // trimmed; empty when missing or of another type.
    MString ReadText(WORD tag) const;

private:
    struct Entry
    {
        WORD tag;
        WORD type;
        const unsigned char* data; // inside the block
        size_t size;               // bytes
    };

    bool Parse();
    const Entry* Find(WORD tag) const;
    WORD Word(const unsigned char* p) const;
    DWORD Long(const unsigned char* p) const;

    const unsigned char* m_tiff = nullptr;
    size_t m_size = 0;
    bool m_bigEndian = false;
    std::vector<Entry> m_entries;
};
