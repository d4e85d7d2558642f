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
    m_retrying = 0;
    m_paused = 0;
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
    m_restoredTime = 0;
    if (elapsed == NoElapsedTime)
        return false;
    const unsigned __int64 a = intervalA * 1000;
    if (a <= elapsed)
        return false;
    if (IsSingleIntervalMode(mode) && !enabled)
        m_restoredTime = 0;
    else if (IsSingleIntervalMode(mode) && a - elapsed < 1001)
        m_restoredTime = a - 1000; // at least one second of the slide remains
    else
        m_restoredTime = elapsed;
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
    m_retrying = 0;
    // Arming ends a pause, so the controller's menu offers pause again.
    m_paused = 0;
    if (IsSingleIntervalMode(mode) && !enabled)
    {
        ClearTimes();
        if (m_timerId)
            KillTimer(window, TimerId);
        m_timerId = 0;
        return 0;
    }

    const unsigned __int64 now = Now();
    const unsigned __int64 a = intervalA * 1000;
    const unsigned __int64 b = intervalB * 1000;
    UINT period;
    if (m_restoredTime != 0)
    {
        period = RemainingPeriod(mode, m_restoredTime);
        m_startTick = now - m_restoredTime;
        m_restoredTime = 0;
        m_pausedTime = 0;
    }
    else if (how == ArmFor::FullInterval)
    {
        period = static_cast<UINT>(IsSingleIntervalMode(mode) ? a : b);
        m_startTick = now;
        m_pausedTime = 0;
    }
    else if (how == ArmFor::HiddenRestOfCycle)
    {
        // The cycle goes on counting from its start.
        period = static_cast<UINT>(a > b ? a - b : ShortestPeriod);
    }
    else
    {
        period = RemainingPeriod(mode, m_pausedTime);
        m_startTick = now - m_pausedTime;
        m_pausedTime = 0;
    }
    m_timerId = SetTimer(window, TimerId, period, nullptr);
    return period;
}

void SlideTimer::Pause(HWND window)
{
    m_paused = 1;
    if (m_timerId && m_startTick)
    {
        KillTimer(window, TimerId);
        m_pausedTime = std::max<unsigned __int64>(Now() - m_startTick, 1);
        m_timerId = 0;
        m_startTick = 0;
    }
}

void SlideTimer::Retry(HWND window, UINT period)
{
    m_retrying = 1;
    m_timerId = SetTimer(window, TimerId, period, nullptr);
}

void SlideTimer::Stop(HWND window)
{
    if (!m_timerId)
        return;
    KillTimer(window, TimerId);
    m_timerId = 0;
    ClearTimes();
}

unsigned __int64 SlideTimer::ElapsedMilliseconds() const
{
    if (m_restoredTime)
        return m_restoredTime;
    if (m_pausedTime)
        return m_pausedTime;
    if (m_startTick)
        return Now() - m_startTick;
    return 0;
}

unsigned __int64 SlideTimer::ElapsedTimeToKeep(OperationMode mode, bool waitingForOnline) const
{
    if (IsSingleIntervalMode(mode) && !enabled)
        return 0;
    if (waitingForOnline)
        return NoElapsedTime;
    if (m_pausedTime)
        return m_pausedTime;
    if (m_startTick)
        return Now() - m_startTick;
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
