#include "shell/WindowBase.h"

#include "shell/core/CrashReport.h"
#include "shell/core/Language.h"
#include "shell/core/MessageBox.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/ProgramObjects.h"
#include "shell/core/ThreadCounter.h"
#include "slideshow/LumivaneDlg.h"
#include "upgrade/ReleaseCheck.h"

#include "foundation/SystemUtilities.h"

#include <cstdlib>

namespace
{
constexpr UINT TrayIconId = 100;
constexpr UINT_PTR WaitWindowTimerId = 117;
constexpr UINT WaitWindowTimerPeriod = 2500;
constexpr int TrayAttemptsBeforeQuestion = 200;
constexpr DWORD ControllerHelpContext = 131175;
constexpr DWORD HiddenParentHelpContext = 131174;

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the full notification record of Windows Vista and later");

HANDLE NewEvent(const wchar_t* name = nullptr) { return CreateEventW(nullptr, TRUE, FALSE, name); }

HMODULE ProgramModule() { return GetModuleHandleW(nullptr); }

// The text fits the 128-character tooltip field with its terminating NUL.
void CopyToolTip(NOTIFYICONDATAW& data, const MString& text)
{
    lstrcpynW(data.szTip, text.GetText(), ARRAYSIZE(data.szTip));
}
}

// ---- CWindowBaseBase ----------------------------------------------------

Upgrade_exit_event_name::Upgrade_exit_event_name() : m_upgradeExitEventName(NewUpgradeExitEventName()) {}

CWindowBaseBase::CWindowBaseBase(HWND* controllerWindow, MHandle* endSessionEvent)
    : m_icon(ProgramModule(), IDI_PROGRAM), m_controllerWindow(controllerWindow), m_endSessionEvent(endSessionEvent)
{
}

const ATL::MessageMap<CWindowBaseBase>& CWindowBaseBase::GetMessageMap()
{
    static const ATL::MessageMap<CWindowBaseBase> map =
        ATL::MessageMap<CWindowBaseBase>()
            .Message(WM_INITDIALOG, &CWindowBaseBase::OnInitDialog)
            .Message(WM_DESTROY, &CWindowBaseBase::OnDestroy)
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
        SetEvent(*m_endSessionEvent);
    }
    return 0;
}

LRESULT CWindowBaseBase::OnRegisterAutoStart(UINT, WPARAM, LPARAM, BOOL&)
{
    RegisterAutoStart();
    return 0;
}

// ---- CWindowBase: construction ------------------------------------------

CWindowBase::CWindowBase()
    : m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_secondText(ResId(IDS_PRODUCT_NAME)),
      ExitEvent(NewEvent()),
      ReleaseCheckEvent(NewEvent(ReleaseCheckEventName)),
      UpgradeExitEvent(NewEvent(GetUpgradeExitEventName().GetText())),
      RunningEvent(NewEvent(RunningEventName)),
      EndSessionEvent(NewEvent()),
      TrayIconReadyEvent(NewEvent()),
      CheckReleaseNowEvent(NewEvent()),
      MainWindowReadyEvent(NewEvent()),
      m_iconShown(ProgramModule(), IDI_PROGRAM),
      m_iconShownNewRelease(ProgramModule(), IDI_SHOWN_NEW_RELEASE),
      m_iconBusy(ProgramModule(), IDI_BUSY),
      m_iconBusyNewRelease(ProgramModule(), IDI_BUSY_NEW_RELEASE),
      m_iconHidden(ProgramModule(), IDI_HIDDEN),
      m_iconHiddenNewRelease(ProgramModule(), IDI_HIDDEN_NEW_RELEASE),
      StartupWaitWindow(new CWaitDlg(MString(sX::Format(), IDS_WAIT_STARTING, m_caption.GetText()))),
      m_busyText(sX::Format(), IDS_TRAY_STARTING, m_caption.GetText()),
      SlideAdvertsSettledEvent(NewEvent()),
      NewReleaseEvent(NewEvent()),
      m_lastHotKeyTick(GetTickCount() - 1000)
{
    m_menuAdverts.Reset(new Menu_Adverts());
    m_overlayAdverts.Reset(new Overlay_Adverts());
    m_slideAdverts.Reset(new SlideAdvertsSettings());
    m_advertsThread.Attach(CreateThread(nullptr, 0, AdvertsAndStatisticsWorker, this, 0, nullptr));
}

CWindowBase::~CWindowBase()
{
    // Normally set by the quit sequence already; a run that never reached it
    // must still release the threads that use this object.
    SetEvent(ExitEvent);
}

// The message table of the controller; the handlers of the menus, the
// command table and the workers' messages are in ControllerMessages.cpp.
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

namespace
{
// The stored hot keys, registered for the controller window: comes with the
// hot keys.
void RegisterStoredHotKeys(CWindowBase&) {}
}

LRESULT CWindowBase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_controllerWindow = m_hWnd;
    if (WaitForSingleObject(EndSessionEvent, 0) == WAIT_OBJECT_0)
    {
        EndDialog(0);
        return TRUE;
    }
    SetIcon(m_iconShown, FALSE);
    SetIcon(m_iconShown, TRUE);
    SetWindowContextHelpId(ControllerHelpContext);

    if (!StartupWaitWindow->Create(m_hWnd) && StartupWaitWindow->IsWindow())
        StartupWaitWindow->DestroyWindow();

    RegisterStoredHotKeys(*this);

    HANDLE thread = CreateThread(nullptr, 0, MainDialogThreadProc, this, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    return TRUE;
}

LRESULT CWindowBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_waitWindowTimer)
    {
        KillTimer(m_waitWindowTimer);
        m_waitWindowTimer = 0;
    }
    DestroyWaitWindow();
    m_controllerWindow = nullptr;
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
    DeleteTrayIcon();
    // The workers end on ExitEvent, and the main window on the close message
    // with this process's tokens; otherwise the exit would wait for them in
    // vain while the session ends.
    SetEvent(ExitEvent);
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
    SetEvent(ExitEvent);
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
        // A null object: the main window has ended and its object goes.
        m_mainDialog = reinterpret_cast<CLumivaneDlg*>(lParam);
        m_mainWindow = m_mainDialog ? m_mainDialog->m_hWnd : nullptr;
        m_registeredMainWindow = m_mainWindow;
        return 0;
    }
    HANDLE thread = CreateThread(nullptr, 0, ReleaseCheckThreadProc, this, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    return 0;
}

LRESULT CWindowBase::OnTrayState(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    MSmartPtr<MString> title(reinterpret_cast<MString*>(wParam == TrayStateTitle ? lParam : 0));
    if (WaitForSingleObject(MainWindowReadyEvent, 0) == WAIT_OBJECT_0 && !StartupWaitWindow.IsEmpty())
        DestroyWaitWindow();
    if (wParam == TrayStateAdd)
        UpdateTrayIcon(true);
    else if (wParam == TrayStateTitle)
    {
        m_slideTitle = title.IsEmpty() ? MString() : *title;
        NOTIFYICONDATAW data = IconData();
        data.uFlags = NIF_TIP;
        CopyToolTip(data, BuildTrayToolTip());
        Shell_NotifyIconW(NIM_MODIFY, &data);
    }
    else
        ModifyTrayIcon(static_cast<int>(wParam));
    return 0;
}

LRESULT CWindowBase::OnQuitCommand(WORD, WORD, HWND, BOOL&)
{
    if (m_mainDialog)
    {
        m_toolTipId = m_toolTipClosing;
        NOTIFYICONDATAW data = IconData();
        data.uFlags = NIF_ICON | NIF_TIP;
        data.hIcon = FamilyIcon('B', IsNewReleaseSet());
        CopyToolTip(data, BuildTrayToolTip());
        if (Shell_NotifyIconW(NIM_MODIFY, &data))
            m_currentTrayIcon = data.hIcon;
    }
    CloseOpenDialog();
    m_mainWindow = nullptr;
    PostMessage(WM_QUIT_PROGRAM);
    return 0;
}

LRESULT CWindowBase::OnQuit(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_mainDialog)
        m_mainDialog->SetClosing();
    DialogCloseToken.Draw();
    ::PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(CloseDialogsMessageName), DialogCloseToken.wParamToken,
                   DialogCloseToken.lParamToken);
    PostQuitMessage(0);
    SetEvent(ExitEvent);

    SemaphoreGuard exiting(ExitGuard, SemaphoreGuard::Take::Wait);
    if (m_advertsThread.IsValid())
    {
        DWORD code = 0;
        while (GetExitCodeThread(m_advertsThread, &code))
        {
            SetEvent(ExitEvent);
            if (code != STILL_ACTIVE)
                break;
            Sleep(10);
        }
    }
    DeleteTrayIcon();
    EndDialog(0);
    return 0;
}

LRESULT CWindowBase::OnTaskbarOrEndSession(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == 1)
    {
        if (TrayIconPresent)
            DeleteTrayIcon();
        // A shell that started anew knows no icon: removing it fails there,
        // and the icon must be added all the same.
        TrayIconPresent = false;
        m_currentTrayIcon = nullptr;
        UpdateTrayIcon(false);
    }
    else
        EndForSession();
    return 0;
}

LRESULT CWindowBase::OnAdvertsFailed(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_slideAdverts.IsEmpty())
    {
        CriticalSectionGuard lock(m_slideAdverts->lock);
        m_slideAdverts->suspendOnline = 1;
    }
    SetEvent(SlideAdvertsSettledEvent);
    return 0;
}

// ---- CWindowBase: the tray icon -----------------------------------------

NOTIFYICONDATAW CWindowBase::IconData() const
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uID = TrayIconId;
    return data;
}

HICON CWindowBase::FamilyIcon(char family, bool newRelease) const
{
    switch (family)
    {
    case 'B':
        return newRelease ? m_iconBusyNewRelease : m_iconBusy;
    case 'C':
        return newRelease ? m_iconHiddenNewRelease : m_iconHidden;
    default:
        return newRelease ? m_iconShownNewRelease : m_iconShown;
    }
}

void CWindowBase::UpdateTrayIcon(bool start)
{
    if (!m_mainDialog)
        return;
    if (!m_mainDialog->ShowsTrayIcon())
    {
        // Without the icon the release check must not wait for it.
        SetEvent(TrayIconReadyEvent);
        return;
    }
    // The question after refused attempts runs a message loop on this thread,
    // where the critical section would let a second add in.
    if (m_addingTrayIcon || !TrayLock.TryEnter())
        return;
    m_addingTrayIcon = true;

    const bool plainMode = m_mainDialog->HasPlainOperationMode();
    bool cancelled = false;
    if (!TrayIconPresent)
    {
        int attempts = 0;
        for (;;)
        {
            const bool newRelease = IsNewReleaseSet();
            NOTIFYICONDATAW data = IconData();
            data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
            data.uCallbackMessage = WM_TRAY_CALLBACK;
            if (start)
            {
                data.hIcon = m_iconBusy;
                m_toolTipId = m_toolTipStarting;
            }
            else if (::IsWindowVisible(m_mainWindow))
            {
                data.hIcon = FamilyIcon('A', newRelease);
                m_toolTipId = m_toolTipShown;
            }
            else if (plainMode)
            {
                data.hIcon = FamilyIcon('B', newRelease);
                m_toolTipId = m_toolTipPaused;
            }
            else
            {
                data.hIcon = FamilyIcon('C', newRelease);
                m_toolTipId = m_toolTipHidden;
            }
            CopyToolTip(data, BuildTrayToolTip());

            if (Shell_NotifyIconW(NIM_ADD, &data))
            {
                TrayIconPresent = true;
                m_currentTrayIcon = data.hIcon;
                data.uVersion = NOTIFYICON_VERSION;
                Shell_NotifyIconW(NIM_SETVERSION, &data);
                break;
            }
            // A stale icon of the same id may be in the way.
            DeleteTrayIcon();
            if (attempts == TrayAttemptsBeforeQuestion)
            {
                const MString text(sX::Format(), IDS_TRAY_ICON_REFUSED, m_secondText.GetText());
                if (LocalizedMessageBox(GetDesktopWindow(), text.GetText(), m_caption.GetText(),
                                        MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
                {
                    // The user gave up on the icon; "TaskbarCreated" brings it
                    // back when the shell starts again.
                    cancelled = true;
                    break;
                }
                attempts = 0;
            }
            Sleep(50);
            ++attempts;
        }
    }
    if (!cancelled)
        SetEvent(TrayIconReadyEvent);
    m_addingTrayIcon = false;
    TrayLock.Leave();
}

void CWindowBase::ModifyTrayIcon(int state)
{
    if (!m_mainDialog)
        return;
    const bool newRelease = IsNewReleaseSet();
    HICON icon;
    switch (state)
    {
    case 1:
        icon = FamilyIcon('A', newRelease);
        m_toolTipId = m_toolTipShown;
        break;
    case 2:
        icon = FamilyIcon('C', newRelease);
        m_toolTipId = m_toolTipHidden;
        break;
    case 3:
        icon = FamilyIcon('B', newRelease);
        m_toolTipId = m_toolTipWaiting;
        break;
    case 4:
        icon = FamilyIcon('B', newRelease);
        m_toolTipId = m_toolTipPaused;
        break;
    case 5:
        icon = FamilyIcon('B', newRelease);
        m_toolTipId = m_toolTipClosing;
        break;
    default:
        return;
    }
    NOTIFYICONDATAW data = IconData();
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = icon;
    CopyToolTip(data, BuildTrayToolTip());
    Shell_NotifyIconW(NIM_MODIFY, &data);
    m_currentTrayIcon = icon;
}

void CWindowBase::RefreshTrayIcon()
{
    const MString toolTip = BuildTrayToolTip();
    const bool newRelease = IsNewReleaseSet();
    char family = 'A';
    if (m_currentTrayIcon && (m_currentTrayIcon == m_iconBusy || m_currentTrayIcon == m_iconBusyNewRelease))
        family = 'B';
    else if (m_currentTrayIcon && (m_currentTrayIcon == m_iconHidden || m_currentTrayIcon == m_iconHiddenNewRelease))
        family = 'C';
    NOTIFYICONDATAW data = IconData();
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = FamilyIcon(family, newRelease);
    CopyToolTip(data, toolTip);
    Shell_NotifyIconW(NIM_MODIFY, &data);
    m_currentTrayIcon = data.hIcon;
}

void CWindowBase::DeleteTrayIcon()
{
    NOTIFYICONDATAW data = IconData();
    if (Shell_NotifyIconW(NIM_DELETE, &data))
    {
        TrayIconPresent = false;
        m_currentTrayIcon = nullptr;
    }
}

MString CWindowBase::BuildTrayToolTip()
{
    MString text(sX::Format(), static_cast<unsigned>(m_toolTipId), m_secondText.GetText());
    if (IsNewReleaseSet())
        text += MString(L" - ") + MString(ResId(IDS_TRAY_NEW_RELEASE));
    if (!m_slideTitle.IsEmpty())
        text += MString(L"\n") + m_slideTitle;
    if (text.GetLength() > 127)
        text = text.Left(126) + L"\u2026";
    return text;
}

// ---- The main-dialog thread ---------------------------------------------

namespace
{
// Tells the controller (and waits until it knows) that the main window
// object is about to go.
void ForgetMainWindow(CWindowBase& controller)
{
    HWND window = controller.ControllerWindow();
    if (window)
        ::SendMessageW(window, WM_MAIN_WINDOW_READY, 1, 0);
}
}

DWORD WINAPI MainDialogThreadProc(LPVOID parameter)
{
    auto& controller = *static_cast<CWindowBase*>(parameter);
    try
    {
        WorkerThreadScope counted;
        const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
        SetThreadLocale(UiLanguage);
        std::srand(GetTickCount() * 49);
        // A program that quits meanwhile does not start its main window.
        HANDLE waits[] = {controller.ExitEvent, controller.SlideAdvertsSettledEvent};
        const bool quitting = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
        MSmartPtr<CLumivaneDlg> mainWindow;
        bool failed = false;
        std::exception_ptr failure;
        try
        {
            if (!quitting)
                mainWindow.Reset(
                    new CLumivaneDlg(&controller, controller.ControllerWindowHolder(), controller.m_sharedText));
            if (!mainWindow.IsEmpty())
                mainWindow->DoModal(GetDesktopWindow());
        }
        catch (...)
        {
            failed = true;
            failure = std::current_exception();
        }
        ForgetMainWindow(controller);
        mainWindow.Free();
        if (failed)
        {
            const MString text = CrashMessageText();
            ReportWorkerCrash(__FILE__, __LINE__, failure);
            try
            {
                LocalizedMessageBox(GetDesktopWindow(), text.GetText(), controller.m_caption.GetText(), MB_ICONERROR);
            }
            catch (...)
            {
            }
            if (HWND window = controller.ControllerWindow())
                ::PostMessageW(window, WM_QUIT_PROGRAM, 0, 0);
        }
        if (com)
            CoUninitialize();
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
    }
    return 0;
}
