// The application controller: the hidden dialog that owns the tray icon, the
// worker threads and the program's events, and the hidden top-level window
// that is its parent. wWinMain runs the controller modally on the main
// thread; the slide-show main window runs on a thread of its own and talks to
// the controller by messages.
#pragma once

#include "foundation/Containers.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/ShellHelpers.h"
#include "foundation/SmartPtr.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/CrashReport.h"
#include "core/WaitDlg.h"
#include "core/WorkerContext.h"
#include "core/PrivateMessages.h"
#include "shell/AdvertsHolders.h"
#include "shell/CommandSlideLock.h"
#include "shell/CommandTarget.h"
#include "shell/ControllerEvents.h"
#include "shell/ControllerShared.h"
#include "shell/DialogRunner.h"
#include "shell/HotKeys.h"
#include "shell/ReleaseState.h"
#include "shell/TrayIcon.h"
#include "slideshow/MainWindowThread.h"
#include "standins/atl/AtlWindow.h"
#include "upgrade/ReleaseCheck.h"

#include <shellapi.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>


// The per-run name of the upgrade-exit event (a base of the controller).
class Upgrade_exit_event_name
{
public:
    Upgrade_exit_event_name();

    const MString& GetUpgradeExitEventName() const { return m_upgradeExitEventName; }

private:
    MString m_upgradeExitEventName;
};

class TrayMenuBuilder;
class OwnerDrawMenu;

// Which of the program's dialogs and viewers are open, by their mutexes.
struct OpenDialogFacts
{
    bool any = false;
    bool viewer = false;
    bool slideProperties = false;
    bool controllerDialog = false;
};
OpenDialogFacts ProbeOpenDialogs();

// What the tray menu reads of the main window when it opens.
struct TrayMenuFacts
{
    bool mainVisible = false;
    bool gallerySelection = false;
    bool otherSlides = false;
    bool modeAllowsShowHide = true;
    bool timerPaused = false;
    // The overlay advert's entry, when one is offered.
    bool overlayAdvert = false;
    OverlayMenuEntry overlay;
};

// The hidden top-level parent of the controller.
class CWindowBaseBase : public ATL::CDialogImpl<CWindowBaseBase>
{
public:
    enum
    {
        IDD = IDD_HIDDEN_PARENT
    };

    // controllerWindow and endSessionEvent belong to the controller, which
    // outlives this window.
    CWindowBaseBase(HWND* controllerWindow, HANDLE endSessionEvent);

    static const ATL::MessageMap<CWindowBaseBase>& GetMessageMap();

    // Registers the program to start with Windows at its first run, and
    // corrects a Run value that names another path; posted to itself once
    // the window exists. Registry failures leave the values as they are.
    static void RegisterAutoStart();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEndSession(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRegisterAutoStart(UINT, WPARAM, LPARAM, BOOL&);

    MIcon m_icon;
    HWND* m_controllerWindow;
    HANDLE m_endSessionEvent;
};

class CWindowBase : public ATL::CDialogImpl<CWindowBase>, public Upgrade_exit_event_name
{
public:
    enum
    {
        IDD = IDD_CONTROLLER
    };

    // Makes the events, guards, icons and holders and starts the
    // adverts-and-statistics thread. mainWindowThread runs the main window
    // (its parameter a ControllerLink); null: no main window is started.
    explicit CWindowBase(LPTHREAD_START_ROUTINE mainWindowThread = nullptr);
    ~CWindowBase() override;

    static const ATL::MessageMap<CWindowBase>& GetMessageMap();

    // The controller's window as other threads read it (null until the
    // controller's dialog exists and after it ended).
    HWND ControllerWindow() const { return m_shared->controllerWindow.load(); }
    // The main window as it registered itself (null before and after it runs).
    HWND RegisteredMainWindow() const { return m_registeredMainWindow; }
    // The controller's events (see ControllerEvents).
    const ControllerEvents& Events() const { return m_shared->events; }
    // Where other threads read the controller's window at the moment of sending.
    const std::atomic<HWND>* ControllerWindowHolder() const { return &m_shared->controllerWindow; }

    // Tray icon (called on the controller's thread).
    void UpdateTrayIcon(bool start);
    void ModifyTrayIcon(TrayState state);
    void RefreshTrayIcon();
    void DeleteTrayIcon();
    MString BuildTrayToolTip();
    void ShowWaitWindowAtCursor();

    // After the modal run, however it ended: sets ExitEvent and asks a main
    // window that still runs to end, so that the exit wait finds the workers
    // ending.
    void EndWorkers();

    // The last slide title the main window reported (the tray tooltip's
    // second line).
    const MString& SlideTitle() const { return m_slideTitle; }
    // The controller's dialogs (settings, gallery, release, about box), one
    // at a time.
    DialogRunner& Dialogs() { return m_dialogs; }
    // What the controller knows of the latest release.
    ReleaseState& Release() { return m_shared->release; }

    // ---- The controller's dialogs (opened on this thread) ----
    // Each returns quietly when another of them is open; around the modal
    // run the main window is told that a dialog opens (WM_SHOW_HIDE) and how
    // it ended (WM_DIALOG_CLOSED or WM_SELECTION_CHANGED).
    LRESULT OpenSettings();
    // path: the file to show, or null.
    LRESULT OpenSelectedFiles(std::unique_ptr<MString> path);
    LRESULT OpenCheckForNewRelease();
    void OpenAboutBox();
    // WM_RELEASE_CHECK_RESULT: result is null when there is no newer release.
    LRESULT OnReleaseCheckResult(std::unique_ptr<ReleaseInfo> result);

    // ---- The tray menu (WindowBaseTrayMenu.cpp) ----
    // From the icon (fromTray, at the cursor) or the main window's context
    // menu (at x, y with trackFlags). Captures the slide on screen as the
    // command target, builds, tracks and destroys the menu; the chosen
    // entry arrives as WM_COMMAND and OnCommand carries it out.
    void ShowTrayMenu(bool fromTray, bool atPoint, int x, int y, UINT trackFlags);
    // Show or hide (pause or resume in the periodic modes) and a separator.
    void AppendMenuSection(TrayMenuBuilder& menus, OwnerDrawMenu& menu, bool mainVisible, bool modeAllowsShowHide,
                           bool timerPaused);
    // The menu-adverts section, at the top or the bottom call by its placement.
    void AppendMenuAdverts(bool fromTray, bool topCall, TrayMenuBuilder& menus, OwnerDrawMenu& menu);
    // Copies the slide on screen into the command target, under the main
    // window's slide lock (the tray menu and the hot keys).
    void CaptureCommandTarget();
    // The command target that the menu (or a hot key) captured, and what
    // the main window publishes of the slide on screen.
    const CommandTarget& Target() const { return m_commandTarget; }
    const MainWindowSnapshot& MainWindowState() const { return m_shared->mainWindowSnapshot; }
    // The slide lock: the main window's slide step and a command on the
    // current file hold it while they work.
    CriticalSection& SlideLock() { return m_shared->slideLock; }
    AdvertsHolders& Adverts() { return m_shared->adverts; }

    // A pressed hot key (WM_HOTKEY): the command of the tray menu that it
    // stands for, when the moment allows.
    void OnHotKey(WPARAM wParam, LPARAM lParam);
    // The hot-key tables (the settings dialog edits them).
    HotKeys& HotKeyTables() { return m_hotKeys; }

    // ---- The commands on the current file (WindowBaseFileCommands.cpp) ----
    // The test that the captured command target is still the slide on
    // screen; slideLockHeld: the caller holds the slide lock (taken without
    // waiting); online: a slide named by its link counts too. Tells the
    // user why when it is not. LockCurrentSlide is folded in here: it is
    // this test with online true.
    bool IsCommandTargetCurrent(bool slideLockHeld, bool online);
    // Runs the command under the main window's slide lock, taken without
    // waiting, when the captured target is still the current slide.
    void RunOnCurrentSlide(WORD id, bool online);
    void ShellVerb(ShellVerbCode verb);
    void RecycleCurrentFile();
    void WipeCurrentFile();
    void OpenWith();
    // rotation: the GDI+ rotate-flip type, 1 to 3 for 90, 180, 270 degrees.
    void RunFileWorker(int rotation);
    // The adverts of the tray menu, of the photo viewer and of the slides.
    LRESULT OpenMenuAdvert(WORD id);
    LRESULT OpenOverlayAdvert();
    LRESULT OpenSlideAdvert();
    LRESULT OnSlideAdverts(WPARAM wParam, LPARAM lParam);

private:
    // Texts of the controller's message boxes and of the tooltip.
    MString m_caption;    // IDS_PRODUCT_CAPTION
    MString m_secondText; // IDS_PRODUCT_NAME


    MHandle MessageBoxGuard{NewGuard()};
    MHandle ContextMenuGuard{NewGuard()};
    MHandle TrayClickGuard{NewGuard()};
    MHandle MenuBuildGuard{NewGuard()};

    // The tray menu's bookkeeping.
    DWORD m_menuLoopCount = 0;
    bool m_menuFromTray = false;

    MSmartPtr<CWaitDlg> StartupWaitWindow;
    UINT_PTR m_waitWindowTimer = 0;

    MString m_busyText;   // IDS_TRAY_STARTING with the caption
    MString m_sharedText; // hot-key registration failure; the main window's start-up notice

    // The slide the file commands act on.
    CommandTarget m_commandTarget;

    // The main window, recorded when it registers itself.
    HWND m_mainWindow = nullptr;
    // The main window as registered (null before and after it runs), kept
    // when the quit command clears m_mainWindow; only ever posted to.
    HWND m_registeredMainWindow = nullptr;

    // What the controller's threads read of it (adverts, events, the
    // controller window, the release record, the worker context, the main
    // window's link, snapshot and slide lock), shared with them.
    std::shared_ptr<ControllerShared> m_shared;


    // The release check.
    CriticalSection& ReleaseCheckLock;

    HotKeys m_hotKeys;

    MHandle ExitGuard{NewGuard()};

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEndSession(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWaitWindowTimer(UINT_PTR, BOOL&);
    LRESULT OnIgnoredCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnQuitCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnStartMainWindow(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMainWindowReady(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTrayState(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnQuit(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTaskbarOrEndSession(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAdvertsFailed(UINT, WPARAM, LPARAM, BOOL&);

    // Windows messages of the menus, help and hot keys.
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMenuChar(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnExitMenuLoop(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHotKeyMessage(UINT, WPARAM, LPARAM, BOOL&);
    // Private messages of the main window, the workers and the shell.
    LRESULT OnMessageBoxRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTrayCallback(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnContextMenuRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnReleaseCheckResultMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOpenSelectedFilesMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMenuAdverts(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOverlayAdverts(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSlideAdvertsMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOverlayAdvertPlaced(UINT, WPARAM, LPARAM, BOOL&);
    // The command table (ids 111 to 152): the tray menu's entries and the
    // hot keys carry out their commands here.
    LRESULT OnCommand(WORD, WORD, HWND, BOOL&);
    // Commands that act on the current slide once the target test passed.
    void RunTargetTested(WORD id);

    // The tray menu's parts.
    // The command target and what the menu shows of the main window.
    TrayMenuFacts CaptureForTrayMenu();
    void AppendSlideSection(TrayMenuBuilder& menus, const OpenDialogFacts& open, const TrayMenuFacts& facts);
    void AppendCurrentFileMenu(TrayMenuBuilder& menus);
    // A notice in the main window's tooltip: by string ids, or as texts.
    void PostNotice(UINT titleId, UINT textId) const;
    void PostNoticeTexts(const MString& title, const MString& text) const;
    // Calls act with the path of the slide on screen while the slide lock,
    // taken without waiting, is held and the captured target is still that
    // slide; otherwise tells the user why not.
    void ActOnLockedTarget(const std::function<void(const MString& path)>& act);
    // A deleted file leaves the gallery and the main window moves on.
    void RemoveDeletedFile(const MString& path) const;
    // Asks the main window to close its viewer and slide-properties window
    // before a file command changes the file, with a time limit.
    void CloseViewersUnderSlideLock() const;
    // The stored hot keys, registered when the controller window exists.
    void RegisterStoredHotKeys();
    // What the hot keys and the tray menu read of the main window's current
    // slide under its slide lock; taking it also captures the slide as the
    // command target.
    struct SlideSnapshot
    {
        bool hasGallerySelection = true;
        bool hasOtherSlides = true;
        bool paused = false;
    };
    SlideSnapshot TakeSlideSnapshot();

    // Sends the close request to the open controller dialog, if any.
    void CloseOpenDialog();
    // The main window by message: sent (the controller waits until it has
    // acted) or posted.
    LRESULT SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) const;
    void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The cursor position as x in the low and y in the high 16 bits.
    static LPARAM CursorPositionParam();

    // Ends the run at once when the Windows session ends.
    void EndForSession();
    // Posts the close message with this process's tokens (drawn now unless
    // the quit sequence drew them) to the main window alone.
    void CloseMainWindow();
    bool IsNewReleaseSet() const { return m_shared->release.IsNewReleaseKnown(); }
    void DestroyWaitWindow();

    DialogRunner m_dialogs;
    // The one shape of the four dialog openers: run opens the dialog
    // modally and answers the message that tells the main window how it
    // ended; nothing runs while another of the dialogs is open.
    template <class Run> void RunControllerDialog(DWORD reason, Run&& run);
    MString m_slideTitle;
    // One attempt to add the tray icon in its present look; sets
    // TrayIconReadyEvent when the icon is there.
    bool TryAddTrayIcon();
    // Adds the icon whatever the main window's setting says (retried by the
    // timer while the shell refuses).
    void AddTrayIcon(bool start);
    LRESULT OnTrayRetryTimer(UINT_PTR, BOOL&);

    TrayIcon m_trayIcon;
    // The tray-icon retry: one attempt per timer tick, the question after
    // TrayAttemptsBeforeQuestion refusals. Its running flag stands in for
    // TrayLock: only this thread adds the icon, and a running retry keeps a
    // second add out.
    struct TrayRetry
    {
        bool running = false;
        bool start = false;
        int attempts = 0;
    } m_trayRetry;
    // The main window's thread procedure.
    LPTHREAD_START_ROUTINE m_mainWindowThread = nullptr;
    // A command on the current slide holds the slide lock (CommandSlideLock).
    bool m_commandHoldsSlide = false;
    bool IsMainWindowRegistered() const { return m_registeredMainWindow != nullptr; }
};

// Sends a file by e-mail; parameter is a heap Pair<HWND__*, MString> of the
// main window (where failures are reported) and the file's path, which the
// thread owns.
DWORD WINAPI SendMailThreadProc(LPVOID parameter);

