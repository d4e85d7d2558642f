// The file list's small-image list.
#define SNDMSG ::SendMessageW
#include "galleries/GalleryThumbnails.h"

#include "foundation/GdiOwners.h"
#include "galleries/Thumbnail.h"
#include "resources/window/ProgramResourceIds.h"

#include <algorithm>

bool GalleryThumbnails::Rebuild(HWND list, int size, int itemCount)
{
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, itemCount + 2, 20);
    if (!images)
        return false;
    HIMAGELIST old = ListView_SetImageList(list, images, LVSIL_SMALL);
    if (old)
        ImageList_Destroy(old);
    m_images = images;
    const HMODULE art = GetModuleHandleW(nullptr);
    const UINT ids[3] = {IDP_FILE_THUMBNAIL, IDP_FOLDER_THUMBNAIL, IDP_FAILURE_THUMBNAIL};
    UINT* slots[3] = {&m_icons.file, &m_icons.folder, &m_icons.failure};
    for (int i = 0; i < 3; ++i)
    {
        MBitmap bitmap(MakeResourceThumbnail(art, ids[i], static_cast<UINT>(size)));
        *slots[i] = static_cast<UINT>(std::max(0, ImageList_Add(images, bitmap, nullptr)));
    }
    return true;
}

int GalleryThumbnails::Add(FileItemRecord& record)
{
    if (!record.thumbnail)
        return static_cast<int>(record.icon & 0xFFFFFF);
    const int index = ImageList_Add(m_images, record.thumbnail, nullptr);
    DeleteObject(record.TakeThumbnail());
    return index >= 0 ? index : static_cast<int>(m_icons.failure);
}

void GalleryThumbnails::Replace(UINT image, HBITMAP thumbnail)
{
    ImageList_Replace(m_images, static_cast<int>(image & 0xFFFFFF), thumbnail, nullptr);
}

int GalleryThumbnails::Size() const
{
    int size = 0, height = 0;
    ImageList_GetIconSize(m_images, &size, &height);
    return size;
}

void GalleryThumbnails::Release(HWND list)
{
    HIMAGELIST images = ListView_SetImageList(list, nullptr, LVSIL_SMALL);
    if (images)
        ImageList_Destroy(images);
    m_images = nullptr;
}
