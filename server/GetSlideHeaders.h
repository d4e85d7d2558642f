// The request headers of the slide POST on "get-slide.aspx": the client,
// the gallery and the enumeration wish, then the session's headers.
#pragma once

#include "server/HeaderList.h"
#include "server/OnlineSlideRecord.h"

// The header list in the order the server reads it. clientKeyValue is the
// hex text of the client's public key blob followed by the hex text of the
// request number's three digits. The session's pairs are moved to the end
// (sessionHeaders is left empty). A duplicate name throws
// DictionaryException 2. desktopFolder: where the private-view file is
// looked for (the user's Desktop when empty).
HeaderList BuildGetSlideHeaders(const OnlineSlideRecord& record, const MStringEx<wchar_t>& clientKeyValue,
                                 HeaderList& sessionHeaders, bool advertDue,
                                 const MStringEx<wchar_t>& desktopFolder = MStringEx<wchar_t>());

// "Velmora-LV-Gallery-Name" = hex text of the name's UTF-16 units.
HeaderList::Entry MakeGalleryNameHeader(const MStringEx<wchar_t>& galleryName);
// "Velmora-LV-Gallery-Language" = the LANGID in decimal.
HeaderList::Entry MakeGalleryLanguageHeader(DWORD galleryLanguage);

extern const wchar_t PrivateGalleryViewHeader[];
// Adds the private-view header when the user keeps the private-view file
// "<product> - private gallery view secret.txt" on the Desktop: the hex text
// of its first line of text (at most 2000 bytes, up to the first 0 byte,
// trimmed). Inserted in descending order of names; a list that has it
// already stays as it is. Never fails.
void AddPrivateGalleryViewHeader(HeaderList& headers, const MStringEx<wchar_t>& desktopFolder = MStringEx<wchar_t>());

// The atom holds elements.
bool HasElements(const MAtom<unsigned char>& atom);

// Hex text of a wide text's UTF-16LE units, without the NUL.
MStringEx<wchar_t> HexOfText(const MStringEx<wchar_t>& text);
