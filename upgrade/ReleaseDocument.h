// The server's release document (the reply of "get-cv.aspx"): how a release
// of this product is read from it and compared with the running version.
// The document comes from outside: any failure to read it counts as "no
// newer release".
#pragma once

#include "foundation/Atom.h"
#include "foundation/StringEx.h"

#include <windows.h>

// What one release check found.
struct ReleaseFound
{
    MString serverVersion;
    MString changes;
    MString webPage;
};

// The fixed inputs of a check.
struct ReleaseQuery
{
    // The edition the document is searched for, and the request's agent.
    MString productName;
    // The running program's "ProductVersion".
    MString localVersion;
    // The "Changes" child read: ReleaseChangesLanguage of the user's language.
    MString changesLanguage;
    // Used when the document has no change notes in that language.
    MString defaultChanges;
    // Put in front of a web page given without a scheme.
    MString webPagePrefix;
};

// "Bulgarian" for a language whose primary language is Bulgarian, else
// "English".
MString ReleaseChangesLanguage(LANGID language);

// An address whose query holds the template "get_now=%s" (and no other
// "%") gets the current time and tick count in its place, so that no cache
// on the way answers; any other address comes back unchanged.
MString AddCacheBuster(const MString& address);

// Compares two versions of "."-separated numeric parts, the shorter padded
// with "0" parts. Each part is read from its leading decimal digits (none:
// 0; beyond 64 bits: the largest 64-bit value). Negative, 0 or positive as
// for strcmp.
int CompareReleaseVersions(const MString& first, const MString& second);

// Reads the document's release of the product. True only when it names a
// release newer than the local version; found is filled as far as the
// document was read.
bool ReadReleaseDocument(const MAtom<unsigned char>& document, const ReleaseQuery& query, ReleaseFound& found);

// Fetches the document from address (through AddCacheBuster) and reads it.
// False on any failure of the request or the document.
bool CheckReleaseDocument(const MString& address, const ReleaseQuery& query, ReleaseFound& found);
