#include "galleries/GalleryEntryCheck.h"

#include "foundation/FolderPath.h"
#include "foundation/ShellHelpers.h"
#include "galleries/MediaProbe.h"
#include "galleries/Thumbnail.h"
#include "resources/languages/LanguageIds.h"

#include <objidl.h>
#include <shlobj.h>

#include <gdiplus.h>

namespace
{
MString ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return MString();
    return MString(path);
}

bool ExtensionIn(const MString& path, std::initializer_list<const wchar_t*> extensions)
{
    const MString extension = ExtensionOf(path);
    for (const wchar_t* candidate : extensions)
        if (EqualsIgnoringCase(extension, MString(candidate)))
            return true;
    return false;
}

// 0: a picture of at least the smallest side; IDS_SCAN_TOO_SMALL: a smaller
// one; IDS_SCAN_NO_THUMBNAIL: one too large to decode; 1: not a picture.
UINT CheckPicture(const MString& path)
{
    PictureInMemory picture(path.GetText());
    if (picture.IsOversized())
        return IDS_SCAN_NO_THUMBNAIL;
    if (!picture.IsValid())
        return 1;
    Gdiplus::Image& image = picture.Image();
    return image.GetWidth() < SmallestPictureSide || image.GetHeight() < SmallestPictureSide ? IDS_SCAN_TOO_SMALL : 0;
}
}

std::vector<ProtectedFolder> ProtectedFolderList()
{
    std::vector<ProtectedFolder> folders;
    const struct
    {
        int csidl;
        UINT message;
    } known[] = {{CSIDL_WINDOWS, IDS_SCAN_WINDOWS_FOLDER},
                 {CSIDL_PROGRAM_FILES, IDS_SCAN_PROGRAMS_FOLDER},
                 {CSIDL_PROGRAM_FILESX86, IDS_SCAN_PROGRAMS_FOLDER}};
    for (const auto& folder : known)
    {
        MString path = ShellFolder(folder.csidl);
        if (!path.IsEmpty())
            folders.push_back({NormalizeFolderPath(path), folder.message});
    }
    return folders;
}

const ProtectedFolder* FindProtectedFolder(const std::vector<ProtectedFolder>& folders, const MString& path)
{
    const MString normalised = NormalizeFolderPath(path);
    for (const ProtectedFolder& folder : folders)
        if (EqualsIgnoringCase(folder.path, normalised))
            return &folder;
    return nullptr;
}

GalleryEntryCheck::GalleryEntryCheck(MediaProbe* media)
    : m_media(media), m_protected(ProtectedFolderList()), m_showHidden(ExplorerShowsHiddenFiles())
{
}

UINT GalleryEntryCheck::Check(const MString& path) const
{
    const DWORD attributes = GetFileAttributesW(path.GetText());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IDS_SCAN_NOT_FOUND;
    if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !m_showHidden)
        return IDS_SCAN_HIDDEN;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        const ProtectedFolder* folder = FindProtectedFolder(m_protected, path);
        return folder ? folder->messageId : 0;
    }
    WIN32_FIND_DATAW found = {};
    const HANDLE find = FindFirstFileW(path.GetText(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return IDS_SCAN_NOT_FOUND;
    FindClose(find);

    const UINT picture = CheckPicture(path);
    if (picture != 1)
        return picture;
    MediaFacts facts;
    if (m_media && m_media->Probe(path, facts) && facts.duration != 0.0)
        return 0;
    if (ExtensionIn(path, {L"htm", L"html", L"mht", L"rtf", L"txt"}))
        return 0;
    return IDS_SCAN_UNSUPPORTED;
}
