#include "slideshow/ViewerWindows.h"

#include "core/PrivateMessages.h"
#include "viewers/BrowserDlg.h"

ViewerWindows::ViewerWindows() = default;

ViewerWindows::~ViewerWindows() { CloseProperties(); }

bool ViewerWindows::IsViewerOpen()
{
    Lock lock(m_viewerLock);
    return ::IsWindow(m_viewer) != FALSE;
}

void ViewerWindows::CloseViewer(WPARAM value)
{
    Lock lock(m_viewerLock);
    if (::IsWindow(m_viewer))
        ::SendMessageW(m_viewer, WM_CLOSE_REQUEST, value, 0);
}

bool ViewerWindows::IsPropertiesOpen() const { return m_properties && m_properties->IsWindow(); }

bool ViewerWindows::OpenProperties(std::unique_ptr<CBrowserDlg> window, HWND owner)
{
    CloseProperties();
    m_properties = std::move(window);
    if (m_properties->Create(owner))
    {
        m_properties->ShowWindow(SW_SHOW);
        return true;
    }
    m_properties.reset();
    return false;
}

void ViewerWindows::CloseProperties()
{
    if (!m_properties)
        return;
    if (m_properties->IsWindow())
        m_properties->DestroyWindow();
    m_properties.reset();
}
