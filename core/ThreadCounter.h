// The process-wide count of running worker threads, the exit wait over it,
// and the restart of the program.
#pragma once

#include <windows.h>

#include "foundation/Handle.h"
#include "foundation/SmartPtr.h"
#include "foundation/Sync.h"

#include <atomic>
#include <memory>

// The number of running workers and an event that is set while none runs:
// the first worker to count in resets it, the last to count out sets it, and
// the exit wait blocks on it.
class alignas(32) ThreadCounter
{
public:
    ThreadCounter();
    ThreadCounter(const ThreadCounter&) = delete;
    ThreadCounter& operator=(const ThreadCounter&) = delete;

    void Increment();
    void Decrement();
    LONG Count() const { return m_count.load(); }
    // No worker counted in, taken under the lock: a worker's last decrement
    // has left the record once this returns.
    bool IsIdle();
    // Signalled while no worker runs (manual reset).
    HANDLE IdleEvent() const { return m_idle; }

    // How long the exit waits for the workers, in milliseconds.
    DWORD exitTimeout = 20000;

private:
    // Increments and decrements run under this lock so that the event always
    // follows the count (an increment and the last decrement cannot swap
    // their event calls).
    CriticalSection m_lock;
    std::atomic<LONG> m_count{0};
    MHandle m_idle;
};

// The owning slot of the one ThreadCounter of the process. Releasing it, also
// when the process ends, waits for the workers.
class ThreadCounterSlot
{
public:
    ThreadCounterSlot() = default;
    ThreadCounterSlot(const ThreadCounterSlot&) = delete;
    ThreadCounterSlot& operator=(const ThreadCounterSlot&) = delete;
    ~ThreadCounterSlot();

    // The record; MSmartPtrError when the slot is empty.
    ThreadCounter& Get() const;
    bool IsEmpty() const { return m_record.load() == nullptr; }

    // Puts a fresh record (count 0) in the slot; one already there is first
    // released as by WaitForWorkerThreads.
    void Create();
    // Empties the slot and hands out the record it held (or null).
    ThreadCounter* Detach() { return m_record.exchange(nullptr); }

    // Counts one worker in on the record and hands it out; null when the
    // slot is empty. A record taken out of the slot by the exit wait gets no
    // further count, so the wait frees it only when no worker is left.
    ThreadCounter* CountIn();

private:
    friend void WaitForWorkerThreads();
    void WaitAndRelease();

    // Held while a worker counts in and while the exit wait empties the slot.
    CriticalSection m_lock;
    std::atomic<ThreadCounter*> m_record{nullptr};
};

extern ThreadCounterSlot ThreadCounterHolder;

// Waits on the record's idle event until no worker runs or the record's
// time-out has passed, then empties the slot. The record is freed only when
// the count came down to 0: a worker still running after the time-out keeps
// decrementing it until the process ends.
void WaitForWorkerThreads();

// Starts the program again with its own command line and waits up to 10 s for
// the new process to be idle for input. A failed start is silent.
void RestartProcess();

// Counts the calling worker thread in for its lifetime. Constructed first
// thing in a worker that counts itself; throws MSmartPtrError, before
// counting anything, when the process has no ThreadCounter (any more).
// The adopting form takes over a count made for the thread before it
// started, and only counts it out.
class WorkerThreadScope
{
public:
    WorkerThreadScope();
    explicit WorkerThreadScope(ThreadCounter& adopted) : m_counter(&adopted) {}
    WorkerThreadScope(const WorkerThreadScope&) = delete;
    WorkerThreadScope& operator=(const WorkerThreadScope&) = delete;
    ~WorkerThreadScope();

private:
    ThreadCounter* m_counter;
};

// Starts a worker thread counted in before it exists, so that the exit's
// wait cannot end between the start and the worker's first step; the count
// goes when the procedure has returned. The second form hands the procedure
// shared.get() and keeps the block alive until then, so that a worker that
// outlives its starter reads nothing freed. Returns an invalid handle, with
// the count unchanged and no thread started, when the process has no
// ThreadCounter (any more) or the thread cannot be created.
//
// A suspended thread waits for its starter's ResumeThread: a wait dialog
// resumes its worker once shown, so that the worker's end message finds the
// dialog's window. Counted in already, it holds the exit's wait until it has
// been resumed and has run.
enum class ThreadStart
{
    Running,
    Suspended,
};
MHandle StartCountedThread(LPTHREAD_START_ROUTINE procedure, void* parameter,
                           ThreadStart start = ThreadStart::Running);
MHandle StartCountedThread(LPTHREAD_START_ROUTINE procedure, std::shared_ptr<void> shared);

// The system call StartCountedThread makes the thread with (tests make it
// fail).
using CreateThreadFunction = decltype(&::CreateThread);
extern CreateThreadFunction CreateThreadCall;

// Set when the program is to start again after it has ended (a language
// change in the about box, or a second copy that asked this one to restart).
extern std::atomic<bool> RestartRequested;
