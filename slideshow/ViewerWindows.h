// The windows the main window opens over the current slide: the viewer (in
// a slot that the viewer fills itself while it is open, under its lock) and
// the modeless slide-properties window.
#pragma once

#include "foundation/Sync.h"
#include "viewers/ViewerSlot.h"

#include <windows.h>

#include <memory>

class CBrowserDlg;

class ViewerWindows
{
public:
    ViewerWindows();
    ViewerWindows(const ViewerWindows&) = delete;
    ViewerWindows& operator=(const ViewerWindows&) = delete;
    ~ViewerWindows();

    // The slot a viewer fills while it is open.
    ViewerSlot Slot() { return ViewerSlot{&m_viewerLock, &m_viewer}; }
    bool IsViewerOpen();
    // Under the viewer lock: WM_CLOSE_REQUEST with value to the open viewer.
    void CloseViewer(WPARAM value);

    // A slide-properties window was made (its object at least).
    bool HasProperties() const { return m_properties != nullptr; }
    bool IsPropertiesOpen() const;
    // The window becomes the slide-properties window, shown over owner;
    // false when it could not be made.
    bool OpenProperties(std::unique_ptr<CBrowserDlg> window, HWND owner);
    // Closes and deletes the slide-properties window when one is open.
    void CloseProperties();

private:
    CriticalSection m_viewerLock;
    HWND m_viewer = nullptr;
    std::unique_ptr<CBrowserDlg> m_properties;
};
