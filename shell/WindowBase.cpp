#include "shell/WindowBase.h"

#include "core/CrashReport.h"
#include "core/HelpContexts.h"
#include "core/Language.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/SettingsRegistry.h"
#include "upgrade/ReleaseCheck.h"

#include "foundation/Registry.h"
#include "foundation/SmartPtr.h"
#include "foundation/SystemUtilities.h"


namespace
{
constexpr UINT_PTR WaitWindowTimerId = 117;
constexpr UINT WaitWindowTimerPeriod = 2500;
constexpr UINT_PTR TrayRetryTimerId = 118;
constexpr UINT TrayRetryPeriod = 50;
constexpr int TrayAttemptsBeforeQuestion = 200;
constexpr DWORD AdvertsThreadStopTimeout = 10000;
constexpr DWORD RunValueBytes = 80000;

HMODULE ProgramModule() { return GetModuleHandleW(nullptr); }

// The text of a registry value read into a buffer of size bytes, without
// the terminating NULs; empty when it cannot be read.
MString ReadText(const RegistryKey& key, const wchar_t* name, DWORD bufferBytes)
{
    MemoryPH<BYTE> buffer{ElementCount(bufferBytes)};
    DWORD type = 0, size = bufferBytes;
    if (key.Query(name, type, buffer.GetData(), size) != ERROR_SUCCESS)
        return MString();
    const auto* text = reinterpret_cast<const wchar_t*>(buffer.GetData());
    DWORD length = size / sizeof(wchar_t);
    for (DWORD i = 0; i < length; ++i)
        if (text[i] == 0)
        {
            length = i;
            break;
        }
    MString result{ElementCount(length)};
    for (DWORD i = 0; i < length; ++i)
        result[i] = text[i];
    return result;
}
}

// ---- CWindowBaseBase ----------------------------------------------------

Upgrade_exit_event_name::Upgrade_exit_event_name() : m_upgradeExitEventName(NewUpgradeExitEventName()) {}

CWindowBaseBase::CWindowBaseBase(HWND* controllerWindow, HANDLE endSessionEvent)
    : m_icon(ProgramModule(), IDI_PROGRAM), m_controllerWindow(controllerWindow), m_endSessionEvent(endSessionEvent)
{
}

const ATL::MessageMap<CWindowBaseBase>& CWindowBaseBase::GetMessageMap()
{
    static const ATL::MessageMap<CWindowBaseBase> map =
        ATL::MessageMap<CWindowBaseBase>()
            .Message(WM_INITDIALOG, &CWindowBaseBase::OnInitDialog)
            .Message(WM_ENDSESSION, &CWindowBaseBase::OnEndSession)
            .Message(WM_REGISTER_AUTO_START, &CWindowBaseBase::OnRegisterAutoStart);
    return map;
}

LRESULT CWindowBaseBase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetIcon(m_icon, FALSE);
    SetIcon(m_icon, TRUE);
    SetWindowContextHelpId(HiddenParentHelpContext);
    MemoryPH<wchar_t> path(40000);
    const DWORD length = GetModuleFileNameW(nullptr, path.GetData(), 40000);
    path[length < 40000 ? length : 39999] = 0;
    SetWindowText(path.GetData());
    PostMessage(WM_REGISTER_AUTO_START);
    return TRUE;
}

LRESULT CWindowBaseBase::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam)
    {
        if (::IsWindow(*m_controllerWindow))
            ::PostMessageW(*m_controllerWindow, WM_TASKBAR_OR_END_SESSION, 0, 0);
        SetEvent(m_endSessionEvent);
    }
    return 0;
}

LRESULT CWindowBaseBase::OnRegisterAutoStart(UINT, WPARAM, LPARAM, BOOL&)
{
    RegisterAutoStart();
    return 0;
}

// ---- Start with Windows ---------------------------------------------------

void CWindowBaseBase::RegisterAutoStart()
{
    RegistryKey runKey;
    runKey.Create(HKEY_CURRENT_USER, RunKeyPath, KEY_ALL_ACCESS);
    const MString current = runKey.IsOpen() ? ReadText(runKey, RunValueName, RunValueBytes) : MString();

    bool firstRun = true;
    RegistryKey settingsKey;
    if (settingsKey.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
    {
        DWORD value = 0, type = 0, size = sizeof(value);
        if (settingsKey.Query(AutoStartFirstTimeValueName, type, &value, size) == ERROR_SUCCESS &&
            size == sizeof(value) && value == 1)
            firstRun = false;
        else
        {
            const DWORD one = 1;
            settingsKey.Set(AutoStartFirstTimeValueName, REG_DWORD, &one, sizeof(one));
        }
    }

    if (runKey.IsOpen())
    {
        const MString wanted = QuotedModulePath();
        // An entry the user removed stays removed; one that names another
        // path (the program moved) is corrected.
        const bool write = current.IsEmpty() ? firstRun : !current.EqualsNoCase(wanted);
        if (write)
            runKey.Set(RunValueName, REG_SZ, wanted.GetText(),
                       static_cast<DWORD>((wanted.GetLength() + 1) * sizeof(wchar_t)));
    }
}

// ---- CWindowBase: construction ------------------------------------------

CWindowBase::CWindowBase(LPTHREAD_START_ROUTINE mainWindowThread)
    : m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_secondText(ResId(IDS_PRODUCT_NAME)),
      StartupWaitWindow(new CWaitDlg(MString(sX::Format(), IDS_WAIT_STARTING, m_caption.GetText()))),
      m_busyText(sX::Format(), IDS_TRAY_STARTING, m_caption.GetText()),
      m_shared(std::make_shared<ControllerShared>(GetUpgradeExitEventName())),
      ReleaseCheckLock(m_shared->releaseCheckLock)
{
    m_shared->workerContext.controllerWindow = &m_shared->controllerWindow;
    m_shared->workerContext.controllerReady = m_shared->events.ControllerReadyEvent;
    m_shared->workerContext.exitEvent = m_shared->events.ExitEvent;
    m_shared->workerContext.trayIconReady = m_shared->events.TrayIconReadyEvent;
    m_shared->workerContext.releaseCheck = m_shared->events.ReleaseCheckEvent;
    m_shared->workerContext.upgradeExit = m_shared->events.UpgradeExitEvent;
    m_shared->workerContext.ReleaseRecheckEvent = m_shared->events.ReleaseRecheckEvent;
    m_shared->workerContext.ReleaseAvailableEvent = m_shared->release.NewReleaseEvent();
    m_shared->workerContext.releaseCheckLock = &ReleaseCheckLock;
    m_shared->adverts.StartThread(m_shared->workerContext, m_shared);

    m_mainWindowThread = mainWindowThread;
    m_shared->mainWindowLink.controllerWindow = &m_shared->controllerWindow;
    m_shared->mainWindowLink.exitEvent = m_shared->events.ExitEvent;
    m_shared->mainWindowLink.mainWindowReady = m_shared->events.MainWindowReadyEvent;
    m_shared->mainWindowLink.slideAdvertsSettled = m_shared->events.SlideAdvertsSettledEvent;
    m_shared->mainWindowLink.slideAdverts = m_shared->adverts.SlideAdverts();
    m_shared->mainWindowLink.advertStats = &m_shared->adverts.Stats();
    m_shared->mainWindowLink.overlayAdverts = &m_shared->adverts.OverlayAdverts();
    m_shared->mainWindowLink.overlayContext = &m_shared->adverts.OverlayContext();
    m_shared->mainWindowLink.snapshot = &m_shared->mainWindowSnapshot;
    m_shared->mainWindowLink.slideLock = &m_shared->slideLock;
    m_shared->mainWindowLink.caption = m_caption;
}

CWindowBase::~CWindowBase()
{
    // Normally set by the quit sequence already; a run that never reached it
    // must still release the threads that use this object.
    SetEvent(m_shared->events.ExitEvent);
}

// The message table of the controller; the handlers of the menus, the
// command table and the workers' messages are in WindowBaseMessages.cpp.
const ATL::MessageMap<CWindowBase>& CWindowBase::GetMessageMap()
{
    using T = CWindowBase;
    static const ATL::MessageMap<T> map =
        ATL::MessageMap<T>()
            .Message(WM_INITDIALOG, &T::OnInitDialog)
            .Message(WM_DESTROY, &T::OnDestroy)
            .Message(WM_CLOSE, &T::OnClose)
            .Message(WM_WINDOWPOSCHANGING, &T::OnWindowPosChanging)
            .Message(WM_ENDSESSION, &T::OnEndSession)
            .Timer(WaitWindowTimerId, &T::OnWaitWindowTimer)
            .Timer(TrayRetryTimerId, &T::OnTrayRetryTimer)
            .Message(WM_DRAWITEM, &T::OnDrawItem)
            .Message(WM_MEASUREITEM, &T::OnMeasureItem)
            .Message(WM_MENUCHAR, &T::OnMenuChar)
            .Message(WM_EXITMENULOOP, &T::OnExitMenuLoop)
            .Message(WM_KEYUP, &T::OnKeyUp)
            .Message(WM_SYSCOMMAND, &T::OnSysCommand)
            .Message(WM_HELP, &T::OnHelp)
            .Message(WM_HOTKEY, &T::OnHotKeyMessage)
            // Enter and Escape never end the controller.
            .Command(IDOK, 0, &T::OnIgnoredCommand)
            .Command(IDCANCEL, 0, &T::OnIgnoredCommand)
            .Command(ID_QUIT, &T::OnQuitCommand)
            .CommandRange(ID_FIRST_COMMAND, ID_LAST_COMMAND, ATL::MessageMap<T>::AnyCode, &T::OnCommand)
            .Message(WM_MESSAGE_BOX_REQUEST, &T::OnMessageBoxRequest)
            .Message(WM_TRAY_CALLBACK, &T::OnTrayCallback)
            .Message(WM_CONTEXT_MENU_REQUEST, &T::OnContextMenuRequest)
            .Message(WM_RELEASE_CHECK_RESULT, &T::OnReleaseCheckResultMessage)
            .Message(WM_MAIN_WINDOW_READY, &T::OnMainWindowReady)
            .Message(WM_TRAY_STATE, &T::OnTrayState)
            .Message(WM_OPEN_SELECTED_FILES, &T::OnOpenSelectedFilesMessage)
            .Message(WM_START_MAIN_WINDOW, &T::OnStartMainWindow)
            .Message(WM_QUIT_PROGRAM, &T::OnQuit)
            .Message(WM_TASKBAR_OR_END_SESSION, &T::OnTaskbarOrEndSession)
            .Message(WM_MENU_ADVERTS, &T::OnMenuAdverts)
            .Message(WM_OVERLAY_ADVERTS, &T::OnOverlayAdverts)
            .Message(WM_SLIDE_ADVERTS, &T::OnSlideAdvertsMessage)
            .Message(WM_ADVERTS_FAILED, &T::OnAdvertsFailed)
            .Message(WM_OVERLAY_ADVERT_PLACED, &T::OnOverlayAdvertPlaced);
    return map;
}

// ---- CWindowBase: initialisation and lifetime ---------------------------

LRESULT CWindowBase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_shared->controllerWindow = m_hWnd;
    SetEvent(m_shared->events.ControllerReadyEvent);
    if (WaitForSingleObject(m_shared->events.EndSessionEvent, 0) == WAIT_OBJECT_0)
    {
        EndDialog(0);
        return TRUE;
    }
    m_trayIcon.SetOwner(m_hWnd);
    SetIcon(m_trayIcon.Icon(TrayLook::Shown, false), FALSE);
    SetIcon(m_trayIcon.Icon(TrayLook::Shown, false), TRUE);
    SetWindowContextHelpId(ControllerHelpContext);

    if (!StartupWaitWindow->Create(m_hWnd) && StartupWaitWindow->IsWindow())
        StartupWaitWindow->DestroyWindow();

    RegisterStoredHotKeys();

    PostMessage(WM_START_MAIN_WINDOW);
    return TRUE;
}

LRESULT CWindowBase::OnStartMainWindow(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_mainWindowThread)
        return 0;
    // A hot-key failure found at the start is the main window's first notice.
    m_shared->mainWindowLink.startupNotice = m_sharedText;
    // The thread shares the block its link points into.
    StartCountedThread(m_mainWindowThread, std::shared_ptr<void>(m_shared, &m_shared->mainWindowLink));
    return 0;
}

LRESULT CWindowBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    UnregisterHotKeys(m_hWnd, m_hotKeys.Stored());
    if (m_waitWindowTimer)
    {
        KillTimer(m_waitWindowTimer);
        m_waitWindowTimer = 0;
    }
    DestroyWaitWindow();
    // The workers and the main window read this to post here: from now on
    // they free what they would have posted, and what they posted before is
    // freed here, since it would be lost with the window.
    m_shared->controllerWindow = nullptr;
    DrainPayloadMessages(m_hWnd,
                         {{WM_MESSAGE_BOX_REQUEST, [](WPARAM wParam, LPARAM) { TakeMessageBoxRequest(wParam); }},
                          {WM_RELEASE_CHECK_RESULT, [](WPARAM, LPARAM lParam) { TakeReleaseCheckResult(lParam); }},
                          {WM_TRAY_STATE, [](WPARAM wParam, LPARAM lParam) { TakeTrayTitle(wParam, lParam); }},
                          {WM_OPEN_SELECTED_FILES, [](WPARAM, LPARAM lParam) { TakeOpenSelectedFiles(lParam); }},
                          {MenuAdvertsMessage::Id, MenuAdvertsMessage::Free},
                          {OverlayAdvertsMessage::Id, OverlayAdvertsMessage::Free},
                          {SlideAdvertsMessage::Id, SlideAdvertsMessage::Free}});
    return 0;
}

// The modal run shows its dialog when the message queue first runs empty;
// the controller is never to be seen.
LRESULT CWindowBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    handled = FALSE;
    return 0;
}

LRESULT CWindowBase::OnEndSession(UINT, WPARAM, LPARAM, BOOL&)
{
    EndForSession();
    return 0;
}

void CWindowBase::EndForSession()
{
    // An open dialog of the controller runs its own modal loop on this
    // thread: the controller's run can only end once that dialog has ended,
    // as on the quit command.
    CloseOpenDialog();
    DeleteTrayIcon();
    // The workers end on ExitEvent, and the main window on the close message
    // with this process's tokens; otherwise the exit would wait for them in
    // vain while the session ends.
    SetEvent(m_shared->events.ExitEvent);
    CloseMainWindow();
    EndDialog(0);
}

void CWindowBase::CloseMainWindow()
{
    if (!::IsWindow(m_registeredMainWindow))
        return;
    if (DialogCloseToken.wParamToken == 0 && DialogCloseToken.lParamToken == 0)
        DialogCloseToken.Draw();
    ::PostMessageW(m_registeredMainWindow, RegisterWindowMessageW(CloseDialogsMessageName),
                   DialogCloseToken.wParamToken, DialogCloseToken.lParamToken);
}

void CWindowBase::EndWorkers()
{
    SetEvent(m_shared->events.ExitEvent);
    CloseMainWindow();
}

LRESULT CWindowBase::OnWaitWindowTimer(UINT_PTR, BOOL&)
{
    KillTimer(m_waitWindowTimer);
    m_waitWindowTimer = 0;
    if (!StartupWaitWindow.IsEmpty() && StartupWaitWindow->IsWindow() && StartupWaitWindow->IsWindowVisible())
        StartupWaitWindow->ShowWindow(SW_HIDE);
    return 0;
}

void CWindowBase::DestroyWaitWindow()
{
    if (StartupWaitWindow.IsEmpty())
        return;
    if (StartupWaitWindow->IsWindow())
        StartupWaitWindow->DestroyWindow();
    StartupWaitWindow.Free();
}

void CWindowBase::ShowWaitWindowAtCursor()
{
    if (StartupWaitWindow.IsEmpty() || !StartupWaitWindow->IsWindow())
        return;
    if (!StartupWaitWindow->IsWindowVisible())
    {
        POINT cursor = {};
        GetCursorPos(&cursor);
        StartupWaitWindow->PlaceAtPoint(cursor, false);
        StartupWaitWindow->ShowWindow(SW_SHOW);
        StartupWaitWindow->SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    m_waitWindowTimer = SetTimer(WaitWindowTimerId, WaitWindowTimerPeriod);
}

// ---- CWindowBase: messages ----------------------------------------------

LRESULT CWindowBase::OnMainWindowReady(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam == 1)
    {
        // Null: the main window has ended and its object goes.
        m_mainWindow = reinterpret_cast<HWND>(lParam);
        m_registeredMainWindow = m_mainWindow;
        return 0;
    }
    StartCountedThread(ReleaseCheckThreadProc, std::shared_ptr<void>(m_shared, &m_shared->workerContext));
    return 0;
}

LRESULT CWindowBase::OnTrayState(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const TrayState state = static_cast<TrayState>(wParam);
    const std::unique_ptr<MString> title = TakeTrayTitle(wParam, lParam);
    if (WaitForSingleObject(m_shared->events.MainWindowReadyEvent, 0) == WAIT_OBJECT_0 && !StartupWaitWindow.IsEmpty())
        DestroyWaitWindow();
    if (state == TrayState::Add)
        UpdateTrayIcon(true);
    else if (state == TrayState::Title)
    {
        m_slideTitle = title ? *title : MString();
        m_trayIcon.ModifyToolTip(BuildTrayToolTip());
    }
    else
        ModifyTrayIcon(state);
    return 0;
}

LRESULT CWindowBase::OnQuitCommand(WORD, WORD, HWND, BOOL&)
{
    if (IsMainWindowRegistered())
        ModifyTrayIcon(TrayState::Closing);
    CloseOpenDialog();
    m_mainWindow = nullptr;
    PostMessage(WM_QUIT_PROGRAM);
    return 0;
}

LRESULT CWindowBase::OnQuit(UINT, WPARAM, LPARAM, BOOL&)
{
    DialogCloseToken.Draw();
    ::PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(CloseDialogsMessageName), DialogCloseToken.wParamToken,
                   DialogCloseToken.lParamToken);
    PostQuitMessage(0);
    SetEvent(m_shared->events.ExitEvent);

    SemaphoreGuard exiting(ExitGuard, SemaphoreGuard::Take::Wait);
    // The adverts thread ends on ExitEvent; a thread that does not end in
    // time is left to the exit wait, which keeps its objects alive.
    if (!m_shared->adverts.WaitForThread(AdvertsThreadStopTimeout))
        ReportWorkerCrash(__FILE__, __LINE__, nullptr);
    DeleteTrayIcon();
    EndDialog(0);
    return 0;
}

LRESULT CWindowBase::OnTaskbarOrEndSession(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == 1)
    {
        if (m_trayIcon.IsPresent())
            DeleteTrayIcon();
        // A shell that started anew knows no icon: removing it fails there,
        // and the icon must be added all the same.
        m_trayIcon.Forget();
        UpdateTrayIcon(false);
    }
    else
        EndForSession();
    return 0;
}

LRESULT CWindowBase::OnAdvertsFailed(UINT, WPARAM, LPARAM, BOOL&)
{
    m_shared->adverts.SuspendOnlineSlides();
    SetEvent(m_shared->events.SlideAdvertsSettledEvent);
    return 0;
}

// ---- CWindowBase: the tray icon -----------------------------------------

void CWindowBase::UpdateTrayIcon(bool start)
{
    if (!IsMainWindowRegistered())
        return;
    if (!MainWindowState().showsTrayIcon)
    {
        // Without the icon the release check must not wait for it.
        SetEvent(m_shared->events.TrayIconReadyEvent);
        return;
    }
    AddTrayIcon(start);
}

void CWindowBase::AddTrayIcon(bool start)
{
    // While the retry timer runs (or its question is open) the attempts go
    // on there. Only this thread touches the icon: no lock is needed.
    if (m_trayRetry.running)
        return;
    m_trayRetry.start = start;
    m_trayRetry.attempts = 0;
    if (TryAddTrayIcon())
        return;
    m_trayRetry.running = true;
    SetTimer(TrayRetryTimerId, TrayRetryPeriod);
}

bool CWindowBase::TryAddTrayIcon()
{
    if (m_trayIcon.IsPresent())
    {
        SetEvent(m_shared->events.TrayIconReadyEvent);
        return true;
    }
    const bool newRelease = IsNewReleaseSet();
    TrayLook look;
    if (m_trayRetry.start)
    {
        look = TrayLook::Busy;
        m_trayIcon.SetToolTipId(IDS_TRAY_STARTING);
    }
    else if (::IsWindowVisible(m_mainWindow))
    {
        look = TrayLook::Shown;
        m_trayIcon.SetToolTipId(IDS_TRAY_SHOWN);
    }
    else if (MainWindowState().HasPlainOperationMode())
    {
        look = TrayLook::Busy;
        m_trayIcon.SetToolTipId(IDS_TRAY_PAUSED);
    }
    else
    {
        look = TrayLook::Hidden;
        m_trayIcon.SetToolTipId(IDS_TRAY_HIDDEN);
    }
    // The start-up icon has no new-release variant.
    if (m_trayIcon.Add(look, newRelease && !m_trayRetry.start, BuildTrayToolTip()))
    {
        SetEvent(m_shared->events.TrayIconReadyEvent);
        return true;
    }
    // A stale icon of the same id may be in the way.
    m_trayIcon.Remove();
    return false;
}

LRESULT CWindowBase::OnTrayRetryTimer(UINT_PTR, BOOL&)
{
    if (TryAddTrayIcon())
    {
        KillTimer(TrayRetryTimerId);
        m_trayRetry.running = false;
        return 0;
    }
    if (++m_trayRetry.attempts < TrayAttemptsBeforeQuestion)
        return 0;
    // No attempts while the user is asked.
    KillTimer(TrayRetryTimerId);
    m_trayRetry.attempts = 0;
    const MString text(sX::Format(), IDS_TRAY_ICON_REFUSED, m_secondText.GetText());
    if (LocalizedMessageBox(GetDesktopWindow(), text.GetText(), m_caption.GetText(), MB_RETRYCANCEL | MB_ICONERROR) ==
        IDRETRY)
        SetTimer(TrayRetryTimerId, TrayRetryPeriod);
    else
        // The user gave up on the icon; "TaskbarCreated" brings it back when
        // the shell starts again. The release check is not released.
        m_trayRetry.running = false;
    return 0;
}

void CWindowBase::ModifyTrayIcon(TrayState state)
{
    if (!IsMainWindowRegistered())
        return;
    TrayLook look;
    switch (state)
    {
    case TrayState::Shown:
        look = TrayLook::Shown;
        m_trayIcon.SetToolTipId(IDS_TRAY_SHOWN);
        break;
    case TrayState::Hidden:
        look = TrayLook::Hidden;
        m_trayIcon.SetToolTipId(IDS_TRAY_HIDDEN);
        break;
    case TrayState::Waiting:
        look = TrayLook::Busy;
        m_trayIcon.SetToolTipId(IDS_TRAY_WAITING);
        break;
    case TrayState::Paused:
        look = TrayLook::Busy;
        m_trayIcon.SetToolTipId(IDS_TRAY_PAUSED);
        break;
    case TrayState::Closing:
        look = TrayLook::Busy;
        m_trayIcon.SetToolTipId(IDS_TRAY_CLOSING);
        break;
    default:
        return;
    }
    m_trayIcon.Modify(look, IsNewReleaseSet(), BuildTrayToolTip());
}

void CWindowBase::RefreshTrayIcon()
{
    m_trayIcon.Modify(m_trayIcon.CurrentLook(), IsNewReleaseSet(), BuildTrayToolTip());
}

void CWindowBase::DeleteTrayIcon() { m_trayIcon.Remove(); }

MString CWindowBase::BuildTrayToolTip()
{
    return TrayToolTipText(m_trayIcon.ToolTipId(), m_secondText, IsNewReleaseSet(), m_slideTitle);
}
