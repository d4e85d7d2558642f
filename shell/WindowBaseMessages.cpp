// CWindowBase: the menus' owner-drawn entries, help, the command table, the
// busy guards and the private messages of the main window, the workers and
// the shell.
#include "shell/WindowBase.h"


#include "foundation/DefaultBrowser.h"
#include "foundation/ShellHelpers.h"
#include "galleries/LocalGalleryStore.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "core/OwnerDrawMenu.h"
#include "core/PrivateMessages.h"
#include "core/ThreadCounter.h"

#include <memory>

namespace
{
// The keyboard selection of the notification-area icon (NIN_SELECT | NINF_KEY).
constexpr UINT TrayKeySelect = 0x401;

// Slide kinds of the captured command target.
constexpr LONG OnlinePicture = 1;
constexpr LONG OnlineMedia = 2;
constexpr LONG OnlineDocument = 4;
constexpr LONG NoSlide = 0;

bool IsLocalFileKind(LONG kind)
{
    switch (static_cast<DWORD>(kind))
    {
    case 0xC0000001:
    case 0x80000001:
    case 0x80000002:
    case 0x80000004:
    case 0x80000008:
        return true;
    default:
        return false;
    }
}
}

// ---- Messages to the main window ------------------------------------------

LRESULT CWindowBase::SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_mainWindow ? ::SendMessageW(m_mainWindow, message, wParam, lParam) : 0;
}

void CWindowBase::PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_mainWindow)
        ::PostMessageW(m_mainWindow, message, wParam, lParam);
}

LPARAM CWindowBase::CursorPositionParam()
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    return MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y));
}

void CWindowBase::CloseOpenDialog()
{
    m_dialogs.CloseOpen();
}

// ---- Menus, help and hot keys ---------------------------------------------

LRESULT CWindowBase::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw && draw->CtlType == ODT_MENU)
        OwnerDrawMenuItem::OnDrawItem(reinterpret_cast<OwnerDrawMenuItem*>(draw->itemData), *draw);
    return TRUE;
}

LRESULT CWindowBase::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measure && measure->CtlType == ODT_MENU)
        OwnerDrawMenuItem::OnMeasureItem(reinterpret_cast<OwnerDrawMenuItem*>(measure->itemData), *measure, m_hWnd);
    return TRUE;
}

LRESULT CWindowBase::OnMenuChar(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    LRESULT result = 0;
    if (OwnerDrawMenuItem::OnMenuChar(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam),
                                      reinterpret_cast<HMENU>(lParam), result))
        return result;
    return 0;
}

LRESULT CWindowBase::OnExitMenuLoop(UINT, WPARAM, LPARAM, BOOL&)
{
    ++m_menuLoopCount;
    return 0;
}

LRESULT CWindowBase::OnKeyUp(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    // Escape that closed the menu opened from the icon: the keyboard goes
    // back to the notification area.
    if (wParam == VK_ESCAPE && m_menuLoopCount == 2 && m_menuFromTray)
    {
        m_menuLoopCount = 0;
        m_trayIcon.GiveFocus();
    }
    return 0;
}

LRESULT CWindowBase::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (IsHelpSysCommand(wParam))
        ShowHelpContext(ControllerHelpContext);
    else
        handled = FALSE;
    return 0;
}

LRESULT CWindowBase::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (!info)
        return TRUE;
    DWORD context = static_cast<DWORD>(info->dwContextId);
    if (info->iContextType == HELPINFO_MENUITEM)
    {
        const int id = info->iCtrlId;
        context = id >= ID_FIRST_COMMAND && id <= ID_LAST_COMMAND ? MenuEntryHelpContext(id) : HiddenParentHelpContext;
    }
    ShowHelpContext(static_cast<int>(context));
    return TRUE;
}

LRESULT CWindowBase::OnHotKeyMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    OnHotKey(wParam, lParam);
    return 0;
}

// ---- Requests of other threads --------------------------------------------

LRESULT CWindowBase::OnMessageBoxRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ShowRequestedMessageBox(MessageBoxGuard, m_caption.GetText(), wParam, lParam);
    return 0;
}

LRESULT CWindowBase::OnTrayCallback(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const UINT event = LOWORD(lParam);
    if (event != WM_LBUTTONDOWN && event != WM_RBUTTONDOWN && event != TrayKeySelect)
        return 0;
    SemaphoreGuard click(TrayClickGuard, SemaphoreGuard::Take::Try);
    if (!click.IsHeld())
    {
        PostToMainWindow(WM_NOTICE, IDS_NOTICE_BUSY_TITLE, 0);
        return 0;
    }
    ShowTrayMenu(true, false, 0, 0, 0);
    return 0;
}

LRESULT CWindowBase::OnContextMenuRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!IsMainWindowRegistered())
        return 0;
    SemaphoreGuard guard(ContextMenuGuard, SemaphoreGuard::Take::Try);
    if (!guard.IsHeld())
    {
        PostToMainWindow(WM_NOTICE, IDS_NOTICE_BUSY_TITLE, 0);
        return 0;
    }
    const int x = static_cast<short>(LOWORD(wParam));
    const int y = static_cast<short>(HIWORD(wParam));
    ShowTrayMenu(false, true, x, y, lParam ? TPM_BOTTOMALIGN : 0);
    return 0;
}

LRESULT CWindowBase::OnReleaseCheckResultMessage(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    return OnReleaseCheckResult(TakeReleaseCheckResult(lParam));
}

LRESULT CWindowBase::OnOpenSelectedFilesMessage(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    return OpenSelectedFiles(TakeOpenSelectedFiles(lParam));
}

// ---- The adverts and statistics thread ------------------------------------

LRESULT CWindowBase::OnMenuAdverts(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_shared->adverts.TakeMenuAdverts(wParam, lParam);
    return 0;
}

LRESULT CWindowBase::OnOverlayAdverts(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_shared->adverts.TakeOverlayAdverts(wParam, lParam);
    return 0;
}

LRESULT CWindowBase::OnSlideAdvertsMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return OnSlideAdverts(wParam, lParam);
}

// The photo viewer placed an overlay advert: its impression goes into the
// statistics.
LRESULT CWindowBase::OnOverlayAdvertPlaced(UINT, WPARAM, LPARAM, BOOL&)
{
    Overlay_Adverts& overlay = m_shared->adverts.OverlayAdverts();
    Lock lock(overlay.lock);
    m_shared->adverts.Stats().StoreOverlayAdvertStats(overlay);
    return 0;
}

// ---- The command table ----------------------------------------------------

LRESULT CWindowBase::OnCommand(WORD, WORD id, HWND, BOOL& handled)
{
    switch (id)
    {
    case ID_MENU_ADVERTS_LINK:
        if (!m_shared->adverts.MenuLink().IsEmpty())
            OpenUrlInDefaultBrowser(sX::Browser(), GetDesktopWindow(), L"Open", m_shared->adverts.MenuLink().GetText(),
                                    SW_SHOWMAXIMIZED);
        return 0;
    case ID_OVERLAY_ADVERT:
        return OpenOverlayAdvert();
    case ID_RESUME:
        SendToMainWindow(WM_PAUSE_RESUME, 0, 1);
        return 0;
    case ID_PAUSE:
        SendToMainWindow(WM_PAUSE_RESUME, 0, 2);
        return 0;
    case ID_RECYCLE_FILE:
        RecycleCurrentFile();
        return 0;
    case ID_WIPE_FILE:
        WipeCurrentFile();
        return 0;
    case ID_OPEN_WITH:
        OpenWith();
        return 0;
    case ID_SHOW_MAIN_WINDOW:
        SendToMainWindow(WM_SHOW_HIDE, ShowFlagShow | ShowFlagFinishCrossFade, ShowReasonResume);
        return 0;
    case ID_HIDE_MAIN_WINDOW:
        CloseOpenDialog();
        SendToMainWindow(WM_SHOW_HIDE, ShowFlagFinishCrossFade, ShowReasonHide);
        return 0;
    case ID_SETTINGS:
        return OpenSettings();
    case ID_GALLERIES:
        return OpenSelectedFiles(nullptr);
    case ID_ABOUT:
        OpenAboutBox();
        return 0;
    case ID_HELP:
        ShowHelpContext(ControllerHelpContext);
        return 0;
    case ID_NEXT_SLIDE:
    case ID_NEXT_LOCAL_SLIDE:
        SendToMainWindow(WM_SHOW_HIDE, ShowFlagShow | ShowFlagFinishCrossFade, ShowReasonPlain);
        PostToMainWindow(WM_NEXT_SLIDE, StepUserNext, id == ID_NEXT_SLIDE ? NextSlideAnySource : NextSlideLocalOnly);
        return 0;
    case ID_CHECK_FOR_NEW_RELEASE:
        return OpenCheckForNewRelease();
    case ID_CLOSE_VIEWER:
        PostToMainWindow(WM_CLOSE_VIEWER, 0, 1);
        return 0;
    case ID_ROTATE_90:
    case ID_ROTATE_180:
    case ID_ROTATE_270:
        RunFileWorker(id - ID_ROTATE_90 + 1);
        return 0;
    case ID_ROTATION_HELP:
        ShowHelpTopic(MString(sX::Format(), L"%s/Commands.htm#About-Image-Rotation",
                              MString(ResId(IDS_HELP_TOPIC_FOLDER)).GetText()));
        return 0;
    case ID_SLIDE_ADVERT:
        return OpenSlideAdvert();
    case ID_VISIT_SITE:
        OpenUrlInDefaultBrowser(sX::Browser(), GetDesktopWindow(), L"Open",
                                BuildLinkQuery(MString(ResId(IDS_SITE_LINK))).GetText(), SW_SHOWMAXIMIZED);
        return 0;
    case ID_CLOSE_SLIDE_PROPERTIES:
        PostToMainWindow(WM_CLOSE_SLIDE_PROPERTIES, 0, 0);
        return 0;

    // Commands on the slide that was on screen when the menu opened: they
    // run only while it is still the current slide, under the main window's
    // slide lock taken without waiting.
    case ID_REMOVE_FROM_GALLERY:
    case ID_FILE_PROPERTIES:
    case ID_SHOW_IN_FOLDER:
    case ID_SHOW_IN_GALLERY:
    case ID_EDIT_FILE:
    case ID_PRINT_FILE:
    case ID_CLEAR_READ_ONLY:
    case ID_SEND_FILE:
        RunOnCurrentSlide(id, false);
        return 0;
    // These accept an online slide by its link as well.
    case ID_REOPEN_VIEWER:
    case ID_SLIDE_PROPERTIES:
        RunOnCurrentSlide(id, true);
        return 0;
    default:
        if (id >= ID_FIRST_MENU_ADVERT && id <= ID_LAST_MENU_ADVERT)
            return OpenMenuAdvert(id);
        // 121 and 142 are no commands of the controller.
        handled = FALSE;
        return 0;
    }
}

void CWindowBase::RunTargetTested(WORD id)
{
    const MString& file = m_commandTarget.File();
    switch (id)
    {
    case ID_REMOVE_FROM_GALLERY:
        CloseViewersUnderSlideLock();
        if (RemoveFileFromLocalGallery(ReadSelectedLocalGallery(), file))
            PostToMainWindow(WM_GALLERY_CHANGED, 0, 0);
        else
            PostToMainWindow(WM_NOTICE, IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_NOT_IN_GALLERY);
        break;
    case ID_FILE_PROPERTIES:
        ShellVerb(ShellVerbCode::Properties);
        break;
    case ID_EDIT_FILE:
        ShellVerb(ShellVerbCode::Edit);
        break;
    case ID_PRINT_FILE:
        ShellVerb(ShellVerbCode::Print);
        break;
    case ID_SHOW_IN_FOLDER:
    {
        MString line(sX::Format(), L"Explorer /select,\"%s\"", file.GetText());
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, line.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        break;
    }
    case ID_SHOW_IN_GALLERY:
    {
        PostOpenSelectedFiles(m_hWnd, std::make_unique<MString>(file));
        break;
    }
    case ID_CLEAR_READ_ONLY:
    {
        const DWORD attributes = GetFileAttributesW(file.GetText());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(file.GetText(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        break;
    }
    case ID_SEND_FILE:
    {
        auto mail = std::make_unique<Pair<HWND__*, MString>>(m_mainWindow, file);
        // Counted, so that the exit waits for the mail program's return.
        if (StartCountedThread(SendMailThreadProc, mail.get()).IsValid())
            mail.release(); // the thread owns its parameter now
        break;
    }
    case ID_REOPEN_VIEWER:
        PostToMainWindow(WM_OPEN_VIEWER, 0, CursorPositionParam());
        break;
    case ID_SLIDE_PROPERTIES:
    {
        const LONG kind = m_commandTarget.Kind();
        if (kind == OnlinePicture || kind == OnlineMedia || kind == OnlineDocument)
            PostToMainWindow(WM_SHOW_SLIDE_PROPERTIES, 0, CursorPositionParam());
        else if (kind == NoSlide)
            PostToMainWindow(WM_NOTICE, IDS_NOTICE_COMMAND_TITLE, IDS_NOTICE_NO_PROPERTIES);
        else if (IsLocalFileKind(kind))
            PostToMainWindow(WM_NOTICE, IDS_NOTICE_PROPERTIES_TITLE, IDS_NOTICE_NO_PROPERTIES_FOR_SLIDE);
        else
            PostToMainWindow(WM_NOTICE, IDS_NOTICE_PROPERTIES_TITLE, IDS_NOTICE_NO_PROPERTIES_FOR_FILE);
        break;
    }
    default:
        break;
    }
}

// ---- The advert entries and the slide link --------------------------------

namespace
{
void OpenAdvertAddress(const MString& url)
{
    OpenUrlInDefaultBrowser(sX::Browser(), GetDesktopWindow(), L"Open", url.GetText(), SW_SHOWMAXIMIZED);
}

bool IsOnlineKind(LONG kind) { return kind == 1 || kind == 2 || kind == 4; }

bool IsNoticeCardKind(LONG kind)
{
    switch (static_cast<DWORD>(kind))
    {
    case 0xC0000001u:
    case 0x80000001u:
    case 0x80000002u:
    case 0x80000004u:
    case 0x80000008u:
        return true;
    default:
        return false;
    }
}
}

LRESULT CWindowBase::OpenMenuAdvert(WORD id)
{
    MString url;
    if (CountMenuAdvertClick(m_shared->adverts.MenuAdverts(), m_shared->adverts.CurrentMenuAdverts(), id, m_shared->adverts.Stats(), url))
        OpenAdvertAddress(url);
    return 0;
}

LRESULT CWindowBase::OpenOverlayAdvert()
{
    MString url;
    if (CountOverlayAdvertFollow(m_shared->adverts.OverlayAdverts(), m_shared->adverts.OverlayContext(), m_shared->adverts.Stats(), url))
        OpenAdvertAddress(url);
    return 0;
}

LRESULT CWindowBase::OpenSlideAdvert()
{
    if (!IsMainWindowRegistered())
        return 0;
    CommandSlideLock slide(m_shared->slideLock, m_commandHoldsSlide);
    if (!IsCommandTargetCurrent(slide.IsHeld(), true))
        return 0;
    const MainWindowSnapshot::ShownSlide& shown = m_shared->mainWindowSnapshot.shown;
    const LONG kind = shown.kind;
    if (IsOnlineKind(kind))
    {
        const MString& link = shown.link;
        if (link.IsEmpty() || link.EqualsNoCase(MString(L"omitted")))
            PostNotice(IDS_NOTICE_PROPERTIES_TITLE, IDS_NOTICE_403);
        else if (link.EqualsNoCase(MString(L"disabled")))
            PostNotice(IDS_NOTICE_TITLE_438, 0);
        else
        {
            m_shared->adverts.Stats().CountSlideEvent(shown.slideId, false, false, true);
            OpenAdvertAddress(link);
        }
    }
    else if (kind == 0)
        PostNotice(IDS_NOTICE_COMMAND_TITLE, IDS_NOTICE_NO_PROPERTIES);
    else if (IsNoticeCardKind(kind))
        PostNotice(IDS_NOTICE_PROPERTIES_TITLE, IDS_NOTICE_440);
    else
        PostNotice(IDS_NOTICE_PROPERTIES_TITLE, IDS_NOTICE_403);
    return 0;
}
LRESULT CWindowBase::OnSlideAdverts(WPARAM wParam, LPARAM lParam)
{
    m_shared->adverts.TakeSlideAdverts(wParam, lParam);
    SetEvent(m_shared->events.SlideAdvertsSettledEvent);
    return 0;
}
