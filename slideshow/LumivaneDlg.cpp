#include "slideshow/LumivaneDlg.h"

#include "filter/MediaSource.h"
#include "foundation/PostOwned.h"
#include "server/SlideCacheFile.h"
#include "foundation/WindowPlacement.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/CrashReport.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/StatusCard.h"

#include <commctrl.h>

namespace
{
constexpr UINT OpaqueFlashPeriod = 2000;
constexpr UINT TopmostPeriod = 300;
// The fade-out when the program quits: 60 alpha steps every 25 ms.
constexpr UINT CloseFadePeriod = 25;
constexpr BYTE CloseFadeStep = 60;
constexpr DWORD MainWindowHelpContext = 0x2006D;
constexpr DWORD PictureHelpContext = 0x200BE;
}

CLumivaneDlg::CLumivaneDlg(const ControllerLink* link)
    : m_closeDialogsMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
      m_quitRunningInstanceMessage(QuitRunningInstanceMessage()),
      m_taskbarCreatedMessage(RegisterWindowMessageW(L"TaskbarCreated")),
      m_link(link),
      m_guards(*link->slideLock),
      m_notices(m_program.Name())
{
    m_settings.windowBorder = 0;
    m_settings.imageBorder = 0;
    CreateMediaPlayer();
}

CLumivaneDlg::~CLumivaneDlg()
{
    CloseSlideProperties();
    // The walk goes on from here at the next start.
    m_walk.StoreDisplayControl();
}

void CLumivaneDlg::CreateMediaPlayer() { m_media.CreatePlayer(); }

const ATL::MessageMap<CLumivaneDlg>& CLumivaneDlg::GetMessageMap()
{
    using T = CLumivaneDlg;
    static const ATL::MessageMap<T> map =
        ATL::MessageMap<T>()
            .Message(WM_DRAWITEM, &T::OnDrawItem)
            .Message(WM_INITDIALOG, &T::OnInitDialog)
            .Message(WM_DESTROY, &T::OnDestroy)
            .Timer(HoverTimerId, &T::OnHoverTimer)
            .Timer(SlideTimer::TimerId, &T::OnSlideTimer)
            .Timer(CrossFadeTimerId, &T::OnCrossFadeTimer)
            .Timer(FadeTimerId, &T::OnFadeTimer)
            .Timer(ToolTipTimerId, &T::OnToolTipTimer)
            .Timer(OpaqueFlashTimerId, &T::OnOpaqueFlashTimer)
            .Timer(TopmostTimerId, &T::OnTopmostTimer)
            .Timer(PostponedStepTimerId, &T::OnPostponedStepTimer)
            .Message(WM_MOUSEMOVE, &T::OnMouseMove)
            .Message(WM_MOUSELEAVE, &T::OnMouseLeave)
            .Message(WM_LBUTTONDOWN, &T::OnLButtonDown)
            .Message(WM_LBUTTONUP, &T::OnLButtonUp)
            .Message(WM_CAPTURECHANGED, &T::OnCaptureChanged)
            .Message(WM_CTRL_OVER_PICTURE, &T::OnCtrlOverPicture)
            .Message(WM_RBUTTONDOWN, &T::OnRButtonDown)
            .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseDialogs)
            .RegisteredMessage(&T::m_quitRunningInstanceMessage, &T::OnQuitRunningInstance)
            .RegisteredMessage(&T::m_taskbarCreatedMessage, &T::OnTaskbarCreated)
            .Message(WM_SET_SIDE, &T::OnSetSide)
            .Message(WM_SET_TOPMOST, &T::OnSetTopmost)
            .Message(WM_SET_ALPHA, &T::OnSetAlpha)
            .Message(WM_SELECTION_CHANGED, &T::OnSelectionChanged)
            .Message(WM_NEXT_SLIDE, &T::OnNextSlide)
            .Message(WM_ONLINE_FETCH_ENDED, &T::OnOnlineFetchEnded)
            .Message(WM_MESSAGE_BOX_REQUEST, &T::OnMessageBoxRequest)
            .Message(WM_DIALOG_CLOSED, &T::OnDialogClosed)
            .Message(WM_OPEN_VIEWER, &T::OpenSlideInViewer)
            .Message(WM_CLOSE_VIEWER, &T::OnCloseViewer)
            .Message(WM_SHOW_SLIDE_PROPERTIES, &T::ShowSlideProperties)
            .Message(WM_CLOSE_SLIDE_PROPERTIES, &T::OnCloseSlideProperties)
            .Message(WM_BRING_TO_FRONT, &T::OnBringToFront)
            .Message(WM_PAUSE_RESUME, &T::OnPauseResume)
            .Message(WM_SHOW_HIDE, &T::OnControllerDialogOpening)
            .Message(WM_COPY_SETTINGS, &T::OnCopySettings)
            .Message(WM_APPLY_SETTINGS, &T::OnApplySettings)
            .Message(WM_SHOW_HIDE, &T::OnShowHide)
            .Message(WM_GALLERY_CHANGED, &T::OnGalleryChanged)
            .Message(WM_CLOSE_PHOTO_VIEWER, &T::OnClosePhotoViewer)
            .Message(WM_NOTICE, &T::OnNotice)
            .Message(WM_SHOW_SLIDE_FILE_AGAIN, &T::OnShowSlideFileAgain)
            .Message(WM_MEDIA_SOURCE_CHANGED, &T::OnMediaSourceChanged)
            .Message(WM_FLASH_OPAQUE, &T::OnFlashOpaque)
            .Message(WM_ANNOUNCE_SLIDE, &T::OnAnnounceSlide)
            .Message(WM_CLOSE, &T::OnClose)
            .Message(WM_HELP, &T::OnHelp)
            .Message(WM_SYSCOMMAND, &T::OnSysCommand)
            .Message(WM_DISPLAYCHANGE, &T::OnDisplayChange)
            .Message(WM_SETTINGCHANGE, &T::OnSettingChange)
            .Message(WM_WINDOWPOSCHANGING, &T::OnWindowPosChanging)
            .Message(WM_RESTORE_TO_FRONT, &T::OnRestoreToFront)
            .Command(IDOK, 0, &T::OnSwallowCommand)
            .Command(IDCANCEL, 0, &T::OnSwallowCommand);
    return map;
}

// ---- State the controller reads -----------------------------------------

OperationMode CLumivaneDlg::GetOperationMode()
{
    const Lock mode = m_guards.Mode();
    return m_settings.operationMode;
}

bool CLumivaneDlg::HasPlainOperationMode()
{
    return (static_cast<DWORD>(GetOperationMode()) & ~PlainOperationModeBits) == 0;
}

void CLumivaneDlg::PostToController(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // Once the controller has ended its window reads null: a post to null
    // would land in this thread's own queue.
    if (const HWND controller = m_link->controllerWindow->load())
        ::PostMessageW(controller, message, wParam, lParam);
}

void CLumivaneDlg::SetAlpha(BYTE alpha) const { SetLayeredWindowAttributes(m_hWnd, 0, alpha, LWA_ALPHA); }

// ---- Initialisation and end ---------------------------------------------

LRESULT CLumivaneDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (HMENU systemMenu = GetSystemMenu(FALSE))
        RemoveMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    DrawMenuBar(m_hWnd);
    SetIcon(m_program.Icon(), TRUE);
    SetIcon(m_program.Icon(), FALSE);
    SetWindowText(m_program.Caption().GetText());
    SetWindowContextHelpId(MainWindowHelpContext);

    ModifyStyleEx(0, WS_EX_LAYERED);
    SetAlpha(m_fade.Alpha());

    m_picture.Attach(::GetDlgItem(m_hWnd, IDC_MAIN_PICTURE), PictureHelpContext, reinterpret_cast<LONG_PTR>(this),
                     &PictureSubclassProc);

    m_notices.Create(m_hWnd, m_program.Icon(), ToolTipTimerId);

    // The media test's player belongs to this thread's apartment.
    m_preparation = std::make_unique<LocalSlidePreparation>(m_walk, m_media.CreateProbe(), m_online.Record(), nullptr);

    MString restoredPath;
    bool restoredOnline = false;
    LoadSettings(restoredPath, restoredOnline);
    PublishState();

    ::SendMessageW(m_link->controllerWindow->load(), WM_MAIN_WINDOW_READY, 1, reinterpret_cast<LPARAM>(m_hWnd));
    // A controller that quit meanwhile could not record this window.
    if (WaitForSingleObject(m_link->exitEvent, 0) == WAIT_OBJECT_0)
    {
        EndDialog(0);
        return TRUE;
    }
    PostToController(WM_TRAY_STATE, TrayStateAdd, 0);

    if (!IsRectOnMonitors(m_displayArea))
        FitRectToMonitor(m_displayArea, true, true);

    m_frames.StartBlank();
    ApplyWindowMode();
    MoveWindow(0, 0, 10, 10, FALSE);

    // The first slide: the slide of the last run again, or a new one.
    if (!ResumeRestoredSlide(restoredPath, restoredOnline))
        PostMessage(WM_NEXT_SLIDE, IsMediaSourceLocal() ? StepUserNext : StepCheckSelection, NextSlideAnySource);
    return TRUE;
}

bool CLumivaneDlg::ResumeRestoredSlide(const MString& path, bool online)
{
    if (path.IsEmpty())
        return false;
    if (online)
    {
        // The slide is asked for again with the cache file that names it;
        // without that file, or without a chosen gallery, the show starts
        // afresh.
        if (HasInternetSlideState() != 1 || ReadSelectedOnlineGallery().name.IsEmpty())
            return false;
        // A new round of online slides: the worker's report shows the first.
        m_online.MarkStepPending();
        m_online.Record().Reset();
        m_online.SetFetchReason(FetchReasonStartUp);
        m_online.Record().StartSession(ReadSelectedOnlineGallery(), static_cast<DWORD>(m_settings.displayOrder), -1,
                                     true);
        return StartDownloadWorker(false);
    }
    if (!m_preparation->PrepareLocalSlide(path))
        return false;
    TakePreparedSlide();
    m_online.CountLocalSlide();
    m_online.SetFetchReason(FetchReasonStartUp);
    m_shown.SetPath(path);
    m_online.TakeSlide();
    PostMessage(WM_ANNOUNCE_SLIDE);
    return true;
}

bool CLumivaneDlg::KeepsShownTime()
{
    return m_slideTimer.ElapsedTimeToKeep(GetOperationMode(), m_online.IsWaiting()) != SlideTimer::NoElapsedTime;
}

LRESULT CLumivaneDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_picture.Detach();
    KillTimer(ToolTipTimerId);
    KillTimer(HoverTimerId);
    KillTimer(SlideTimer::TimerId);
    SaveElapsedTime(m_slideTimer.ElapsedTimeToKeep(GetOperationMode(), m_online.IsWaiting()));
    KillTimer(CrossFadeTimerId);
    m_frames.EndCrossFade();
    KillTimer(FadeTimerId);
    KillTimer(TopmostTimerId);
    // The screen-saver windows go with their owner, without a fade.
    m_screenSavers.clear();
    KillTimer(OpaqueFlashTimerId);
    m_online.StopWorker();
    // The worker has stopped: what it and the controller posted here and
    // was not taken yet would be lost with the window, so it is freed now.
    DrainPayloadMessages(m_hWnd,
                         {{WM_APPLY_SETTINGS, [](WPARAM, LPARAM lParam) { TakeApplySettings(lParam); }},
                          {WM_NOTICE, [](WPARAM wParam, LPARAM lParam) { TakeNoticeRecord(wParam, lParam); }},
                          {WM_MESSAGE_BOX_REQUEST, [](WPARAM wParam, LPARAM) { TakeMessageBoxRequest(wParam); }}});
    return 0;
}

void CLumivaneDlg::OnFirstSlideShown()
{
    if (WaitForSingleObject(m_link->mainWindowReady, 0) == WAIT_OBJECT_0)
        return;
    SetEvent(m_link->mainWindowReady);
    SetTimer(TopmostTimerId, TopmostPeriod);
    PostToController(WM_TRAY_STATE, TrayStateShown, 0);
    PostToController(WM_MAIN_WINDOW_READY, 0, 0);
    // The start-up notice goes with the first slide only: the event is set now.
    if (!m_link->startupNotice.IsEmpty())
    {
        PostNoticeRecord(m_hWnd, std::make_unique<Pair<MString, MString>>(
                                     MString(sX::Format(), IDS_STARTUP_NOTICE_TITLE, m_program.ProductName().GetText()),
                                     m_link->startupNotice));
    }
}

LRESULT CALLBACK CLumivaneDlg::PictureSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A raw subclass procedure: nothing may be thrown into the system's code.
    return NoThrow<LRESULT>(0, [&] {
        auto* dialog = reinterpret_cast<CLumivaneDlg*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == VK_CONTROL)
            ::SendMessageW(::GetParent(window), WM_CTRL_OVER_PICTURE, VK_CONTROL, message);
        return CallWindowProcW(dialog->m_picture.OriginalProcedure(), window, message, wParam, lParam);
    });
}

// ---- Messages -------------------------------------------------------------

LRESULT CLumivaneDlg::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    TRACKMOUSEEVENT track = {sizeof(track), TME_CANCEL | TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&track);
    m_pointer.SetOutside(true);
    return 0;
}

LRESULT CLumivaneDlg::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (GetCapture() == m_hWnd)
    {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&track);
        m_pointer.SetOutside(false);
        ReleaseCapture();
    }
    return 0;
}

LRESULT CLumivaneDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // Another copy of the program quits with other tokens.
    if (!DialogCloseToken.Matches(wParam, lParam) || m_fade.IsClosing())
        return 0;
    PostToController(WM_COMMAND, IDOK, 0);
    CloseViewer(2);
    CloseSlideProperties();
    // No slide step starts while the window fades out; the shown time stays
    // counted for "Elapsed Time".
    KillTimer(SlideTimer::TimerId);
    m_slideTimer.TimerKilled();
    StopFade();
    m_fade.BeginClose(SetTimer(FadeTimerId, CloseFadePeriod));
    if (!m_fade.IsRunning())
    {
        m_fade.Drop();
        StepCloseFade();
    }
    return 0;
}

void CLumivaneDlg::StepCloseFade()
{
    if (m_fade.StepClose(CloseFadeStep))
    {
        SetAlpha(m_fade.Alpha());
        return;
    }
    KillTimer(FadeTimerId);
    m_fade.TimerStopped();
    PostQuitMessage(0);
    EndDialog(0);
}

LRESULT CLumivaneDlg::OnQuitRunningInstance(UINT, WPARAM, LPARAM, BOOL&)
{
    RestartRequested = true;
    PostToController(WM_COMMAND, ID_QUIT, 0);
    return 0;
}

LRESULT CLumivaneDlg::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&)
{
    PostToController(WM_TASKBAR_OR_END_SESSION, 1, 0);
    return 0;
}

LRESULT CLumivaneDlg::OnSetTopmost(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == 1)
    {
        if (IsIconic())
            ShowWindow(SW_RESTORE);
        SetForegroundWindow(m_hWnd);
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    else
        SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

LRESULT CLumivaneDlg::OnSetAlpha(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    SetAlpha(LOBYTE(wParam));
    return 0;
}

LRESULT CLumivaneDlg::OnMessageBoxRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ShowRequestedMessageBox(m_guards.MessageBoxGuard(), m_program.Caption().GetText(), wParam, lParam);
    return 0;
}

LRESULT CLumivaneDlg::OnCloseViewer(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    CloseViewer(1);
    if (lParam != 1)
        CloseSlideProperties();
    return 0;
}

LRESULT CLumivaneDlg::OnBringToFront(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    SetForegroundWindow(reinterpret_cast<HWND>(lParam));
    return 0;
}

LRESULT CLumivaneDlg::OnClosePhotoViewer(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_online.IsWaiting())
    {
        CloseViewer(1);
        CloseSlideProperties();
    }
    return 0;
}

LRESULT CLumivaneDlg::OnFlashOpaque(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_fade.IsRunning())
    {
        m_fade.SetFlashTimer(SetTimer(OpaqueFlashTimerId, OpaqueFlashPeriod));
        SetAlpha(255);
    }
    return 0;
}

LRESULT CLumivaneDlg::OnOpaqueFlashTimer(UINT_PTR, BOOL&)
{
    KillTimer(OpaqueFlashTimerId);
    m_fade.SetFlashTimer(0);
    SetAlpha(m_fade.Alpha());
    return 0;
}

LRESULT CLumivaneDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    if (GetOperationMode() == OperationMode::AppWindow)
        PostToController(WM_COMMAND, ID_QUIT, 0);
    return 0;
}

LRESULT CLumivaneDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CLumivaneDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (IsHelpSysCommand(wParam))
        ShowHelpContext(MainWindowHelpContext);
    else
        handled = FALSE;
    return 0;
}

LRESULT CLumivaneDlg::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    if (m_fade.KeepsHidden())
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    handled = FALSE;
    return 0;
}

LRESULT CLumivaneDlg::OnRestoreToFront(UINT, WPARAM, LPARAM, BOOL&)
{
    const OperationMode mode = GetOperationMode();
    if (mode == OperationMode::AppWindow || mode == OperationMode::ToolWindow)
    {
        if (IsIconic())
            ShowWindow(SW_RESTORE);
        SetForegroundWindow(m_hWnd);
    }
    else
    {
        SetForegroundWindow(m_hWnd);
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return 0;
}
