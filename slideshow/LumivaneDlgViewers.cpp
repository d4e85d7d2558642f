// The main window opens the current slide in the viewer of its kind, as a
// modal dialog that it owns.
#include "slideshow/LumivaneDlg.h"

#include "foundation/AtomPersistence.h"
#include "foundation/SmartPtr.h"
#include "core/PrivateMessages.h"
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
    if (CountsOnlineOpen(m_shown.Kind()) && m_link->advertStats && !m_shown.Id().IsEmpty())
        m_link->advertStats->CountSlideEvent(m_shown.Id(), false, true, false);
    OpenViewer(ViewerForSlide(m_shown.Kind()), anchor);
    if (windowMode)
    {
        if (!m_viewers.IsViewerOpen() && !m_viewers.IsPropertiesOpen())
            SendMessage(WM_SET_TOPMOST, 0, 0);
    }
    return 0;
}

void CLumivaneDlg::OpenViewer(SlideViewer viewer, POINT anchor)
{
    const ViewerSlot slot = m_viewers.Slot();
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
        CShowLargePhotoDlg photo(anchor, m_settings.largePhotoCaption, m_shown.Title(), m_shown.Description(),
                                 picture, slot, m_hWnd, m_online.IsWaiting(), !withAdverts || m_shown.IsAdvert(),
                                 withAdverts ? m_link->overlayAdverts : nullptr, m_link->overlayContext,
                                 m_link->controllerWindow->load());
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
                        m_program.Caption().GetText(), MB_ICONERROR);
            return;
        }
        CRichTextDlg text(&anchor, m_shown.Path(), slot, m_shown.Title(), m_hWnd);
        text.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::OnlineDocument:
    {
        // Without an address the viewer would take itself for the
        // slide-properties window: it does not open, and the user is told
        // with the text of a failed opening of an online document.
        if (m_shown.Address().IsEmpty())
        {
            const MString text(sX::Format(), IDS_ONLINE_DOCUMENT_FAILED, m_shown.Title().GetText());
            MessageBoxW(m_hWnd, text.GetText(), m_program.Caption().GetText(), MB_ICONERROR);
            break;
        }
        // A held text, even an empty one, keeps the viewer on the server's
        // address with the document request.
        const MString text = m_shown.Document().IsEmpty() ? MString(L"*") : MString(m_shown.Document());
        MList<CBrowserDlg::Content_propetrty> noProperties;
        CBrowserDlg document(&anchor, m_shown.Address(), slot, text, MString(), m_hWnd, m_online.ShownCode(),
                             noProperties);
        document.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::WebDocumentFile:
    {
        MList<CBrowserDlg::Content_propetrty> noProperties;
        CBrowserDlg document(&anchor, m_shown.Path(), slot, MString(), m_shown.Title(), m_hWnd,
                             MemoryPH<unsigned char>(), noProperties);
        document.DoModal(m_hWnd);
        break;
    }
    case SlideViewer::Media:
    {
        CMediaPlayer2Dlg player(&anchor, m_shown.Path(), slot, m_shown.Title(), m_hWnd);
        player.DoModal(m_hWnd);
        break;
    }
    default:
        break;
    }
}

LRESULT CLumivaneDlg::ShowSlideProperties(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (m_viewers.IsPropertiesOpen() || IsOwnDialogOpen(2))
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
    m_viewers.OpenProperties(std::move(window), m_hWnd);
    return 0;
}

void CLumivaneDlg::CurrentSlidePropertyRows(MList<ContentPropertyRow>& rows) const { m_shown.PropertyRows(rows); }

LRESULT CLumivaneDlg::OnCloseSlideProperties(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_viewers.HasProperties())
        return 0;
    CloseSlideProperties();
    // In the window modes the main window leaves the top once nothing of it is open.
    if (!ModeIsTopmost(GetOperationMode()))
    {
        if (!m_viewers.IsViewerOpen())
            SendMessage(WM_SET_TOPMOST, 0, 0);
    }
    return 0;
}

void CLumivaneDlg::CloseSlideProperties() { m_viewers.CloseProperties(); }
