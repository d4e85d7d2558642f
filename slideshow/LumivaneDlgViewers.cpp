// The main window opens the current slide in the viewer of its kind, as a
// modal dialog that it owns.
#include "slideshow/LumivaneDlg.h"

#include "foundation/AtomPersistence.h"
#include "foundation/SmartPtr.h"
#include "shell/core/PrivateMessages.h"
#include "slideshow/ViewerChoice.h"
#include "viewers/BrowserDlg.h"
#include "viewers/MediaPlayer2Dlg.h"
#include "viewers/RichTextDlg.h"
#include "viewers/ShowLargePhotoDlg.h"

#include <windowsx.h>

namespace
{
const wchar_t RichEditLibrary[] = L"Riched20.dll";
}

LRESULT CLumivaneDlg::OpenSlideInViewer(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // In the window modes the main window comes to the top while a viewer
    // is open, and leaves the top when none is open any more.
    const bool windowMode = !ModeIsTopmost(GetOperationMode());
    if (windowMode)
        SendMessage(WM_SET_TOPMOST, 1, 0);
    const POINT anchor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (CountsOnlineOpen(m_currentSlideKind) && m_link->advertStats && !m_currentSlideId.IsEmpty())
        m_link->advertStats->CountSlideEvent(m_currentSlideId, false, true, false);
    OpenViewer(ViewerForSlide(m_currentSlideKind), anchor);
    if (windowMode)
    {
        bool viewerOpen;
        {
            Lock lock(m_viewerLock);
            viewerOpen = ::IsWindow(m_viewer) != FALSE;
        }
        const bool propertiesOpen = m_propertiesWindow && m_propertiesWindow->IsWindow();
        if (!viewerOpen && !propertiesOpen)
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
        // A status card comes without adverts; an advert slide never gets an
        // overlay advert of its own.
        const bool withAdverts = viewer == SlideViewer::PhotoWithAdverts;
        CShowLargePhotoDlg photo(anchor, m_settings.largePhotoCaption, m_currentSlideTitle, m_currentSlideDescription,
                                 picture, slot, m_hWnd, m_waitingForOnline != 0, !withAdverts || m_currentSlideAdvert,
                                 withAdverts ? m_link->overlayAdverts : nullptr, m_link->overlayContext,
                                 m_controllerWindow->load());
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
    case SlideViewer::OnlineDocument:
    {
        // Without an address the viewer would take itself for the
        // slide-properties window: it does not open, and the user is told
        // with the text of a failed opening of an online document.
        if (m_currentSlideAddress.IsEmpty())
        {
            const MString text(sX::Format(), IDS_ONLINE_DOCUMENT_FAILED, m_currentSlideTitle.GetText());
            MessageBoxW(m_hWnd, text.GetText(), m_title.GetText(), MB_ICONERROR);
            break;
        }
        // A held text, even an empty one, keeps the viewer on the server's
        // address with the document request.
        const MString text = m_currentSlideDocument.IsEmpty() ? MString(L"*") : MString(m_currentSlideDocument);
        MList<CBrowserDlg::Content_propetrty> noProperties;
        CBrowserDlg document(&anchor, m_currentSlideAddress, slot, text, MString(), m_hWnd, m_shownCode,
                             noProperties);
        document.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::WebDocumentFile:
    {
        MList<CBrowserDlg::Content_propetrty> noProperties;
        CBrowserDlg document(&anchor, m_currentSlidePath, slot, MString(), m_currentSlideTitle, m_hWnd,
                             MemoryPH<unsigned char>(), noProperties);
        document.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::Media:
    {
        CMediaPlayer2Dlg player(&anchor, m_currentSlidePath, slot, m_currentSlideTitle, m_hWnd);
        player.DoModal(m_hWnd);
        break;
    }
    default:
        break;
    }
}

LRESULT CLumivaneDlg::ShowSlideProperties(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if ((m_propertiesWindow && m_propertiesWindow->IsWindow()) || IsOwnDialogOpen(2))
    {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    if (!ModeIsTopmost(GetOperationMode()))
        SendMessage(WM_SET_TOPMOST, 1, 0);
    MList<CBrowserDlg::Content_propetrty> rows;
    CurrentSlidePropertyRows(rows);
    const POINT anchor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    auto window = std::make_unique<CBrowserDlg>(&anchor, MString(), ViewerSlot{nullptr, nullptr}, MString(), MString(),
                                                m_hWnd, MemoryPH<unsigned char>(), rows);
    CloseSlideProperties();
    m_propertiesWindow = std::move(window);
    if (m_propertiesWindow->Create(m_hWnd))
        m_propertiesWindow->ShowWindow(SW_SHOW);
    else
        m_propertiesWindow.reset();
    return 0;
}

void CLumivaneDlg::CurrentSlidePropertyRows(MList<ContentPropertyRow>& rows) const
{
    const SlideProperties& shown = m_currentSlideProperties;
    const ContentPropertyTexts texts{m_currentSlideTitle, shown.description, shown.categories, shown.link,
                                     shown.credits};
    ParseContentProperties(texts, m_currentSlidePropertiesText, rows);
}

LRESULT CLumivaneDlg::OnCloseSlideProperties(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_propertiesWindow)
        return 0;
    CloseSlideProperties();
    // In the window modes the main window leaves the top once nothing of it is open.
    if (!ModeIsTopmost(GetOperationMode()))
    {
        bool viewerOpen;
        {
            Lock lock(m_viewerLock);
            viewerOpen = ::IsWindow(m_viewer) != FALSE;
        }
        if (!viewerOpen)
            SendMessage(WM_SET_TOPMOST, 0, 0);
    }
    return 0;
}

void CLumivaneDlg::CloseSlideProperties()
{
    if (!m_propertiesWindow)
        return;
    if (m_propertiesWindow->IsWindow())
        m_propertiesWindow->DestroyWindow();
    m_propertiesWindow.reset();
}
