// The main window opens the current slide in the viewer of its kind, as a
// modal dialog that it owns.
#include "slideshow/LumivaneDlg.h"

#include "foundation/AtomPersistence.h"
#include "foundation/SmartPtr.h"
#include "shell/core/PrivateMessages.h"
#include "slideshow/ViewerChoice.h"
#include "viewers/RichTextDlg.h"
#include "viewers/ShowLargePhotoDlg.h"

#include <windowsx.h>

namespace
{
const wchar_t RichEditLibrary[] = L"Riched20.dll";
}

LRESULT CLumivaneDlg::OnOpenViewer(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // In the window modes the main window comes to the top while a viewer
    // is open, and leaves the top when none is open any more.
    const bool windowMode = !ModeIsTopmost(GetOperationMode());
    if (windowMode)
        SendMessage(WM_SET_TOPMOST, 1, 0);
    const POINT anchor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const bool online = m_currentSlideKind == OnlinePicture || m_currentSlideKind == OnlineMedia ||
                        m_currentSlideKind == OnlineDocument;
    if (online && m_link->advertStats && !m_currentSlideId.IsEmpty())
        m_link->advertStats->CountSlideEvent(m_currentSlideId, false, true, false);
    OpenViewer(ViewerForSlide(m_currentSlideKind), anchor);
    if (windowMode)
    {
        bool viewerOpen;
        {
            CriticalSectionGuard lock(m_viewerLock);
            viewerOpen = ::IsWindow(m_viewer) != FALSE;
        }
        if (!viewerOpen)
            SendMessage(WM_SET_TOPMOST, 0, 0);
    }
    return 0;
}

void CLumivaneDlg::OpenViewer(SlideViewer viewer, POINT anchor)
{
    const ViewerSlot slot{&m_viewerLock, &m_viewer};
    switch (viewer)
    {
    case SlideViewer::Photo:
    case SlideViewer::PhotoWithAdverts:
    {
        Gdiplus::Bitmap* picture = m_frames.FullSizeFrame();
        if (!picture)
            throw MSmartPtrError();
        CShowLargePhotoDlg photo(anchor, m_settings.largePhotoCaption, m_currentSlideTitle, MString(), picture, slot,
                                 m_hWnd, m_waitingForOnline != 0, viewer != SlideViewer::PhotoWithAdverts,
                                 m_link->overlayAdverts, m_link->overlayContext, m_controllerWindow->load());
        photo.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::RichText:
    {
        AtomDetail::LoadedModule richEdit(RichEditLibrary);
        if (!richEdit.Get())
        {
            MessageBoxW(GetDesktopWindow(),
                        MString(sX::Format(), IDS_VIEWER_LIBRARY_MISSING, RichEditLibrary).GetText(),
                        m_title.GetText(), MB_ICONERROR);
            return;
        }
        CRichTextDlg text(&anchor, m_currentSlidePath, slot, m_currentSlideTitle, m_hWnd);
        text.DoModal(m_hWnd);
        break;
    }
    default:
        // The web-document and media viewers come later; nothing opens.
        break;
    }
}
