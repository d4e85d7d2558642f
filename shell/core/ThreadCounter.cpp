#include "shell/core/ThreadCounter.h"

#include "foundation/StringEx.h"

ThreadCounterSlot ThreadCounterHolder;
std::atomic<bool> RestartRequested{false};

namespace
{
void WaitAndRelease(ThreadCounterSlot& slot)
{
    if (slot.IsEmpty())
        return;
    ThreadCounter& record = slot.Get();
    const bool finished = WaitForSingleObject(record.IdleEvent(), record.exitTimeout) == WAIT_OBJECT_0;
    ThreadCounter* detached = slot.Detach();
    // A worker that outlived the wait still holds the record's address and
    // decrements it on its way out, so the record then stays until the
    // process ends.
    if (finished)
        delete detached;
}
}

ThreadCounter::ThreadCounter() : m_idle(CreateEventW(nullptr, TRUE, TRUE, nullptr))
{
    if (!m_idle.IsValid())
        throw MSmartPtrError();
}

void ThreadCounter::Increment()
{
    Lock lock(m_lock);
    if (++m_count == 1)
        ResetEvent(m_idle);
}

void ThreadCounter::Decrement()
{
    Lock lock(m_lock);
    if (--m_count == 0)
        SetEvent(m_idle);
}

ThreadCounterSlot::~ThreadCounterSlot() { WaitAndRelease(*this); }

ThreadCounter& ThreadCounterSlot::Get() const
{
    ThreadCounter* record = m_record.load();
    if (!record)
        throw MSmartPtrError();
    return *record;
}

void ThreadCounterSlot::Create()
{
    WaitAndRelease(*this);
    m_record.store(new ThreadCounter());
}

void WaitForWorkerThreads() { WaitAndRelease(ThreadCounterHolder); }

void RestartProcess()
{
    // CreateProcessW may write into the command line, so it gets a copy.
    MString commandLine(GetCommandLineW());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    WaitForInputIdle(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

WorkerThreadScope::WorkerThreadScope() : m_counter(&ThreadCounterHolder.Get())
{
    m_counter->Increment();
}

WorkerThreadScope::~WorkerThreadScope() { m_counter->Decrement(); }
