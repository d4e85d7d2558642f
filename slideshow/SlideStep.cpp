#include "slideshow/SlideStep.h"

namespace
{
// String ids of the language module.
enum : UINT
{
    NoSelectionCard = 233,
    NothingToShowCard = 224, // formatted with the product name
    OnlyOneFileCard = 325,
    NoEarlierFileCard = 330,
};

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
        choice.cardString = NoSelectionCard;
        break;
    case 2:
        choice.cardString = NothingToShowCard;
        choice.cardWithProductName = true;
        break;
    case 3:
        if (onlineShownThisStep)
            choice.outcome = SlideChoice::PresentPrepared;
        else
            choice.cardString = OnlyOneFileCard;
        break;
    case 4:
        choice.cardString = NoEarlierFileCard;
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
    if (fetch.state == 5)
    {
        text.source = OnlineStatusText::String;
        text.stringId = fetch.status != 0 ? 235 : 453;
        return text;
    }
    if (fetch.state >= 0 && fetch.state <= 9)
        return text;

    text.source = OnlineStatusText::String;
    const bool detail = fetch.errorDetail != 0;
    switch (static_cast<DWORD>(fetch.status))
    {
    case 1:
        text.stringId = 240;
        break;
    case 2:
        text.stringId = 241;
        break;
    case 3:
        text.stringId = 242;
        break;
    case 4:
        text.stringId = 243;
        break;
    case 0:
        text.stringId = detail ? 190 : 248;
        break;
    case 0x8000000F:
        text.stringId = detail ? 345 : 245;
        break;
    case 0x80000010:
        if (fetch.hasServerMessage)
            text.source = OnlineStatusText::ServerMessage;
        else
            text.stringId = 245;
        break;
    case 0x80000011:
        text.stringId = detail ? 344 : 248;
        break;
    case 0x80000012:
        text.stringId = 356;
        break;
    case 0x80000013:
        text.source = OnlineStatusText::FailureText;
        break;
    default:
        if (fetch.status >= 5)
        {
            text.stringId = 238;
        }
        else
        {
            text.source = OnlineStatusText::StringAndNumber;
            text.stringId = 218;
            text.number = static_cast<DWORD>(fetch.status) & 0x7FFFFFFF;
        }
        break;
    }
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
