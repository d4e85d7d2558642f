// The local galleries in the registry, as far as the controller's commands
// on the current file use them: the gallery in use and the removal of one
// entry. Galleries live below "Local Galleries" of the program's settings
// key, one key per gallery, one REG_SZ value (a GUID name) per entry.
#pragma once

#include "foundation/StringEx.h"

// The REG_SZ "Selected Local Gallery"; empty when it is missing, of another
// type or too long (a bad value is deleted).
MStringEx<wchar_t> ReadSelectedLocalGallery();

// Deletes the gallery's first entry whose path equals path ignoring case;
// true when one was found and deleted.
bool RemoveFileFromLocalGallery(const MStringEx<wchar_t>& name, const MStringEx<wchar_t>& path);
