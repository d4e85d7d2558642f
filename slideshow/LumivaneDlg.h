// The slide-show main window: a dialog that the main-dialog thread of the
// controller runs modally for the whole life of the program. It owns the
// show's state, receives every private message that drives the show and
// reports its state to the controller by posted messages.
#pragma once

#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "slideshow/FramePresenter.h"
#include "slideshow/LocalSlidePreparation.h"
#include "slideshow/LocalWalk.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/MediaPlayerHost.h"
#include "slideshow/OnlineRound.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/PictureControl.h"
#include "slideshow/PointerState.h"
#include "slideshow/PreparedPicture.h"
#include "slideshow/ProgramIdentity.h"
#include "slideshow/ScreenSaverWnd.h"
#include "slideshow/SlideOnScreen.h"
#include "slideshow/SlideRendering.h"
#include "slideshow/SlideStep.h"
#include "slideshow/SlideTimer.h"
#include "slideshow/TooltipNotices.h"
#include "slideshow/ViewerChoice.h"
#include "slideshow/ViewerWindows.h"
#include "slideshow/WindowFade.h"
#include "slideshow/WindowGuards.h"
#include "slideshow/WindowModes.h"
#include "standins/atl/AtlWindow.h"

#include <gdiplus.h>

#include <memory>
#include <optional>
#include <vector>

class CLumivaneDlg : public ATL::CDialogImpl<CLumivaneDlg>
{
public:
    enum
    {
        IDD = IDD_MAIN
    };

    // link outlives the window; its controller window is read at every
    // message sent to the controller.
    explicit CLumivaneDlg(const ControllerLink* link);
    ~CLumivaneDlg() override;

    static const ATL::MessageMap<CLumivaneDlg>& GetMessageMap();

    // ---- State the controller reads or writes (under the named locks) ----
    OperationMode GetOperationMode();
    // No mode bits other than 0x01000000 and 0x04000000.
    bool HasPlainOperationMode();

    // Called each time a slide is shown; acts once per process.
    void OnFirstSlideShown();

    // ---- Presenting slides ----
    // Presents the prepared picture as the new slide with a cross-fade; mode
    // is the step's SlideStepMode (in the cycle modes a step the user asked
    // for shows the window at once). False only when nothing is presented
    // because the show waits for an online slide and the same status card
    // stands already.
    bool ShowSlide(int mode);
    // Makes a status card of the text over the art (a PNG of the program)
    // the prepared picture; ShowSlide presents it.
    void ShowStatusCard(MStringEx<wchar_t> text, unsigned artId);
    // A slide title on the prepared picture (nothing without one);
    // the rectangle is left moved.
    void DrawShadowedText(const MStringEx<wchar_t>& text, Gdiplus::RectF& layout, float points);
    // The card shown while the display area is being changed.
    void RenderPreviewCard(int side);
    // Completes a running cross-fade at once (before the window is hidden,
    // paused or resized, or a new slide is prepared).
    void FinishTransition();
    // Gives the window the styles, z-order and borders of its operation mode.
    void ApplyWindowMode();
    // Starts a window fade towards shown or hidden; the state code goes to
    // the controller when it ends.
    void ShowWithFade(bool show, DWORD stateCode);
    // Whether one of the program's own dialogs (or, for scopes 0 and 1,
    // viewers) is open.
    static bool IsOwnDialogOpen(int scope) { return ::IsOwnDialogOpen(scope); }
    // The controller tracks its tray or context menu: this window does not
    // raise itself over the menu then.
    bool IsControllerMenuOpen() const;
    // Whether the window's rectangle differs from the given one.
    bool IsWindowRectChanged(int left, int top, int width, int height) const;
    bool IsCrossFadeRunning() const { return m_frames.IsCrossFading() && m_online.IsCrossFadeTimerSet(); }
    // The screen-saver windows while the screen saver runs, in list order.
    size_t ScreenSaverWindowCount() const { return m_screenSavers.size(); }
    const ScreenSaverWnd& ScreenSaverWindowAt(size_t index) const { return *m_screenSavers.at(index); }
    // Moves the window to that size at the anchor corner of the display
    // area; the first placement clears the keep-hidden flag and shows it.
    void PlaceWindow(int width, int height);
    // Window minus client size of the main window plus the same of the
    // picture control, across and down: a picture size plus these gives the
    // window size.
    SIZE NonClientSize() const;

    // ---- The settings record and the display area (the settings dialog
    // edits the fields in place and stores them through these) ----
    // "Performance Data" and the Run value.
    void SaveSettings();
    // The start-with-Windows flag from the Run value.
    void LoadAutoStart();
    // Reads and checks "Display Area"; a bad one is replaced by the default
    // and written.
    void LoadDisplayArea();
    // The default area, in memory only.
    void SetDefaultDisplayArea();
    void SaveDisplayArea();
    // The corner at which the window sits in the rectangle; with clamp the
    // rectangle is moved back onto the monitors when its corner is off them.
    Anchor_corner_effective ResolveAnchorCorner(RECT& area, bool clamp);
    Anchor_corner_effective NearestScreenCorner(RECT& area);
    // Lays the window out anew on the stored display area.
    void RelayoutWindow();
    // A notice in the tracking tooltip, once the first slide is shown.
    void ShowTrackingTooltip(MStringEx<wchar_t> title, const MStringEx<wchar_t>& body);
    void HideTrackingTooltip();

    // ---- The slide step ----
    // One step (kind 0 ordinary, 1 a local slide the user asked for; modes
    // as SlideStepMode): true when it started the download worker or showed
    // a slide.
    bool NextSlide(int kind, int mode);
    // Whether a gallery of the source is selected, and whether it has a slide
    // other than the current one (the controller's menus).
    bool HasGallerySelection(bool local);
    // The kind and title of the slide now shown.
    SlideKind CurrentSlideKind() const { return m_shown.Kind(); }
    const MStringEx<wchar_t>& CurrentSlideTitle() const { return m_shown.Title(); }
    bool HasOtherSlides(bool local);
    // The rows the slide-properties window lists for the current slide: the
    // fixed rows of what it said of itself, then its content properties.
    void CurrentSlidePropertyRows(MList<ContentPropertyRow>& rows) const;
    // Whether closing now would keep the shown slide's time for the next
    // start: its timer runs and no online slide is awaited.
    bool KeepsShownTime();

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

    // ---- Slide rendering, cross-fade and window modes ----
    // Drawing the current frame into the picture control.
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHoverTimer(UINT_PTR, BOOL&);
    LRESULT OnCrossFadeTimer(UINT_PTR, BOOL&);
    LRESULT OnFadeTimer(UINT_PTR, BOOL&);
    // Hover rules, dragging, Ctrl over the picture and the right click.
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtrlOverPicture(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    // Show or hide with a fade (WM_SHOW_HIDE), pause or resume (WM_PAUSE_RESUME).
    LRESULT OnShowHide(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPauseResume(UINT, WPARAM, LPARAM, BOOL&);

    // ---- The slide step, the settings record and the notices ----
    // The slide timer, the tooltip timer and the topmost timer (topmost
    // watch and screen saver); each runs under the timer semaphore.
    LRESULT OnSlideTimer(UINT_PTR, BOOL&);
    LRESULT OnToolTipTimer(UINT_PTR, BOOL&);
    LRESULT OnTopmostTimer(UINT_PTR, BOOL&);
    LRESULT OnSetSide(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelectionChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNextSlide(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOnlineFetchEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDialogClosed(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotice(UINT, WPARAM, LPARAM, BOOL&);
    // A controller dialog opens (WM_SHOW_HIDE with its reason): runs before the
    // show-and-hide handler and lets it go on.
    LRESULT OnControllerDialogOpening(UINT, WPARAM, LPARAM, BOOL&);
    // The settings dialog's copy, taken and given back on this thread.
    LRESULT OnCopySettings(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnApplySettings(UINT, WPARAM, LPARAM, BOOL&);
    // Writes what the controller reads of this window into the link's
    // snapshot; called on this thread whenever the settings record changes.
    void PublishState();
    // Writes the slide on screen and the show's state into the snapshot, for
    // the controller's menu and file commands.
    void PublishShownSlide();
    void PublishTimerState();
    LRESULT OnGalleryChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMediaSourceChanged(UINT, WPARAM, LPARAM, BOOL&);
    // Announces the current slide to the controller and presents it (the
    // slide restored at start).
    LRESULT OnAnnounceSlide(UINT, WPARAM, LPARAM, BOOL&);
    // Opens the current slide in the viewer of its kind at the point in
    // lParam and returns when it closes (LumivaneDlgViewers.cpp).
    LRESULT OpenSlideInViewer(UINT, WPARAM, LPARAM, BOOL&);
    // OpenSlideInViewer's choice and run of the viewer, split out of it.
    void OpenViewer(SlideViewer viewer, POINT anchor);

    // The slide-properties window: opened modeless at the point in lParam
    // (a beep while one is open), closed when it asks (LumivaneDlgViewers.cpp).
    LRESULT ShowSlideProperties(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseSlideProperties(UINT, WPARAM, LPARAM, BOOL&);
    // ---- The current file shown again; display and system changes ----
    // The current file prepared again from the disk and shown anew (after
    // the controller rotated it); nothing while a cross-fade runs.
    LRESULT OnShowSlideFileAgain(UINT, WPARAM, LPARAM, BOOL&);
    void ShowSlideFileAgain();
    // A step that found the slide lock held by a command of the controller
    // waits on a timer, never on the lock: this window keeps answering.
    void PostponeStep(int kind, int mode);
    LRESULT OnPostponedStepTimer(UINT_PTR, BOOL&);
    // Display changes and system settings end the screen saver; a window
    // left beside the monitors comes back onto the nearest one.
    LRESULT OnDisplayChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSettingChange(UINT, WPARAM, LPARAM, BOOL&);

    // ---- Steps of the window's own work ----
    // The display area, the settings record, the timer state and the start
    // with Windows; restoredPath receives the slide to show again (empty:
    // none).
    void LoadSettings(MStringEx<wchar_t>& restoredPath, bool& restoredOnline);
    void CreateMediaPlayer();
    // Under the viewer lock: WM_CLOSE_REQUEST with value to the open viewer.
    void CloseViewer(WPARAM value) { m_viewers.CloseViewer(value); }
    // Closes and deletes the slide-properties window when one is open.
    void CloseSlideProperties();
    // Arms the slide timer, or while the show waits for an online slide,
    // polls for it.
    void RestartSlideTimer(SlideTimer::ArmFor how);
    // Steps of presenting a slide (LumivaneDlgPresentation.cpp).
    void StartTransition();
    void DrawTransitionFrame(bool restartTimer);
    void RenderCurrentFrame();
    // Gives the window the size of the fitted picture when it differs.
    void PlaceWindowForPicture();
    // Places the picture control over the whole client area, without repainting.
    void FitPictureToClient();
    // The prepared picture's size fitted into the display area's square.
    void FitPreparedPicture();
    // The borders of the settings, or of the online slide that brings its own.
    void ApplyBorders();
    // The end of a window drag: the display area follows the window.
    void EndDrag(const RECT& window);
    // Ends a running window fade.
    void StopFade();
    // One tick of the fade that ends the dialog when the program quits.
    void StepCloseFade();
    // Whether the stored media source is the local galleries.
    bool IsMediaSourceLocal() const;
    // The adverts' rule for an online slide among local ones (kind 1 lowers
    // the count instead).
    bool IsOnlineSlideDue(int kind);
    void AdjustOnlineCount();
    // Builds the slide the record holds (a delivered reply or a file kept
    // for this step) as the prepared picture; throws StepFailure with the
    // text the user is to see.
    bool BuildReceivedSlide(int mode);
    // The badge of an online media item or document in the card's
    // bottom-right corner, sized for the window it will be shown in.
    void DrawOnlineBadge(Gdiplus::Bitmap& card, SlideKind kind);
    // Starts a round of the download worker for the record.
    bool StartDownloadWorker(bool advertDue) { return m_online.StartWorker(m_hWnd, advertDue); }
    bool ShowReceivedSlide(MStringEx<wchar_t>& path, int kind);
    // Parts of NextSlide. How a source's part ends: present what it
    // prepared, or end the step with true (a fetch or a check started) or
    // false (nothing to do).
    enum class StepOutcome
    {
        Present,
        Started,
        Nothing,
    };
    // What a part has done so far: a slide is prepared; the online record
    // was touched (a failure resets it).
    struct StepProgress
    {
        bool prepared = false;
        bool onlinePart = false;
    };
    bool SettleRunningWorker(int kind, int mode, bool local);
    StepOutcome OnlineStep(int kind, int mode, StepProgress& progress);
    StepOutcome LocalStep(int kind, int mode, StepProgress& progress);
    // The prepared local file becomes the current slide: its picture, kind
    // and title, the walk's record and "Current Slide".
    void TakeLocalSlide(const MStringEx<wchar_t>& path);
    // The preparation's slide becomes the prepared picture with its kind
    // and title; the bytes the picture is decoded from stay with it.
    void TakePreparedSlide();
    // A new slide or card becomes the prepared picture; a running
    // cross-fade is completed first.
    void TakePreparedPicture(BitmapPtr picture, std::unique_ptr<PreparedSlide> source);
    // The fields of the slide that the last step received or prepared go
    // before a new local slide is taken.
    void ResetReceivedSlide();
    // The first slide of a run: the restored local file prepared again, or
    // an online round started; false when neither happened.
    bool ResumeRestoredSlide(const MStringEx<wchar_t>& path, bool online);
    bool PresentStep(int mode, bool prepared);
    // WM_SELECTION_CHANGED: the gallery dialog ended with changes (or none).
    void OnSettingsChanged(WPARAM wParam, LPARAM lParam);
    // The settings dialog ended: its preview is undone, and the display area
    // goes back to the one at its opening unless the settings were saved.
    void EndSettingsDialog(const RECT& areaBefore, DWORD result);
    // The screen-saver windows over the monitors.
    bool IsScreenSaverRunning() const;
    void StartScreenSaver();
    void EndScreenSaver();
    // The full-size copy of a new slide, cross-faded into every screen-saver
    // window that shows slides.
    void HandOverToScreenSavers();
    void PostToController(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SetAlpha(BYTE alpha) const;
    static LRESULT CALLBACK PictureSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Registered messages.
    UINT m_closeDialogsMessage;
    UINT m_quitRunningInstanceMessage;
    UINT m_taskbarCreatedMessage;
    // The caption, names, version and icon of the program.
    ProgramIdentity m_program;
    // The link to the controller; its window is read at every message sent
    // to the controller.
    const ControllerLink* m_link;
    // The semaphores and locks of the window.
    WindowGuards m_guards;

    // The settings record: borders, operation mode, anchor corner, display
    // order, tray icon, opacity, screen saver and idle time.
    PerformanceData m_settings;
    // The display area, and while the settings dialog is open, the area at
    // its opening.
    RECT m_displayArea = {};
    std::optional<RECT> m_areaBeforeSettings;

    // The window: the tracking tooltip with its notices, the picture
    // control, the topmost watch of its timer, the window fade and the mouse.
    TooltipNotices m_notices;
    PictureControl m_picture;
    TopmostWatch m_topmostWatch;
    WindowFade m_fade;
    PointerState m_pointer;
    // The viewer and the slide-properties window over the current slide.
    ViewerWindows m_viewers;

    // What the picture control shows.
    FramePresenter m_frames;
    // The round of online slides with its download worker and record.
    OnlineRound m_online;
    // The screen-saver windows; the screen saver runs while there are any.
    std::vector<std::unique_ptr<ScreenSaverWnd>> m_screenSavers;
    // The prepared picture of the current slide.
    PreparedPicture m_prepared;
    // The invisible Windows Media Player and the media test of this thread.
    MediaPlayerHost m_media;

    // The slide step: its timer, and what waits for the slide lock: the last
    // step asked for, and the file shown again.
    SlideTimer m_slideTimer;
    struct PostponedStep
    {
        bool step = false;
        int kind = 0;
        int mode = 0;
        bool fileAgain = false;
    } m_postponed;

    // The walk through the local gallery; it reads the display order of the
    // settings record at every choice.
    LocalWalk m_walk{&m_settings.displayOrder};
    // The preparation of a file as a slide, made in OnInitDialog on the
    // main-dialog thread; it uses the walk, the media test and the online
    // record above and is declared after them.
    std::unique_ptr<LocalSlidePreparation> m_preparation;
    // The slide now shown ("Current Slide" keeps its file between runs).
    SlideOnScreen m_shown;
};
