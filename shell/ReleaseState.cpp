#include "shell/ReleaseState.h"

#include "foundation/Sync.h"

ReleaseState::ReleaseState()
    : m_guard(NewGuard()), m_newRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool ReleaseState::Take(const ReleaseInfo* result)
{
    SemaphoreGuard guard(m_guard, SemaphoreGuard::Take::Try);
    if (!guard.IsHeld())
        return false;
    if (result)
    {
        m_record = result->record;
        m_state = result->state;
    }
    else
        m_record.Clear();
    return true;
}
