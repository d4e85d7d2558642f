// What the controller knows of the latest release: the record of the last
// check, its final value, the guard that the release dialog holds while it
// reads the record, and the event that says a new release is known.
#pragma once

#include "foundation/Handle.h"
#include "upgrade/ReleaseCheck.h"

class ReleaseState
{
public:
    ReleaseState();
    ReleaseState(const ReleaseState&) = delete;
    ReleaseState& operator=(const ReleaseState&) = delete;

    // Takes a check's result; null: the check failed, nothing is known of a
    // release now (the state stays). Dropped, with false, while the release
    // dialog reads the record.
    bool Take(const ReleaseInfo* result);

    // Held by the release dialog for its whole run.
    MHandle& RecordGuard() { return m_guard; }
    // Read under RecordGuard only.
    const ReleaseRecord& Record() const { return m_record; }
    __int64 State() const { return m_state; }

    HANDLE NewReleaseEvent() const { return m_newRelease; }
    bool IsNewReleaseKnown() const { return WaitForSingleObject(m_newRelease, 0) == WAIT_OBJECT_0; }

private:
    MHandle m_guard;
    MHandle m_newRelease;
    ReleaseRecord m_record;
    __int64 m_state = 3;
};
