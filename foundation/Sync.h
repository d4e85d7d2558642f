// Critical sections and their scope guards: every lock the program takes is
// left when its scope ends, however the scope is left.
#pragma once

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
    explicit Lock(CriticalSection& section) : m_section(section) { m_section.Enter(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { m_section.Leave(); }

private:
    CriticalSection& m_section;
};
