// The main window's slide lock as a command on the current slide takes it:
// without waiting, and not while another command of the controller holds it.
// The controller answers its messages while a command's worker runs or the
// open-with dialog is open, so a second command can arrive then; the
// critical section alone would let the same thread in again.
#pragma once

#include "foundation/Sync.h"

class CommandSlideLock
{
public:
    // commandRunning: the controller's flag that a command holds the lock.
    CommandSlideLock(CriticalSection& slideLock, bool& commandRunning)
        : m_lock(slideLock), m_commandRunning(commandRunning), m_held(m_lock.IsHeld() && !commandRunning)
    {
        if (m_held)
            m_commandRunning = true;
    }
    CommandSlideLock(const CommandSlideLock&) = delete;
    CommandSlideLock& operator=(const CommandSlideLock&) = delete;
    ~CommandSlideLock()
    {
        if (m_held)
            m_commandRunning = false;
    }

    bool IsHeld() const { return m_held; }

private:
    TryLock m_lock;
    bool& m_commandRunning;
    const bool m_held;
};
