// Critical sections and the scope guards of locks, semaphores and counters:
// every lock the program takes is left when its scope ends, however the scope
// is left.
#pragma once

#include "foundation/Handle.h"

#include <windows.h>

// A critical section that lives exactly as long as its owner.
class CriticalSection
{
public:
    CriticalSection() { InitializeCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&m_section); }

    operator CRITICAL_SECTION&() { return m_section; }
    void Enter() { EnterCriticalSection(&m_section); }
    bool TryEnter() { return TryEnterCriticalSection(&m_section) != FALSE; }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Enters a critical section only when it is free, and leaves it at scope end
// when it was entered.
class TryLock
{
public:
    explicit TryLock(CriticalSection& section) : m_section(section.TryEnter() ? &section : nullptr) {}
    TryLock(const TryLock&) = delete;
    TryLock& operator=(const TryLock&) = delete;
    ~TryLock()
    {
        if (m_section)
            m_section->Leave();
    }
    bool IsHeld() const { return m_section != nullptr; }

private:
    CriticalSection* m_section;
};

// Enters a critical section, waiting for it, and leaves it at scope end.
class Lock
{
public:
    explicit Lock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION& m_section;
};

// Holds a count-1 semaphore for one action of a kind; a caller that finds it
// taken drops its request.
class SemaphoreGuard
{
public:
    enum class Take
    {
        Wait,
        Try
    };

    SemaphoreGuard(MHandle& semaphore, Take take) : m_semaphore(&semaphore)
    {
        m_held = WaitForSingleObject(semaphore, take == Take::Wait ? INFINITE : 0) == WAIT_OBJECT_0;
    }
    SemaphoreGuard(const SemaphoreGuard&) = delete;
    SemaphoreGuard& operator=(const SemaphoreGuard&) = delete;
    ~SemaphoreGuard() { Release(); }

    bool IsHeld() const { return m_held; }
    void Release()
    {
        if (m_held)
            ReleaseSemaphore(*m_semaphore, 1, nullptr);
        m_held = false;
    }

private:
    MHandle* m_semaphore;
    bool m_held;
};

// Decrements a counter with a locked decrement at scope end, however the
// scope is left.
class CounterGuard
{
public:
    explicit CounterGuard(volatile LONG& counter) : m_counter(&counter) {}
    CounterGuard(const CounterGuard&) = delete;
    CounterGuard& operator=(const CounterGuard&) = delete;
    ~CounterGuard() { InterlockedDecrement(m_counter); }

private:
    volatile LONG* m_counter;
};
