#include "slideshow/SlideTimer.h"

#include "slideshow/SettingsRegistry.h"

#include <algorithm>

const wchar_t ElapsedTimeValueName[] = L"Elapsed Time";

namespace
{
class SystemClock : public TickClock
{
public:
    unsigned __int64 Now() const override { return GetTickCount64(); }
};

constexpr UINT ShortestPeriod = 1000;
}

const TickClock& SystemTickClock()
{
    static const SystemClock clock;
    return clock;
}

void SlideTimer::SetDefaults()
{
    enabled = true;
    intervalA = 1800;
    intervalB = 60;
    unitA = Time_unit::Minutes;
    unitB = Time_unit::Minutes;
    ClearTimes();
    retrying = 0;
    paused = 0;
}

SlideTimerLoad SlideTimer::Load(const DWORD (&words)[9], const RegistryKey& productKey, OperationMode mode)
{
    enabled = (words[1] & 0x80000000) != 0;
    intervalA = words[2];
    unitA = (words[1] & 0x100000) ? Time_unit::Minutes : Time_unit::Seconds;
    intervalB = words[3];
    unitB = (words[1] & 0x80000) ? Time_unit::Minutes : Time_unit::Seconds;

    SlideTimerLoad result;
    if (intervalA == 0 || intervalA > MaxIntervalA)
        result.error = SlideTimerLoadError::BadIntervalA;
    else if (unitA == Time_unit::Minutes && intervalA % 60 != 0)
        result.error = SlideTimerLoadError::IntervalANotWholeMinutes;
    else if (intervalB == 0 || intervalB > MaxIntervalB)
        result.error = SlideTimerLoadError::BadIntervalB;
    else if (unitB == Time_unit::Minutes && intervalB % 60 != 0)
        result.error = SlideTimerLoadError::IntervalBNotWholeMinutes;
    else if (IsCycleMode(mode) && intervalA <= intervalB)
        result.error = SlideTimerLoadError::CycleNotLongerThanShownPart;
    if (result.error != SlideTimerLoadError::None)
        return result;

    unsigned __int64 elapsed = NoElapsedTime;
    switch (ReadFixedValue(productKey, ElapsedTimeValueName, REG_BINARY, &elapsed, sizeof(elapsed)))
    {
    case RegistryRead::Ok:
        break;
    case RegistryRead::Missing:
        // The last run ended without writing it (it was killed, or the
        // write failed): nothing to resume, but the settings are sound.
        elapsed = NoElapsedTime;
        break;
    case RegistryRead::Unreadable:
        result.error = SlideTimerLoadError::ElapsedTimeUnreadable;
        return result;
    case RegistryRead::WrongType:
        result.error = SlideTimerLoadError::ElapsedTimeWrongType;
        return result;
    case RegistryRead::WrongSize:
        result.error = SlideTimerLoadError::ElapsedTimeWrongSize;
        return result;
    }
    result.elapsedTimeTaken = TakeElapsedTime(elapsed, mode);
    return result;
}

bool SlideTimer::TakeElapsedTime(unsigned __int64 elapsed, OperationMode mode)
{
    restoredTime = 0;
    if (elapsed == NoElapsedTime)
        return false;
    const unsigned __int64 a = intervalA * 1000;
    if (a <= elapsed)
        return false;
    if (IsSingleIntervalMode(mode) && !enabled)
        restoredTime = 0;
    else if (IsSingleIntervalMode(mode) && a - elapsed < 1001)
        restoredTime = a - 1000; // at least one second of the slide remains
    else
        restoredTime = elapsed;
    return true;
}

UINT SlideTimer::RemainingPeriod(OperationMode mode, unsigned __int64 shown) const
{
    const unsigned __int64 a = intervalA * 1000;
    const unsigned __int64 b = intervalB * 1000;
    if (a <= shown)
        return ShortestPeriod;
    const unsigned __int64 rest = (IsSingleIntervalMode(mode) || b < shown) ? a - shown : b - shown;
    return static_cast<UINT>(std::max<unsigned __int64>(rest, ShortestPeriod));
}

UINT SlideTimer::Arm(HWND window, OperationMode mode, ArmFor how)
{
    retrying = 0;
    // Arming ends a pause, so the controller's menu offers pause again.
    paused = 0;
    if (IsSingleIntervalMode(mode) && !enabled)
    {
        ClearTimes();
        if (timerId)
            KillTimer(window, TimerId);
        timerId = 0;
        return 0;
    }

    const unsigned __int64 now = Now();
    const unsigned __int64 a = intervalA * 1000;
    const unsigned __int64 b = intervalB * 1000;
    UINT period;
    if (restoredTime != 0)
    {
        period = RemainingPeriod(mode, restoredTime);
        startTick = now - restoredTime;
        restoredTime = 0;
        pausedTime = 0;
    }
    else if (how == ArmFor::FullInterval)
    {
        period = static_cast<UINT>(IsSingleIntervalMode(mode) ? a : b);
        startTick = now;
        pausedTime = 0;
    }
    else if (how == ArmFor::HiddenRestOfCycle)
    {
        // The cycle goes on counting from its start.
        period = static_cast<UINT>(a > b ? a - b : ShortestPeriod);
    }
    else
    {
        period = RemainingPeriod(mode, pausedTime);
        startTick = now - pausedTime;
        pausedTime = 0;
    }
    timerId = SetTimer(window, TimerId, period, nullptr);
    return period;
}

void SlideTimer::Pause(HWND window)
{
    paused = 1;
    if (timerId && startTick)
    {
        KillTimer(window, TimerId);
        pausedTime = std::max<unsigned __int64>(Now() - startTick, 1);
        timerId = 0;
        startTick = 0;
    }
}

void SlideTimer::Retry(HWND window, UINT period)
{
    retrying = 1;
    timerId = SetTimer(window, TimerId, period, nullptr);
}

void SlideTimer::Stop(HWND window)
{
    if (!timerId)
        return;
    KillTimer(window, TimerId);
    timerId = 0;
    ClearTimes();
}

unsigned __int64 SlideTimer::ElapsedMilliseconds() const
{
    if (restoredTime)
        return restoredTime;
    if (pausedTime)
        return pausedTime;
    if (startTick)
        return Now() - startTick;
    return 0;
}

unsigned __int64 SlideTimer::ElapsedTimeToKeep(OperationMode mode, bool waitingForOnline) const
{
    if (IsSingleIntervalMode(mode) && !enabled)
        return 0;
    if (waitingForOnline)
        return NoElapsedTime;
    if (pausedTime)
        return pausedTime;
    if (startTick)
        return Now() - startTick;
    return NoElapsedTime;
}

void SaveElapsedTime(unsigned __int64 milliseconds)
{
    WriteProductValue(ElapsedTimeValueName, REG_BINARY, &milliseconds, sizeof(milliseconds));
}

void DeleteElapsedTime()
{
    DeleteProductValue(ElapsedTimeValueName);
}
