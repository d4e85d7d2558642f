// Owners of kernel handles and the scope guards built on them.
#pragma once

#include <windows.h>

// Refers to a handle without owning it.
class MRefHandle
{
public:
    explicit MRefHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    MRefHandle(const MRefHandle&) = delete;
    MRefHandle& operator=(const MRefHandle&) = delete;
    virtual ~MRefHandle() { m_handle = INVALID_HANDLE_VALUE; }

    // Forgets the handle without closing it.
    virtual void Reset() { m_handle = INVALID_HANDLE_VALUE; }

    HANDLE Get() const { return m_handle; }
    operator HANDLE() const { return m_handle; }
    // Neither null nor INVALID_HANDLE_VALUE.
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

protected:
    HANDLE m_handle;
};

// Owns a kernel handle and closes it once.
class MHandle : public MRefHandle
{
public:
    // A new unnamed semaphore of count 1: the program's one-at-a-time guard.
    MHandle() : MRefHandle(CreateSemaphoreW(nullptr, 1, 1, nullptr)) {}
    explicit MHandle(HANDLE handle) : MRefHandle(handle) {}
    ~MHandle() override { Close(); }

    // Closes a valid handle; a null handle stays null.
    virtual void Close()
    {
        if (IsValid())
        {
            CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }
    void Attach(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }
    // Hands the handle on to a new owner without closing it.
    HANDLE Release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
};

// A new unnamed semaphore of count 1: the program's one-at-a-time guard.
inline HANDLE NewGuard() { return CreateSemaphoreW(nullptr, 1, 1, nullptr); }

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

// Leaves a critical section at scope end.
class CriticalSectionGuard
{
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& section) : m_section(&section), m_held(true)
    {
        EnterCriticalSection(m_section);
    }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;
    ~CriticalSectionGuard()
    {
        if (m_held)
            LeaveCriticalSection(m_section);
    }

private:
    CRITICAL_SECTION* m_section;
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

// Closes a file-search handle at scope end.
class FindHandle
{
public:
    explicit FindHandle(HANDLE search = INVALID_HANDLE_VALUE) : m_search(search) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() { Close(); }

    HANDLE Get() const { return m_search; }
    void Close()
    {
        if (m_search != nullptr && m_search != INVALID_HANDLE_VALUE)
        {
            FindClose(m_search);
            m_search = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE m_search;
};
