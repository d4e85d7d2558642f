// The headers of one server request: unique names in the order they were
// added, and the text block WinINet takes.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"

class HeaderList : public Dictionary<MStringEx<wchar_t>, MStringEx<wchar_t>>
{
public:
    // Appends name and value; a name already present throws
    // DictionaryException 2 and leaves the list as it was.
    void Add(const MStringEx<wchar_t>& name, const MStringEx<wchar_t>& value);

    // "name:value" lines joined by CRLF, no space after the colon and no
    // CRLF after the last line; empty for an empty list.
    MStringEx<wchar_t> HeaderBlock() const;
};

// Clears target, then appends a copy of every pair of source in order.
void CopyHeaderList(HeaderList& target, const HeaderList& source);

// Two upper-case hexadecimal digits per byte: how binary values travel in
// header values.
MStringEx<wchar_t> HexHeaderValue(const MAtom<unsigned char>& bytes);
