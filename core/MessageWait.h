// A wait on a window thread: its messages go on meanwhile, so that its
// windows keep answering (and a thread that sends to them is not blocked).
#pragma once

#include <windows.h>

enum class MessageWaitEnd
{
    Signalled,
    TimedOut,
    // A WM_QUIT came first; it is posted again for the caller's loop.
    Quit,
};

enum class WhileWaiting
{
    // Every message of the thread is dispatched.
    DispatchAll,
    // Only the messages other threads send are answered; the thread's queue
    // is left alone (a quit under way, a wait inside a message handler).
    AnswerSentOnly,
};

// Waits up to timeout milliseconds (INFINITE: no bound) for the object while
// the calling thread's messages go on as mode says.
MessageWaitEnd WaitWithMessages(HANDLE object, DWORD timeout, WhileWaiting mode = WhileWaiting::DispatchAll);
