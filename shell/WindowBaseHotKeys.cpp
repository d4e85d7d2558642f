// CWindowBase: the stored hot keys registered on the controller window, and
// a pressed hot key turned into the command the tray menu would carry out.
#include "shell/WindowBase.h"

#include "core/ProgramObjects.h"


namespace
{
// The dialogs whose mutexes a hot key probes, in probing order.
enum Probe
{
    PhotoViewer,
    MediaViewer,
    RichTextViewer,
    BrowserViewer,
    SlideProperties,
    SettingsDialog,
    GalleryDialog,
    AboutBox,
    ReleaseDialog,
    ProbeCount
};

const wchar_t* const ProbedMutexKeys[ProbeCount] = {
    L"VIEWER_CShowLargePhotoDlg", L"VIEWER_CMediaPlayer2Dlg", L"VIEWER_CRichTextDlg", L"VIEWER_CBrowserDlg",
    L"CSlidePropsDlg",            L"CSettingsDlg",            L"CSelectedFiles",      L"CAboutBoxDlg",
    L"CheckForNewReleaseDlg"};

// What the mutexes say of the open dialogs; the handles are held while the
// hot key is handled.
struct OpenDialogs
{
    HANDLE handles[ProbeCount] = {};
    bool open[ProbeCount] = {};

    OpenDialogs()
    {
        for (int i = 0; i < ProbeCount; ++i)
        {
            handles[i] = OpenMutexW(SYNCHRONIZE, TRUE, DialogMutexName(ProbedMutexKeys[i]).GetText());
            open[i] = handles[i] != nullptr;
        }
    }
    ~OpenDialogs()
    {
        for (HANDLE handle : handles)
            if (handle)
                CloseHandle(handle);
    }
    OpenDialogs(const OpenDialogs&) = delete;
    OpenDialogs& operator=(const OpenDialogs&) = delete;

    bool NoViewer() const { return !open[PhotoViewer] && !open[MediaViewer] && !open[RichTextViewer] && !open[BrowserViewer]; }
    bool NoProgramDialog() const
    {
        return !open[SettingsDialog] && !open[GalleryDialog] && !open[AboutBox] && !open[ReleaseDialog];
    }
    bool Nothing() const { return NoViewer() && NoProgramDialog() && !open[SlideProperties]; }
};
}

void CWindowBase::RegisterStoredHotKeys()
{
    // A refusal at the start unregisters them all; its text is the main
    // window's first notice.
    if (LoadHotKeys(m_hotKeys.AllowedKeys(), m_hotKeys.Stored()))
        RegisterHotKeys(m_hWnd, m_hotKeys.Stored(), m_hWnd, &m_sharedText, m_hotKeys.AllowedKeys());
}

void CWindowBase::OnHotKey(WPARAM, LPARAM lParam)
{
    // Until the first slide is shown, every hot key shows the wait window.
    if (WaitForSingleObject(m_shared->events.MainWindowReadyEvent, 0) != WAIT_OBJECT_0)
    {
        ShowWaitWindowAtCursor();
        return;
    }
    const unsigned char key = LOBYTE(HIWORD(lParam));
    const DWORD now = GetTickCount();
    const DWORD last = m_hotKeys.LastPressTick();
    const DWORD since = now >= last ? now - last : last - now;
    if (since < HotKeys::RepeatGap && (GetAsyncKeyState(key) & 0x8000))
        return;
    SemaphoreGuard guard(m_hotKeys.HotKeyGuard(), SemaphoreGuard::Take::Try);
    if (!guard.IsHeld())
        return;
    m_hotKeys.SetLastPressTick(now);

    const bool visible = m_mainWindow && ::IsWindowVisible(m_mainWindow) == 1;
    const OpenDialogs dialogs;
    const auto post = [this](WORD command) { PostMessage(WM_COMMAND, command, 0); };

    switch (m_hotKeys.Find(key))
    {
    case 2:
        if (visible && dialogs.NoProgramDialog())
        {
            TakeSlideSnapshot();
            post(dialogs.NoViewer() ? ID_REOPEN_VIEWER : ID_CLOSE_VIEWER);
        }
        break;
    case 3:
        if (visible && dialogs.NoProgramDialog())
        {
            TakeSlideSnapshot();
            post(dialogs.open[SlideProperties] ? ID_CLOSE_SLIDE_PROPERTIES : ID_SLIDE_PROPERTIES);
        }
        break;
    case 4:
        if (visible && dialogs.Nothing())
        {
            TakeSlideSnapshot();
            post(ID_SLIDE_ADVERT);
        }
        break;
    case 5:
    case 6:
        if (dialogs.Nothing())
        {
            const bool next = m_hotKeys.Find(key) == 5;
            const SlideSnapshot slide = TakeSlideSnapshot();
            if (next ? slide.hasGallerySelection : slide.hasOtherSlides)
                post(next ? ID_NEXT_SLIDE : ID_NEXT_LOCAL_SLIDE);
            else
                PostToMainWindow(WM_NOTICE, IDS_NOTICE_COMMAND_TITLE,
                                 next ? IDS_NOTICE_NO_GALLERY : IDS_NOTICE_NO_OTHER_SLIDES);
        }
        break;
    case 7:
        if (m_trayIcon.IsPresent())
        {
            const SlideSnapshot slide = TakeSlideSnapshot();
            if (MainWindowState().HasPlainOperationMode())
                post(visible ? ID_HIDE_MAIN_WINDOW : ID_SHOW_MAIN_WINDOW);
            else if (visible)
                post(ID_HIDE_MAIN_WINDOW);
            else
                post(slide.paused ? ID_RESUME : ID_PAUSE);
        }
        break;
    case 8:
        if (visible && dialogs.Nothing())
            PostToMainWindow(WM_FLASH_OPAQUE, 0, 0);
        break;
    default:
        break;
    }
}

CWindowBase::SlideSnapshot CWindowBase::TakeSlideSnapshot()
{
    const MainWindowSnapshot& state = MainWindowState();
    Lock slide(m_shared->slideLock);
    CaptureCommandTarget();
    SlideSnapshot snapshot;
    snapshot.hasGallerySelection = state.gallerySelection;
    snapshot.hasOtherSlides = state.otherSlides;
    snapshot.paused = state.timerPaused;
    return snapshot;
}
