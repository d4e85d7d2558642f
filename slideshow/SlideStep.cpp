#include "slideshow/SlideStep.h"

#include "resources/languages/LanguageIds.h"
#include "slideshow/InternetSlideState.h"

#include <algorithm>
#include <atomic>

namespace
{
// Status values of the online request record after a fetch: the answers of
// the server about the gallery, then the program's own failures.
enum : DWORD
{
    StatusNoReply = 0,
    StatusGalleryEmpty = 1,
    StatusGalleryMissing = 2,
    StatusFilterEmpty = 3,
    StatusNoFurtherSlide = 4,
    StatusReplyDamaged = 0x8000000F,
    StatusServerMessage = 0x80000010,
    StatusSecureFailed = 0x80000011,
    StatusUpgradeNeeded = 0x80000012,
    StatusFailureText = 0x80000013,
};

// The text of a status, and the one used when the record holds an error
// detail.
struct StatusString
{
    DWORD status;
    UINT text;
    UINT textWithDetail;
};

constexpr StatusString StatusStrings[] = {
    {StatusNoReply, IDS_ONLINE_REQUEST_FAILED, IDS_ONLINE_NO_CONNECTION},
    {StatusGalleryEmpty, IDS_ONLINE_GALLERY_EMPTY, IDS_ONLINE_GALLERY_EMPTY},
    {StatusGalleryMissing, IDS_ONLINE_GALLERY_MISSING, IDS_ONLINE_GALLERY_MISSING},
    {StatusFilterEmpty, IDS_ONLINE_FILTER_EMPTY, IDS_ONLINE_FILTER_EMPTY},
    {StatusNoFurtherSlide, IDS_ONLINE_NO_FURTHER_SLIDE, IDS_ONLINE_NO_FURTHER_SLIDE},
    {StatusReplyDamaged, IDS_ONLINE_REPLY_UNREADABLE, IDS_ONLINE_REPLY_DAMAGED},
    {StatusSecureFailed, IDS_ONLINE_REQUEST_FAILED, IDS_ONLINE_SECURE_FAILED},
    {StatusUpgradeNeeded, IDS_ONLINE_UPGRADE_NEEDED, IDS_ONLINE_UPGRADE_NEEDED},
};

// The record's states whose text is not a failure: idle, a reply of kind
// 1 to 3, the worker started, a slide loaded from a file.
constexpr int LastStateWithoutFailure = 9;

constexpr unsigned StepsBetweenTopmost = 5;
}

TimerStepAction DecideTimerStep(const SlideTimer& timer, OperationMode mode, bool waitingForOnline, bool blocked)
{
    if (blocked)
        return TimerStepAction::Retry;
    // Without any shown time held (a retry cleared it) the position in the
    // cycle is unknown; stepping shows a new slide and starts a new cycle,
    // where hiding would hide again at every tick and never show.
    if (IsCycleMode(mode) && !waitingForOnline && timer.HoldsShownTime() && timer.intervalA > timer.ElapsedSeconds())
        return TimerStepAction::HideRestOfCycle;
    return TimerStepAction::Step;
}

UINT RestingRetryPeriod(const SlideTimer& timer)
{
    const unsigned __int64 interval = timer.intervalA * 1000;
    const unsigned __int64 poll = OnlinePollPeriod(false);
    return static_cast<UINT>(std::min<unsigned __int64>(std::max(interval, poll), USER_TIMER_MAXIMUM));
}

RunningWorkerAction DecideWhileWorkerRuns(int mode, int kind, DWORD fetchReason)
{
    switch (mode)
    {
    case StepAfterFetch:
        return RunningWorkerAction::WaitForEnd;
    case StepTimer:
        return fetchReason == FetchReasonStartUp ? RunningWorkerAction::LeaveRunning
                                                 : RunningWorkerAction::MarkPending;
    case StepSelectionChanged:
    case StepCheckSelection:
        return RunningWorkerAction::StopAndReset;
    default:
        break;
    }
    const bool otherKind = fetchReason == StepLocalOnly ? kind != StepLocalOnly : kind != StepOrdinary;
    return otherKind ? RunningWorkerAction::StopAndGoOn : RunningWorkerAction::BusyNotice;
}

void AdjustLocalSlideCount(const OnlineSlideIncidence& settings, DWORD& localCount)
{
    if (settings.firstFlag || !settings.enabled)
        return;
    if (settings.incidence < 3)
        localCount = 0;
    else if (settings.incidence <= static_cast<unsigned __int64>(localCount) + 2)
        localCount = settings.incidence - 2;
}

bool IsOnlineSlideDue(const OnlineSlideIncidence& settings, int kind, DWORD& localCount)
{
    if (settings.firstFlag || !settings.enabled)
        return false;
    if (kind == StepLocalOnly)
    {
        AdjustLocalSlideCount(settings, localCount);
        return false;
    }
    if (settings.incidence > localCount)
        return false;
    return kind == StepOrdinary;
}

SlideChoice StatusCardForWalkResult(int result, bool onlineShownThisStep)
{
    SlideChoice choice;
    choice.outcome = SlideChoice::StatusCard;
    switch (result)
    {
    case 1:
        choice.cardString = IDS_CARD_NO_SELECTION;
        break;
    case 2:
        choice.cardString = IDS_CARD_NOTHING_SHOWABLE;
        choice.cardWithProductName = true;
        break;
    case 3:
        if (onlineShownThisStep)
            choice.outcome = SlideChoice::PresentPrepared;
        else
            choice.cardString = IDS_CARD_ONLY_ONE_FILE;
        break;
    case 4:
        choice.cardString = IDS_CARD_NO_EARLIER_FILE;
        break;
    default:
        // Not a result of the walk: present what there is (a card when nothing).
        choice.outcome = SlideChoice::PresentPrepared;
        break;
    }
    return choice;
}

SlideChoice ChooseNextSlide(int kind, int mode, bool onlineShownThisStep, const MString& currentPath,
                            const OnlineSlideIncidence& incidence, DWORD& localCount, LocalSlideWalk& walk,
                            SlidePreparation& preparation)
{
    SlideChoice choice;
    for (;;)
    {
        if (IsOnlineSlideDue(incidence, kind, localCount))
        {
            if (!onlineShownThisStep)
                localCount = 0;
            choice.outcome = SlideChoice::OnlineDue;
            return choice;
        }

        MString next;
        const int result = walk.NextLocalFile(true, currentPath, next);
        if (result != 0)
        {
            if (mode == StepCheckSelection)
            {
                choice.outcome = SlideChoice::NothingForCheck;
                return choice;
            }
            return StatusCardForWalkResult(result, onlineShownThisStep);
        }

        if (onlineShownThisStep || mode == StepCheckSelection)
        {
            // The slide of this step is already chosen: keep the file for the next one.
            if (preparation.LoadFileSlide(next))
            {
                choice.outcome =
                    mode == StepCheckSelection ? SlideChoice::LoadedForCheck : SlideChoice::LoadedIntoRecord;
                choice.path = next;
                return choice;
            }
        }
        else if (preparation.PrepareLocalSlide(next))
        {
            ++localCount;
            choice.outcome = SlideChoice::LocalPrepared;
            choice.path = next;
            return choice;
        }
        walk.MarkFileCompleted(next);
    }
}

OnlineStatusText GetOnlineStatusText(const OnlineFetchStatus& fetch)
{
    OnlineStatusText text;
    if (fetch.state == InternetSlideState::Started)
    {
        text.source = OnlineStatusText::String;
        text.stringId = fetch.status != 0 ? IDS_ONLINE_LOADING : IDS_ONLINE_PREPARING;
        return text;
    }
    if (fetch.state >= InternetSlideState::Idle && fetch.state <= LastStateWithoutFailure)
        return text;

    const DWORD status = static_cast<DWORD>(fetch.status);
    if (status == StatusFailureText)
    {
        text.source = OnlineStatusText::FailureText;
        return text;
    }
    if (status == StatusServerMessage && fetch.hasServerMessage)
    {
        text.source = OnlineStatusText::ServerMessage;
        return text;
    }
    text.source = OnlineStatusText::String;
    if (status == StatusServerMessage)
    {
        text.stringId = IDS_ONLINE_REPLY_UNREADABLE;
        return text;
    }
    for (const StatusString& known : StatusStrings)
    {
        if (known.status == status)
        {
            text.stringId = fetch.errorDetail != 0 ? known.textWithDetail : known.text;
            return text;
        }
    }
    // Another answer of the server is a server error; another failure of
    // the program's own (the high bit set) is shown with its number.
    if (fetch.status >= 0)
    {
        text.stringId = IDS_ONLINE_SERVER_ERROR;
        return text;
    }
    text.source = OnlineStatusText::StringAndNumber;
    text.stringId = IDS_ONLINE_REFUSED;
    text.number = status & 0x7FFFFFFF;
    return text;
}

bool TopmostWatch::Tick(OperationMode mode, bool ownDialogOpen)
{
    if (mode == OperationMode::AppWindow || mode == OperationMode::ToolWindow)
        return false;
    ++m_ticks;
    if (m_ticks < StepsBetweenTopmost || ownDialogOpen)
        return false;
    m_ticks = 0;
    return true;
}

ScreenSaverAction DecideScreenSaver(const IdleTest& test)
{
    if (!IsSingleIntervalMode(test.mode) || test.screenSaverMode == Screen_saver_mode::Off || test.crossFadeRunning ||
        !test.windowVisible)
        return ScreenSaverAction::None;
    // The last-input tick is a 32-bit tick count that wraps every 49.7 days:
    // compare it with the low 32 bits of now, either way round.
    const LONG difference = static_cast<LONG>(static_cast<DWORD>(test.now) - test.lastInputTick);
    const unsigned __int64 idle = difference < 0 ? 0ull - static_cast<unsigned __int64>(static_cast<__int64>(difference))
                                                 : static_cast<unsigned __int64>(difference);
    if (idle <= test.idleSeconds * 1000)
        return ScreenSaverAction::End;
    if (!test.screenSaverRunning && test.sessionLockState != 0)
        return ScreenSaverAction::Start;
    return ScreenSaverAction::None;
}

namespace
{
std::atomic<LastInputQuery> lastInputQuery{&GetLastInputInfo};
}

LastInputQuery SetLastInputQuery(LastInputQuery query)
{
    return lastInputQuery.exchange(query ? query : &GetLastInputInfo);
}

BOOL QueryLastInput(PLASTINPUTINFO info)
{
    return lastInputQuery.load()(info);
}
