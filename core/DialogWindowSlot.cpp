#include "core/DialogWindowSlot.h"

#include "foundation/Sync.h"
#include "core/PrivateMessages.h"

void DialogWindowSlot::Record(HWND window)
{
    SemaphoreGuard lock(OpenDialogWindowLock, SemaphoreGuard::Take::Wait);
    m_window = window;
}

void DialogWindowSlot::Clear(HWND window)
{
    SemaphoreGuard lock(OpenDialogWindowLock, SemaphoreGuard::Take::Wait);
    if (m_window == window)
        m_window = nullptr;
}

HWND DialogWindowSlot::Get()
{
    SemaphoreGuard lock(OpenDialogWindowLock, SemaphoreGuard::Take::Wait);
    return m_window;
}

bool DialogWindowSlot::SendCloseRequest()
{
    SemaphoreGuard lock(OpenDialogWindowLock, SemaphoreGuard::Take::Wait);
    if (!::IsWindow(m_window))
        return false;
    ::SendMessageW(m_window, WM_CLOSE_REQUEST, 0, 0);
    return true;
}
