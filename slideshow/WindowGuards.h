// The main window's guards. Every slide step holds the slide semaphore,
// timer handlers the timer semaphore and frame drawing the frame semaphore;
// the message boxes asked for by other threads have their own. A slide step
// holds the step lock (the hover reactions look at it) and the controller's
// slide lock (the controller's file commands take it without waiting); the
// operation mode has its own lock.
#pragma once

#include "foundation/Handle.h"
#include "foundation/Sync.h"

class WindowGuards
{
public:
    // The slide lock is the controller's, given with the link: both threads take it.
    explicit WindowGuards(CriticalSection& slideLock) : m_slideLock(slideLock) {}
    WindowGuards(const WindowGuards&) = delete;
    WindowGuards& operator=(const WindowGuards&) = delete;

    SemaphoreGuard Steps(SemaphoreGuard::Take take) { return SemaphoreGuard(m_slideSemaphore, take); }
    SemaphoreGuard Timers(SemaphoreGuard::Take take) { return SemaphoreGuard(m_timerSemaphore, take); }
    SemaphoreGuard Frames(SemaphoreGuard::Take take) { return SemaphoreGuard(m_frameSemaphore, take); }
    MHandle& MessageBoxGuard() { return m_messageBoxSemaphore; }

    TryLock TryStep() { return TryLock(m_stepLock); }
    TryLock TrySlide() { return TryLock(m_slideLock); }
    Lock Slide() { return Lock(m_slideLock); }
    Lock Mode() { return Lock(m_modeLock); }

private:
    MHandle m_slideSemaphore;
    MHandle m_timerSemaphore;
    MHandle m_frameSemaphore;
    MHandle m_messageBoxSemaphore;
    CriticalSection m_stepLock;
    CriticalSection& m_slideLock;
    CriticalSection m_modeLock;
};
