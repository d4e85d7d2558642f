// The check a gallery entry must pass before the gallery is saved: the path
// still exists, is not hidden while Explorer hides hidden files, is not one
// of the system's protected folders, and a file opens as a picture, a media
// file, a web page or a text document.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

class MediaProbe;

// A folder that no gallery may hold, with the message that says why.
struct ProtectedFolder
{
    MString path;
    UINT messageId;
};

// The Windows folder and both program-files folders, as the shell reports them.
std::vector<ProtectedFolder> ProtectedFolderList();

// The protected folder the path names (after normalising both, ignoring
// case), or nullptr.
const ProtectedFolder* FindProtectedFolder(const std::vector<ProtectedFolder>& folders, const MString& path);

// Pictures smaller than this in either direction are refused.
constexpr UINT SmallestPictureSide = 24;

class GalleryEntryCheck
{
public:
    // media may be null: then no file counts as media.
    explicit GalleryEntryCheck(MediaProbe* media);

    // 0 when the entry may stay in the gallery, else the id of the message
    // that says why not.
    UINT Check(const MString& path) const;

private:
    MediaProbe* m_media;
    std::vector<ProtectedFolder> m_protected;
    bool m_showHidden;
};
