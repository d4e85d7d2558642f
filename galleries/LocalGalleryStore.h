// The local galleries in the registry. Galleries live below "Local
// Galleries" of the program's settings key, one key per gallery (named after
// the gallery), one REG_SZ value per entry: a GUID value name and the
// entry's full path. "Selected Local Gallery" names the gallery in use.
// Every function opens the key it needs and closes it before it returns.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

class GalleryEntryCheck;

// The names of all galleries, in ascending order of UTF-16 code units.
void ListLocalGalleries(std::vector<MString>& names);

// The REG_SZ "Selected Local Gallery"; empty when it is missing, of another
// type or too long (a bad value is deleted).
MString ReadSelectedLocalGallery();

// Stores name as the gallery in use. An empty name writes nothing. A
// failure is reported to the user (owner's message box) and answers false.
bool WriteSelectedLocalGallery(HWND owner, const MString& name);

// Deletes "Selected Local Gallery" (its gallery was deleted).
void ClearSelectedLocalGallery();

// The entries of the named gallery: normalised paths, no two equal ignoring
// case, none below another entry, none a protected folder, sorted ascending
// ignoring case. Bad values met on the way are deleted. When the gallery's
// key cannot be opened, paths is left as it was.
void LoadLocalGalleryFiles(const MString& name, std::vector<MString>& paths);

// Outcome of a save.
struct GallerySave
{
    bool saved = false;
    // The position of the first entry that failed its check, or -1.
    ptrdiff_t firstFailure = -1;
};

// Checks every entry and rewrites the gallery: entries that stay keep their
// value names, new ones get fresh GUIDs, the others are deleted. Nothing is
// written when any entry fails its check. A registry failure is reported to
// the user and the save answers false. With showErrors clear no message is
// shown.
GallerySave SaveLocalGalleryFiles(HWND owner, const MString& name, const std::vector<MString>& paths,
                                  bool showErrors, const GalleryEntryCheck& check);

// Deletes the gallery's first entry whose path equals path ignoring case;
// true when one was found and deleted.
bool RemoveFileFromLocalGallery(const MString& name, const MString& path);

// Where the store's messages go; the default is LocalizedMessageBox with the
// program's caption. Tests record them instead.
using GalleryStoreReporter = void (*)(HWND owner, const MString& text);
void SetGalleryStoreReporter(GalleryStoreReporter reporter);
