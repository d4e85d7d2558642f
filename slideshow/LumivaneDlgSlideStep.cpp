// CLumivaneDlg: the slide step. The slide timer and the messages that ask
// for a slide (WM_NEXT_SLIDE, WM_ONLINE_FETCH_ENDED, WM_SELECTION_CHANGED,
// WM_GALLERY_CHANGED, WM_MEDIA_SOURCE_CHANGED, WM_DIALOG_CLOSED) end in
// NextSlide, which chooses between an online slide, fetched by the download
// worker, and the next file of the local gallery; the topmost timer keeps
// the window topmost and decides about the screen saver.
#include "slideshow/LumivaneDlg.h"

#include "adverts/Adverts.h"
#include "filter/MediaSource.h"
#include "foundation/ShellHelpers.h"
#include "foundation/SmartPtr.h"
#include "galleries/LocalGalleryStore.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/PrivateMessages.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/SettingsRegistry.h"
#include "server/ReceivedSlide.h"

#include <shlwapi.h>

namespace
{
// How often a step that waits for the slide lock tries again.
constexpr UINT PostponedStepPeriod = 100;

// The text a failure of a step carries, or the general one.
MString FailureText(std::exception_ptr failure, const MString& productName)
{
    try
    {
        std::rethrow_exception(failure);
    }
    catch (const StepFailure& failure)
    {
        return failure.Text();
    }
    catch (...)
    {
    }
    return MString(sX::Format(), IDS_CARD_STEP_FAILED, productName.GetText());
}
}

// ---- Sources ------------------------------------------------------------------

bool CLumivaneDlg::IsMediaSourceLocal() const { return ReadMediaSource(); }

namespace
{
OnlineSlideIncidence ReadIncidence(const ControllerLink& link)
{
    OnlineSlideIncidence incidence;
    if (!link.slideAdverts)
        return incidence;
    SlideAdvertsSettings& settings = *link.slideAdverts;
    Lock lock(settings.lock);
    incidence.firstFlag = settings.suspendOnline != 0;
    incidence.enabled = settings.enabled != 0;
    incidence.incidence = settings.incidence;
    return incidence;
}
}

bool CLumivaneDlg::IsOnlineSlideDue(int kind) { return m_online.IsOnlineSlideDue(ReadIncidence(*m_link), kind); }

void CLumivaneDlg::AdjustOnlineCount() { m_online.AdjustLocalSlideCount(ReadIncidence(*m_link)); }

bool CLumivaneDlg::ShowReceivedSlide(MString& path, int kind)
{
    try
    {
        const int state = m_online.Record().state;
        const MString file = m_online.Record().file;
        if (BuildReceivedSlide(kind))
        {
            // A slide the record held from a local file is a shown file of
            // the walk like one the step prepared itself.
            const SlideKind fileKind = FileSlideKind(state);
            if (fileKind != SlideNone)
            {
                m_shown.SetKind(fileKind);
                m_walk.RecordShownFile(file, true);
            }
            path = file;
            return true;
        }
    }
    catch (...)
    {
        ShowStatusCard(FailureText(std::current_exception(), m_program.Name()), IDP_STATUS_ART);
    }
    // Not built: the slide is failed and forgotten.
    if (!m_shown.Path().IsEmpty())
        m_walk.MarkFileCompleted(m_shown.Path());
    m_shown.SetPath(MString());
    m_online.Record().Reset();
    return false;
}

// ---- The step -------------------------------------------------------------------

// A step while the download worker runs: false when the step ends here.
bool CLumivaneDlg::SettleRunningWorker(int kind, int mode, bool local)
{
    if (!m_online.IsWorkerRunning())
        return true;
    switch (DecideWhileWorkerRuns(mode, kind, m_online.FetchReason()))
    {
    case RunningWorkerAction::WaitForEnd:
        // The wait for an ended fetch's thread is the same bounded stop.
        m_online.StopWorker();
        return true;
    case RunningWorkerAction::LeaveRunning:
        return false;
    case RunningWorkerAction::MarkPending:
        m_online.MarkStepPending();
        return false;
    case RunningWorkerAction::StopAndReset:
        m_online.StopWorker();
        m_online.Record().Reset();
        return true;
    case RunningWorkerAction::StopAndGoOn:
        m_online.StopWorker();
        return true;
    case RunningWorkerAction::BusyNotice:
        ShowTrackingTooltip(MString(ResId(local ? IDS_NOTICE_LOCAL_BUSY_TITLE : IDS_NOTICE_ONLINE_BUSY_TITLE)),
                            m_notices.Text(Notice::WaitElapsed));
        m_online.MarkStepPending();
        return false;
    }
    return true;
}

// The online source: the first step of a selection starts a fetch; later
// steps show the reply the worker left, or a card, and start the next fetch.
// Without a chosen gallery nothing is asked of the server.
CLumivaneDlg::StepOutcome CLumivaneDlg::OnlineStep(int kind, int mode, StepProgress& progress)
{
    progress.onlinePart = true;
    InternetSlideState& record = m_online.Record();
    const DWORD order = static_cast<DWORD>(m_settings.displayOrder);
    const SelectedOnlineGallery gallery = ReadSelectedOnlineGallery();
    if (gallery.name.IsEmpty())
    {
        // Every fresh install starts here: the card stays, and the show
        // looks again at the slide interval (a new choice steps at once).
        record.Reset();
        m_online.SetFetchReason(static_cast<DWORD>(kind));
        ShowStatusCard(MString(ResId(IDS_CARD_NO_ONLINE_GALLERY)), IDP_STATUS_ART);
        m_online.RestOn(OnlineRound::RestingCard::NoGallery);
        progress.prepared = true;
        return StepOutcome::Present;
    }
    if (mode == StepCheckSelection)
    {
        record.Reset();
        m_online.SetFetchReason(static_cast<DWORD>(kind));
        record.StartSession(gallery, order, 1, false);
        const bool due = IsOnlineSlideDue(kind);
        if (due)
            m_online.ResetLocalSlideCount();
        if (StartDownloadWorker(due))
            return StepOutcome::Started;
        // No fetch runs that could show a slide: a status card stands for it
        // as in any other step.
    }
    // A reply of the selected gallery that the worker left is shown.
    if (mode != StepCheckSelection && mode != StepSelectionChanged && kind == StepOrdinary &&
        record.IsHeld() && record.IsOfGallery(gallery.name))
    {
        progress.prepared = BuildReceivedSlide(0);
        m_online.SetFetchReason(0);
        record.StartSession(gallery, order, 1, false);
        StartDownloadWorker(IsOnlineSlideDue(0));
        return StepOutcome::Present;
    }
    m_online.SetFetchReason(static_cast<DWORD>(kind));
    record.StartSession(gallery, order, kind == StepOrdinary ? 1 : -2, false);
    const bool due = kind == StepOrdinary ? IsOnlineSlideDue(0) : false;
    // The card of a failed round stays while the next round runs: the show
    // keeps one card instead of turning to the waiting card and back.
    if (m_online.Resting() == OnlineRound::RestingCard::FailedRound && m_shown.Kind() == SlideStatusCard &&
        StartDownloadWorker(due))
        return StepOutcome::Started;
    ShowStatusCard(MString(ResId(IDS_ONLINE_SLIDE_WAITING)), IDP_STATUS_ART);
    progress.prepared = true;
    if (!m_online.IsWorkerRunning())
        StartDownloadWorker(due);
    return StepOutcome::Present;
}

// The local source: what the last online fetch left in the record first (a
// failure text, an advert to show), then an online slide when one is due or
// the next file of the walk.
CLumivaneDlg::StepOutcome CLumivaneDlg::LocalStep(int kind, int mode, StepProgress& progress)
{
    InternetSlideState& record = m_online.Record();
    if (mode == StepCheckSelection || kind == StepLocalOnly)
        record.Reset();
    bool onlineShown = false;
    MString failure;
    if (record.state == InternetSlideState::Failed)
    {
        m_online.StatusText(failure);
        if (!record.file.IsEmpty())
            m_walk.MarkFileCompleted(record.file);
        record.Reset();
    }
    else if (record.state >= 1 && record.state <= 3 && record.advert)
    {
        progress.onlinePart = true;
        progress.prepared = BuildReceivedSlide(kind);
        m_online.ResetLocalSlideCount();
        onlineShown = true;
    }
    else if (record.IsHeld())
    {
        // A slide kept in the record is shown when its content is still what
        // was stored; the next file is then kept for the step after.
        if (record.IsContentUnchanged())
        {
            progress.onlinePart = true;
            MString path;
            progress.prepared = ShowReceivedSlide(path, kind);
            if (progress.prepared)
            {
                m_shown.SetPath(path);
                if (kind == StepOrdinary || kind == StepLocalOnly)
                    m_online.CountLocalSlide();
                onlineShown = true;
            }
        }
        else
            record.Reset();
    }

    const SlideChoice choice = ChooseNextSlide(kind, mode, onlineShown, m_shown.Path(), ReadIncidence(*m_link),
                                               m_online.LocalSlideCount(), m_walk, *m_preparation);
    switch (choice.outcome)
    {
    case SlideChoice::OnlineDue:
        record.StartSession(ReadSelectedOnlineGallery(), static_cast<DWORD>(m_settings.displayOrder), 1,
                                     false);
        if (!StartDownloadWorker(true))
            break;
        if (!onlineShown)
            m_online.MarkStepPending();
        return StepOutcome::Started;
    case SlideChoice::LocalPrepared:
        progress.prepared = true;
        TakeLocalSlide(choice.path);
        break;
    case SlideChoice::LoadedIntoRecord:
    case SlideChoice::PresentPrepared:
        break;
    case SlideChoice::LoadedForCheck:
        return StepOutcome::Started;
    case SlideChoice::NothingForCheck:
        return StepOutcome::Nothing;
    case SlideChoice::StatusCard:
        ShowStatusCard(choice.cardWithProductName ? MString(sX::Format(), choice.cardString, m_program.Name().GetText())
                                                  : MString(ResId(choice.cardString)),
                       IDP_STATUS_ART);
        progress.prepared = true;
        break;
    }
    if (!progress.prepared && !failure.IsEmpty())
    {
        ShowStatusCard(failure, IDP_STATUS_ART);
        progress.prepared = true;
    }
    return StepOutcome::Present;
}

// What a received slide carried goes before another slide is taken.
void CLumivaneDlg::ResetReceivedSlide()
{
    m_shown.ForgetReceived();
    m_online.ReleaseShownCode();
}

void CLumivaneDlg::TakePreparedSlide()
{
    ResetReceivedSlide();
    std::unique_ptr<PreparedSlide> slide = m_preparation->TakePrepared();
    m_shown.TakeFile(slide->kind, slide->title);
    BitmapPtr picture = std::move(slide->picture);
    TakePreparedPicture(std::move(picture), std::move(slide));
}

// The walk's file was prepared: it becomes the current slide.
void CLumivaneDlg::TakeLocalSlide(const MString& path)
{
    TakePreparedSlide();
    m_online.SetFetchReason(0);
    m_online.TakeSlide();
    m_shown.SetPath(path);
    m_walk.RecordShownFile(path, true);
    PostTrayTitle(m_link->controllerWindow->load(),
                  std::make_unique<MString>(sX::Format(), IDS_SLIDE_TOOLTIP, m_shown.Title().GetText()));
    // A file that cannot be hashed is not resumed at the next start.
    if (!SaveCurrentSlide(true, path))
        DeleteCurrentSlideValue();
}

// Presents what the step prepared, or the card that says nothing was.
bool CLumivaneDlg::PresentStep(int mode, bool prepared)
{
    if (!prepared)
        ShowStatusCard(MString(sX::Format(), IDS_CARD_NOTHING_PREPARED, m_program.Name().GetText()), IDP_STATUS_ART);
    return ShowSlide(mode);
}

bool CLumivaneDlg::NextSlide(int kind, int mode)
{
    const bool local = IsMediaSourceLocal();
    if (!SettleRunningWorker(kind, mode, local))
        return false;

    HideTrackingTooltip();
    if (m_slideTimer.WindowTimer())
        m_slideTimer.Stop(m_hWnd);
    m_online.ClearStepPending();
    const TryLock slide = m_guards.TrySlide();
    if (!slide.IsHeld())
    {
        PostponeStep(kind, mode);
        return false;
    }
    m_online.ClearFastRetry();

    StepProgress progress;
    try
    {
        const StepOutcome outcome = local ? LocalStep(kind, mode, progress) : OnlineStep(kind, mode, progress);
        if (outcome != StepOutcome::Present)
            return outcome == StepOutcome::Started;
        return PresentStep(mode, progress.prepared);
    }
    catch (...)
    {
        // The failure card stands for the slide; a failed online part
        // leaves no record behind.
        const std::exception_ptr failure = std::current_exception();
        if (progress.onlinePart)
            m_online.Record().Reset();
        ShowStatusCard(FailureText(failure, m_program.Name()), IDP_STATUS_ART);
        // The online show rests on the card of a failed round until the
        // slide interval has passed.
        if (!local)
            m_online.RestOn(OnlineRound::RestingCard::FailedRound);
        return ShowSlide(mode);
    }
}

// ---- Timers ---------------------------------------------------------------------

LRESULT CLumivaneDlg::OnSlideTimer(UINT_PTR, BOOL&)
{
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    KillTimer(SlideTimer::TimerId);
    m_slideTimer.TimerKilled();
    const TryLock step = m_guards.TryStep();
    const SemaphoreGuard slide = m_guards.Steps(SemaphoreGuard::Take::Try);
    m_fade.StopKeepingHidden();

    // A drag, an open dialog of the program or a step that runs: try again
    // in a second.
    const bool blocked =
        GetCapture() == m_hWnd || IsOwnDialogOpen(ScopeSlideTimer) || !step.IsHeld() || !slide.IsHeld();
    const OperationMode mode = GetOperationMode();
    switch (DecideTimerStep(m_slideTimer, mode, m_online.IsWaiting(), blocked))
    {
    case TimerStepAction::Retry:
        m_slideTimer.ForgetCount();
        m_slideTimer.Retry(m_hWnd, StepRetryPeriod);
        break;
    case TimerStepAction::HideRestOfCycle:
    {
        // The shown part of the cycle has ended: hidden until its end.
        KillTimer(HoverTimerId);
        m_pointer.SetHoverTimer(0);
        m_slideTimer.Arm(m_hWnd, mode, SlideTimer::ArmFor::HiddenRestOfCycle);
        PostTrayTitle(m_link->controllerWindow->load(), std::make_unique<MString>());
        PostMessage(WM_SHOW_HIDE, 0, ShowReasonCycleEnd);
        break;
    }
    case TimerStepAction::Step:
        m_slideTimer.ClearTimes();
        NextSlide(StepOrdinary, StepTimer);
        break;
    }
    return 0;
}

LRESULT CLumivaneDlg::OnTopmostTimer(UINT_PTR, BOOL&)
{
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    const OperationMode mode = GetOperationMode();
    if (m_topmostWatch.Tick(mode, IsOwnDialogOpen(ScopeSlideTimer) || IsControllerMenuOpen()))
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    IdleTest test;
    test.mode = mode;
    test.screenSaverMode = m_settings.screenSaverMode;
    test.crossFadeRunning = m_online.IsCrossFadeTimerSet();
    test.windowVisible = IsWindowVisible() != FALSE;
    test.now = GetTickCount64();
    LASTINPUTINFO input = {};
    input.cbSize = sizeof(input);
    test.lastInputTick = QueryLastInput(&input) ? input.dwTime : 0;
    test.idleSeconds = m_settings.idleSeconds;
    test.screenSaverRunning = IsScreenSaverRunning();
    ScreenSaverAction action = DecideScreenSaver(test);
    if (action == ScreenSaverAction::Start)
    {
        // Not over a locked session.
        test.sessionLockState = QuerySessionLockState();
        action = DecideScreenSaver(test);
    }
    if (action == ScreenSaverAction::End)
        EndScreenSaver();
    else if (action == ScreenSaverAction::Start)
        StartScreenSaver();
    return 0;
}

bool CLumivaneDlg::IsControllerMenuOpen() const
{
    const DWORD thread = GetWindowThreadProcessId(m_link->controllerWindow->load(), nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return thread && GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE);
}

// ---- Messages that ask for a slide ----------------------------------------------

LRESULT CLumivaneDlg::OnNextSlide(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const SemaphoreGuard slide = m_guards.Steps(SemaphoreGuard::Take::Try);
    if (slide.IsHeld())
        NextSlide(lParam == NextSlideAnySource ? StepOrdinary : StepLocalOnly, static_cast<int>(wParam));
    else
        ShowTrackingTooltip(MString(ResId(IDS_NOTICE_BUSY_TITLE)), m_notices.Text(Notice::Busy));
    return 0;
}

LRESULT CLumivaneDlg::OnOnlineFetchEnded(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    HideTrackingTooltip();
    if (wParam == 0)
    {
        NextSlide(StepOrdinary, StepAfterFetch);
        return 0;
    }
    if (!m_online.IsWaiting() && !m_online.IsStepPending())
        return 0;
    const bool viewerOpen = m_viewers.IsViewerOpen();
    CloseViewer(2);
    CloseSlideProperties();
    const bool waitingBefore = m_online.IsWaiting();
    NextSlide(StepOrdinary, StepAfterFetch);
    // The viewer opens again for the new online slide.
    if (viewerOpen && waitingBefore && m_online.IsWaiting())
        PostToController(WM_COMMAND, ID_REOPEN_VIEWER, 0);
    return 0;
}

LRESULT CLumivaneDlg::OnGalleryChanged(UINT, WPARAM, LPARAM, BOOL&)
{
    const SemaphoreGuard slide = m_guards.Steps(SemaphoreGuard::Take::Wait);
    // The current file was moved or deleted: the walk reads the gallery
    // again and drops what is gone.
    m_walk.RestartLocalWalk(false, false);
    NextSlide(StepOrdinary, StepUserNext);
    return 0;
}

LRESULT CLumivaneDlg::OnMediaSourceChanged(UINT, WPARAM, LPARAM, BOOL&)
{
    if (IsMediaSourceLocal())
        return 0;
    m_online.StopWorker();
    m_online.Record().Reset();
    m_shown.SetPath(MString());
    DeleteCurrentSlideValue();
    NextSlide(StepOrdinary, StepUserNext);
    return 0;
}

LRESULT CLumivaneDlg::OnSelectionChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    OnSettingsChanged(wParam, lParam);
    return 0;
}

void CLumivaneDlg::OnSettingsChanged(WPARAM wParam, LPARAM lParam)
{
    const DWORD changes = static_cast<DWORD>(lParam);
    if (changes == 0)
        return;
    AdjustOnlineCount();
    if (changes == SelectionUnchanged)
    {
        NextSlide(StepOrdinary, StepSelectionChanged);
        return;
    }
    const SemaphoreGuard slide = m_guards.Steps(SemaphoreGuard::Take::Wait);
    // A new local or online selection: the walk takes in the new items at
    // once, and the record of the old selection goes.
    if (changes & (SelectionChangedLocal | SelectionChangedOnline))
    {
        m_walk.RestartLocalWalk(false, true);
        m_online.Record().Reset();
    }
    // The content changed: a record whose file left the selection goes, and
    // so does one whose content no longer matches the digest it was stored
    // with.
    if ((changes & SelectionChangedContent) && m_online.Record().IsHeld() &&
        (!m_walk.IsPathInSelection(m_online.Record().file) || !m_online.Record().IsContentUnchanged()))
        m_online.Record().Reset();
    // A current slide that left the selection is replaced at once; one that
    // stays is kept while a check step finds the next file for later.
    if (!m_walk.IsPathInSelection(m_shown.Path()) ||
        (!m_online.Record().IsHeld() && !NextSlide(StepOrdinary, StepCheckSelection)))
    {
        m_shown.SetPath(MString());
        NextSlide(StepOrdinary, StepSelectionChanged);
    }

    const DWORD flags = static_cast<DWORD>(wParam);
    if (flags & SelectionThenDialogClosed)
    {
        const LONG code = static_cast<LONG>(flags & ~SelectionThenDialogClosed);
        PostMessage(WM_DIALOG_CLOSED, static_cast<WPARAM>(static_cast<LONG_PTR>(code)),
                    static_cast<LPARAM>(GetOperationMode()));
    }
}

LRESULT CLumivaneDlg::OnDialogClosed(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const DWORD code = static_cast<DWORD>(wParam);
    if (m_areaBeforeSettings)
    {
        const RECT areaBefore = *m_areaBeforeSettings;
        m_areaBeforeSettings.reset();
        EndSettingsDialog(areaBefore, code & ~DialogClosedWasVisible);
    }
    ApplyWindowMode();
    if (m_online.IsWaiting())
    {
        RestartSlideTimer(SlideTimer::ArmFor::RestAfterPause);
        return 0;
    }
    // A dialog closed by the program (quit or hide) restarts nothing.
    if ((code & DialogResultBits) == DialogClosedByProgram)
        return 0;
    RestartSlideTimer(SlideTimer::ArmFor::RestAfterPause);
    if (IsCycleMode(GetOperationMode()) && m_slideTimer.HasReachedIntervalB())
        PostMessage(WM_SHOW_HIDE, 0, ShowReasonPlain);
    return 0;
}

LRESULT CLumivaneDlg::OnAnnounceSlide(UINT, WPARAM, LPARAM, BOOL&)
{
    PostTrayTitle(m_link->controllerWindow->load(),
                  std::make_unique<MString>(sX::Format(), IDS_SLIDE_TOOLTIP, m_shown.Title().GetText()));
    return ShowSlide(StepCheckSelection);
}

// ---- For the controller's menus -------------------------------------------------

void CLumivaneDlg::PublishShownSlide()
{
    MainWindowSnapshot& snapshot = *m_link->snapshot;
    const bool local = IsMediaSourceLocal();
    {
        const Lock slide = m_guards.Slide();
        snapshot.shown.kind = m_shown.Kind();
        snapshot.shown.path = m_shown.Path();
        snapshot.shown.identity = m_shown.Title();
        const bool online = m_shown.IsOnline();
        snapshot.shown.link = online ? m_shown.Link() : MString();
        snapshot.shown.slideId = online ? m_shown.Id() : MString();
    }
    snapshot.localSource = local;
    snapshot.gallerySelection = HasGallerySelection(local);
    snapshot.otherSlides = HasOtherSlides(local);
    PublishTimerState();
}

void CLumivaneDlg::PublishTimerState()
{
    m_link->snapshot->timerPaused = m_slideTimer.IsPaused();
}

LRESULT CLumivaneDlg::OnShowSlideFileAgain(UINT, WPARAM, LPARAM, BOOL&)
{
    ShowSlideFileAgain();
    return 0;
}

void CLumivaneDlg::ShowSlideFileAgain()
{
    if (IsCrossFadeRunning())
        return;
    const TryLock slide = m_guards.TrySlide();
    if (!slide.IsHeld())
    {
        m_postponed.fileAgain = true;
        SetTimer(PostponedStepTimerId, PostponedStepPeriod);
        return;
    }
    m_slideTimer.Stop(m_hWnd);
    m_slideTimer.ClearTimes();
    if (m_shown.Path().IsEmpty() || !m_preparation->PrepareLocalSlide(m_shown.Path()))
        return;
    TakePreparedSlide();
    ShowSlide(StepUserNext);
}

// The controller's file commands hold the slide lock while they work on the
// slide on screen (a secure deletion, the open-with dialog): the slide
// cannot change meanwhile. The latest step asked for runs once it is free.
void CLumivaneDlg::PostponeStep(int kind, int mode)
{
    m_postponed.step = true;
    m_postponed.kind = kind;
    m_postponed.mode = mode;
    SetTimer(PostponedStepTimerId, PostponedStepPeriod);
}

LRESULT CLumivaneDlg::OnPostponedStepTimer(UINT_PTR, BOOL&)
{
    // Another step or timer runs now: the timer tries again.
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    const SemaphoreGuard steps = m_guards.Steps(SemaphoreGuard::Take::Try);
    if (!steps.IsHeld())
        return 0;
    KillTimer(PostponedStepTimerId);
    const PostponedStep due = m_postponed;
    m_postponed = PostponedStep();
    // Either may find the lock held again and wait once more.
    if (due.fileAgain)
        ShowSlideFileAgain();
    if (due.step)
        NextSlide(due.kind, due.mode);
    return 0;
}

bool CLumivaneDlg::HasGallerySelection(bool local)
{
    if (local)
        return m_walk.HasSelection();
    return !ReadSelectedOnlineGallery().name.IsEmpty();
}

// Online: another slide can come while a gallery is selected and the
// server's enumeration state ("Internet Control" and the cache file) is held.
bool CLumivaneDlg::HasOtherSlides(bool local)
{
    if (!local)
        return !ReadSelectedOnlineGallery().name.IsEmpty() && HasInternetSlideState() == 1;
    return m_walk.HasOtherShownFile(m_shown.Path());
}
