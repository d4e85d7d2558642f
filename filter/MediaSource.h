// Where the slide show takes its slides from: the local galleries or the
// online galleries ("Media Source"), and which online gallery was chosen
// ("Selected Online Gallery"). Both live under the program's settings key;
// every access opens the key, touches one value and closes it again.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

extern const wchar_t MediaSourceValueName[];
extern const wchar_t SelectedOnlineGalleryValueName[];
extern const wchar_t OnlineFilterSwitchValueName[];

// The chosen online gallery: the "/"-joined path of gallery names from the
// top of the server's tree, and its language. Unset: empty path, 1033.
struct SelectedOnlineGallery
{
    MStringEx<wchar_t> name;
    DWORD language = 1033;

    void Assign(const MStringEx<wchar_t>& path, DWORD languageId)
    {
        name = path;
        language = languageId;
    }
};

// true: the local galleries (bit 31 of the 4-byte REG_BINARY value); false:
// the online galleries, also when the value is missing. A value of another
// type or size is deleted.
bool ReadMediaSource();
// Writes 0x80000000 (local) or 0; a failed write deletes the value.
void WriteMediaSource(bool local);

// The "Online Filter Switch", stored as "Media Source" is: true when the
// stored online filter goes with every slide request. Missing or damaged
// (deleted on read): off.
bool ReadOnlineFilterSwitch();
// False when the value could not be written (it is then deleted).
bool WriteOnlineFilterSwitch(bool on);

// The stored "%d|%s" text of language and path. A value that is not REG_SZ
// or does not fit 40000 bytes is deleted and the unset choice returned.
SelectedOnlineGallery ReadSelectedOnlineGallery();
// Stores the choice as "%d|%s" of language and path; false (and the value
// deleted) when the write fails.
bool WriteSelectedOnlineGallery(const SelectedOnlineGallery& gallery);
