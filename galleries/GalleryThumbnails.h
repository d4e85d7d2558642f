// The file list's small-image list: the thumbnails the scan makes, after the
// three fall-back icons (file, folder, failure) at the current size.
#pragma once

#include "galleries/GalleryScan.h"

#include <windows.h>

#include <commctrl.h>

class GalleryThumbnails
{
public:
    GalleryThumbnails() = default;
    GalleryThumbnails(const GalleryThumbnails&) = delete;
    GalleryThumbnails& operator=(const GalleryThumbnails&) = delete;

    // A new image list of size x size for list, room for itemCount items,
    // with the fall-back icons; the list's earlier one is destroyed. False
    // (nothing changed) when no image list can be made.
    bool Rebuild(HWND list, int size, int itemCount);
    // Takes the record's thumbnail into the list; the image index for its
    // item (its icon when it has none, the failure icon when it cannot be added).
    int Add(FileItemRecord& record);
    void Replace(UINT image, HBITMAP thumbnail);
    // The edge length of the images now.
    int Size() const;
    const FallbackIcons& Icons() const { return m_icons; }
    // Takes the image list off list and destroys it (the dialog goes).
    void Release(HWND list);

private:
    HIMAGELIST m_images = nullptr;
    FallbackIcons m_icons;
};
