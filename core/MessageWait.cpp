#include "core/MessageWait.h"

namespace
{
// False when a WM_QUIT was taken (and posted again).
bool DispatchAllMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}
}

MessageWaitEnd WaitWithMessages(HANDLE object, DWORD timeout, WhileWaiting mode)
{
    const DWORD wake = mode == WhileWaiting::DispatchAll ? QS_ALLINPUT : QS_SENDMESSAGE;
    const ULONGLONG deadline = GetTickCount64() + timeout;
    for (;;)
    {
        DWORD left = INFINITE;
        if (timeout != INFINITE)
        {
            const ULONGLONG now = GetTickCount64();
            left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        }
        const DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, left, wake);
        if (woken == WAIT_OBJECT_0)
            return MessageWaitEnd::Signalled;
        if (woken != WAIT_OBJECT_0 + 1)
            return MessageWaitEnd::TimedOut;
        if (mode == WhileWaiting::AnswerSentOnly)
        {
            // Peeking answers the sent messages; nothing is taken off the queue.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        else if (!DispatchAllMessages())
            return MessageWaitEnd::Quit;
    }
}
