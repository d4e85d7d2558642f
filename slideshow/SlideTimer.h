// The slide timer (the main window's slide-step timer) and the time a slide has
// been shown: intervals from the settings record, the start, pause and
// restore of the shown time, and arming the window timer for what is left.
#pragma once

#include "slideshow/SettingsTypes.h"

#include <windows.h>

#include <atomic>

class RegistryKey;

// Milliseconds of a monotonic clock; GetTickCount64 by default.
class TickClock
{
public:
    virtual ~TickClock() = default;
    virtual unsigned __int64 Now() const = 0;
};

const TickClock& SystemTickClock();

extern const wchar_t ElapsedTimeValueName[];

// Why the timer fields of a record or "Elapsed Time" were refused; the
// settings loader takes any of them as a bad record.
enum class SlideTimerLoadError
{
    None,
    BadIntervalA,
    IntervalANotWholeMinutes,
    BadIntervalB,
    IntervalBNotWholeMinutes,
    CycleNotLongerThanShownPart,
    ElapsedTimeUnreadable,
    ElapsedTimeWrongType,
    ElapsedTimeWrongSize,
};

struct SlideTimerLoad
{
    SlideTimerLoadError error = SlideTimerLoadError::None;
    // Whether a shown time was taken over from "Elapsed Time".
    bool elapsedTimeTaken = false;
};

class SlideTimer
{
public:
    static constexpr UINT_PTR TimerId = 102;
    static constexpr unsigned __int64 MaxIntervalA = 599940; // 9999 minutes
    static constexpr unsigned __int64 MaxIntervalB = 599939;
    // Stored "Elapsed Time" meaning nothing to resume.
    static constexpr unsigned __int64 NoElapsedTime = ~0ull;

    explicit SlideTimer(const TickClock& clock = SystemTickClock()) : m_clock(&clock) {}
    SlideTimer(const SlideTimer&) = delete;
    SlideTimer& operator=(const SlideTimer&) = delete;

    // In the single-interval modes slides advance by themselves only while on.
    bool enabled = true;
    unsigned __int64 intervalA = 1800; // seconds: a slide, or a whole show/hide cycle
    unsigned __int64 intervalB = 60;   // seconds shown within a cycle
    Time_unit unitA = Time_unit::Minutes;
    Time_unit unitB = Time_unit::Minutes;

    // The count: the tick it started at (0: not counting), the milliseconds
    // shown before a pause and those taken over from "Elapsed Time".
    unsigned __int64 StartTick() const { return m_startTick; }
    unsigned __int64 PausedTime() const { return m_pausedTime; }
    unsigned __int64 RestoredTime() const { return m_restoredTime; }
    void SetStartTick(unsigned __int64 tick) { m_startTick = tick; }
    void SetPausedTime(unsigned __int64 milliseconds) { m_pausedTime = milliseconds; }
    void SetRestoredTime(unsigned __int64 milliseconds) { m_restoredTime = milliseconds; }
    // The timer is set for a retry or a poll.
    bool IsRetrying() const { return m_retrying != 0; }
    void SetRetrying(bool retrying) { m_retrying = retrying ? 1 : 0; }
    bool IsPaused() const { return m_paused.load() == 1; }
    void SetPaused(bool paused) { m_paused = paused ? 1 : 0; }
    // The window timer's id while it is set, else 0.
    UINT_PTR WindowTimer() const { return m_timerId; }
    // The window killed the timer itself.
    void TimerKilled() { m_timerId = 0; }
    // Neither paused nor counting, and no time kept from a pause; a
    // restored time stays.
    void ForgetCount()
    {
        m_paused = 0;
        m_startTick = 0;
        m_pausedTime = 0;
    }

    // The defaults of the settings record; the window timer is not touched.
    void SetDefaults();

    // Takes the timer fields from the nine words of "Performance Data" and
    // the restored time from "Elapsed Time" of the open product key. A field
    // that fails its check is named in the result; the fields are then left
    // half taken and the caller drops the record.
    SlideTimerLoad Load(const DWORD (&words)[9], const RegistryKey& productKey, OperationMode mode);
    // The restored-time rule alone, for a stored value of elapsed milliseconds.
    bool TakeElapsedTime(unsigned __int64 elapsed, OperationMode mode);

    // What Arm counts: a full interval (of a slide, or of the shown part of
    // a cycle); the hidden rest of a cycle; the rest after a pause.
    enum class ArmFor
    {
        FullInterval,
        HiddenRestOfCycle,
        RestAfterPause,
    };

    // Sets the slide timer on the window; a restored time always counts
    // its rest. Returns the period in milliseconds, 0 when no timer was set.
    UINT Arm(HWND window, OperationMode mode, ArmFor how);
    // Stops counting and keeps the time shown so far.
    void Pause(HWND window);
    // Sets the timer for a retry or a poll of the download worker.
    void Retry(HWND window, UINT period);
    // Kills the timer when it is set and clears start, paused and restored time.
    void Stop(HWND window);
    void ClearTimes() { m_startTick = m_pausedTime = m_restoredTime = 0; }

    unsigned __int64 ElapsedMilliseconds() const;
    unsigned __int64 ElapsedSeconds() const { return ElapsedMilliseconds() / 1000; }
    // Whether the shown part of a cycle has run out (interval B reached).
    bool HasReachedIntervalB() const { return ElapsedSeconds() >= intervalB; }
    // Whether any shown time is being counted or held.
    bool HoldsShownTime() const { return m_restoredTime != 0 || m_pausedTime != 0 || m_startTick != 0; }

    // What "Elapsed Time" keeps when the window ends.
    unsigned __int64 ElapsedTimeToKeep(OperationMode mode, bool waitingForOnline) const;

    unsigned __int64 Now() const { return m_clock->Now(); }

private:
    // The period left after shown milliseconds, at least one second.
    UINT RemainingPeriod(OperationMode mode, unsigned __int64 shown) const;

    const TickClock* m_clock;
    unsigned __int64 m_startTick = 0;
    unsigned __int64 m_pausedTime = 0;
    unsigned __int64 m_restoredTime = 0;
    unsigned char m_retrying = 0;
    // Atomic: the window publishes it for the controller's menus.
    std::atomic<unsigned char> m_paused{0};
    UINT_PTR m_timerId = 0;
};

// "Elapsed Time" under the product key (created when missing); a failed
// write deletes the value.
void SaveElapsedTime(unsigned __int64 milliseconds);
void DeleteElapsedTime();
