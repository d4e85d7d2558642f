// The slide-show main window: a dialog that the main-dialog thread of the
// controller runs modally for the whole life of the program. It owns the
// show's state, receives every private message that drives the show and
// reports its state to the controller by posted messages.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "shell/WindowBase.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/SlideTimer.h"
#include "standins/atl/AtlWindow.h"

#include <objidl.h>

#include <gdiplus.h>

#include <atomic>

struct IWMPPlayer;
struct IWMPCore3;

class CLumivaneDlg : public ATL::CDialogImpl<CLumivaneDlg>
{
public:
    enum
    {
        IDD = IDD_MAIN
    };

    // controllerWindow is read at every message sent to the controller;
    // startupNotice is shown once the first slide is on screen (may be empty).
    CLumivaneDlg(CWindowBase* controller, const std::atomic<HWND>* controllerWindow,
                 const MStringEx<wchar_t>& startupNotice);
    ~CLumivaneDlg() override;

    static const ATL::MessageMap<CLumivaneDlg>& GetMessageMap();

    // ---- State the controller reads or writes (under the named locks) ----
    // Set by the controller's quit sequence.
    void SetClosing() { m_closing = true; }
    bool IsClosing() const { return m_closing; }
    OperationMode GetOperationMode();
    // No mode bits other than 0x01000000 and 0x04000000.
    bool HasPlainOperationMode();
    // The settings record's choice of an icon in the notification area.
    bool ShowsTrayIcon() const { return m_settings.trayIcon; }

    // Called each time a slide is shown; acts once per process.
    void OnFirstSlideShown();

    // Locks of the window, in declaration order: a slide step holds the step
    // and slide locks; the controller enters the menu lock while its context
    // menu is open and reads the mode under the mode lock.
    CriticalSection m_stepLock;
    CriticalSection m_slideLock;
    CriticalSection m_menuLock;

private:
    // ---- Message handlers: this window's own rows of the table ----
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnQuitRunningInstance(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetTopmost(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetAlpha(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMessageBoxRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseViewer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnBringToFront(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClosePhotoViewer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFlashOpaque(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRestoreToFront(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwallowCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnOpaqueFlashTimer(UINT_PTR, BOOL&);

    // ---- Entry points of the show's later features: handled, no effect yet ----
    // Drawing the current frame into the picture control.
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }
    // Timers 101 (hover watch), 102 (slide step), 105 (cross-fade frame), 106
    // (window fade), 110 (hide the tooltip) and 115 (topmost watch and screen
    // saver).
    LRESULT OnHoverTimer(UINT_PTR, BOOL&) { return 0; }
    LRESULT OnSlideTimer(UINT_PTR, BOOL&) { return 0; }
    LRESULT OnCrossFadeTimer(UINT_PTR, BOOL&) { return 0; }
    LRESULT OnFadeTimer(UINT_PTR, BOOL&) { return 0; }
    LRESULT OnToolTipTimer(UINT_PTR, BOOL&) { return 0; }
    LRESULT OnTopmostTimer(UINT_PTR, BOOL&) { return 0; }
    // Hover rules, dragging, Ctrl over the picture and the right click.
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnCtrlOverPicture(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    // Size, selection, slide steps, settings and notices.
    LRESULT OnSetSide(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnSelectionChanged(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnNextSlide(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnOnlineFetchEnded(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnDialogClosed(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnNotice(UINT, WPARAM, LPARAM, BOOL&);
    // Viewers and the slide-properties window.
    LRESULT OnOpenViewer(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnShowSlideProperties(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnCloseSlideProperties(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    // Pause, show and hide, gallery and source changes, re-rendering.
    LRESULT OnPauseResume(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnShowHide(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnGalleryChanged(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnShowSlideFileAgain(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnMediaSourceChanged(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnAnnounceSlide(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    // Display changes and the screen saver.
    LRESULT OnDisplayChange(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnSettingChange(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    // ---- Steps of the window's own work ----
    // The display area, the settings record, the timer state and the start
    // with Windows; restoredPath receives the slide to show again (empty:
    // none).
    void LoadSettings(MStringEx<wchar_t>& restoredPath, bool& restoredOnline);
    void CreateMediaPlayer();
    void CreateTrackingToolTip();
    // Under the viewer lock: 0x40E with value to the open viewer.
    void CloseViewer(WPARAM value);
    // Closes and deletes the slide-properties window when one is open; comes
    // with the viewers.
    void CloseSlideProperties() {}
    // Gives the window the styles and borders of its operation mode; comes
    // with the window modes.
    void ApplyWindowMode() {}
    // Stops the download worker; comes with the online slides.
    void StopDownloadWorker() {}
    // Whether the stored media source is the local galleries; comes with the
    // online gallery filter (until then: local).
    bool IsMediaSourceLocal() const { return true; }
    void PostToController(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SetAlpha(BYTE alpha) const;
    static LRESULT CALLBACK PictureSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // 1. Registered messages.
    UINT m_closeDialogsMessage;
    UINT m_quitRunningInstanceMessage;
    UINT m_taskbarCreatedMessage;
    // 2. Texts.
    MStringEx<wchar_t> m_title;          // string 70; caption of boxes for other threads
    MStringEx<wchar_t> m_productName;    // version "ProductName"
    MStringEx<wchar_t> m_secondText;     // string 71
    MStringEx<wchar_t> m_productVersion; // version "ProductVersion"
    // 3., 7., 9., 13. The settings record: borders, operation mode, anchor
    // corner, display order, tray icon, opacity, screen saver and idle time.
    PerformanceData m_settings;
    // 4. The slide timer.
    SlideTimer m_slideTimer;
    // 5. While set the window refuses to be shown; the first slide step
    // clears it.
    BYTE m_keepHidden = 1;
    // 6. Held by every slide step.
    MHandle m_slideSemaphore;
    // 7. The borders last applied; all ones so that the first application acts.
    DWORD m_appliedWindowBorder = ~0u;
    DWORD m_appliedImageBorder = ~0u;
    // 8. The window icon.
    MIcon m_icon;
    // 9. The picture control, timer 115.
    HWND m_picture = nullptr;
    WNDPROC m_pictureProc = nullptr;
    UINT_PTR m_topmostTimer = 0;
    // 11. Online-fetch reason, display area, dragging, hover.
    DWORD m_fetchReason = 2;
    RECT m_displayArea = {};
    HCURSOR m_dragCursor = nullptr;
    POINT m_dragStart = {};
    UINT_PTR m_hoverTimer = 0;
    BYTE m_mouseOutside = 1;
    // 12. Guards of the timers, the viewer and message boxes (the step and
    // slide locks are public above).
    MHandle m_timerSemaphore;
    CriticalSection m_viewerLock;
    HWND m_viewer = nullptr;
    MHandle m_messageBoxSemaphore;
    // 13. The frame semaphore; the operation mode's lock.
    MHandle m_frameSemaphore;
    CriticalSection m_modeLock;
    // 14. The current frame and the full-size copy of the prepared picture.
    Gdiplus::Bitmap* m_frame = nullptr;
    Gdiplus::Bitmap* m_fullSizeFrame = nullptr;
    // 15. The invisible Windows Media Player.
    IWMPPlayer* m_player = nullptr;
    IWMPCore3* m_playerCore = nullptr;
    // 16. Card artwork.
    Gdiplus::Bitmap* m_mediaCard = nullptr;
    Gdiplus::Bitmap* m_textCard = nullptr;
    // 17. Window fade.
    BYTE m_alpha = 0;
    BYTE m_targetAlpha = 255;
    UINT_PTR m_fadeTimer = 0;
    int m_fadeDirection = 1;
    DWORD m_fadeStateCode = 1;
    UINT_PTR m_opaqueFlashTimer = 0;
    // 18. The download worker and the cross-fade.
    MHandle m_downloadWorker{INVALID_HANDLE_VALUE};
    MHandle m_workerRunningEvent;
    MHandle m_workerStopEvent;
    UINT_PTR m_crossFadeTimer = 0;
    unsigned __int64 m_crossFadeProgress = 0;
    // 19. Waiting for an online slide; status-card hashes; fast retry.
    BYTE m_waitingForOnline = 1;
    unsigned __int64 m_cardHash = 0;
    unsigned __int64 m_previousCardHash = 0;
    BYTE m_fastRetry = 0;
    // 20. Where the controller's window is read.
    const std::atomic<HWND>* m_controllerWindow;
    // 21. Local slides shown since the last online slide.
    DWORD m_localSlideCount = 0;
    // 22. The prepared picture of the current slide and an empty stream.
    Gdiplus::Bitmap* m_prepared = nullptr;
    IStream* m_emptyStream = nullptr;
    // 24. The tracking tooltip.
    HWND m_toolTip = nullptr;
    // 25. Texts loaded at construction for the tooltip notices, and one empty
    // text.
    MList<MStringEx<wchar_t>> m_notices;
    // 26. Timer 110, the step-pending flag, the start-up notice.
    UINT_PTR m_toolTipTimer = 0;
    BYTE m_stepPending = 0;
    MStringEx<wchar_t> m_startupNotice;
    // 27. The controller.
    CWindowBase* m_controller;

    std::atomic<bool> m_closing{false};
};
